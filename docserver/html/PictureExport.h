#pragma once
// A picture of the document as a file the help viewer shows: PNG, JPEG or GIF, decided by the picture's own bytes
// (never by its part name) and by the page's AllowPNG option. What cannot be shown becomes a marked gap.

#include "docserver/html/MetafileConverter.h"
#include "docserver/model/DocumentModel.h"

#include <cstdint>
#include <string>
#include <vector>

enum class PictureKind { Png, Jpeg, Gif, Bmp, Emf, Wmf, Other };

PictureKind SniffPictureKind(const std::vector<uint8_t>& bytes);

// Pictures larger than this are not decoded whole (memory): a JPEG is decoded at a fraction of its size, a PNG a row
// at a time, and either is shown at most kPagePicturePixels on its longest side; any other gets a gap.
constexpr int64_t kMaxPicturePixels = 40'000'000;
constexpr int kPagePicturePixels = 2048;
// Past this even a picture read a row at a time takes too long to be worth it (a hostile file can claim any size).
constexpr int64_t kMaxScaledPicturePixels = 400'000'000;

struct ExportedPicture {
    bool ok = false;       // false: no file; the page marks the gap
    std::string extension; // "png", "jpg", "gif"
    std::vector<uint8_t> bytes;
    int width = 0; // pixels of the written image, 0 when unknown
    int height = 0;
    std::string warning; // what went wrong, or what was lost, for the server's warnings
};

// With allowPng every raster picture is written as PNG; without it JPEG and GIF keep their bytes and the rest becomes
// PNG. Metafiles are converted when a converter is installed, taken from the cache when it holds them.
ExportedPicture ExportPicture(const PictureSpan& picture, bool allowPng, const MetafileCache* metafiles = nullptr);

// The metafiles (EMF, WMF) among a document's pictures, every story's.
std::vector<MetafileInput> MetafilesOf(const Document& document);
