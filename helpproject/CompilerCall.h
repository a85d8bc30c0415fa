#pragma once

#include <functional>
#include <string>
#include <vector>

// Compiles the project at projectPath with the help compiler library, loaded for this one call. Returns the
// compiler's warnings and errors, or why it could not be called; progress, when given, hears of each file it takes
// in (narrow).
std::vector<std::string> RunHelpCompiler(const std::string& projectPath,
                                         const std::function<void(const std::string& file)>& progress = {});
