#include "PageReader.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "PageText.h"

namespace chm {
namespace {

// Bigger pages are not text a reader searches; indexing them would only cost memory.
constexpr std::size_t kMaxIndexedPageBytes = std::size_t{64} << 20;
// Fewer pages than this a part are read faster than a thread starts.
constexpr std::size_t kMinPagesPerPart = 32;

// A page that cannot be read as text is left out of the index with a warning; search never fails the compile.
PageReading ReadPage(const PageToRead& page, std::uint32_t codePage, FullTextIndex* index, std::uint32_t topic) {
    PageReading reading;
    const std::string name(page.name);
    if (page.bytes.size() > kMaxIndexedPageBytes) {
        if (index != nullptr) {
            reading.warnings.push_back(name + " is too large to index for search (" +
                                       std::to_string(page.bytes.size() >> 20) + " MB); left out of the search index");
        }
        return reading;
    }
    PageTextResult text = ExtractPageText(page.bytes, codePage);
    if (!text.ok) {
        if (index != nullptr) {
            reading.warnings.push_back(name + ": " + text.message + "; left out of the search index");
        }
        return reading;
    }
    if (!text.message.empty()) {
        reading.warnings.push_back(name + ": " + text.message);
    }
    if (index != nullptr) {
        try {
            index->AddTopic(topic, text.text);
        } catch (const std::exception& error) {
            reading.warnings.push_back(name + " could not be indexed for search: " + error.what());
        }
    }
    reading.title = std::move(text.text.title);
    return reading;
}

} // namespace

std::vector<PageReading> ReadPages(const std::vector<PageToRead>& pages, std::uint32_t codePage, FullTextIndex* index,
                                   unsigned threadCount) {
    std::vector<PageReading> readings(pages.size());
    unsigned parts = threadCount > 0 ? threadCount : std::max(1u, std::thread::hardware_concurrency());
    if (threadCount == 0) {
        parts = static_cast<unsigned>(
            std::min<std::size_t>(parts, std::max<std::size_t>(1, pages.size() / kMinPagesPerPart)));
    }
    parts = static_cast<unsigned>(std::clamp<std::size_t>(parts, 1, std::max<std::size_t>(1, pages.size())));

    std::vector<FullTextIndex> partIndexes;
    if (index != nullptr) {
        partIndexes.assign(parts - 1, FullTextIndex(index->CodePage()));
    }
    std::vector<std::exception_ptr> failures(parts);
    const auto readPart = [&](unsigned part) {
        try {
            FullTextIndex* into = index == nullptr ? nullptr : part == 0 ? index : &partIndexes[part - 1];
            const std::size_t end = pages.size() * (part + 1) / parts;
            for (std::size_t i = pages.size() * part / parts; i < end; ++i) {
                readings[i] = ReadPage(pages[i], codePage, into, static_cast<std::uint32_t>(i));
            }
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (unsigned part = 1; part < parts; ++part) {
        threads.emplace_back(readPart, part);
    }
    readPart(0);
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
    for (FullTextIndex& part : partIndexes) {
        index->Append(std::move(part));
    }
    return readings;
}

} // namespace chm
