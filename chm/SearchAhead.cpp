#include "SearchAhead.h"

#include <exception>
#include <string_view>
#include <utility>

#include "TextCodec.h"

namespace {

// Pages handed over and not yet read, at most: a few dozen pages, enough that the converter never waits on a
// reader that keeps up.
constexpr size_t kMaxWaitingBytes = size_t{4} << 20;

} // namespace

SearchAhead::SearchAhead(uint32_t lcid)
    : lcid_(lcid), codePage_(CodePageForLcid(lcid)), index_(std::in_place, codePage_, lcid_),
      thread_([this] { Work(); }) {}

SearchAhead::~SearchAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void SearchAhead::Add(std::string name, Bytes bytes) noexcept {
    try {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return waitingBytes_ < kMaxWaitingBytes || failed_ || allRead_; });
        if (failed_ || sealed_ || allRead_) {
            failed_ = true;
            return;
        }
        waitingBytes_ += bytes.size();
        waiting_.push_back(Page{std::move(name), std::move(bytes)});
    } catch (...) {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
    changed_.notify_all();
}

void SearchAhead::Seal() noexcept {
    {
        std::lock_guard lock(mutex_);
        sealed_ = true;
    }
    changed_.notify_all();
}

std::optional<LinkedAhead> SearchAhead::TakeLinks(uint32_t codePage) {
    Seal();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return allRead_; });
    if (failed_ || codePage != codePage_ || links_.size() != made_.names.size())
        return std::nullopt;
    LinkedAhead linked{made_.names, std::move(links_)};
    links_.clear();
    return linked;
}

std::optional<IndexedAhead> SearchAhead::Take(uint32_t codePage, uint32_t lcid) {
    Seal();
    if (thread_.joinable())
        thread_.join();
    if (failed_ || codePage != codePage_ || lcid != lcid_)
        return std::nullopt;
    return std::move(made_);
}

void SearchAhead::Work() {
    const bool read = ReadAll();
    {
        std::lock_guard lock(mutex_);
        allRead_ = true;
        failed_ = failed_ || !read;
    }
    changed_.notify_all();
    if (!read)
        return;
    bool built = true;
    try {
        made_.index = index_->Build();
    } catch (...) {
        built = false; // the compile builds the index again and reports why it cannot
    }
    index_.reset(); // its tables go now, not when the compile ends
    std::lock_guard lock(mutex_);
    failed_ = failed_ || !built;
}

bool SearchAhead::ReadAll() {
    while (true) {
        Page page;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !waiting_.empty() || sealed_ || stopping_; });
            if (stopping_ || failed_)
                return false;
            if (waiting_.empty())
                return true; // sealed, and every page read
            page = std::move(waiting_.front());
            waiting_.pop_front();
            waitingBytes_ -= page.bytes.size();
        }
        changed_.notify_all();
        if (!ReadOne(page))
            return false;
    }
}

bool SearchAhead::ReadOne(Page& page) {
    try {
        const std::string_view bytes(reinterpret_cast<const char*>(page.bytes.data()), page.bytes.size());
        PageReading reading;
        std::vector<std::string> links;
        ReadPageIntoIndex(PageToRead{page.name, bytes}, static_cast<uint32_t>(made_.readings.size()), codePage_,
                          *index_, reading, &links);
        std::lock_guard lock(mutex_); // TakeLinks may look at the sizes
        made_.names.push_back(std::move(page.name));
        made_.readings.push_back(std::move(reading));
        links_.push_back(std::move(links));
        return true;
    } catch (...) {
        return false;
    }
}
