// leafbind-cli: converts one Word document into one compiled help file from a terminal or a script.

#include "BatchRun.h"
#include "CommandLine.h"
#include "ProgressReporter.h"

#include "base/MessageCatalogue.h"
#include "base/ProcessText.h"
#include "docserver/DocumentServer.h"
#include "engine/WorkFolder.h"

#include <cstdio>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    const ParsedCommandLine parsed =
        ParseCommandLine(std::vector<std::string>(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end()));
    switch (parsed.action) {
    case ParsedCommandLine::Action::Help:
        PrintText(stdout, UsageText(CurrentUserLanguage()));
        return kExitSuccess;
    case ParsedCommandLine::Action::Version:
        PrintLine(stdout, std::string("leafbind-cli ") + LEAFBIND_VERSION);
        return kExitSuccess;
    case ParsedCommandLine::Action::Error:
        PrintText(stderr, "leafbind-cli: " + ForUser(parsed.error) + "\n\n" + UsageText(CurrentUserLanguage()));
        return kExitUsage;
    case ParsedCommandLine::Action::Convert:
        break;
    }
    // An interrupted run takes its working folder and any unfinished help file with it.
    RemoveWorkFoldersOnSignals();
    RegisterDocumentServer();
    ProgressReporter reporter(stderr, parsed.options.quiet, IsTerminal(stderr));
    return RunBatchConversion(parsed.options, reporter);
}
