#pragma once
// Word 97-2003 (.doc) files are converted to .docx by LibreOffice, when it is installed, into a private temporary
// folder that is removed afterwards; the source file is only read.

#include "base/Status.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

struct LegacyConversionResult {
    Status status; // Unavailable when LibreOffice is not installed or did not finish in time
    std::string docxBytes;
};

bool IsLegacyWordFile(const std::string& firstBytes);
// LibreOffice gets timeLimit, by default a time that grows with the file's size; when it runs out, LibreOffice
// and everything it started are stopped, and the message says so. A password-protected file is named as such.
LegacyConversionResult ConvertLegacyDocument(const std::filesystem::path& source,
                                             std::optional<std::chrono::seconds> timeLimit = std::nullopt);
