#include "ChmContainer.h"

#include <algorithm>

#include "ChmDirectory.h"
#include "LzxFormat.h"

namespace {

constexpr uint32_t kFileHeaderSize = 0x60;
constexpr uint32_t kHeaderSection0Size = 0x18;
constexpr const char* kTransformGuidText = "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}";
constexpr const char* kStorage = "::DataSpace/Storage/MSCompressed/";

const uint8_t kFileGuids[32] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11, 0x9E, 0x0C, 0x00,
                                0xA0, 0xC9, 0x22, 0xE6, 0xEC, 0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B,
                                0xD0, 0x11, 0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};

void PutUtf16Ascii(ByteBuffer& buffer, std::string_view text) {
    for (char c : text)
        buffer.PutU16(static_cast<uint16_t>(c));
}

Bytes NameList() {
    ByteBuffer list;
    list.PutU16(0x1E); // length of the list in 16-bit words
    list.PutU16(2);
    for (std::string_view name : {std::string_view("Uncompressed"), std::string_view("MSCompressed")}) {
        list.PutU16(static_cast<uint16_t>(name.size()));
        PutUtf16Ascii(list, name);
        list.PutU16(0);
    }
    return list.Take();
}

Bytes ControlData(const LzxSettings& lzx) {
    ByteBuffer control;
    control.PutU32(6);
    control.PutText("LZXC");
    control.PutU32(2);                                         // sizes below in 32 KB units
    control.PutU32(static_cast<uint32_t>(lzx.framesPerReset)); // reset interval
    control.PutU32((1u << lzx.windowBits) / kLzxFrameSize);    // window size
    // Windows per reset, chosen so that readers deriving the interval from the window agree with it.
    control.PutU32(std::max<uint32_t>(1, (1u << lzx.windowBits) / 65536));
    control.PutU32(0);
    return control.Take();
}

Bytes ResetTable(const LzxResult& compressed) {
    ByteBuffer table;
    table.PutU32(2);
    // One entry per frame plus an end marker at the compressed length, which some readers count on.
    table.PutU32(static_cast<uint32_t>(compressed.frameOffsets.size() + 1));
    table.PutU32(8);
    table.PutU32(0x28);
    table.PutU64(compressed.paddedLength);
    table.PutU64(compressed.compressed.size());
    table.PutU64(kLzxFrameSize);
    for (uint64_t offset : compressed.frameOffsets)
        table.PutU64(offset);
    table.PutU64(compressed.compressed.size());
    return table.Take();
}

Bytes TransformList() {
    ByteBuffer list;
    PutUtf16Ascii(list, kTransformGuidText);
    return list.Take();
}

} // namespace

ChmContainer::ChmContainer(const ContainerSettings& settings) : settings_(settings), section1_(settings.lzx) {}

bool ChmContainer::AddFile(const std::string& name, std::string_view data, bool compressed) {
    return AddFile(name, std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()), compressed);
}

bool ChmContainer::AddFile(const std::string& name, std::span<const uint8_t> data, bool compressed) {
    if (name.empty() || name.size() > kMaxInternalNameLength || (name[0] != '/' && name.rfind("::", 0) != 0)) {
        error_ = "internal file name is empty, too long or not rooted: " + name.substr(0, 80);
        return false;
    }
    if (HasFile(name)) {
        error_ = "file added twice: " + name;
        return false;
    }
    names_.insert(name);
    if (compressed) {
        compressedFiles_.push_back(CompressedFile{name, section1_.Size(), data.size()});
        section1_.Append(data);
    } else {
        uncompressedFiles_.push_back(InternalFile{name, Bytes(data.begin(), data.end())});
    }
    return true;
}

bool ChmContainer::HasFile(const std::string& name) const {
    return names_.count(name) != 0;
}

Bytes ChmContainer::Build() {
    if (!error_.empty())
        return {};
    std::vector<DirectoryEntry> entries;

    // Section 1: every compressed file, back to back, compressed as one stream.
    for (const CompressedFile& file : compressedFiles_)
        entries.push_back(DirectoryEntry{file.name, 1, file.offset, file.length});
    const LzxResult compressed = section1_.Finish();

    // Section 0: the compressed stream, the storage description, then uncompressed files.
    ByteBuffer section0;
    size_t uncompressedBytes = 0;
    for (const InternalFile& file : uncompressedFiles_)
        uncompressedBytes += file.data.size();
    section0.Reserve(compressed.compressed.size() + compressed.frameOffsets.size() * 8 + uncompressedBytes + 4096);
    auto addUncompressed = [&](const std::string& name, const Bytes& data) {
        entries.push_back(DirectoryEntry{name, 0, section0.Size(), data.size()});
        section0.PutBytes(data);
    };
    const std::string storage = kStorage;
    ByteBuffer spanInfo;
    spanInfo.PutU64(compressed.paddedLength);
    // The compressed stream goes first: decoders read up to two words past its end, which must be in the file.
    addUncompressed(storage + "Content", compressed.compressed);
    addUncompressed("::DataSpace/NameList", NameList());
    addUncompressed(storage + "ControlData", ControlData(settings_.lzx));
    addUncompressed(storage + "SpanInfo", spanInfo.Data());
    addUncompressed(storage + "Transform/List", TransformList());
    addUncompressed(storage + "Transform/" + kTransformGuidText + "/InstanceData/ResetTable", ResetTable(compressed));
    for (const InternalFile& file : uncompressedFiles_)
        addUncompressed(file.name, file.data);
    entries.push_back(DirectoryEntry{"/", 0, 0, 0});
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return DirectoryNameLess(a.name, b.name); });
    const Bytes directory = BuildDirectory(entries, settings_.lcid);

    const uint64_t directoryOffset = kFileHeaderSize + kHeaderSection0Size;
    const uint64_t section0Offset = directoryOffset + directory.size();
    const uint64_t fileSize = section0Offset + section0.Size();
    ByteBuffer output;
    output.Reserve(static_cast<size_t>(fileSize));
    output.PutText("ITSF");
    output.PutU32(3);
    output.PutU32(kFileHeaderSize);
    output.PutU32(1);
    output.PutU32(settings_.timestamp);
    output.PutU32(settings_.lcid);
    output.PutBytes(kFileGuids, sizeof kFileGuids);
    output.PutU64(kFileHeaderSize);
    output.PutU64(kHeaderSection0Size);
    output.PutU64(directoryOffset);
    output.PutU64(directory.size());
    output.PutU64(section0Offset);
    output.PutU32(0x01FE);
    output.PutU32(0);
    output.PutU64(fileSize);
    output.PutU32(0);
    output.PutU32(0);
    output.PutBytes(directory);
    output.PutBytes(section0.Data());
    return output.Take();
}
