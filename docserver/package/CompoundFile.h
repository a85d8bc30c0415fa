#pragma once
// The little of a compound file (the container of Word 97-2003 documents and of password-protected .docx files)
// this program needs: the names of its streams and the first bytes of one. Read with bounds checked at every
// step, since the file may be damaged or hostile.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

class CompoundFile {
public:
    // Null when path is not a readable compound file.
    static std::optional<CompoundFile> Open(const std::filesystem::path& path);

    // The streams' names (ASCII ones as they are; others with '?' for each non-ASCII character).
    std::vector<std::string> StreamNames() const;
    // Up to count bytes from the start of the stream called name; empty when there is none or it is unreadable.
    std::string ReadStreamStart(const std::string& name, size_t count) const;

private:
    struct Entry {
        std::string name;
        uint32_t start = 0;
        uint64_t size = 0;
    };
    std::string ReadSector(uint32_t sector) const;
    std::optional<uint32_t> NextSector(uint32_t sector) const;

    mutable std::ifstream in_; // open for the reads of the queries too
    uintmax_t fileBytes_ = 0;
    uint32_t sectorBytes_ = 512;
    std::vector<uint32_t> fat_;
    std::vector<Entry> streams_;
};

// True for a Word file that cannot be read without its password: an encrypted package, or a Word 97-2003
// document whose header says it is encrypted or obfuscated.
bool IsPasswordProtectedWordFile(const std::filesystem::path& path);
