#pragma once
// Windows metafiles (EMF, WMF) to PNG with a converter found on the machine at run time: wmf2gd (libwmf) for WMF,
// LibreOffice for both. Each runs in a private temporary folder, removed afterwards, with a time limit.

#include <cstdint>
#include <string>
#include <vector>

struct MetafileConversion {
    bool ok = false;
    std::vector<uint8_t> png;
    std::string message; // which converters were tried, or that none is installed
};

MetafileConversion ConvertMetafileToPng(const std::vector<uint8_t>& bytes, bool enhanced);
