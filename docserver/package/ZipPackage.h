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
    // name without a leading '/'. Reading past the per-part or total limit fails with a message saying so.
    PackagePartResult ReadPart(const std::string& name);

private:
    Status OpenSource(zip_source* source, zip_error& error, const std::string& head);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
