#include "PictureExport.h"

#include "docserver/html/MetafileConverter.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <png.h>

namespace {

bool Starts(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> magic, size_t offset = 0) {
    if (bytes.size() < offset + magic.size())
        return false;
    size_t i = offset;
    for (uint8_t byte : magic)
        if (bytes[i++] != byte)
            return false;
    return true;
}

struct DecodedImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels{nullptr, stbi_image_free};
};

std::string KindName(PictureKind kind) {
    switch (kind) {
    case PictureKind::Png:
        return "PNG";
    case PictureKind::Jpeg:
        return "JPEG";
    case PictureKind::Gif:
        return "GIF";
    case PictureKind::Bmp:
        return "BMP";
    case PictureKind::Emf:
        return "EMF";
    case PictureKind::Wmf:
        return "WMF";
    case PictureKind::Other:
        break;
    }
    return "unknown";
}

struct JpegErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorExit*>(info->err)->jump, 1);
}

// Decodes a JPEG at 1/denominator of its size: the decoder scales while it decodes, so only the smaller picture is
// ever in memory. Plain C below the setjmp: nothing with a destructor lives in this frame.
bool DecodeJpegScaled(const std::vector<uint8_t>& bytes, unsigned denominator, DecodedImage& image) {
    jpeg_decompress_struct info;
    JpegErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.output_message = [](j_common_ptr) {};
    unsigned char* volatile pixels = nullptr; // set after setjmp: volatile so a long jump sees it
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(pixels);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = denominator;
    info.out_color_space = JCS_RGB; // grey and CMYK pictures too
    jpeg_start_decompress(&info);
    const size_t stride = static_cast<size_t>(info.output_width) * info.output_components;
    pixels = static_cast<unsigned char*>(std::malloc(stride * info.output_height));
    if (!pixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.channels = info.output_components;
    jpeg_destroy_decompress(&info);
    image.pixels.reset(static_cast<stbi_uc*>(pixels)); // stb frees with free()
    return true;
}

// One side of a picture whose longest side is brought to kPagePicturePixels.
uint32_t PageSide(uint64_t side, uint64_t longest) {
    return std::max<uint32_t>(1, static_cast<uint32_t>(side * kPagePicturePixels / longest));
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

// Decodes a PNG too large to hold whole one row at a time, averaging boxes of rows into a picture whose longest
// side is kPagePicturePixels, so only one source row and the smaller picture are ever in memory. Interlaced
// pictures, which cannot be read a row at a time, are refused. Plain C below the setjmp: nothing with a destructor
// lives in this frame.
bool DecodePngToPageSize(const std::vector<uint8_t>& bytes, DecodedImage& image) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, [](png_structp, const char*) {});
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    unsigned char* volatile row = nullptr; // set after setjmp: volatile so a long jump sees them
    uint64_t* volatile sums = nullptr;
    uint32_t* volatile columns = nullptr; // source columns per picture column
    unsigned char* volatile pixels = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(row);
        std::free(sums);
        std::free(columns);
        std::free(pixels);
        return false;
    }
    PngSource source{&bytes, 0};
    png_set_read_fn(png, &source, ReadPngBytes);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        png_error(png, "interlaced");
    // Every kind as 8-bit RGBA: palettes and low bit depths expanded, grey widened, 16 bits cut, opaque filled in.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const uint32_t width = png_get_image_width(png, info);
    const uint32_t height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4)
        png_error(png, "unexpected row size");
    const uint32_t longest = std::max(width, height);
    const uint32_t outWidth = PageSide(width, longest);
    const uint32_t outHeight = PageSide(height, longest);
    row = static_cast<unsigned char*>(std::malloc(size_t{width} * 4));
    sums = static_cast<uint64_t*>(std::calloc(size_t{outWidth} * 4, sizeof(uint64_t)));
    columns = static_cast<uint32_t*>(std::calloc(outWidth, sizeof(uint32_t)));
    pixels = static_cast<unsigned char*>(std::malloc(size_t{outWidth} * outHeight * 4));
    if (!row || !sums || !columns || !pixels)
        png_error(png, "out of memory");
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
    image.pixels.reset(static_cast<stbi_uc*>(pixels)); // stb frees with free()
    return true;
}

// Averages boxes of pixels so the longest side is at most kPagePicturePixels.
void ShrinkToPageSize(DecodedImage& image) {
    const int longest = std::max(image.width, image.height);
    if (longest <= kPagePicturePixels)
        return;
    const int width = static_cast<int>(PageSide(static_cast<uint64_t>(image.width), static_cast<uint64_t>(longest)));
    const int height = static_cast<int>(PageSide(static_cast<uint64_t>(image.height), static_cast<uint64_t>(longest)));
    const int channels = image.channels;
    auto* out = static_cast<stbi_uc*>(std::malloc(static_cast<size_t>(width) * height * channels));
    if (!out)
        return;
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
                        sum += image.pixels.get()[(static_cast<size_t>(sy) * image.width + sx) * channels + c];
                out[(static_cast<size_t>(y) * width + x) * channels + c] =
                    static_cast<stbi_uc>(sum / (static_cast<uint64_t>(y1 - y0) * (x1 - x0)));
            }
        }
    }
    image.pixels.reset(out);
    image.width = width;
    image.height = height;
}

// Decodes after checking the size the header announces, so a picture claiming huge dimensions costs nothing. A JPEG
// too large to decode whole (a phone photo) is decoded smaller instead; scaled says so.
std::string Decode(const std::vector<uint8_t>& bytes, PictureKind kind, DecodedImage& image, bool& scaled) {
    if (bytes.size() > static_cast<size_t>(INT32_MAX))
        return "is too large to convert";
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels))
        return "is damaged or in a format that cannot be read";
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (static_cast<int64_t>(width) * height > kMaxPicturePixels) {
        if (kind != PictureKind::Jpeg)
            return "is too large to convert (" + size + ")";
        // The smallest reduction that brings the picture to page size, or the largest there is.
        unsigned denominator = 2;
        while (denominator < 8 && std::max(width, height) / static_cast<int>(denominator) > kPagePicturePixels)
            denominator *= 2;
        const int64_t reduced = int64_t{(width + static_cast<int>(denominator) - 1) / static_cast<int>(denominator)} *
                                ((height + static_cast<int>(denominator) - 1) / static_cast<int>(denominator));
        if (reduced > kMaxPicturePixels)
            return "is too large to convert (" + size + ")";
        if (!DecodeJpegScaled(bytes, denominator, image))
            return "is damaged and cannot be read";
        ShrinkToPageSize(image);
        scaled = true;
        return {};
    }
    image.pixels.reset(stbi_load_from_memory(bytes.data(), length, &image.width, &image.height, &image.channels, 0));
    if (!image.pixels)
        return "is damaged and cannot be read";
    return {};
}

uint32_t BigEndian(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

bool ValidPngFormat(uint8_t bitDepth, uint8_t colourType) {
    switch (colourType) {
    case 0: // grey
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3: // palette
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2: // RGB
    case 4: // grey and alpha
    case 6: // RGBA
        return bitDepth == 8 || bitDepth == 16;
    default:
        return false;
    }
}

// A PNG that is copied unchanged needs no pixels, only proof that it is whole: every chunk's checksum, a sound
// header first, image data, and the end chunk. Decoding a screenshot in full costs several times this.
std::string CheckPng(const std::vector<uint8_t>& bytes, int& width, int& height) {
    const std::string damaged = "is damaged and cannot be read";
    size_t at = 8; // past the signature
    bool sawHeader = false, sawPalette = false, sawData = false;
    uint8_t colourType = 0;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = BigEndian(&bytes[at]);
        if (length > 0x7FFFFFFFu || bytes.size() - at - 12 < length)
            return damaged;
        const uint8_t* type = &bytes[at + 4];
        const uint8_t* data = type + 4;
        const uLong crc = crc32(crc32(0, nullptr, 0), type, length + 4);
        if (crc != BigEndian(data + length))
            return damaged;
        const std::string name(type, type + 4);
        if (!sawHeader) {
            if (name != "IHDR" || length != 13)
                return damaged;
            const uint32_t w = BigEndian(data), h = BigEndian(data + 4);
            if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu || !ValidPngFormat(data[8], data[9]) ||
                data[10] != 0 || data[11] != 0 || data[12] > 1)
                return damaged;
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            colourType = data[9];
            sawHeader = true;
        } else if (name == "PLTE") {
            sawPalette = true;
        } else if (name == "IDAT") {
            if (colourType == 3 && !sawPalette)
                return damaged;
            sawData = true;
        } else if (name == "IEND") {
            return sawData ? std::string() : damaged;
        }
        at += 12 + length;
    }
    return damaged; // cut short before its end chunk
}

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

std::vector<uint8_t> EncodePng(const DecodedImage& image) {
    std::vector<uint8_t> png;
    stbi_write_png_to_func(AppendBytes, &png, image.width, image.height, image.channels, image.pixels.get(),
                           image.width * image.channels);
    return png;
}

std::vector<uint8_t> EncodeJpeg(const DecodedImage& image) {
    std::vector<uint8_t> jpeg;
    stbi_write_jpg_to_func(AppendBytes, &jpeg, image.width, image.height, image.channels, image.pixels.get(), 90);
    return jpeg;
}

ExportedPicture FromRaster(const std::vector<uint8_t>& bytes, PictureKind kind, bool allowPng) {
    ExportedPicture result;
    if (kind == PictureKind::Png) {
        if (const std::string problem = CheckPng(bytes, result.width, result.height); !problem.empty()) {
            result.warning = "a PNG picture " + problem;
            return result;
        }
        const int64_t pixels = int64_t{result.width} * result.height;
        if (pixels > kMaxPicturePixels) {
            const std::string size = std::to_string(result.width) + " x " + std::to_string(result.height);
            DecodedImage image;
            if (pixels > kMaxScaledPicturePixels || !DecodePngToPageSize(bytes, image)) {
                result.warning = "a PNG picture is too large to convert (" + size + " pixels)";
                return result;
            }
            result.width = image.width;
            result.height = image.height;
            result.bytes = EncodePng(image);
            result.extension = "png";
            result.ok = !result.bytes.empty();
            result.warning = result.ok
                                 ? "a PNG picture too large to show whole (" + size + " pixels) is shown at " +
                                       std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels"
                                 : "a PNG picture could not be written after scaling";
            return result;
        }
        result.bytes = bytes;
        result.extension = "png";
        result.ok = true;
        return result;
    }
    DecodedImage image;
    bool scaled = false;
    if (const std::string problem = Decode(bytes, kind, image, scaled); !problem.empty()) {
        result.warning = "a " + KindName(kind) + " picture " + problem;
        return result;
    }
    result.width = image.width;
    result.height = image.height;
    if (scaled) {
        result.bytes = allowPng ? EncodePng(image) : EncodeJpeg(image);
        result.extension = allowPng ? "png" : "jpg";
        result.ok = !result.bytes.empty();
        result.warning = "a " + KindName(kind) + " picture too large to show whole is shown at " +
                         std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels";
        if (!result.ok)
            result.warning = "a " + KindName(kind) + " picture could not be written after scaling";
        return result;
    }
    const bool keepBytes = !allowPng && (kind == PictureKind::Jpeg || kind == PictureKind::Gif);
    if (keepBytes) {
        result.bytes = bytes;
        result.extension = kind == PictureKind::Jpeg ? "jpg" : "gif";
    } else {
        result.bytes = EncodePng(image);
        result.extension = "png";
    }
    result.ok = !result.bytes.empty();
    if (!result.ok)
        result.warning = "a " + KindName(kind) + " picture could not be written as PNG";
    return result;
}

} // namespace

PictureKind SniffPictureKind(const std::vector<uint8_t>& bytes) {
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

std::vector<MetafileInput> MetafilesOf(const Document& document) {
    std::vector<MetafileInput> metafiles;
    for (const Story& story : document.stories)
        for (const PictureSpan& picture : story.pictures)
            if (const PictureKind kind = SniffPictureKind(picture.bytes);
                kind == PictureKind::Emf || kind == PictureKind::Wmf)
                metafiles.push_back(MetafileInput{&picture.bytes, kind == PictureKind::Emf});
    return metafiles;
}

ExportedPicture ExportPicture(const PictureSpan& picture, bool allowPng, const MetafileCache* metafiles) {
    const PictureKind kind = SniffPictureKind(picture.bytes);
    if (picture.bytes.empty()) {
        ExportedPicture missing;
        missing.warning = "a picture has no data in the document" +
                          (picture.part.empty() ? std::string() : " (/" + picture.part + ")");
        return missing;
    }
    if (kind == PictureKind::Emf || kind == PictureKind::Wmf) {
        ExportedPicture result;
        const MetafileConversion* cached = metafiles ? metafiles->Find(picture.bytes) : nullptr;
        const MetafileConversion converted =
            cached ? *cached : ConvertMetafileToPng(picture.bytes, kind == PictureKind::Emf);
        if (!converted.status.ok()) {
            result.warning = "a " + KindName(kind) + " picture (/" + picture.part +
                             ") is shown as a gap: " + converted.status.message;
            return result;
        }
        // The converter's output is checked like any other picture before the page links to it.
        result = FromRaster(converted.png, PictureKind::Png, true);
        if (!result.ok)
            result.warning = "a " + KindName(kind) + " picture (/" + picture.part + ") was converted to a damaged PNG";
        return result;
    }
    ExportedPicture result = FromRaster(picture.bytes, kind, allowPng);
    if (!result.warning.empty() && !picture.part.empty())
        result.warning += " (/" + picture.part + ")";
    return result;
}
