#pragma once
// Compiles one project: reads the project, its files and sitemaps, builds the internal files and the container,
// and writes the result through a temporary file in the output folder that is renamed into place only on
// success. Nothing else is written, apart from an error log the project asks for.
#include <functional>
#include <string>

#include "LzxCompressor.h"

struct CompileCallbacks {
    std::function<void(const std::string&)> message;  // errors and warnings, UTF-8
    std::function<void(const std::string&)> progress; // files as they are added
};

class PagesAhead;

struct CompileOptions {
    LzxSettings lzx;
    // Pages compressed while they were made, taken over when the project stores them first, byte for byte; otherwise
    // the project is compiled as if they had not been given.
    PagesAhead* pagesAhead = nullptr;
};

// projectPath is a UTF-8 file name.
bool CompileHelpProject(const std::string& projectPath, const CompileCallbacks& callbacks,
                        const CompileOptions& options = {});
