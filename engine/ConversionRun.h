#pragma once
// One conversion run, the same for both front ends: the request checked before any work, a private working
// folder, the options as they were at the start, the converter, the check that a new help file came out, and the
// old help file replaced only by that complete new one. Web help, when asked for, is made in a folder of the run
// beside the one the user named and takes its place only when complete.

#include "engine/HelpIds.h"
#include "engine/PageOptions.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ConversionRequest {
    std::string sourcePath;    // UTF-8
    std::string outputPath;    // UTF-8
    std::string title;         // UTF-8, as typed; it goes into the help file unchanged
    std::string keepFolder;    // UTF-8; empty: a private folder, removed at the end
    std::string webFolder;     // UTF-8; new or empty, filled with the web help; empty: no web help
    bool writeHelpFile = true; // false: only the web help, and outputPath may be empty
    PageOptions options;       // taken when the run was asked for
    HelpIdSettings helpIds;    // narrow paths of the application's header to read and to write; empty: none
    // Called as each page is saved (page from 0, page count, heading in UTF-8) and as the compiler takes in each
    // file (UTF-8); both optional.
    std::function<void(int32_t page, int32_t pageCount, const std::string& heading)> pageObserver;
    std::function<void(const std::string& file)> compileObserver;
    // Asked after every page and before the help file is made; true ends the run as a failed one ends, with
    // nothing left behind and the old help file untouched. Optional.
    std::function<bool()> stopRequested;
};

enum class RunStatus {
    Done,
    BadRequest,         // refused before any work; nothing was touched
    UnreadableDocument, // the source could not be opened
    WordNotStarted,
    ConversionFailed, // an error after the source was open
    NoHeadings,
    NothingCompiled, // the compiler made no help file; the old one, if any, is untouched
    Stopped,         // the front end asked the run to stop; nothing was made
};

struct ConversionResult {
    RunStatus status = RunStatus::Done;
    std::string message;                       // UTF-8: why the run did not end with a help file
    bool automationFault = false;              // the message is an automation status's text rather than Word's report
    uint32_t automationStatus = 0;             // then its HRESULT
    std::vector<std::string> warnings;         // UTF-8, one per thing the converter skipped or could not do
    std::vector<std::string> compilerMessages; // UTF-8, the compiler's warnings and errors
    size_t topics = 0;
    size_t pages = 0;
    size_t pictures = 0;
    size_t indexEntries = 0; // the document's own index entries that made keywords
    uintmax_t outputBytes = 0;
    std::string keptFolder; // UTF-8, when the request asked to keep the pages
    std::string webFolder;  // UTF-8, when the request asked for web help
};

// Runs on the calling thread, which it initialises for automation.
ConversionResult RunConversion(const ConversionRequest& request);

// A path (UTF-8) as the front ends show and propose it: "/a/b.c.docx" -> "/a/", "b.c", "docx".
struct PathParts {
    std::string folder; // with its trailing separator, as the path gave it
    std::string base;
    std::string extension; // without the point
};
PathParts SplitPath(const std::string& path);

// The defaults proposed for a source (UTF-8): the help file beside it with the extension ".chm", and as title the
// file name without its last extension.
std::string OutputPathForSource(const std::string& sourcePath);
std::string TitleForSource(const std::string& sourcePath);
