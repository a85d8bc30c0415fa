#pragma once

#include "book/HelpBook.h"
#include "helpproject/GeneratedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the project file names besides the pages.
struct ProjectSettings {
    std::string title;
    std::string contentsName;
    std::string indexName;
    std::string compiledPath;
    std::vector<BookHelpId> contextTopics; // [ALIAS] and [MAP]; none: no such sections
    HelpLanguage language;                 // the Language and Default font lines; the file is in its code page
};

// The project file: options, the one window, every page and every file in each page's picture folder
// ("N.files"), and the context help. Written as WriteLineList writes, with its result; pictureFiles, when given,
// receives how many files the picture folders hold.
bool WriteProjectFile(const ProjectSettings& settings, const std::vector<std::string>& pageFiles,
                      const std::string& folder, const std::string& path, size_t* pictureFiles = nullptr);

// The [ALIAS] and [MAP] sections of the project file; no lines when there is no topic.
LineList ContextHelpSections(const std::vector<BookHelpId>& topics, uint32_t codePage);

// Appends the bare names of the files (not folders) that pattern matches; pattern is a folder followed by "/*.*".
// Nothing is appended when the folder does not exist. Names come in the order the file system gives them.
void ListFilesInFolder(const std::string& pattern, LineList& names);
