#include "PageReader.h"
#include "SearchAhead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Pages of mixed English and Chinese text with links, more than one batch of them; words repeat from page to page,
// every few pages one is binary or has no title, so pages taken out of order or lost have something to show.
std::vector<std::string> MixedPages(int count) {
    static const char* kWords[] = {"help", "Topic", "帮助文档", "install", "系统设置", "9", "window", "café"};
    std::vector<std::string> pages;
    for (int page = 0; page < count; ++page) {
        if (page % 11 == 5) {
            pages.push_back(std::string("\x89PNG\0\0\0", 7));
            continue;
        }
        std::string html = "<html><head><meta charset=utf-8>";
        if (page % 3 != 0)
            html += "<title>Page " + std::to_string(page) + " 标题</title>";
        html += "</head><body><h1>Heading " + std::to_string(page % 4) + "</h1><p>";
        for (int w = 0; w < 40; ++w)
            html += std::string(kWords[(page * 7 + w * 3) % 8]) + (w % 5 == 0 ? "" : " ");
        html += "unique" + std::to_string(page) + " <a href=\"" + std::to_string(page + 1) +
                ".html#p&amp;q\">next</a>" + "<img src='pic " + std::to_string(page % 3) + ".png'></p></body></html>";
        pages.push_back(std::move(html));
    }
    return pages;
}

struct Read {
    Bytes index;
    std::vector<PageReading> readings;
};

Read ReadOnThreads(const std::vector<std::string>& pages, unsigned threads, uint32_t lcid = 0) {
    std::vector<std::string> names;
    for (size_t i = 0; i < pages.size(); ++i)
        names.push_back(std::to_string(i) + ".html");
    std::vector<PageToRead> toRead;
    for (size_t i = 0; i < pages.size(); ++i)
        toRead.push_back({names[i], pages[i]});
    FullTextIndex index(936, lcid);
    Read read;
    read.readings = ReadPages(toRead, 936, &index, threads);
    read.index = index.Build();
    return read;
}

} // namespace

TEST(PageReader, AnyNumberOfThreadsGivesTheSameIndexTitlesAndWarningsAsOne) {
    const std::vector<std::string> pages = MixedPages(150);
    const Read whole = ReadOnThreads(pages, 1);
    ASSERT_GT(whole.index.size(), 0x400u);
    for (const unsigned threads : {2u, 3u, 7u}) {
        const Read split = ReadOnThreads(pages, threads);
        EXPECT_EQ(split.index, whole.index) << threads << " threads";
        ASSERT_EQ(split.readings.size(), pages.size());
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(split.readings[i].title, whole.readings[i].title)
                << "page " << i << ", " << threads << " threads";
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
    std::vector<PageToRead> toRead;
    for (const std::string& page : pages)
        toRead.push_back({"p.html", page});
    const std::vector<PageReading> readings = ReadPages(toRead, 936, nullptr, 2);
    ASSERT_EQ(readings.size(), 4u);
    EXPECT_EQ(readings[2].title, U"Page 2 标题");
    EXPECT_TRUE(readings[0].warnings.empty());
}

TEST(PageReader, AScriptWhoseClosingTagIsCutOffEndsThePage) {
    const std::string page = "<title>Cut short</title><p>before</p><script>run()</script";
    const std::vector<PageToRead> toRead = {{"cut.html", page}};
    FullTextIndex index(936);
    const std::vector<PageReading> readings = ReadPages(toRead, 936, &index, 1);
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_EQ(readings[0].title, U"Cut short");
    EXPECT_TRUE(readings[0].warnings.empty());
}

// Pages not held in memory are asked of the loader while they are read, on any number of threads: the index, titles
// and warnings are those of the pages held. A page the loader cannot give is left out with a warning naming it.
TEST(PageReader, PagesLoadedWhileReadGiveTheSameIndexAsPagesHeld) {
    const std::vector<std::string> pages = MixedPages(150);
    const Read held = ReadOnThreads(pages, 1);
    for (const unsigned threads : {1u, 3u}) {
        std::vector<std::string> names;
        for (size_t i = 0; i < pages.size(); ++i)
            names.push_back(std::to_string(i) + ".html");
        std::vector<PageToRead> toRead;
        for (size_t i = 0; i < pages.size(); ++i)
            toRead.push_back({names[i], {}, pages[i].size()});
        std::vector<int> loads(pages.size(), 0);
        const PageLoader load = [&](size_t page) -> std::optional<std::string> {
            ++loads[page]; // each page is loaded by one thread only
            return pages[page];
        };
        FullTextIndex index(936);
        const std::vector<PageReading> readings = ReadPages(toRead, 936, &index, threads, load);
        EXPECT_EQ(index.Build(), held.index) << threads << " threads";
        ASSERT_EQ(readings.size(), pages.size());
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(readings[i].title, held.readings[i].title) << "page " << i;
            EXPECT_EQ(readings[i].warnings, held.readings[i].warnings) << "page " << i;
            EXPECT_EQ(loads[i], 1) << "page " << i;
        }
    }

    const std::vector<PageToRead> toRead = {{"gone.html", {}, 10}, {"kept.html", {}, 10}};
    const PageLoader load = [&](size_t page) -> std::optional<std::string> {
        if (page == 0)
            return std::nullopt;
        return pages[1];
    };
    FullTextIndex index(936);
    const std::vector<PageReading> readings = ReadPages(toRead, 936, &index, 1, load);
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_TRUE(readings[0].title.empty());
    ASSERT_EQ(readings[0].warnings.size(), 1u);
    EXPECT_NE(readings[0].warnings[0].find("gone.html"), std::string::npos);
    EXPECT_EQ(readings[1].title, U"Page 1 标题");
    EXPECT_TRUE(readings[1].warnings.empty());
}

// Pages handed over one by one and read on a thread of their own give the index, titles, warnings and links the
// compile's own reading gives; made for another language than the project's, the index is not given out.
TEST(PageReader, PagesIndexedAheadGiveTheSameIndexTitlesAndWarnings) {
    const std::vector<std::string> pages = MixedPages(150);
    const Read read = ReadOnThreads(pages, 2, 0x804);
    for (const uint32_t projectLcid : {0x804u, 0x409u}) {
        SearchAhead ahead(0x804);
        for (size_t i = 0; i < pages.size(); ++i)
            ahead.Add(std::to_string(i) + ".html", Bytes(pages[i].begin(), pages[i].end()));
        const std::optional<LinkedAhead> linked = ahead.TakeLinks(936);
        ASSERT_TRUE(linked);
        ASSERT_EQ(linked->links.size(), pages.size());
        for (size_t i = 0; i < pages.size(); ++i)
            EXPECT_EQ(linked->links[i], PageLinks(pages[i], 936)) << "page " << i;
        EXPECT_EQ(linked->links[1], (std::vector<std::string>{"2.html#p&q", "pic 1.png"}));
        const std::optional<IndexedAhead> made = ahead.Take(936, projectLcid);
        if (projectLcid != 0x804) {
            EXPECT_FALSE(made);
            continue;
        }
        ASSERT_TRUE(made);
        EXPECT_EQ(made->index, read.index);
        ASSERT_EQ(made->readings.size(), pages.size());
        ASSERT_EQ(made->names.size(), pages.size());
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(made->names[i], std::to_string(i) + ".html");
            EXPECT_EQ(made->readings[i].title, read.readings[i].title) << "page " << i;
            EXPECT_EQ(made->readings[i].warnings, read.readings[i].warnings) << "page " << i;
        }
    }
}

// More pages than may wait at once, then dropped before they are all read: the thread stops and nothing hangs.
TEST(PageReader, PagesIndexedAheadAndNeverTakenAreDropped) {
    const std::string page = "<title>Long</title><p>" + std::string(1 << 20, 'a') + " word</p>";
    SearchAhead ahead(0x804);
    for (int i = 0; i < 12; ++i)
        ahead.Add(std::to_string(i) + ".html", Bytes(page.begin(), page.end()));
}
