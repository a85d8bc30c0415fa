#pragma once

#include <string>
#include <vector>

// Compiles the project at projectPath with the help compiler library, loaded for this one call. Returns what the
// compiler said, or why it could not be called.
std::vector<std::string> RunHelpCompiler(const std::string& projectPath);
