#pragma once

#include "helpproject/GeneratedFile.h"

// Appends the bare names of the files (not folders) that pattern matches; pattern is a folder followed by "/*.*".
// Nothing is appended when the folder does not exist. Names come in the order the file system gives them.
void ListFilesInFolder(const std::string& pattern, LineList& names);
