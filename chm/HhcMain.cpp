// leafbind-hhc PROJECT.hhp: compiles any project, messages on stderr, exit status 0 on success.
#include <cstdio>
#include <cstring>

#include "hha.h"

namespace {

// The library speaks its caller's code page, UTF-8 here, as this terminal does.
int PrintMessage(const char* text) {
    std::fprintf(stderr, "%s\n", text);
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
    return HHA_CompileHHP(argv[1], PrintMessage, nullptr, 0) ? 0 : 1;
}
