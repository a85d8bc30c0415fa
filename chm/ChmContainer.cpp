#include "ChmContainer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <unistd.h>

#include "ChmDirectory.h"
#include "LzxFormat.h"
#include "base/NativeFile.h"

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

bool WriteAll(int descriptor, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool WriteAll(int descriptor, const Bytes& data) {
    return WriteAll(descriptor, data.data(), data.size());
}

// Copies length bytes from offset of one descriptor to the end of the other.
bool CopyRange(int from, uint64_t offset, uint64_t length, int to) {
    Bytes buffer(std::min<uint64_t>(length, uint64_t{1} << 20));
    while (length > 0) {
        const int64_t got = ReadFileAt(from, offset, buffer.data(), std::min<uint64_t>(length, buffer.size()));
        if (got <= 0 || !WriteAll(to, buffer.data(), static_cast<size_t>(got)))
            return false;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<uint64_t>(got);
    }
    return true;
}

} // namespace

ChmContainer::ChmContainer(const ContainerSettings& settings, std::unique_ptr<LzxStreamCompressor> section)
    : settings_(settings), section1_(std::move(section)) {
    if (!section1_)
        section1_ = std::make_unique<LzxStreamCompressor>(settings.lzx);
    prefilled_ = section1_->Size();
    if (!settings_.spoolFolder.empty())
        // A file with no name, so nothing is left behind whatever happens to the process; on failure, memory does.
        spool_ = OpenAnonymousTemporaryFile(settings_.spoolFolder);
}

ChmContainer::~ChmContainer() {
    if (spool_ >= 0)
        ::close(spool_);
}

Status ChmContainer::Store(std::span<const uint8_t> data) {
    if (spool_ < 0)
        spoolInMemory_.insert(spoolInMemory_.end(), data.begin(), data.end());
    else if (!WriteAll(spool_, data.data(), data.size()))
        return Failure(StatusCode::Io, "cannot write a temporary file in " + settings_.spoolFolder);
    spoolSize_ += data.size();
    return {};
}

Status ChmContainer::AddFile(const std::string& name, std::string_view data, bool compressed) {
    return AddFile(name, std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()), compressed);
}

Status ChmContainer::AddFile(const std::string& name, std::span<const uint8_t> data, bool compressed) {
    Status status;
    if (name.empty() || name.size() > kMaxInternalNameLength || (name[0] != '/' && name.rfind("::", 0) != 0)) {
        status =
            Failure(StatusCode::Damaged, "internal file name is empty, too long or not rooted: " + name.substr(0, 80));
    } else if (HasFile(name)) {
        status = Failure(StatusCode::Damaged, "file added twice: " + name);
    } else {
        names_.insert(name);
        if (compressed && compressedBytes_ < prefilled_ && compressedBytes_ + data.size() > prefilled_) {
            status = Failure(StatusCode::Damaged, "file reaches past the pages compressed ahead: " + name);
        } else if (compressed) {
            compressedFiles_.push_back(StoredFile{name, compressedBytes_, data.size()});
            if (compressedBytes_ >= prefilled_)
                section1_->Append(data);
            compressedBytes_ += data.size();
        } else {
            uncompressedFiles_.push_back(StoredFile{name, spoolSize_, data.size()});
            status = Store(data);
        }
    }
    // A help file missing one of its files is never written.
    if (!status.ok() && firstFailure_.ok())
        firstFailure_ = status;
    return status;
}

bool ChmContainer::HasFile(const std::string& name) const {
    return names_.count(name) != 0;
}

Status ChmContainer::Write(int descriptor) {
    if (!firstFailure_.ok())
        return firstFailure_;
    if (compressedBytes_ < prefilled_)
        return Failure(StatusCode::Damaged, "the pages compressed ahead were not all added");
    std::vector<DirectoryEntry> entries;

    // Section 1: every compressed file, back to back, compressed as one stream.
    for (const StoredFile& file : compressedFiles_)
        entries.push_back(DirectoryEntry{file.name, 1, file.offset, file.length});
    const LzxResult compressed = section1_->Finish();

    // Section 0: the compressed stream, the storage description, then the uncompressed files.
    const std::string storage = kStorage;
    ByteBuffer spanInfo;
    spanInfo.PutU64(compressed.paddedLength);
    // The compressed stream goes first: decoders read up to two words past its end, which must be in the file.
    std::vector<std::pair<std::string, Bytes>> storageFiles;
    storageFiles.emplace_back("::DataSpace/NameList", NameList());
    storageFiles.emplace_back(storage + "ControlData", ControlData(settings_.lzx));
    storageFiles.emplace_back(storage + "SpanInfo", spanInfo.Take());
    storageFiles.emplace_back(storage + "Transform/List", TransformList());
    storageFiles.emplace_back(storage + "Transform/" + kTransformGuidText + "/InstanceData/ResetTable",
                              ResetTable(compressed));
    uint64_t section0Size = 0;
    const auto place = [&](const std::string& name, uint64_t size) {
        entries.push_back(DirectoryEntry{name, 0, section0Size, size});
        section0Size += size;
    };
    place(storage + "Content", compressed.compressed.size());
    for (const auto& [name, data] : storageFiles)
        place(name, data.size());
    const uint64_t spoolAt = section0Size;
    for (const StoredFile& file : uncompressedFiles_)
        entries.push_back(DirectoryEntry{file.name, 0, spoolAt + file.offset, file.length});
    section0Size += spoolSize_;
    entries.push_back(DirectoryEntry{"/", 0, 0, 0});
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return DirectoryNameLess(a.name, b.name); });
    const Bytes directory = BuildDirectory(entries, settings_.lcid);
    entries.clear();
    entries.shrink_to_fit();

    const uint64_t directoryOffset = kFileHeaderSize + kHeaderSection0Size;
    const uint64_t section0Offset = directoryOffset + directory.size();
    const uint64_t fileSize = section0Offset + section0Size;
    ByteBuffer header;
    header.PutText("ITSF");
    header.PutU32(3);
    header.PutU32(kFileHeaderSize);
    header.PutU32(1);
    header.PutU32(settings_.timestamp);
    header.PutU32(settings_.lcid);
    header.PutBytes(kFileGuids, sizeof kFileGuids);
    header.PutU64(kFileHeaderSize);
    header.PutU64(kHeaderSection0Size);
    header.PutU64(directoryOffset);
    header.PutU64(directory.size());
    header.PutU64(section0Offset);
    header.PutU32(0x01FE);
    header.PutU32(0);
    header.PutU64(fileSize);
    header.PutU32(0);
    header.PutU32(0);
    bool ok = WriteAll(descriptor, header.Data()) && WriteAll(descriptor, directory) &&
              WriteAll(descriptor, compressed.compressed);
    for (const auto& [name, data] : storageFiles)
        ok = ok && WriteAll(descriptor, data);
    if (spool_ < 0)
        ok = ok && WriteAll(descriptor, spoolInMemory_);
    else
        ok = ok && CopyRange(spool_, 0, spoolSize_, descriptor);
    return ok ? Status{} : Failure(StatusCode::Io, "cannot write the help file");
}
