#include "CompoundFile.h"

#include <algorithm>

namespace {

constexpr uint32_t kLastRegularSector = 0xFFFFFFFA;
constexpr size_t kHeaderFatEntries = 109;
constexpr size_t kDirectoryEntryBytes = 128;
constexpr uint32_t kMiniStreamCutoff = 4096;

uint16_t U16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                             << 8);
}

uint32_t U32(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(U16(bytes, at)) | static_cast<uint32_t>(U16(bytes, at + 2)) << 16;
}

std::string ReadAt(std::ifstream& in, uintmax_t offset, size_t count) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(in ? count : static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

} // namespace

std::string CompoundFile::ReadSector(uint32_t sector) const {
    const uintmax_t offset = (static_cast<uintmax_t>(sector) + 1) * sectorBytes_;
    if (sector > kLastRegularSector || offset + sectorBytes_ > fileBytes_)
        return {};
    return ReadAt(in_, offset, sectorBytes_);
}

std::optional<uint32_t> CompoundFile::NextSector(uint32_t sector) const {
    if (sector >= fat_.size())
        return std::nullopt;
    return fat_[sector];
}

std::optional<CompoundFile> CompoundFile::Open(const std::filesystem::path& path) {
    CompoundFile file;
    file.in_.open(path, std::ios::binary);
    std::error_code error;
    file.fileBytes_ = std::filesystem::file_size(path, error);
    const std::string header = ReadAt(file.in_, 0, 512);
    if (error || header.size() < 512 || header.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0)
        return std::nullopt;
    const uint16_t sectorShift = U16(header, 0x1E);
    if (sectorShift != 9 && sectorShift != 12)
        return std::nullopt;
    file.sectorBytes_ = 1u << sectorShift;
    const size_t sectorCount = static_cast<size_t>(file.fileBytes_ / file.sectorBytes_);

    // The sectors of the allocation table: 109 named in the header, the rest in a chain of further lists. Every
    // count is held against the file's size before anything is allocated, and a sector named twice ends the
    // reading, so a header that lies costs no more than the file itself.
    std::vector<uint32_t> fatSectors;
    const uint32_t fatSectorCount = U32(header, 0x2C);
    if (fatSectorCount > sectorCount)
        return std::nullopt;
    std::vector<bool> used(sectorCount, false);
    auto takeSector = [&used](uint32_t sector) {
        if (sector >= used.size() || used[sector])
            return false;
        used[sector] = true;
        return true;
    };
    for (size_t i = 0; i < kHeaderFatEntries && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(U32(header, 0x4C + 4 * i));
    uint32_t more = U32(header, 0x44);
    while (more <= kLastRegularSector && fatSectors.size() < fatSectorCount) {
        if (!takeSector(more))
            return std::nullopt;
        const std::string list = file.ReadSector(more);
        if (list.empty())
            return std::nullopt;
        for (size_t at = 0; at + 4 < list.size() && fatSectors.size() < fatSectorCount; at += 4)
            fatSectors.push_back(U32(list, at));
        more = U32(list, list.size() - 4);
    }
    file.fat_.reserve(fatSectors.size() * (file.sectorBytes_ / 4));
    for (uint32_t sector : fatSectors) {
        if (!takeSector(sector))
            return std::nullopt;
        const std::string entries = file.ReadSector(sector);
        if (entries.empty())
            return std::nullopt;
        for (size_t at = 0; at < entries.size(); at += 4)
            file.fat_.push_back(U32(entries, at));
    }

    // The directory: a chain of sectors of fixed-size entries; type 2 is a stream.
    uint32_t sector = U32(header, 0x30);
    std::vector<bool> visited(sectorCount, false);
    while (sector <= kLastRegularSector) {
        if (sector >= visited.size() || visited[sector])
            return std::nullopt;
        visited[sector] = true;
        const std::string entries = file.ReadSector(sector);
        if (entries.empty())
            return std::nullopt;
        for (size_t at = 0; at + kDirectoryEntryBytes <= entries.size(); at += kDirectoryEntryBytes) {
            const size_t nameBytes = std::min<size_t>(U16(entries, at + 0x40), 64);
            if (entries[at + 0x42] != 2 || nameBytes < 2)
                continue;
            Entry entry;
            for (size_t c = 0; c + 1 < nameBytes; c += 2) {
                const uint16_t unit = U16(entries, at + c);
                if (unit == 0)
                    break;
                entry.name += unit < 0x80 ? static_cast<char>(unit) : '?';
            }
            entry.start = U32(entries, at + 0x74);
            entry.size = U32(entries, at + 0x78);
            file.streams_.push_back(entry);
        }
        const auto next = file.NextSector(sector);
        if (!next)
            return std::nullopt;
        sector = *next;
    }
    return file;
}

std::vector<std::string> CompoundFile::StreamNames() const {
    std::vector<std::string> names;
    for (const Entry& entry : streams_)
        names.push_back(entry.name);
    return names;
}

std::string CompoundFile::ReadStreamStart(const std::string& name, size_t count) const {
    for (const Entry& entry : streams_) {
        // Small streams live in the mini stream; the ones asked for here never are.
        if (entry.name != name || entry.size < kMiniStreamCutoff)
            continue;
        std::string bytes;
        uint32_t sector = entry.start;
        for (size_t hops = 0; bytes.size() < count && sector <= kLastRegularSector && hops <= fat_.size(); ++hops) {
            const std::string data = ReadSector(sector);
            if (data.empty())
                return {};
            bytes += data;
            const auto next = NextSector(sector);
            if (!next)
                break;
            sector = *next;
        }
        bytes.resize(std::min<size_t>({bytes.size(), count, static_cast<size_t>(entry.size)}));
        return bytes;
    }
    return {};
}

bool IsPasswordProtectedWordFile(const std::filesystem::path& path) {
    const std::optional<CompoundFile> file = CompoundFile::Open(path);
    if (!file)
        return false;
    for (const std::string& name : file->StreamNames())
        if (name == "EncryptedPackage")
            return true;
    // A Word 97-2003 document: its header starts with the magic number 0xA5EC, and bit 8 of the flags at offset
    // 10 says its text is encrypted (with a password) or obfuscated (which needs one to open too).
    const std::string header = file->ReadStreamStart("WordDocument", 12);
    constexpr uint16_t kWordMagic = 0xA5EC;
    constexpr uint16_t kEncrypted = 0x0100;
    return header.size() == 12 && U16(header, 0) == kWordMagic && (U16(header, 10) & kEncrypted) != 0;
}
