#pragma once
// A picture's bytes: held, for a picture made in memory (a chart drawn, a picture of a package read from memory), or
// read again from the package part they came from each time a page is saved, so an open document does not hold all
// its pictures while its pages are made. Copies (into a fragment, the clipboard, a page) share what they point to.

#include "base/Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class ZipPackage;

// Enough of a picture's start to tell its kind (an EMF says so 40 bytes in).
constexpr size_t kPictureHeadBytes = 64;

struct PictureRead {
    Status status; // a part that can no longer be read: as the package says, naming the part
    std::shared_ptr<const std::vector<uint8_t>> bytes; // never null; empty when the read failed
};

class PictureBytes {
public:
    PictureBytes() = default;
    PictureBytes(std::vector<uint8_t> bytes);
    // The part of an open package, checked when the document was read: size and head are what it held then.
    PictureBytes(std::shared_ptr<ZipPackage> package, std::string part, uint64_t size, std::vector<uint8_t> head);

    bool empty() const { return size_ == 0; }
    uint64_t size() const { return size_; }
    // The first bytes (all of them when fewer than kPictureHeadBytes), without reading the part.
    std::span<const uint8_t> Head() const;
    // The bytes: the held ones, or the part read now, to be let go once used.
    PictureRead Read() const;

private:
    std::shared_ptr<const std::vector<uint8_t>> held_; // the bytes, or the head of a part read later
    std::shared_ptr<ZipPackage> package_;              // null when the bytes are held
    std::string part_;
    uint64_t size_ = 0;
};
