// leafbind-cli: converts one Word document into one compiled help file from a terminal or a script.

#include "BatchRun.h"
#include "CommandLine.h"
#include "ProgressReporter.h"

#include "base/MessageCatalogue.h"
#include "docserver/DocumentServer.h"
#include "engine/WorkFolder.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.action) {
    case ParsedCommandLine::Action::Help:
        std::fputs(UsageText().c_str(), stdout);
        return kExitSuccess;
    case ParsedCommandLine::Action::Version:
        std::printf("leafbind-cli %s\n", LEAFBIND_VERSION);
        return kExitSuccess;
    case ParsedCommandLine::Action::Error:
        std::fprintf(stderr, "leafbind-cli: %s\n\n%s", ForUser(parsed.error).c_str(), UsageText().c_str());
        return kExitUsage;
    case ParsedCommandLine::Action::Convert:
        break;
    }
    // An interrupted run takes its working folder and any unfinished help file with it.
    RemoveWorkFoldersOnSignals();
    RegisterDocumentServer();
    ProgressReporter reporter(stderr, parsed.options.quiet, ::isatty(STDERR_FILENO) != 0);
    return RunBatchConversion(parsed.options, reporter);
}
