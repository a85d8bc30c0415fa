#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <map>
#include <random>
#include <sstream>

#include "SearchIndexReader.h"
#include "hha.h"

namespace {

namespace fs = std::filesystem;
using Pages = std::set<std::string>;

std::vector<std::string> gMessages;

int Record(const char* text) {
    gMessages.emplace_back(text);
    return 1;
}

std::string Gb18030(const std::string& utf8, const char* from = "UTF-8", const char* to = "GB18030") {
    iconv_t converter = iconv_open(to, from);
    std::string input = utf8;
    std::string output(utf8.size() * 4 + 8, '\0');
    char* in = input.data();
    char* out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    const size_t status = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    EXPECT_NE(status, static_cast<size_t>(-1)) << utf8;
    output.resize(output.size() - outLeft);
    return output;
}

std::string Utf8FromGb18030(const std::string& bytes) {
    return Gb18030(bytes, "GB18030", "UTF-8");
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Page(const std::string& head, const std::string& body) {
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + head +
           "</head><body>" + body + "</body></html>";
}

// Compiles pages (name, bytes) with full-text search on, Language 0x804, in a fresh folder.
class SearchProject {
public:
    explicit SearchProject(const std::string& name)
        : folder(fs::temp_directory_path() / ("chm-search-" + name + "-" + std::to_string(::getpid()))) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~SearchProject() { fs::remove_all(folder); }

    // name: UTF-8 with "/", as on disk; the project lists it in its code page with "\\".
    void Add(const std::string& name, const std::string& bytes) {
        WriteFile(folder / name, bytes);
        std::string listed = Gb18030(name);
        std::replace(listed.begin(), listed.end(), '/', '\\');
        listed_ += listed + "\r\n";
    }

    // options: more [OPTIONS] lines.
    bool Compile(const std::string& options = "") {
        WriteFile(folder / "t.hhp", "[OPTIONS]\r\nCompiled file=t.chm\r\nFull-text search=Yes\r\nLanguage=0x804\r\n"
                                    "Title=Search\r\n" +
                                        options + "\r\n[FILES]\r\n" + listed_);
        gMessages.clear();
        return HHA_CompileHHP((folder / "t.hhp").c_str(), Record, nullptr, 0) != 0;
    }

    std::string Output() const { return (folder / "t.chm").string(); }

    const fs::path folder;

private:
    std::string listed_;
};

struct Query {
    std::string text; // UTF-8
    bool prefix;
    bool titlesOnly = false;
};

bool HavePython3Chm() {
    return std::system("/usr/bin/python3 -I -c 'import chm.chm' >/dev/null 2>&1") == 0;
}

// The pages python3-chm's search finds in the project's output, query by query.
std::vector<Pages> Python3ChmFind(const SearchProject& project, const std::vector<Query>& queries) {
    const fs::path script = project.folder / "search.py";
    WriteFile(script, "import sys\n"
                      "from chm import chm\n"
                      "f = chm.CHMFile()\n"
                      "f.LoadCHM(sys.argv[1])\n"
                      "for line in sys.stdin.read().splitlines():\n"
                      "    whole, titles, query = line[0] == '1', line[1] == '1', line[2:]\n"
                      "    found = f.Search(query.encode('gb18030'), whole, titles)\n"
                      "    pages = sorted(url.decode().lstrip('/') for url in found[1].values()) if found else []\n"
                      "    print(' '.join(pages))\n");
    const fs::path input = project.folder / "queries.txt";
    std::string lines;
    for (const Query& query : queries)
        lines += std::string(query.prefix ? "0" : "1") + (query.titlesOnly ? "1" : "0") + query.text + "\n";
    WriteFile(input, lines);
    const std::string command =
        "/usr/bin/python3 -I " + script.string() + " " + project.Output() + " < " + input.string();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return {};
    }
    std::string output;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    EXPECT_EQ(::pclose(pipe), 0) << output;
    std::vector<Pages> found;
    std::istringstream answers(output);
    for (std::string line; std::getline(answers, line);) {
        Pages pages;
        std::istringstream names(line);
        for (std::string name; names >> name;)
            pages.insert(name);
        found.push_back(pages);
    }
    return found;
}

struct SearchCase {
    const char* query; // UTF-8, as typed
    bool prefix;
    Pages expected;
};

class FullTextSearch : public testing::Test {
protected:
    static void SetUpTestSuite() {
        project = new SearchProject("words");
        project->Add("0.html", Page("<title>Animals</title><style>p { color: hidden }</style>",
                                    "<p>使用帮助文档</p><p>The Quick BROWN fox &amp; caf&eacute;</p>"));
        project->Add("1.html", Page("", "<h1>文档<b>说明</b></h1><p>帮助</p><div>文档</div><p>brown dog</p>"));
        project->Add("2.html",
                     Page("<title>Info</title>", "<p>帮<span>助</span>信息</p><script>var fox = 1;</script>"));
        project->Add("3.html", "<html><head><meta charset=gb2312><title>GB</title></head><body>" +
                                   Gb18030("文档帮助 Foxes &#x7CFB;统") + "</body></html>");
        ASSERT_TRUE(project->Compile());
        reader = new SearchIndexReader(project->Output());
    }
    static void TearDownTestSuite() {
        delete reader;
        delete project;
    }

    static SearchProject* project;
    static SearchIndexReader* reader;
};

SearchProject* FullTextSearch::project = nullptr;
SearchIndexReader* FullTextSearch::reader = nullptr;

TEST_F(FullTextSearch, FindsEnglishWordsWhateverTheirCase) {
    const SearchCase cases[] = {
        {"fox", false, {"0.html"}},             // the script's "fox" is not text
        {"Fox", false, {"0.html"}},             // typed in another case
        {"brown", false, {"0.html", "1.html"}}, // written BROWN and brown
        {"fox", true, {"0.html", "3.html"}},    // partial: also Foxes
        {"café", false, {"0.html"}},            // entity decoded
        {"color", true, {}},                    // style sheets are not text
        {"quick", false, {"0.html"}},
    };
    ASSERT_TRUE(reader->HasIndex());
    for (const SearchCase& c : cases)
        EXPECT_EQ(reader->Find(c.query, c.prefix), c.expected) << c.query << (c.prefix ? " (partial)" : "");
}

TEST_F(FullTextSearch, FindsChineseTermsOfOneTwoAndFourCharacters) {
    const SearchCase cases[] = {
        {"帮", false, {"0.html", "1.html", "2.html", "3.html"}},
        {"信", true, {"2.html"}},
        {"帮助", true, {"0.html", "1.html", "2.html", "3.html"}}, // <span> does not split a word
        {"文档", true, {"0.html", "1.html", "3.html"}},           // 3.html is GB2312
        {"助信", true, {"2.html"}},
        {"系统", true, {"3.html"}},     // written as a character reference
        {"帮助文档", true, {"0.html"}}, // 1.html has them in separate blocks
        {"文档帮助", true, {"3.html"}},
        {"使用帮助", true, {"0.html"}},
        {"文档说明", true, {"1.html"}}, // heading text across an inline tag
    };
    for (const SearchCase& c : cases)
        EXPECT_EQ(reader->Find(c.query, c.prefix), c.expected) << c.query;
}

// python3-chm searches through chmlib the way xchm does; it must give the pages our reader gives, for the
// queries above and for a word that is in no page (a reader must find nothing, not fail).
TEST_F(FullTextSearch, Python3ChmFindsTheSamePages) {
    if (!HavePython3Chm())
        GTEST_SKIP() << "python3-chm is not installed";
    const std::vector<Query> queries = {{"fox", false},  {"Fox", false},     {"brown", false},   {"fox", true},
                                        {"café", false}, {"帮", false},      {"信", true},       {"帮助", true},
                                        {"文档", true},  {"帮助文档", true}, {"文档说明", true}, {"the", false},
                                        {"the", true},   {"zzzz", false},    {"系统", true}};
    const std::vector<Pages> found = Python3ChmFind(*project, queries);
    ASSERT_EQ(found.size(), queries.size());
    for (size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ(found[i], reader->Find(queries[i].text, queries[i].prefix))
            << queries[i].text << (queries[i].prefix ? " (partial)" : "");
    }
}

// Readers that find no language in #SYSTEM take it from the index, which also says its words' code page.
TEST_F(FullTextSearch, IndexHeaderNamesItsCodePageAndLanguage) {
    const std::string index = reader->Read("/$FIftiMain");
    ASSERT_GT(index.size(), 0x82u);
    const auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(
            static_cast<unsigned char>(index[at]) | static_cast<unsigned char>(index[at + 1]) << 8 |
            static_cast<unsigned char>(index[at + 2]) << 16 | static_cast<unsigned char>(index[at + 3]) << 24);
    };
    EXPECT_EQ(u32(0), 0x280000u); // signature
    EXPECT_EQ(u32(0x7A), 936u);
    EXPECT_EQ(u32(0x7E), 0x804u);
}

TEST_F(FullTextSearch, TitlesComeFromTheTitleOrTheFirstHeadingAndAreSearchable) {
    EXPECT_EQ(reader->TitleOf("0.html"), "Animals");
    EXPECT_EQ(reader->TitleOf("1.html"), "文档说明");
    EXPECT_EQ(reader->Find("animals", false, true), Pages{"0.html"});
    EXPECT_EQ(reader->Find("说明", true, true), Pages{"1.html"});
    EXPECT_EQ(reader->Find("info", false, true), Pages{"2.html"});
    EXPECT_EQ(reader->Find("quick", false, true), Pages{});
}

// Words in many pages have counts and code sizes that take more than one byte in the leaf entry; every reader
// must still get every page, and only those. 256 is the count a reader taking the bytes in the wrong order
// reads as 2.
TEST(FullTextSearchManyPages, WordsInHundredsOfPagesAreFoundInEachOfThem) {
    SearchProject project("many");
    Pages everywhere;
    Pages most;
    for (int page = 0; page < 300; ++page) {
        const std::string name = std::to_string(page) + ".html";
        std::string body = "<p>everywhere " + std::to_string(page);
        if (page < 256) {
            body += " most 常见";
            most.insert(name);
        }
        project.Add(name, Page("", body + " everywhere</p>"));
        everywhere.insert(name);
    }
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    const std::vector<Query> queries = {{"everywhere", false}, {"most", false}, {"常见", true}, {"常", false}};
    const std::vector<Pages> expected = {everywhere, most, most, most};
    for (size_t i = 0; i < queries.size(); ++i)
        EXPECT_EQ(reader.Find(queries[i].text, queries[i].prefix), expected[i]) << queries[i].text;
    if (HavePython3Chm()) {
        EXPECT_EQ(Python3ChmFind(project, queries), expected);
    }
}

// Words found on the same pages at the same places have the same codes, stored once; codes with bytes of 0x80 or
// more (long steps between pages) are found again like any others. Each word is still found on its own pages.
TEST(FullTextSearchSharedCodes, WordsAtTheSamePlacesShareTheirCodes) {
    SearchProject project("shared");
    const std::set<int> together = {0, 37, 180, 299};
    const std::set<int> apart = {1, 2, 250};
    Pages togetherPages;
    Pages apartPages;
    for (int page = 0; page < 300; ++page) {
        const std::string name = std::to_string(page) + ".html";
        std::string body = "<p>everywhere";
        if (together.contains(page)) {
            body += " 甲乙 丙丁"; // two runs, no locations: the same codes
            togetherPages.insert(name);
        }
        if (apart.contains(page)) {
            body += " 戊己";
            apartPages.insert(name);
        }
        project.Add(name, Page("", body + "</p>"));
    }
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    const std::vector<std::uint32_t> first = reader.CodeOffsets("甲乙");
    const std::vector<std::uint32_t> second = reader.CodeOffsets("丙丁");
    const std::vector<std::uint32_t> other = reader.CodeOffsets("戊己");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(second, first);
    EXPECT_NE(other, first);
    const std::string index = reader.Read("/$FIftiMain");
    ASSERT_GT(index.size(), first.front());
    // The steps 37, 143 and 119 between the pages make a code byte of 0x80 or more.
    EXPECT_GE(static_cast<unsigned char>(index[first.front()]) | static_cast<unsigned char>(index[first.front() + 1]),
              0x80);
    EXPECT_EQ(reader.Find("甲乙", false), togetherPages);
    EXPECT_EQ(reader.Find("丙丁", false), togetherPages);
    EXPECT_EQ(reader.Find("戊己", false), apartPages);
    // Single characters have locations: 甲 and 丙 stand at different places, so their codes differ.
    EXPECT_NE(reader.CodeOffsets("甲"), reader.CodeOffsets("丙"));
}

// Locations one, two and three 7-bit groups apart on a page, and on a page further on, come back exactly.
TEST(FullTextSearchSharedCodes, LocationsFarApartComeBackExactly) {
    SearchProject project("far");
    std::string body = "<p>marker";
    for (int word = 1; word < 20000; ++word)
        body += word == 200 || word == 16500 ? " marker" : " filler";
    project.Add("a.html", Page("", body + " marker</p>"));
    for (int page = 0; page < 200; ++page)
        project.Add("b" + std::to_string(page) + ".html", Page("", "<p>filler</p>"));
    project.Add("c.html", Page("", "<p>one two three four five marker</p>"));
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    const std::map<std::string, std::vector<uint32_t>> locations = {{"a.html", {0, 200, 16500, 20000}},
                                                                    {"c.html", {5}}};
    EXPECT_EQ(reader.Locations("marker"), locations);
    EXPECT_EQ(reader.Locations("filler").at("a.html").size(), 19997u);
    EXPECT_EQ(reader.Locations("filler").size(), 201u);
}

// An index of three levels or more, walked down from the root as chmlib's search does: every English word and
// every Chinese character of the pages is found whole with exactly its pages, and each run of characters by a
// partial lookup. Random runs of 1,800 characters make the many distinct words that need the third level.
TEST(FullTextSearchDeepIndex, ReadersWalkingDownFromTheRootFindEveryWordWithItsPages) {
    SearchProject project("deep");
    std::vector<std::string> characters; // UTF-8
    for (int lead = 0xB0; lead <= 0xD7 && characters.size() < 1800; ++lead)
        for (int trail = 0xA1; trail <= 0xFE && characters.size() < 1800; ++trail)
            characters.push_back(Utf8FromGb18030(std::string{static_cast<char>(lead), static_cast<char>(trail)}));
    const char* const english[] = {"help",    "topic", "document",  "install", "option", "window", "zebra",
                                   "quantum", "yield", "xylophone", "alpha",   "bravo",  "page"};
    std::map<std::string, Pages> expected;
    std::vector<Query> partial;
    std::vector<Pages> partialExpected;
    std::mt19937 random(17);
    for (int page = 0; page < 160; ++page) {
        const std::string name = "p" + std::to_string(page) + ".html";
        std::string body = "<p>";
        for (int chars = 0; chars < 900;) {
            const std::string word = english[random() % std::size(english)] + std::to_string(random() % 300);
            expected[word].insert(name);
            std::string run;
            const int length = 1 + static_cast<int>(random() % 8);
            for (int k = 0; k < length; ++k) {
                const std::string& c = characters[random() % characters.size()];
                expected[c].insert(name);
                run += c;
            }
            chars += length;
            if (page % 40 == 0 && length == 4) {
                partial.push_back({run, true});
                partialExpected.push_back({});
            }
            body += word + " " + run + (random() % 5 == 0 ? "</p><p>" : " ");
        }
        project.Add(name, Page("<title>" + name + "</title>", body + "</p>")); // python3-chm keys pages by title
    }
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    const std::string index = reader.Read("/$FIftiMain");
    ASSERT_GT(index.size(), 0x1Au);
    EXPECT_GE(static_cast<unsigned char>(index[0x18]) | static_cast<unsigned char>(index[0x19]) << 8, 3);

    std::vector<Query> queries;
    std::vector<Pages> pages;
    for (const auto& [word, where] : expected) {
        queries.push_back({word, false});
        pages.push_back(where);
    }
    // A run's pages: wherever its characters stand together, which our reader's leaf walk tells.
    for (size_t i = 0; i < partial.size(); ++i) {
        partialExpected[i] = reader.Find(partial[i].text, true);
        EXPECT_FALSE(partialExpected[i].empty()) << partial[i].text;
    }
    queries.insert(queries.end(), partial.begin(), partial.end());
    pages.insert(pages.end(), partialExpected.begin(), partialExpected.end());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(reader.Find(queries[i].text, false), pages[i]) << queries[i].text;
    if (!HavePython3Chm())
        GTEST_SKIP() << "python3-chm is not installed";
    const std::vector<Pages> found = Python3ChmFind(project, queries);
    ASSERT_EQ(found.size(), queries.size());
    size_t wrong = 0;
    for (size_t i = 0; i < queries.size(); ++i)
        if (found[i] != pages[i] && ++wrong <= 5)
            ADD_FAILURE() << queries[i].text << (queries[i].prefix ? " (partial)" : "") << ": " << found[i].size()
                          << " pages instead of " << pages[i].size();
    EXPECT_EQ(wrong, 0u) << "of " << queries.size();
}

// Runs of characters are sorted into the word tree with the other words: runs of characters of two bytes in the
// code page and runs holding one of four bytes, in titles and in page text. A partial lookup of two to four characters
// finds exactly the pages where they stand together, and a whole-word lookup the pages where they are a word of the
// index (each character, and the run of up to four that it starts), as counted from the pages' text here.
TEST(FullTextSearchRuns, EveryRunIsFoundWhereItsCharactersStandTogether) {
    SearchProject project("runs");
    const std::vector<std::string> characters = {"啊", "中", "文", "档", "\xE3\x90\x80"}; // U+3400: four bytes
    std::map<std::string, Pages> together;
    std::map<std::string, Pages> whole;
    const auto count = [&](const std::vector<std::string>& run, const std::string& page) {
        for (size_t start = 0; start < run.size(); ++start) {
            std::string word;
            const size_t longest = std::min<size_t>(4, run.size() - start);
            for (size_t length = 1; length <= longest; ++length) {
                word += run[start + length - 1];
                together[word].insert(page);
                if (length == 1 || length == longest)
                    whole[word].insert(page);
            }
        }
    };
    std::mt19937 random(5);
    const auto makeRun = [&](std::string& text, const std::string& page) {
        std::vector<std::string> run;
        for (size_t length = 1 + random() % 6; run.size() < length;)
            run.push_back(characters[random() % characters.size()]);
        count(run, page);
        for (const std::string& c : run)
            text += c;
    };
    for (int page = 0; page < 60; ++page) {
        const std::string name = "r" + std::to_string(page) + ".html";
        std::string title = name + " ";
        makeRun(title, name);
        std::string body;
        for (int k = 0; k < 12; ++k) {
            body += "word ";
            makeRun(body, name);
            body += random() % 3 == 0 ? "</p><p>" : " ";
        }
        project.Add(name, Page("<title>" + title + "</title>", "<p>" + body + "</p>"));
    }
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    std::vector<Query> queries;
    std::vector<Pages> pages;
    for (const auto& [word, where] : together) {
        const Pages wholeWord = whole.contains(word) ? whole[word] : Pages{};
        EXPECT_EQ(reader.Find(word, false), wholeWord) << word;
        EXPECT_EQ(reader.Find(word, true), where) << word;
        queries.push_back({word, false});
        pages.push_back(wholeWord);
        queries.push_back({word, true});
        pages.push_back(where);
    }
    if (!HavePython3Chm())
        GTEST_SKIP() << "python3-chm is not installed";
    const std::vector<Pages> found = Python3ChmFind(project, queries);
    ASSERT_EQ(found.size(), queries.size());
    for (size_t i = 0; i < queries.size(); ++i)
        EXPECT_EQ(found[i], pages[i]) << queries[i].text << (queries[i].prefix ? " (partial)" : "");
}

// 丄 (81 41) and 乤 (81 61) differ only in the case of their second byte, which the viewers fold in comparing words,
// so to them the two are one word, and so are 丄乤, 乤丄, 乤乤 and 丄丄. What a folding viewer can offer is every
// page holding either spelling, in page text and in titles, whole and in runs; a viewer that stopped at the first
// of two entries folding alike would miss the pages of the other. Page text (the title, then the body) locations
// come page by page in order, as phrase matching reads them. The words next to them, 中 and 文档, are found as before.
TEST(FullTextSearchFoldedBytes, WordsWhoseBytesFoldAlikeAreFoundTogether) {
    SearchProject project("fold");
    project.Add("a.html", Page("<title>a 丄</title>", "<p>丄 文档</p>"));
    project.Add("b.html", Page("<title>b 乤丄</title>", "<p>乤丄 中 丄</p>"));
    project.Add("c.html", Page("<title>c 丄乤</title>", "<p>丄乤 乤</p>"));
    project.Add("d.html", Page("<title>d</title>", "<p>中文 档</p>"));
    project.Add("e.html", Page("<title>e 乤</title>", "<p>乤 中</p>"));
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    const Pages either = {"a.html", "b.html", "c.html", "e.html"};
    const Pages runs = {"b.html", "c.html"};
    const std::pair<Query, Pages> cases[] = {
        {{"丄", false}, either},       {{"乤", false}, either},
        {{"丄", true}, either},        {{"乤", true}, either},
        {{"丄乤", false}, runs},       {{"乤丄", false}, runs},
        {{"乤乤", false}, runs},       {{"丄丄", true}, runs},
        {{"丄乤", true}, runs},        {{"乤", false, true}, either},
        {{"丄", false, true}, either}, {{"乤丄", true, true}, runs},
        {{"丄丄", false, true}, runs}, {{"中", false}, {"b.html", "d.html", "e.html"}},
        {{"文档", true}, {"a.html"}}};
    std::vector<Query> queries;
    std::vector<Pages> expected;
    for (const auto& [query, pages] : cases) {
        EXPECT_EQ(reader.Find(query.text, query.prefix, query.titlesOnly), pages)
            << query.text << (query.prefix ? " (partial)" : "") << (query.titlesOnly ? " (titles)" : "");
        queries.push_back(query);
        expected.push_back(pages);
    }
    const std::map<std::string, std::vector<uint32_t>> locations = {
        {"a.html", {1, 2}}, {"b.html", {1, 2, 3, 4, 6}}, {"c.html", {1, 2, 3, 4, 5}}, {"e.html", {1, 2}}};
    EXPECT_EQ(reader.Locations("丄"), locations);
    EXPECT_EQ(reader.Locations("乤"), locations);
    if (HavePython3Chm()) {
        EXPECT_EQ(Python3ChmFind(project, queries), expected);
    }
}

// The fold covers 'A' to 'Z' and nothing beside them: 乑 (81 5A) and 亃 (81 7A) are one word to the viewers, 丂
// (81 40) and 乣 (81 60), 乕 (81 5B) and 亄 (81 7B) are two words each, alone and in runs.
TEST(FullTextSearchFoldedBytes, TheFoldEndsAtZ) {
    SearchProject project("fold-ends");
    project.Add("a.html", Page("<title>a</title>", "<p>乑</p>"));
    project.Add("b.html", Page("<title>b</title>", "<p>亃 乑亃</p>"));
    project.Add("c.html", Page("<title>c</title>", "<p>亃乑</p>"));
    project.Add("d.html", Page("<title>d</title>", "<p>丂 乕 丂丂 乕乕</p>"));
    project.Add("e.html", Page("<title>e</title>", "<p>乣 亄 乣乣 亄亄</p>"));
    ASSERT_TRUE(project.Compile());
    SearchIndexReader reader(project.Output());
    const Pages either = {"a.html", "b.html", "c.html"};
    const std::pair<Query, Pages> cases[] = {{{"乑", false}, either},
                                             {{"亃", false}, either},
                                             {{"乑", true}, either},
                                             {{"亃", true}, either},
                                             {{"乑亃", false}, {"b.html", "c.html"}},
                                             {{"亃亃", false}, {"b.html", "c.html"}},
                                             {{"乑乑", true}, {"b.html", "c.html"}},
                                             {{"丂", false}, {"d.html"}},
                                             {{"乣", false}, {"e.html"}},
                                             {{"乕", false}, {"d.html"}},
                                             {{"亄", false}, {"e.html"}},
                                             {{"丂丂", false}, {"d.html"}},
                                             {{"乣乣", false}, {"e.html"}},
                                             {{"乕乕", false}, {"d.html"}},
                                             {{"亄亄", false}, {"e.html"}}};
    std::vector<Query> queries;
    std::vector<Pages> expected;
    for (const auto& [query, pages] : cases) {
        EXPECT_EQ(reader.Find(query.text, query.prefix, query.titlesOnly), pages)
            << query.text << (query.prefix ? " (partial)" : "");
        queries.push_back(query);
        expected.push_back(pages);
    }
    // Braced: the assertion macro ends in an else of its own.
    if (HavePython3Chm()) {
        EXPECT_EQ(Python3ChmFind(project, queries), expected);
    }
}

// Pages as the document server saves them: code page 936 bytes declared gb2312, a reference for every character
// that code page cannot hold. Every reader finds every word, those written as references too; links in the code
// page's bytes reach their pages; titles keep their references, which a viewer decoding code page 936 shows as
// written instead of as garbage. 誠 (D5 5C) puts a backslash byte inside a file name.
TEST(FullTextSearchCodePagePages, WordsLinksAndTitlesReadAsCodePage936Viewers) {
    SearchProject project("cp936");
    const auto page = [](const std::string& title, const std::string& body) {
        return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"><title>" +
               Gb18030(title) + "</title></head><body>" + Gb18030(body) + "</body></html>";
    };
    const std::string titleWithReferences = "&#220;ber stra&#223;e &#8364; 中文";
    project.Add("0.html", page(titleWithReferences, "<p>&#220;ber stra&#223;e 中文帮助 Welcome</p>"));
    project.Add("1.html", page("说明", "<p>&#1605;&#1585;&#1581;&#1576;&#1575; 帮助 manual <a href=\"中文.html\">x</a> "
                                       "<a href=\"文档/誠.html\">y</a> <a href=\"缺少.html\">z</a></p>"));
    project.Add("中文.html", page("中文", "<p>target</p>"));
    project.Add("文档/誠.html", page("誠", "<p>cheng <a href=\"../1.html\">back</a> <a href=\"誠.html\">self</a></p>"));
    WriteFile(project.folder / "t.hhc",
              Gb18030("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"&#220;ber &amp; 中文\">"
                      "<param name=\"Local\" value=\"文档\\誠.html\"></OBJECT></UL>"));
    ASSERT_TRUE(project.Compile("Contents file=t.hhc\r\n"));
    std::vector<std::string> missing;
    for (const std::string& message : gMessages)
        if (message.find("missing") != std::string::npos || message.find("not in the project") != std::string::npos)
            missing.push_back(message);
    ASSERT_EQ(missing.size(), 1u) << testing::PrintToString(missing);
    EXPECT_NE(missing[0].find("缺少.html"), std::string::npos) << missing[0];

    SearchIndexReader reader(project.Output());
    // (Arabic is no word of the index: it only has to pass through the page unharmed.)
    // Folded as a viewer folds what is typed: A-Z only, so Über is found as written.
    const std::vector<Query> queries = {{"Über", false}, {"straße", false}, {"welcome", false}, {"manual", false},
                                        {"帮助", true},  {"中文", true},    {"誠", false},      {"target", false}};
    const std::vector<Pages> expected = {{"0.html"},       {"0.html"},           {"0.html"},
                                         {"1.html"},       {"0.html", "1.html"}, {"0.html", "中文.html"},
                                         {"文档/誠.html"}, {"中文.html"}};
    for (size_t i = 0; i < queries.size(); ++i)
        EXPECT_EQ(reader.Find(queries[i].text, queries[i].prefix), expected[i]) << queries[i].text;
    if (HavePython3Chm()) {
        EXPECT_EQ(Python3ChmFind(project, queries), expected);
    }

    // Stored titles: code page 936 bytes (GB18030 and code page 936 read them alike) and the references.
    EXPECT_EQ(reader.TitleOf("0.html"), titleWithReferences);
    EXPECT_EQ(reader.TitleOf("文档/誠.html"), "&#220;ber & 中文"); // from the contents
    for (const std::string& title : {titleWithReferences, std::string("&#220;ber & 中文"), std::string("说明")})
        EXPECT_EQ(Gb18030(Gb18030(title), "CP936", "UTF-8"), title);
}

TEST(FullTextSearchBadInput, UnreadablePagesAreSkippedWithAWarningAndTheRestIsIndexed) {
    SearchProject project("bad");
    project.Add("good.html", Page("", "<p>survivor 幸存</p>"));
    project.Add("broken.html", "<p <<b>unclosed <i attr=\"x>y\" <!-- never closed <script> tagged");
    project.Add("binary.html", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) + std::string(1000, '\0'));
    project.Add("latin.html",
                "<html><head><meta charset=windows-1252></head><body>na\xEFve r\xE9sum\xE9</body></html>");
    project.Add("picture.png", std::string("\x89PNG\0\0", 6));
    std::string huge = Page("", "<p>");
    huge.reserve(50u << 20);
    while (huge.size() < (50u << 20))
        huge += "alpha beta gamma 数据 delta ";
    project.Add("huge.html", huge + "omega</p></body></html>");
    ASSERT_TRUE(project.Compile());
    bool warned = false;
    for (const std::string& message : gMessages) {
        warned =
            warned || (message.find("binary.html") != std::string::npos && message.find("search") != std::string::npos);
    }
    EXPECT_TRUE(warned);
    SearchIndexReader reader(project.Output());
    EXPECT_EQ(reader.Find("survivor", false), Pages{"good.html"});
    EXPECT_EQ(reader.Find("幸存", true), Pages{"good.html"});
    EXPECT_EQ(reader.Find("unclosed", false), Pages{"broken.html"});
    EXPECT_EQ(reader.Find("résumé", false), Pages{"latin.html"});
    EXPECT_EQ(reader.Find("omega", false), Pages{"huge.html"});
    EXPECT_EQ(reader.Find("数据", true), Pages{"huge.html"});
}

// A project may name a stop list: its English words are left out, Chinese characters never are, the rest is
// found as before, and a lookup of a left-out word finds nothing in any reader rather than failing.
TEST(FullTextSearchStopList, ListedWordsAreLeftOutAndTheRestIsFound) {
    SearchProject project("stop");
    project.Add("a.html", Page("<title>The Guide</title>", "<p>The fox and the dog 的帮助</p>"));
    project.Add("b.html", Page("", "<p>There is a theory</p>"));
    WriteFile(project.folder / "common.stp", "the\r\nAND is\r\n的\r\n");
    ASSERT_TRUE(project.Compile("Full text search stop list file=common.stp\r\n"));
    SearchIndexReader reader(project.Output());
    const SearchCase cases[] = {{"the", false, {}},         {"and", false, {}},
                                {"is", false, {}},          {"the", true, {"b.html"}}, // there, theory
                                {"fox", false, {"a.html"}}, {"dog", false, {"a.html"}},
                                {"的", false, {"a.html"}},  {"的帮助", true, {"a.html"}}};
    for (const SearchCase& c : cases)
        EXPECT_EQ(reader.Find(c.query, c.prefix), c.expected) << c.query << (c.prefix ? " (partial)" : "");
    EXPECT_EQ(reader.Find("the", false, true), Pages{});
    EXPECT_EQ(reader.Find("guide", false, true), Pages{"a.html"});
    if (HavePython3Chm()) {
        const std::vector<Pages> found = Python3ChmFind(project, {{"the", false}, {"and", false}, {"fox", false}});
        EXPECT_EQ(found, (std::vector<Pages>{{}, {}, {"a.html"}}));
    }
}

TEST(FullTextSearchStopList, AMissingStopListOnlyWarns) {
    SearchProject project("nostop");
    project.Add("a.html", Page("", "<p>the fox</p>"));
    ASSERT_TRUE(project.Compile("Full text search stop list file=missing.stp\r\n"));
    bool warned = false;
    for (const std::string& message : gMessages)
        warned = warned || message.find("missing.stp") != std::string::npos;
    EXPECT_TRUE(warned);
    EXPECT_EQ(SearchIndexReader(project.Output()).Find("the", false), Pages{"a.html"});
}

TEST(FullTextSearchOff, NoIndexWhenTheProjectDoesNotAskForOne) {
    SearchProject project("off");
    project.Add("a.html", Page("", "<p>word</p>"));
    WriteFile(project.folder / "t.hhp", "[OPTIONS]\r\nCompiled file=t.chm\r\nLanguage=0x804\r\n[FILES]\r\na.html\r\n");
    ASSERT_TRUE(HHA_CompileHHP((project.folder / "t.hhp").c_str(), Record, nullptr, 0));
    SearchIndexReader reader(project.Output());
    EXPECT_FALSE(reader.HasIndex());
}

// The callers' narrow strings are UTF-8 (their process code page): the project path, and every message they get
// back; the project's own files are in the code page of its language.
TEST(ChineseNames, ProjectOutputAndPagesWithChineseNamesCompile) {
    const fs::path folder = fs::temp_directory_path() / ("chm-search-中文项目-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    WriteFile(folder / "页面" / "第一.html", Page("<title>第一</title>", "<p>链接 <a href=\"缺失.html\">x</a></p>"));
    WriteFile(folder / "手册.hhc", Gb18030("<HTML><BODY><UL><LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" "
                                           "value=\"第一\"><param name=\"Local\" value=\"页面\\第一.html\"></OBJECT>"
                                           "</UL></BODY></HTML>"));
    fs::create_directories(folder / "输出");
    WriteFile(folder / "手册.hhp",
              Gb18030("[OPTIONS]\r\nCompiled file=输出\\手册.chm\r\nContents file=手册.hhc\r\n"
                      "Full-text search=Yes\r\nLanguage=0x804\r\nTitle=手册\r\n\r\n"
                      "[WINDOWS]\r\nmain=\"手册\",\"手册.hhc\",,\"页面\\第一.html\",,,,,,0x2520\r\n"
                      "\r\n[FILES]\r\n页面\\第一.html\r\n"));
    gMessages.clear();
    ASSERT_TRUE(HHA_CompileHHP((folder / "手册.hhp").string().c_str(), Record, nullptr, 0));
    ASSERT_TRUE(fs::exists(folder / "输出" / "手册.chm"));

    bool warnedInUtf8 = false;
    for (const std::string& message : gMessages)
        warnedInUtf8 = warnedInUtf8 || message.find("页面/缺失.html") != std::string::npos;
    EXPECT_TRUE(warnedInUtf8);

    SearchIndexReader reader((folder / "输出" / "手册.chm").string());
    EXPECT_EQ(reader.Find("链接", true), Pages{"页面/第一.html"});
    // The contents are named in #SYSTEM and #WINDOWS by an ASCII name that holds the same bytes.
    const std::string system = reader.Read("/#SYSTEM");
    EXPECT_NE(system.find("contents.hhc"), std::string::npos);
    EXPECT_EQ(reader.Read("/contents.hhc"), reader.Read("/手册.hhc"));
    EXPECT_FALSE(reader.Read("/contents.hhc").empty());
    EXPECT_NE(reader.Read("/#STRINGS").find("contents.hhc"), std::string::npos);
    fs::remove_all(folder);
}

TEST(ChineseNames, MissingProjectIsReportedInUtf8) {
    gMessages.clear();
    EXPECT_FALSE(HHA_CompileHHP("/nonexistent/缺少的项目.hhp", Record, nullptr, 0));
    ASSERT_FALSE(gMessages.empty());
    EXPECT_NE(gMessages.front().find("缺少的项目.hhp"), std::string::npos);
}

} // namespace
