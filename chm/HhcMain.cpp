// leafbind-hhc PROJECT.hhp: compiles any project, messages on stderr, exit status 0 on success.
#include <cstdio>
#include <cstring>

#include <string>

#include "TextCodec.h"
#include "hha.h"

namespace {

// The library speaks GB18030, as its Windows callers do; this terminal speaks UTF-8.
int PrintMessage(const char* text) {
    const std::string narrow = text;
    std::fprintf(stderr, "%s\n", CodePageToUtf8(936, narrow).value_or(narrow).c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("usage: leafbind-hhc PROJECT.hhp\n"
                    "Compiles an HTML Help project into the .chm file it names; messages go to standard error.\n"
                    "Exit status: 0 the help file was written; 1 the compile failed; 2 usage error.\n");
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: leafbind-hhc PROJECT.hhp\n");
        return 2;
    }
    const std::string path = argv[1];
    return HHA_CompileHHP(Utf8ToCodePage(936, path).value_or(path).c_str(), PrintMessage, nullptr, 0) ? 0 : 1;
}
