// leafbind-hhc PROJECT.hhp: compiles any project, messages on stderr, exit status 0 on success.
#include <cstdio>
#include <cstring>

#include "hha.h"

namespace {

int PrintMessage(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: leafbind-hhc PROJECT.hhp\n");
        return 2;
    }
    return HHA_CompileHHP(argv[1], PrintMessage, nullptr, 0) ? 0 : 1;
}
