#pragma once
// A picture's pixels: read from JPEG (libjpeg-turbo), PNG (libpng), GIF and BMP (stb_image, kept for these two only),
// made smaller while they are read, and written as PNG (libpng) or JPEG (libjpeg-turbo). Every reader checks the size
// the picture's header announces, by pixels and by bytes per row, before it allocates anything for the pixels.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class PictureKind { Png, Jpeg, Gif, Bmp, Emf, Wmf, Other };

// From the first bytes alone (kPictureHeadBytes are enough).
PictureKind SniffPictureKind(std::span<const uint8_t> bytes);

// Pictures larger than this are never held whole: a JPEG is decoded at a fraction of its size, a PNG a row at a
// time, into a picture at most kPagePicturePixels on its longest side; any other is refused.
constexpr int64_t kMaxPicturePixels = 40'000'000;
constexpr int kPagePicturePixels = 2048;
// Past this even a picture read a row at a time takes too long to be worth it (a hostile file can claim any size).
constexpr int64_t kMaxScaledPicturePixels = 400'000'000;
// Either side of a picture read: one very long row (bytes per row) or column (rows, each read and filtered on its
// own) costs as much as a large picture, whatever the shape.
constexpr int64_t kMaxPictureSide = 131072;
constexpr int64_t kMaxPictureRowBytes = kMaxPictureSide * 4; // as 8-bit RGBA

struct RasterImage {
    int width = 0;
    int height = 0;
    int channels = 0;            // 3 (RGB) or 4 (RGBA)
    std::vector<uint8_t> pixels; // rows from the top, without padding
};

// The size a picture's header announces; false when the header cannot be read (or the kind has no pixels).
bool ReadPictureSize(const std::vector<uint8_t>& bytes, PictureKind kind, int64_t& width, int64_t& height);

// Why a picture of this size and kind is not decoded at all ("is too large to convert (W x H pixels)"), empty when
// it may be: JPEG and PNG, which can be made smaller while they are read, up to kMaxScaledPicturePixels, the rest up
// to kMaxPicturePixels, and none with a side longer than kMaxPictureSide.
std::string PictureSizeProblem(int64_t width, int64_t height, PictureKind kind);

// Decodes a picture into exactly width x height pixels (at most its own size), averaging the pixels each one covers.
// Empty on success, else what is wrong with the picture ("is damaged and cannot be read").
std::string DecodePicture(const std::vector<uint8_t>& bytes, PictureKind kind, int width, int height,
                          RasterImage& image);

// Averages boxes of pixels so the picture is width x height (at most its own size).
void ShrinkPicture(RasterImage& image, int width, int height);

// Empty when the encoder failed.
std::vector<uint8_t> EncodePng(const RasterImage& image);
std::vector<uint8_t> EncodeJpeg(const RasterImage& image, int quality);
