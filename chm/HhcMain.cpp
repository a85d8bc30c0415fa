// leafbind-hhc PROJECT.hhp: compiles any project, messages on stderr, exit status 0 on success.
#include <cstdio>

#include <string>
#include <vector>

#include "TextCodec.h"
#include "base/ProcessText.h"
#include "hha.h"

namespace {

// The library speaks the caller's code page; the terminal gets the program's UTF-8 in its own encoding.
int HHA_CALL PrintMessage(const char* text) {
    const std::string narrow = text;
    PrintLine(stderr, CodePageToUtf8(CallerCodePage(), narrow).value_or(narrow));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    if (arguments.size() == 2 && arguments[1] == "--help") {
        std::printf("usage: leafbind-hhc PROJECT.hhp\n"
                    "Compiles an HTML Help project into the .chm file it names; messages go to standard error.\n"
                    "Exit status: 0 the help file was written; 1 the compile failed; 2 usage error.\n");
        return 0;
    }
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: leafbind-hhc PROJECT.hhp\n");
        return 2;
    }
    const std::string& path = arguments[1];
    return HHA_CompileHHP(Utf8ToCodePage(CallerCodePage(), path).value_or(path).c_str(), PrintMessage, nullptr, 0) ? 0
                                                                                                                   : 1;
}
