#include "PageReader.h"

#include "base/MessageCatalogue.h"

#include <algorithm>
#include <exception>
#include <future>
#include <optional>
#include <thread>

#include "PageText.h"

namespace {

// Bigger pages are not text a reader searches; indexing them would only cost memory.
constexpr size_t kMaxIndexedPageBytes = size_t{64} << 20;
// Pages read as text ahead of the indexing, at a time: enough to keep the threads busy, few enough that the
// texts waiting take little memory.
constexpr size_t kBatchPages = 64;
// Below this many bytes of pages, starting threads costs more than reading the pages: a new thread also gets a
// heap of its own, whose memory is faulted in afresh.
constexpr size_t kBytesWorthAThread = size_t{256} << 10;

// The page as text, or why it is left out of the index. Warnings go to reading; links, when given, gets the page's
// links whether or not it is indexed.
std::optional<PageText> ReadText(const PageToRead& page, uint32_t codePage, bool indexed, PageReading& reading,
                                 std::vector<std::string>* links = nullptr) {
    const std::string name(page.name);
    if (page.bytes.size() > kMaxIndexedPageBytes) {
        if (links != nullptr)
            *links = PageLinks(page.bytes, codePage);
        if (indexed) {
            reading.warnings.push_back(name + " is too large to index for search (" +
                                       std::to_string(page.bytes.size() >> 20) + " MB); left out of the search index");
        }
        return std::nullopt;
    }
    PageTextResult text = ExtractPageText(page.bytes, codePage, links);
    if (!text.status.ok()) {
        if (indexed)
            reading.warnings.push_back(name + ": " + text.status.message + "; left out of the search index");
        return std::nullopt;
    }
    if (!text.warning.empty())
        reading.warnings.push_back(name + ": " + text.warning);
    return std::move(text.text);
}

// Runs read(i) for every i in [begin, end) on threadCount threads, each taking a contiguous share.
template <typename Read> void ReadInParallel(size_t begin, size_t end, unsigned threadCount, Read read) {
    const size_t count = end - begin;
    const unsigned parts = static_cast<unsigned>(std::clamp<size_t>(threadCount, 1, std::max<size_t>(1, count)));
    std::vector<std::exception_ptr> failures(parts);
    const auto readPart = [&](unsigned part) {
        try {
            for (size_t i = begin + count * part / parts; i < begin + count * (part + 1) / parts; ++i)
                read(i);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (unsigned part = 1; part < parts; ++part)
        threads.emplace_back(readPart, part);
    readPart(0);
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

void AddToIndex(const PageToRead& page, uint32_t topic, const PageText& text, FullTextIndex& index,
                PageReading& reading) {
    try {
        index.AddTopic(topic, text);
    } catch (const std::exception& error) {
        reading.warnings.push_back(std::string(page.name) + " could not be indexed for search: " + error.what());
    }
}

} // namespace

void ReadPageIntoIndex(const PageToRead& page, uint32_t topic, uint32_t codePage, FullTextIndex& index,
                       PageReading& reading, std::vector<std::string>* links) {
    std::optional<PageText> text = ReadText(page, codePage, true, reading, links);
    if (!text)
        return;
    reading.title = text->title;
    AddToIndex(page, topic, *text, index, reading);
}

std::vector<PageReading> ReadPages(const std::vector<PageToRead>& pages, uint32_t codePage, FullTextIndex* index,
                                   unsigned threadCount, const PageLoader& load) {
    size_t totalBytes = 0;
    for (const PageToRead& page : pages)
        totalBytes += page.bytes.size() + page.loadSize;
    const bool onThisThread = threadCount == 0 && totalBytes < kBytesWorthAThread;
    const unsigned threads = onThisThread      ? 1
                             : threadCount > 0 ? threadCount
                                               : std::max(1u, std::thread::hardware_concurrency());
    std::vector<PageReading> readings(pages.size());
    std::vector<std::optional<PageText>> texts(pages.size());
    const auto read = [&](size_t i) {
        PageToRead page = pages[i];
        std::optional<std::string> loaded;
        if (load) {
            loaded = load(i);
            if (!loaded) {
                readings[i].warnings.push_back(
                    WithValues("cannot read {1}: {2}", {std::string(page.name), "no such file"}));
                return;
            }
            page.bytes = *loaded;
        }
        std::optional<PageText> text = ReadText(page, codePage, index != nullptr, readings[i]);
        if (text)
            readings[i].title = text->title;
        if (index != nullptr)
            texts[i] = std::move(text);
    };
    const auto addToIndex = [&](size_t i) {
        if (texts[i]) {
            AddToIndex(pages[i], static_cast<uint32_t>(i), *texts[i], *index, readings[i]);
            texts[i].reset();
        }
    };
    if (index == nullptr) {
        ReadInParallel(0, pages.size(), threads, read);
        return readings;
    }
    if (onThisThread) {
        for (size_t i = 0; i < pages.size(); ++i) {
            read(i);
            addToIndex(i);
        }
        return readings;
    }
    // The index takes the pages one by one in page order, which keeps it the same whatever the threads do, while
    // the other threads read the next batch as text.
    const auto readBatch = [&](size_t begin) {
        return std::async(std::launch::async, [&, begin] {
            ReadInParallel(begin, std::min(pages.size(), begin + kBatchPages), std::max(1u, threads - 1), read);
        });
    };
    std::future<void> next = readBatch(0);
    for (size_t begin = 0; begin < pages.size(); begin += kBatchPages) {
        next.get();
        if (begin + kBatchPages < pages.size())
            next = readBatch(begin + kBatchPages);
        for (size_t i = begin; i < std::min(pages.size(), begin + kBatchPages); ++i)
            addToIndex(i);
    }
    return readings;
}
