#pragma once
// The project file (.hhp): options, window definitions, the list of files to compile and the context-help map. Text
// stays in the project's code page; [FILES] paths have "\" mapped to "/".
#include "base/Status.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kMaxProjectLineLength = 4096;

struct WindowDefinition {
    std::string name;
    std::string caption;
    std::string contentsFile;
    std::string indexFile;
    std::string defaultTopic;
    std::string homeTopic;
    std::string jump1Text;
    std::string jump1Url;
    std::string jump2Text;
    std::string jump2Url;
    uint32_t navigationStyle = 0;
    uint32_t navigationWidth = 0;
    uint32_t buttons = 0;
    int32_t rect[4] = {0, 0, 0, 0};
    uint32_t windowStyle = 0;
    uint32_t extendedStyle = 0;
    uint32_t showState = 0;
    uint32_t navigationClosed = 0;
    uint32_t defaultTab = 0;
    uint32_t navigationPosition = 0;
    uint32_t notifyId = 0;
    bool hasNavigationStyle = false;
    bool hasNavigationWidth = false;
    bool hasButtons = false;
    bool hasRect = false;
    bool hasWindowStyle = false;
    bool hasExtendedStyle = false;
    bool hasShowState = false;
};

// Context-sensitive help: [MAP] gives an identifier its number ("#define IDH_PRINT 1001"), [ALIAS] its page
// ("IDH_PRINT=print.htm"). Either section may name a header file with "#include FILE".
struct ContextNumber {
    std::string name;
    uint32_t number = 0;
};

struct ContextAlias {
    std::string name;
    std::string file; // "\" mapped to "/"
};

struct ContextInclude {
    std::string file; // project-relative, "\" mapped to "/"
    bool isMap = false;
};

struct HelpProject {
    std::string compiledFile;
    std::string contentsFile;
    std::string indexFile;
    std::string defaultTopic;
    std::string defaultWindow;
    std::string title;
    std::string defaultFont;
    std::string errorLogFile;
    std::string stopListFile; // words the search index leaves out
    uint32_t lcid = 0x409;
    uint32_t codePage = 1252;
    bool fullTextSearch = false;
    bool binaryToc = false;
    bool binaryIndex = true;
    bool autoIndex = false;
    std::vector<WindowDefinition> windows;
    std::vector<std::string> files; // "\" mapped to "/" (a character, never a trail byte)
    std::vector<ContextNumber> contextNumbers;
    std::vector<ContextAlias> contextAliases;
    std::vector<ContextInclude> contextIncludes;
    std::vector<std::string> warnings;
};

struct ProjectParseResult {
    Status status;
    HelpProject project;
};

ProjectParseResult ParseHelpProject(const std::string& bytes);

// A line of a project or header as a message quotes it: its first 80 bytes, "..." when there is more.
std::string LineExcerpt(const std::string& line);

// The lines of a file named by "#include" in [MAP] (isMap) or [ALIAS], added to the project.
void ParseContextFile(const std::string& bytes, bool isMap, HelpProject& project);

// One [WINDOWS] value: up to 20 comma-separated fields, strings in quotes, the rectangle in brackets.
bool ParseWindowDefinition(const std::string& name, const std::string& value, WindowDefinition& window);
