#include "PictureExport.h"

#include "docserver/html/MetafileConverter.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double kEmuPerPixel = 9525; // 96 pixels to the inch
constexpr int kJpegQuality = 85;

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
std::string CheckPng(const std::vector<uint8_t>& bytes) {
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

std::string SizeText(int64_t width, int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

ExportedPicture FromRaster(const std::vector<uint8_t>& bytes, PictureKind kind, bool allowPng, int64_t drawnWidthEmu,
                           int64_t drawnHeightEmu) {
    ExportedPicture result;
    const std::string name = "a " + KindName(kind) + " picture ";
    if (kind == PictureKind::Png)
        if (const std::string problem = CheckPng(bytes); !problem.empty()) {
            result.warning = name + problem;
            return result;
        }
    int64_t width = 0, height = 0;
    if (!ReadPictureSize(bytes, kind, width, height)) {
        result.warning = name + "is damaged or in a format that cannot be read";
        return result;
    }
    if (const std::string problem = PictureSizeProblem(width, height, kind); !problem.empty()) {
        result.warning = name + problem;
        return result;
    }
    int keptWidth = 0, keptHeight = 0;
    KeptPictureSize(width, height, drawnWidthEmu, drawnHeightEmu, keptWidth, keptHeight);
    const bool smaller = keptWidth != width || keptHeight != height;
    // Photographs stay JPEG: as PNG they grow several times over.
    const bool asJpeg = kind == PictureKind::Jpeg;
    const bool keepBytes =
        !smaller && (kind == PictureKind::Png || kind == PictureKind::Jpeg || (kind == PictureKind::Gif && !allowPng));
    RasterImage image;
    // Bytes kept as they are are still read through once (a JPEG at an eighth of its size), so a damaged picture
    // becomes a gap rather than a broken image; a PNG's checksums above have proved it whole already.
    if (kind != PictureKind::Png || !keepBytes) {
        const int decodeWidth = keepBytes ? static_cast<int>((width + 7) / 8) : keptWidth;
        const int decodeHeight = keepBytes ? static_cast<int>((height + 7) / 8) : keptHeight;
        if (const std::string problem = DecodePicture(bytes, kind, decodeWidth, decodeHeight, image);
            !problem.empty()) {
            result.warning = name + problem;
            return result;
        }
    }
    if (keepBytes) {
        result.bytes = bytes;
        result.extension = kind == PictureKind::Png ? "png" : kind == PictureKind::Jpeg ? "jpg" : "gif";
        result.width = static_cast<int>(width);
        result.height = static_cast<int>(height);
        result.ok = true;
        return result;
    }
    result.bytes = asJpeg ? EncodeJpeg(image, kJpegQuality) : EncodePng(image);
    result.extension = asJpeg ? "jpg" : "png";
    result.width = image.width;
    result.height = image.height;
    result.ok = !result.bytes.empty();
    if (!result.ok)
        result.warning = name + "could not be written as " + (asJpeg ? "JPEG" : "PNG");
    else if (width * height > kMaxPicturePixels)
        result.warning = name + "too large to show whole (" + SizeText(width, height) + ") is shown at " +
                         SizeText(image.width, image.height);
    return result;
}

// A metafile drawn at twice its size on the page (capped, as a hostile size could be anything), so it stays sharp
// where the viewer enlarges it.
MetafileInput MetafileOfPicture(const PictureSpan& picture, std::shared_ptr<const std::vector<uint8_t>> bytes,
                                PictureKind kind) {
    auto pixels = [](int64_t emu) {
        return static_cast<int>(std::clamp<int64_t>(std::llround(2 * (emu / kEmuPerPixel)), 0, kPagePicturePixels));
    };
    return MetafileInput{std::move(bytes), kind == PictureKind::Emf, pixels(picture.widthEmu),
                         pixels(picture.heightEmu)};
}

} // namespace

void KeptPictureSize(int64_t width, int64_t height, int64_t drawnWidthEmu, int64_t drawnHeightEmu, int& keptWidth,
                     int& keptHeight) {
    double scale = 1;
    if (drawnWidthEmu > 0 && drawnHeightEmu > 0) {
        // Enough pixels in both directions, should the picture be drawn stretched.
        const double across = 2 * (drawnWidthEmu / kEmuPerPixel) / static_cast<double>(width);
        const double down = 2 * (drawnHeightEmu / kEmuPerPixel) / static_cast<double>(height);
        scale = std::max(across, down);
        if (scale > 0.8) // a few pixels fewer are not worth a second compression
            scale = 1;
    }
    if (width * height > kMaxPicturePixels)
        scale = std::min(scale, kPagePicturePixels / static_cast<double>(std::max(width, height)));
    keptWidth = static_cast<int>(std::clamp<int64_t>(std::llround(static_cast<double>(width) * scale), 1, width));
    keptHeight = static_cast<int>(std::clamp<int64_t>(std::llround(static_cast<double>(height) * scale), 1, height));
}

std::vector<MetafileInput> MetafilesOf(const Document& document) {
    std::vector<MetafileInput> metafiles;
    for (const Story& story : document.stories)
        for (const PictureSpan& picture : story.pictures)
            // Told by the head, so only the metafiles are read; one that no longer reads is left to its page's
            // export, which says so.
            if (const PictureKind kind = SniffPictureKind(picture.bytes.Head());
                kind == PictureKind::Emf || kind == PictureKind::Wmf)
                if (PictureRead read = picture.bytes.Read(); read.status.ok())
                    metafiles.push_back(MetafileOfPicture(picture, std::move(read.bytes), kind));
    return metafiles;
}

ExportedPicture ExportPicture(const PictureSpan& picture, bool allowPng, const MetafileCache* metafiles) {
    if (picture.bytes.empty()) {
        ExportedPicture missing;
        missing.warning = "a picture has no data in the document" +
                          (picture.part.empty() ? std::string() : " (/" + picture.part + ")");
        return missing;
    }
    // Read here, for this use only: the page's file takes what it needs and the bytes go with this call.
    const PictureRead read = picture.bytes.Read();
    if (!read.status.ok()) {
        ExportedPicture unreadable;
        unreadable.warning = "a picture (/" + picture.part +
                             ") is shown as a gap: the source file no longer reads: " + read.status.message;
        return unreadable;
    }
    const std::vector<uint8_t>& bytes = *read.bytes;
    const PictureKind kind = SniffPictureKind(bytes);
    if (kind == PictureKind::Emf || kind == PictureKind::Wmf) {
        ExportedPicture result;
        const MetafileConversion* cached = metafiles ? metafiles->Find(bytes) : nullptr;
        const MetafileConversion converted =
            cached ? *cached : ConvertMetafilesToPng({MetafileOfPicture(picture, read.bytes, kind)}).front();
        if (!converted.status.ok()) {
            result.warning = "a " + KindName(kind) + " picture (/" + picture.part +
                             ") is shown as a gap: " + converted.status.message;
            return result;
        }
        // The converter's output is checked like any other picture before the page links to it.
        result = FromRaster(converted.png, PictureKind::Png, true, picture.widthEmu, picture.heightEmu);
        if (!result.ok)
            result.warning = "a " + KindName(kind) + " picture (/" + picture.part + ") was converted to a damaged PNG";
        else if (DrawsNothing(converted.png))
            // Kept, as a blank drawing may be meant; but a damaged one looks the same, and the user should know.
            result.warning =
                "a " + KindName(kind) + " picture (/" + picture.part + ") drew nothing visible: it may be damaged";
        return result;
    }
    ExportedPicture result = FromRaster(bytes, kind, allowPng, picture.widthEmu, picture.heightEmu);
    if (!result.warning.empty() && !picture.part.empty())
        result.warning += " (/" + picture.part + ")";
    return result;
}
