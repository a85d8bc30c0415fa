#include "SystemFiles.h"

namespace {

enum SystemCode : uint16_t {
    kContentsFile = 0,
    kIndexFile = 1,
    kDefaultTopic = 2,
    kTitle = 3,
    kLanguageInfo = 4,
    kDefaultWindow = 5,
    kCompiledFile = 6,
    kGenerator = 9,
    kTimestamp = 10,
    kInfoTypeCount = 12,
    kIndexHeaderCopy = 13,
    kDefaultFont = 16,
};

constexpr uint32_t kWindowEntrySize = 0xC4;
constexpr const char* kGeneratorName = "Leafbind help compiler 1.0";

// Which window fields the project gave.
constexpr uint32_t kValidProperties = 0x2;
constexpr uint32_t kValidStyles = 0x4;
constexpr uint32_t kValidExtendedStyles = 0x8;
constexpr uint32_t kValidRect = 0x10;
constexpr uint32_t kValidNavigationWidth = 0x20;
constexpr uint32_t kValidShowState = 0x40;
constexpr uint32_t kValidToolbarFlags = 0x100;

void PutRecord(ByteBuffer& file, uint16_t code, const Bytes& data) {
    file.PutU16(code);
    file.PutU16(static_cast<uint16_t>(data.size()));
    file.PutBytes(data);
}

void PutTextRecord(ByteBuffer& file, uint16_t code, const std::string& text) {
    ByteBuffer data;
    data.PutTextZ(text);
    PutRecord(file, code, data.Data());
}

bool IsEastAsian(uint32_t lcid) {
    const uint32_t language = lcid & 0x3FF;
    return language == 0x04 || language == 0x11 || language == 0x12;
}

} // namespace

Bytes BuildIndexHeader(const SystemInfo& info, StringTable& strings) {
    ByteBuffer header;
    header.PutText("T#SM");
    header.PutU32(info.timestamp);
    header.PutU32(1);
    header.PutU32(info.contentsEntryCount);
    header.PutU32(0);
    header.PutU32(0); // image list
    header.PutU32(0);
    header.PutU32(0); // image type: not folders
    header.PutU32(0); // background
    header.PutU32(0); // foreground
    header.PutU32(strings.Add(info.defaultFont));
    header.PutU32(0); // window styles
    header.PutU32(0); // extended window styles
    header.PutU32(0);
    header.PutU32(0); // frame name
    header.PutU32(strings.Add(info.defaultWindow));
    header.PutU32(0); // information types
    header.PutU32(0);
    header.PutU32(0); // merged files
    header.PutZeros(4096 - header.Size());
    return header.Take();
}

Bytes BuildSystemFile(const SystemInfo& info, const Bytes& indexHeader) {
    ByteBuffer file;
    file.PutU32(3);
    ByteBuffer timestamp;
    timestamp.PutU32(info.timestamp);
    PutRecord(file, kTimestamp, timestamp.Data());
    PutTextRecord(file, kGenerator, kGeneratorName);
    ByteBuffer language;
    language.PutU32(info.lcid);
    language.PutU32(IsEastAsian(info.lcid) ? 1 : 0);
    language.PutU32(info.fullTextSearch ? 1 : 0);
    language.PutU32(info.hasKeywordIndex ? 1 : 0);
    language.PutU32(0); // no associative links
    language.PutU64(0); // file time
    language.PutU32(0);
    language.PutU32(0);
    PutRecord(file, kLanguageInfo, language.Data());
    PutTextRecord(file, kDefaultTopic, info.defaultTopic);
    PutTextRecord(file, kTitle, info.title);
    if (!info.defaultFont.empty())
        PutTextRecord(file, kDefaultFont, info.defaultFont);
    PutTextRecord(file, kCompiledFile, info.compiledStem);
    if (!info.defaultWindow.empty())
        PutTextRecord(file, kDefaultWindow, info.defaultWindow);
    if (!info.contentsFile.empty())
        PutTextRecord(file, kContentsFile, info.contentsFile);
    if (!info.indexFile.empty())
        PutTextRecord(file, kIndexFile, info.indexFile);
    ByteBuffer zero;
    zero.PutU32(0);
    PutRecord(file, kInfoTypeCount, zero.Data());
    PutRecord(file, kIndexHeaderCopy, indexHeader);
    return file.Take();
}

Bytes BuildWindowsFile(const std::vector<WindowDefinition>& windows, StringTable& strings) {
    ByteBuffer file;
    file.PutU32(static_cast<uint32_t>(windows.size()));
    file.PutU32(kWindowEntrySize);
    for (const WindowDefinition& window : windows) {
        const size_t start = file.Size();
        uint32_t valid = 0;
        valid |= window.hasNavigationStyle ? kValidProperties : 0;
        valid |= window.hasWindowStyle ? kValidStyles : 0;
        valid |= window.hasExtendedStyle ? kValidExtendedStyles : 0;
        valid |= window.hasRect ? kValidRect : 0;
        valid |= window.hasNavigationWidth ? kValidNavigationWidth : 0;
        valid |= window.hasShowState ? kValidShowState : 0;
        valid |= window.hasButtons ? kValidToolbarFlags : 0;
        file.PutU32(kWindowEntrySize);
        file.PutU32(0); // narrow strings
        file.PutU32(strings.Add(window.name));
        file.PutU32(valid);
        file.PutU32(window.navigationStyle);
        file.PutU32(strings.Add(window.caption));
        file.PutU32(window.windowStyle);
        file.PutU32(window.extendedStyle);
        for (int32_t corner : window.rect)
            file.PutU32(static_cast<uint32_t>(corner));
        file.PutU32(window.showState);
        file.PutZeros(6 * 4); // run-time window handles and information types
        file.PutU32(window.navigationWidth);
        file.PutZeros(16); // HTML pane rectangle
        file.PutU32(strings.Add(window.contentsFile));
        file.PutU32(strings.Add(window.indexFile));
        file.PutU32(strings.Add(window.defaultTopic));
        file.PutU32(strings.Add(window.homeTopic));
        file.PutU32(window.buttons);
        file.PutU32(window.navigationClosed);
        file.PutU32(window.defaultTab);
        file.PutU32(window.navigationPosition);
        file.PutU32(window.notifyId);
        file.PutZeros(20); // tab order
        file.PutU32(0);    // history count
        file.PutU32(strings.Add(window.jump1Text));
        file.PutU32(strings.Add(window.jump2Text));
        file.PutU32(strings.Add(window.jump1Url));
        file.PutU32(strings.Add(window.jump2Url));
        file.PutZeros(16); // minimum size
        file.PutU32(0);    // information types
        file.PutU32(0);    // custom tabs
        file.PutZeros(kWindowEntrySize - (file.Size() - start));
    }
    return file.Take();
}
