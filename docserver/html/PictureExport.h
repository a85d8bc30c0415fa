#pragma once
// A picture of the document as a file the help viewer shows: PNG, JPEG or GIF, decided by the picture's own bytes
// (never by its part name) and by the page's AllowPNG option, at most twice the size it is drawn at. What cannot be
// shown becomes a marked gap.

#include "docserver/html/MetafileConverter.h"
#include "docserver/html/PictureCodec.h"
#include "docserver/model/DocumentModel.h"

#include <cstdint>
#include <string>
#include <vector>

struct ExportedPicture {
    bool ok = false;       // false: no file; the page marks the gap
    std::string extension; // "png", "jpg", "gif"
    std::vector<uint8_t> bytes;
    int width = 0; // pixels of the written image, 0 when unknown
    int height = 0;
    std::string warning; // what went wrong, or what was lost, for the server's warnings
};

// Photographs (JPEG) stay JPEG; with allowPng every other raster picture is written as PNG, without it GIF keeps its
// bytes and the rest becomes PNG. A picture more than twice its drawn size is written at twice that size, so a
// photograph drawn small costs what it shows. Metafiles are converted when a converter is installed, taken from the
// cache when it holds them.
ExportedPicture ExportPicture(const PictureSpan& picture, bool allowPng, const MetafileCache* metafiles = nullptr);

// The metafiles (EMF, WMF) among a document's pictures, every story's, with the size each is drawn at.
std::vector<MetafileInput> MetafilesOf(const Document& document);

// The pixels a picture drawn at this size (EMU, 0 unknown) is kept at: twice the drawn size, never more than the
// picture has, and no larger than kPagePicturePixels on its longest side when the picture is too large to hold whole.
// The picture's own size when shrinking would save little.
void KeptPictureSize(int64_t width, int64_t height, int64_t drawnWidthEmu, int64_t drawnHeightEmu, int& keptWidth,
                     int& keptHeight);
