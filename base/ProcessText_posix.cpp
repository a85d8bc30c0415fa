#include "ProcessText.h"

// Narrow callers speak GB18030, the superset of code page 936, as the Chinese systems the program serves do.
std::uint32_t CallerCodePage() {
    return 936;
}

// The terminal and the file names are UTF-8 already.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void PrintLine(std::FILE* stream, const std::string& utf8) {
    std::fprintf(stream, "%s\n", utf8.c_str());
}
