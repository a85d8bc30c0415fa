#pragma once

#include "helpproject/GeneratedFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Context help: the name an application's number goes by, the number, and where the viewer opens it
// ("3.html#IDH_PRINT").
struct ContextTopic {
    std::string name;
    std::uint32_t number = 0;
    std::string target;
};

// The [ALIAS] and [MAP] sections of the project file; no lines when there is no topic.
LineList ContextHelpSections(const std::vector<ContextTopic>& topics);

// Appends the bare names of the files (not folders) that pattern matches; pattern is a folder followed by "/*.*".
// Nothing is appended when the folder does not exist. Names come in the order the file system gives them.
void ListFilesInFolder(const std::string& pattern, LineList& names);
