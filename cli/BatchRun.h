#pragma once
// One conversion from the command line: the engine's run, told on stderr, ended with an exit status.

#include "CommandLine.h"
#include "ProgressReporter.h"

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitConversionFailed = 1,
    kExitUsage = 2,
    kExitUnreadableDocument = 3,
    kExitNoHeadings = 4,
    kExitNothingCompiled = 5,
};

int RunBatchConversion(const CliOptions& options, ProgressReporter& reporter);
