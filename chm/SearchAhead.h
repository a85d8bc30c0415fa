#pragma once
// The search index made from the pages as they are handed over, on a thread of its own: while the converter makes
// the next pages, the second core reads this one's text into the index and its links for the compile's check, and
// once the last page is in, builds the index's file. The compile takes the results only when its project has the
// same pages in the same order, code page and language; otherwise it reads the pages itself, with the same help file
// either way.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ByteBuffer.h"
#include "PageReader.h"

struct IndexedAhead {
    Bytes index;
    std::vector<std::string> names;    // the pages' names, topic by topic
    std::vector<PageReading> readings; // their titles and warnings, as ReadPages gives them
};

struct LinkedAhead {
    std::vector<std::string> names;              // the pages' names, in order
    std::vector<std::vector<std::string>> links; // each page's links, as PageLinks gives them
};

class SearchAhead {
public:
    explicit SearchAhead(uint32_t lcid);
    // Stops the thread; what it made is dropped.
    ~SearchAhead();
    SearchAhead(const SearchAhead&) = delete;
    SearchAhead& operator=(const SearchAhead&) = delete;

    // The next page (topic after topic) and its name as the project folder knows it. Waits while many bytes of
    // pages are still unread, so that a slow reader cannot make them pile up.
    void Add(std::string name, Bytes bytes) noexcept;
    // No more pages come: the index is built as soon as the last one is in.
    void Seal() noexcept;
    // Waits until every page is read: their links, when they were read without fault in this code page. Once.
    std::optional<LinkedAhead> TakeLinks(uint32_t codePage);
    // Waits for the thread. The index, when it was made without fault for a project of this code page and language.
    std::optional<IndexedAhead> Take(uint32_t codePage, uint32_t lcid);

private:
    struct Page {
        std::string name;
        Bytes bytes;
    };
    void Work();
    // Every page until the last; false when the reading stopped short.
    bool ReadAll();
    bool ReadOne(Page& page);

    const uint32_t lcid_;
    const uint32_t codePage_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Page> waiting_;
    size_t waitingBytes_ = 0;
    bool sealed_ = false;
    bool stopping_ = false;
    bool allRead_ = false;               // the reading ended, with every page or short
    bool failed_ = false;                // an exception while reading or building; nothing is taken
    std::optional<FullTextIndex> index_; // on the thread only
    IndexedAhead made_;
    std::vector<std::vector<std::string>> links_;
    std::thread thread_; // last: started once the members above exist
};
