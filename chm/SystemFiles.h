#pragma once
// #SYSTEM (project options as tagged records), #WINDOWS (window definitions) and #IDXHDR (index header).
#include <cstdint>
#include <string>
#include <vector>

#include "ByteBuffer.h"
#include "HelpProject.h"
#include "StringTable.h"

struct SystemInfo {
    std::string contentsFile; // internal names without "/", code page
    std::string indexFile;
    std::string defaultTopic;
    std::string title;
    std::string defaultWindow;
    std::string compiledStem; // lower-case stem of the output name
    std::string defaultFont;
    uint32_t lcid = 0x409;
    bool fullTextSearch = false;
    bool hasKeywordIndex = false;
    uint32_t timestamp = 0;
    uint32_t contentsEntryCount = 0;
};

Bytes BuildIndexHeader(const SystemInfo& info, StringTable& strings);
Bytes BuildSystemFile(const SystemInfo& info, const Bytes& indexHeader);
Bytes BuildWindowsFile(const std::vector<WindowDefinition>& windows, StringTable& strings);
