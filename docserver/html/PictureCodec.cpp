#include "PictureCodec.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <png.h>

namespace {

const char* const kDamaged = "is damaged and cannot be read";

bool Starts(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> magic, size_t offset = 0) {
    if (bytes.size() < offset + magic.size())
        return false;
    size_t i = offset;
    for (uint8_t byte : magic)
        if (bytes[i++] != byte)
            return false;
    return true;
}

uint32_t BigEndian(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

std::string SizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

struct JpegErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorExit*>(info->err)->jump, 1);
}

// One pixel of a CMYK JPEG as RGB; Adobe's writers store the inks inverted.
void CmykToRgb(uint8_t* pixels, size_t count, bool inverted) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* cmyk = pixels + i * 4;
        uint8_t* rgb = pixels + i * 3; // never past the pixel being read
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        uint8_t out[3];
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<uint8_t>((inverted ? cmyk[c] : 255u - cmyk[c]) * k / 255u);
        std::memcpy(rgb, out, 3);
    }
}

// The header's size, or false. Plain C below the setjmp: nothing with a destructor lives in this frame.
bool JpegSize(const std::vector<uint8_t>& bytes, int64_t& width, int64_t& height) {
    jpeg_decompress_struct info;
    JpegErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.output_message = [](j_common_ptr) {};
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    const bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
    width = info.image_width;
    height = info.image_height;
    jpeg_destroy_decompress(&info);
    return ok;
}

// Decodes at the smallest of the decoder's reductions (1/2, 1/4, 1/8) that is still at least width x height, so only
// that picture is ever in memory. Plain C below the setjmp: the pixels belong to the caller's frame.
const char* DecodeJpeg(const std::vector<uint8_t>& bytes, int width, int height, RasterImage& image) {
    jpeg_decompress_struct info;
    JpegErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.output_message = [](j_common_ptr) {};
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        image = RasterImage{};
        return kDamaged;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB; // grey pictures too
    unsigned denominator = 1;
    while (denominator < 8 && (info.image_width + 2 * denominator - 1) / (2 * denominator) >= unsigned(width) &&
           (info.image_height + 2 * denominator - 1) / (2 * denominator) >= unsigned(height))
        denominator *= 2;
    info.scale_num = 1;
    info.scale_denom = denominator;
    jpeg_calc_output_dimensions(&info);
    if (uint64_t{info.output_width} * info.output_height > uint64_t{kMaxPicturePixels}) {
        jpeg_destroy_decompress(&info);
        return "is too large to convert";
    }
    jpeg_start_decompress(&info);
    const size_t stride = size_t{info.output_width} * info.output_components;
    image.pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.channels = 3;
    const bool inverted = info.saw_Adobe_marker;
    jpeg_destroy_decompress(&info);
    if (cmyk) {
        CmykToRgb(image.pixels.data(), size_t{static_cast<size_t>(image.width)} * image.height, inverted);
        image.pixels.resize(size_t{static_cast<size_t>(image.width)} * image.height * 3);
    }
    return nullptr;
}

struct PngSource {
    const std::vector<uint8_t>* bytes;
    size_t at;
};

void ReadPngBytes(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->bytes->size() - source->at < count)
        png_error(png, "cut short");
    std::memcpy(out, source->bytes->data() + source->at, count);
    source->at += count;
}

// Decodes a PNG one row at a time, averaging boxes of rows into width x height pixels of RGBA, so only one source row
// and the result are ever in memory. Interlaced pictures, which cannot be read a row at a time, are refused (null
// interlaced tells the caller). Plain C below the setjmp: the pixels belong to the caller's frame.
const char* DecodePngByRows(const std::vector<uint8_t>& bytes, uint32_t outWidth, uint32_t outHeight,
                            RasterImage& image, bool& interlaced) {
    // Errors come back through the long jump below, warnings are dropped: the caller words the one message the user
    // sees, and libpng's own would reach the terminal even under --quiet.
    png_structp png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp self, const char*) { png_longjmp(self, 1); },
        [](png_structp, const char*) {});
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return "could not be read (out of memory)";
    }
    unsigned char* volatile row = nullptr; // set after setjmp: volatile so a long jump sees them
    uint64_t* volatile sums = nullptr;
    uint32_t* volatile columns = nullptr; // source columns per picture column
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(row);
        std::free(sums);
        std::free(columns);
        image = RasterImage{};
        return interlaced ? nullptr : kDamaged;
    }
    PngSource source{&bytes, 0};
    png_set_read_fn(png, &source, ReadPngBytes);
    png_set_user_limits(png, static_cast<uint32_t>(kMaxPictureRowBytes / 4), static_cast<uint32_t>(kMaxPictureSide));
    png_read_info(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
        interlaced = true;
        png_error(png, "interlaced");
    }
    // Every kind as 8-bit RGBA: palettes and low bit depths expanded, grey widened, 16 bits cut, opaque filled in.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info);
    const uint32_t height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4 || outWidth == 0 || outHeight == 0 || outWidth > width ||
        outHeight > height)
        png_error(png, "unexpected size");
    row = static_cast<unsigned char*>(std::malloc(size_t{width} * 4));
    sums = static_cast<uint64_t*>(std::calloc(size_t{outWidth} * 4, sizeof(uint64_t)));
    columns = static_cast<uint32_t*>(std::calloc(outWidth, sizeof(uint32_t)));
    if (!row || !sums || !columns)
        png_error(png, "out of memory");
    image.pixels.resize(size_t{outWidth} * outHeight * 4);
    unsigned char* pixels = image.pixels.data();
    for (uint32_t x = 0; x < width; ++x)
        ++columns[size_t{x} * outWidth / width];
    uint64_t rowsInBox = 0;
    for (uint32_t y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < 4; ++c)
                sums[size_t{x} * outWidth / width * 4 + c] += row[size_t{x} * 4 + c];
        ++rowsInBox;
        const uint32_t outY = static_cast<uint32_t>(uint64_t{y} * outHeight / height);
        if (y + 1 < height && static_cast<uint32_t>(uint64_t{y + 1} * outHeight / height) == outY)
            continue;
        for (uint32_t x = 0; x < outWidth; ++x)
            for (uint32_t c = 0; c < 4; ++c)
                pixels[(size_t{outY} * outWidth + x) * 4 + c] =
                    static_cast<unsigned char>(sums[size_t{x} * 4 + c] / (uint64_t{columns[x]} * rowsInBox));
        std::memset(sums, 0, size_t{outWidth} * 4 * sizeof(uint64_t));
        rowsInBox = 0;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(row);
    std::free(sums);
    std::free(columns);
    image.width = static_cast<int>(outWidth);
    image.height = static_cast<int>(outHeight);
    image.channels = 4;
    return nullptr;
}

// An interlaced PNG, whole, as RGBA (its size already checked against kMaxPicturePixels).
const char* DecodePngWhole(const std::vector<uint8_t>& bytes, RasterImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return kDamaged;
    if (uint64_t{png.width} * png.height > uint64_t{kMaxPicturePixels}) {
        png_image_free(&png);
        return "is too large to convert";
    }
    png.format = PNG_FORMAT_RGBA;
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        image = RasterImage{};
        return kDamaged;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.channels = 4;
    return nullptr;
}

// GIF and BMP, which no other library here reads, as RGBA; their size is checked before.
const char* DecodeWithStb(const std::vector<uint8_t>& bytes, RasterImage& image) {
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4),
        stbi_image_free);
    if (!pixels || width <= 0 || height <= 0)
        return kDamaged;
    image.width = width;
    image.height = height;
    image.channels = 4;
    image.pixels.assign(pixels.get(), pixels.get() + size_t{static_cast<size_t>(width)} * height * 4);
    return nullptr;
}

} // namespace

PictureKind SniffPictureKind(std::span<const uint8_t> bytes) {
    if (Starts(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return PictureKind::Png;
    if (Starts(bytes, {0xFF, 0xD8, 0xFF}))
        return PictureKind::Jpeg;
    if (Starts(bytes, {'G', 'I', 'F', '8'}))
        return PictureKind::Gif;
    if (Starts(bytes, {'B', 'M'}))
        return PictureKind::Bmp;
    if (Starts(bytes, {0x01, 0x00, 0x00, 0x00}) && Starts(bytes, {' ', 'E', 'M', 'F'}, 40))
        return PictureKind::Emf;
    if (Starts(bytes, {0xD7, 0xCD, 0xC6, 0x9A}) || Starts(bytes, {0x01, 0x00, 0x09, 0x00}) ||
        Starts(bytes, {0x02, 0x00, 0x09, 0x00}))
        return PictureKind::Wmf;
    return PictureKind::Other;
}

bool ReadPictureSize(const std::vector<uint8_t>& bytes, PictureKind kind, int64_t& width, int64_t& height) {
    width = height = 0;
    switch (kind) {
    case PictureKind::Png:
        if (bytes.size() < 24 || std::memcmp(&bytes[12], "IHDR", 4) != 0)
            return false;
        width = BigEndian(&bytes[16]);
        height = BigEndian(&bytes[20]);
        break;
    case PictureKind::Jpeg:
        if (!JpegSize(bytes, width, height))
            return false;
        break;
    case PictureKind::Gif:
    case PictureKind::Bmp: {
        int w = 0, h = 0, channels = 0;
        if (bytes.size() > static_cast<size_t>(INT_MAX) ||
            !stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels))
            return false;
        width = w;
        height = h;
        break;
    }
    default:
        return false;
    }
    return width > 0 && height > 0;
}

std::string PictureSizeProblem(int64_t width, int64_t height, PictureKind kind) {
    const bool readSmaller = kind == PictureKind::Jpeg || kind == PictureKind::Png;
    const int64_t limit = readSmaller ? kMaxScaledPicturePixels : kMaxPicturePixels;
    if (width <= 0 || height <= 0)
        return kDamaged;
    if (width * 4 > kMaxPictureRowBytes || height > kMaxPictureSide || width * height > limit)
        return "is too large to convert (" + SizeText(width, height) + ")";
    return {};
}

std::string DecodePicture(const std::vector<uint8_t>& bytes, PictureKind kind, int width, int height,
                          RasterImage& image) {
    image = RasterImage{};
    int64_t sourceWidth = 0, sourceHeight = 0;
    if (!ReadPictureSize(bytes, kind, sourceWidth, sourceHeight))
        return "is damaged or in a format that cannot be read";
    if (std::string problem = PictureSizeProblem(sourceWidth, sourceHeight, kind); !problem.empty())
        return problem;
    width = static_cast<int>(std::clamp<int64_t>(width, 1, sourceWidth));
    height = static_cast<int>(std::clamp<int64_t>(height, 1, sourceHeight));
    const bool whole = sourceWidth * sourceHeight <= kMaxPicturePixels;
    const std::string tooLarge = "is too large to convert (" + SizeText(sourceWidth, sourceHeight) + ")";
    const char* problem = nullptr;
    switch (kind) {
    case PictureKind::Jpeg:
        problem = DecodeJpeg(bytes, width, height, image);
        break;
    case PictureKind::Png: {
        bool interlaced = false;
        problem =
            DecodePngByRows(bytes, static_cast<uint32_t>(width), static_cast<uint32_t>(height), image, interlaced);
        if (interlaced)
            problem = whole ? DecodePngWhole(bytes, image) : "is too large to convert";
        break;
    }
    case PictureKind::Gif:
    case PictureKind::Bmp:
        problem = whole ? DecodeWithStb(bytes, image) : "is too large to convert";
        break;
    default:
        problem = "is in a format that cannot be read";
        break;
    }
    if (problem)
        return std::strcmp(problem, "is too large to convert") == 0 ? tooLarge : std::string(problem);
    ShrinkPicture(image, width, height);
    return {};
}

void ShrinkPicture(RasterImage& image, int width, int height) {
    width = std::clamp(width, 1, std::max(image.width, 1));
    height = std::clamp(height, 1, std::max(image.height, 1));
    if (image.pixels.empty() || (width == image.width && height == image.height))
        return;
    const int channels = image.channels;
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(int64_t{y} * image.height / height);
        const int y1 = std::max(y0 + 1, static_cast<int>(int64_t{y + 1} * image.height / height));
        for (int x = 0; x < width; ++x) {
            const int x0 = static_cast<int>(int64_t{x} * image.width / width);
            const int x1 = std::max(x0 + 1, static_cast<int>(int64_t{x + 1} * image.width / width));
            for (int c = 0; c < channels; ++c) {
                uint64_t sum = 0;
                for (int sy = y0; sy < y1; ++sy)
                    for (int sx = x0; sx < x1; ++sx)
                        sum += image.pixels[(static_cast<size_t>(sy) * image.width + sx) * channels + c];
                out[(static_cast<size_t>(y) * width + x) * channels + c] =
                    static_cast<uint8_t>(sum / (static_cast<uint64_t>(y1 - y0) * (x1 - x0)));
            }
        }
    }
    image.pixels = std::move(out);
    image.width = width;
    image.height = height;
}

std::vector<uint8_t> EncodePng(const RasterImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<uint32_t>(image.width);
    png.height = static_cast<uint32_t>(image.height);
    png.format = image.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (image.pixels.empty() || !png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr))
        return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.pixels.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

// Plain C below the setjmp: the output buffer is libjpeg's until it is copied out.
std::vector<uint8_t> EncodeJpeg(const RasterImage& image, int quality) {
    std::vector<uint8_t> out;
    if (image.pixels.empty() || (image.channels != 3 && image.channels != 4))
        return out;
    jpeg_compress_struct info;
    JpegErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.output_message = [](j_common_ptr) {};
    unsigned char* target = nullptr; // libjpeg's buffer, set through its address
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(target);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &target, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = image.channels;
    info.in_color_space = image.channels == 4 ? JCS_EXT_RGBX : JCS_RGB; // a photograph's alpha is opaque
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(image.width) * image.channels;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(image.pixels.data()) + stride * info.next_scanline;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(target, target + size);
    std::free(target);
    return out;
}
