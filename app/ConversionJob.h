#pragma once
// One conversion as the worker thread runs it, without any window: Word start, conversion, Word shutdown, and
// what the user is to see afterwards. The desktop dialog shows the outcome on its own thread.

#include <string>
#include <vector>

// Narrow strings in the program's code page, copied from the dialog when the generate button was pressed.
struct ConversionRequest {
    std::string sourcePath;
    std::string workFolder;
    std::string title;
    std::string outputPath;
};

struct ConversionOutcome {
    std::vector<std::string> messages; // UTF-8, shown one after the other
    bool openResult = false;           // the help file exists and is to be opened
};

// Initialises COM for the calling thread, builds a ChmConverter, starts Word, converts and tears down. Word's own
// reports and plain automation failures end the run in the same way: their text becomes a message.
ConversionOutcome RunConversion(const ConversionRequest& request);
