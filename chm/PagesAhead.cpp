#include "PagesAhead.h"

#include <cstring>
#include <string_view>

#include <unistd.h>

#include "CompressedData.h"
#include "base/NativeFile.h"
#include "base/Utf8Path.h"

namespace {

bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes) {
    const int fd = OpenFileForReading(PathFromUtf8(path));
    if (fd < 0)
        return false;
    bool ok = true;
    uint8_t buffer[1 << 16];
    while (ok) {
        const int64_t got = ReadFileAt(fd, bytes.size(), buffer, sizeof buffer);
        ok = got >= 0;
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::close(fd);
    return ok;
}

uint64_t Mix(uint64_t value) {
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ull;
    return value ^ (value >> 33);
}

} // namespace

uint64_t ContentHash(std::span<const uint8_t> bytes) {
    uint64_t hash = Mix(bytes.size() + 0x9E3779B97F4A7C15ull);
    size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        hash = (hash ^ Mix(word)) * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    }
    uint64_t tail = 0;
    if (at < bytes.size())
        std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
    return Mix(hash ^ Mix(tail ^ (bytes.size() - at)));
}

PagesAhead::PagesAhead(const LzxSettings& settings)
    : settings_(settings), section_(std::make_unique<LzxStreamCompressor>(settings)) {}

PagesAhead::~PagesAhead() = default;

void PagesAhead::IndexForSearch(uint32_t lcid) {
    if (pages_.empty() && !broken_)
        search_ = std::make_unique<SearchAhead>(lcid);
}

// Whatever goes wrong while a page is taken (an unreadable file, no memory) leaves the pages unmatched: the compile
// then works alone.
void PagesAhead::Add(const std::string& path) noexcept {
    try {
        std::vector<uint8_t> bytes;
        if (broken_ || !ReadWhole(path, bytes)) {
            broken_ = true;
            return;
        }
        if (Append(bytes) && search_)
            search_->Add(Utf8FromPath(PathFromUtf8(path).filename()), std::move(bytes));
    } catch (...) {
        broken_ = true;
    }
}

void PagesAhead::Add(const char* path, std::string (*toUtf8)(const char*)) noexcept {
    try {
        Add(toUtf8(path));
    } catch (...) {
        broken_ = true;
    }
}

void PagesAhead::Add(std::span<const uint8_t> bytes) noexcept {
    try {
        // A page without its name cannot be told from the project's pages in the index.
        if (Append(bytes))
            search_.reset();
    } catch (...) {
        broken_ = true;
    }
}

bool PagesAhead::Append(std::span<const uint8_t> bytes) {
    if (broken_ || !section_)
        return false;
    try {
        if (IsCompressedAlready(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
            return false;
        pages_.push_back(Page{bytes.size(), ContentHash(bytes)});
        section_->Append(bytes);
        return true;
    } catch (...) {
        broken_ = true;
        return false;
    }
}

void PagesAhead::NoMorePages() noexcept {
    if (search_)
        search_->Seal();
}

SearchAhead* PagesAhead::Search() const {
    return broken_ ? nullptr : search_.get();
}

bool PagesAhead::TakeNext(std::span<const uint8_t> bytes) {
    if (broken_ || matched_ >= pages_.size())
        return false;
    const Page& page = pages_[matched_];
    if (page.size != bytes.size() || page.hash != ContentHash(bytes))
        return false;
    ++matched_;
    return true;
}

bool PagesAhead::AllTaken() const {
    return !broken_ && matched_ == pages_.size();
}

bool PagesAhead::Compatible(const LzxSettings& settings) const {
    return settings.windowBits == settings_.windowBits && settings.framesPerReset == settings_.framesPerReset &&
           settings.searchDepth == settings_.searchDepth && settings.niceLength == settings_.niceLength;
}

std::unique_ptr<LzxStreamCompressor> PagesAhead::TakeSection() {
    return std::move(section_);
}
