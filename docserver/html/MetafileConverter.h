#pragma once
// Windows metafiles (EMF, WMF) to PNG with a converter found on the machine at run time: wmf2gd (libwmf) for WMF,
// LibreOffice for both. Each runs in a private temporary folder, removed afterwards, with a time limit. LibreOffice
// draws a metafile on a whole page, so its picture is cut to what the metafile draws.

#include "base/Status.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct MetafileConversion {
    Status status; // Unavailable: no converter is installed
    std::vector<uint8_t> png;
};

MetafileConversion ConvertMetafileToPng(const std::vector<uint8_t>& bytes, bool enhanced);

struct MetafileInput {
    std::shared_ptr<const std::vector<uint8_t>> bytes; // shared with the picture's read, which may be held nowhere else
    bool enhanced = false;                             // EMF, else WMF
    int width = 0; // pixels to draw it in (keeping its shape), 0 for the converter's own size
    int height = 0;
};

// Whether a converter's picture shows nothing: every pixel alike (all page, or all transparent). A damaged metafile
// comes out so, without any complaint from the converter.
bool DrawsNothing(const std::vector<uint8_t>& png);

// Converts many metafiles with one LibreOffice start at most; one result per input, in order.
std::vector<MetafileConversion> ConvertMetafilesToPng(const std::vector<MetafileInput>& metafiles);

// Conversions kept by the metafile's bytes, so the pages cut from one document share one converter run.
class MetafileCache {
public:
    // Converts, in one run, those of the metafiles not converted yet.
    void Prepare(const std::vector<MetafileInput>& metafiles);
    // The conversion of these bytes, or nullptr when they were never prepared.
    const MetafileConversion* Find(const std::vector<uint8_t>& bytes) const;

private:
    std::map<std::vector<uint8_t>, MetafileConversion> done_;
};
