#pragma once
// One conversion from the command line: the same converter as the desktop program, in a folder of its own.

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

int RunConversion(const CliOptions& options, ProgressReporter& reporter);
