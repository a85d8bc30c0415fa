#pragma once
// Word 97-2003 (.doc) files are converted to .docx by LibreOffice, when it is installed, into a private temporary
// folder that is removed afterwards; the source file is only read.

#include <filesystem>
#include <string>

struct LegacyConversionResult {
    bool ok = false;
    std::string docxBytes;
    std::string message;
};

bool IsLegacyWordFile(const std::string& firstBytes);
LegacyConversionResult ConvertLegacyDocument(const std::filesystem::path& source);
