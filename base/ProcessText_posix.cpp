#include "ProcessText.h"

#include <unistd.h>

// Narrow text is the system's code page, which on Linux is UTF-8.
std::uint32_t CallerCodePage() {
    return 65001;
}

// The terminal and the file names are UTF-8 already.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void PrintLine(std::FILE* stream, const std::string& utf8) {
    std::fprintf(stream, "%s\n", utf8.c_str());
}

void PrintText(std::FILE* stream, const std::string& utf8) {
    std::fputs(utf8.c_str(), stream);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}
