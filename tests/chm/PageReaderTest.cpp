#include "PageReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Pages of mixed English and Chinese text; every few pages a word or character repeats across the split points,
// a page is binary, a page has no title, so joining the parts has something to get wrong.
std::vector<std::string> MixedPages(int count) {
    static const char* kWords[] = {"help", "Topic", "帮助文档", "install", "系统设置", "9", "window", "café"};
    std::vector<std::string> pages;
    for (int page = 0; page < count; ++page) {
        if (page % 11 == 5) {
            pages.push_back(std::string("\x89PNG\0\0\0", 7));
            continue;
        }
        std::string html = "<html><head><meta charset=utf-8>";
        if (page % 3 != 0) {
            html += "<title>Page " + std::to_string(page) + " 标题</title>";
        }
        html += "</head><body><h1>Heading " + std::to_string(page % 4) + "</h1><p>";
        for (int w = 0; w < 40; ++w) {
            html += std::string(kWords[(page * 7 + w * 3) % 8]) + (w % 5 == 0 ? "" : " ");
        }
        html += "unique" + std::to_string(page) + "</p></body></html>";
        pages.push_back(std::move(html));
    }
    return pages;
}

struct Read {
    chm::Bytes index;
    std::vector<chm::PageReading> readings;
};

Read ReadInParts(const std::vector<std::string>& pages, unsigned parts) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        names.push_back(std::to_string(i) + ".html");
    }
    std::vector<chm::PageToRead> toRead;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        toRead.push_back({names[i], pages[i]});
    }
    chm::FullTextIndex index(936);
    Read read;
    read.readings = chm::ReadPages(toRead, 936, &index, parts);
    read.index = index.Build();
    return read;
}

} // namespace

TEST(PageReader, ReadingInPartsGivesTheSameIndexTitlesAndWarningsAsReadingInOne) {
    const std::vector<std::string> pages = MixedPages(40);
    const Read whole = ReadInParts(pages, 1);
    ASSERT_GT(whole.index.size(), 0x400u);
    for (const unsigned parts : {2u, 3u, 7u, 40u}) {
        const Read split = ReadInParts(pages, parts);
        EXPECT_EQ(split.index, whole.index) << parts << " parts";
        ASSERT_EQ(split.readings.size(), pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(split.readings[i].title, whole.readings[i].title) << "page " << i << ", " << parts << " parts";
            EXPECT_EQ(split.readings[i].warnings, whole.readings[i].warnings) << "page " << i;
        }
    }
    EXPECT_EQ(whole.readings[1].title, U"Page 1 标题");
    EXPECT_EQ(whole.readings[3].title, U"Heading 3"); // no <title>: the first heading
    EXPECT_TRUE(whole.readings[5].title.empty());
    EXPECT_EQ(whole.readings[5].warnings.size(), 1u); // binary: left out of the index, with a warning
}

TEST(PageReader, WithoutAnIndexPagesAreStillReadForTheirTitles) {
    const std::vector<std::string> pages = MixedPages(4);
    std::vector<chm::PageToRead> toRead;
    for (const std::string& page : pages) {
        toRead.push_back({"p.html", page});
    }
    const std::vector<chm::PageReading> readings = chm::ReadPages(toRead, 936, nullptr, 2);
    ASSERT_EQ(readings.size(), 4u);
    EXPECT_EQ(readings[2].title, U"Page 2 标题");
    EXPECT_TRUE(readings[0].warnings.empty());
}
