#pragma once
// Read-only access to the parts of an OPC package (a .docx is a zip), with the limits of PackageLimits.h applied to
// every inflated byte, whatever sizes the zip's directory declares.

#include "base/Status.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct zip_source;
struct zip_error;

struct PackagePartResult {
    Status status; // Missing: no such part (as opposed to a damaged one)
    std::string data;
};

// A part inflated to see that it reads, without its bytes being kept.
struct PackagePartCheck {
    Status status; // as ReadPart's
    uint64_t size = 0;
    std::string head; // the part's first bytes, as many as were asked for
};

class ZipPackage {
public:
    ZipPackage();
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Opens the package held in bytes (kept by the package). NotThisFormat when the bytes are no zip at all.
    Status Open(std::string bytes);
    // Opens the package in a file, read as its parts are: the file's bytes are never all held at once.
    Status OpenFile(const std::filesystem::path& path);

    bool HasPart(const std::string& name) const;
    // True for a package opened from a file, whose parts can be read again as long as it is open.
    bool InFile() const;
    // name without a leading '/'. Reading past the per-part or total limit fails with a message saying so.
    PackagePartResult ReadPart(const std::string& name);
    // Inflates the part as ReadPart does, with the same limits and checks (its declared size, its checksum), keeping
    // only its size and first headBytes bytes: a part read later is known to read now.
    PackagePartCheck CheckPart(const std::string& name, size_t headBytes);
    // Reads a part read or checked before once more; it counts against the per-part limit, not again against the
    // package's total.
    PackagePartResult ReadPartAgain(const std::string& name);

private:
    Status OpenSource(zip_source* source, zip_error& error, const std::string& head);
    // Inflates the part, keeping up to keepBytes of it in data; size is the whole part's.
    Status Inflate(const std::string& name, bool countTowardTotal, size_t keepBytes, std::string& data, uint64_t& size);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
