// Web help through leafbind-cli: documents built here, the web folder walked link by link, and its pages opened in
// headless Chromium as a reader would open them from disk (the contents, a search, a help ID).

#include "CliRun.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<std::string> FindChromium() {
    for (const char* name : {"chromium", "chromium-browser"}) {
        const CliRun found = [&] {
            CliRun run;
            FILE* pipe = ::popen(("command -v " + std::string(name) + " 2>/dev/null").c_str(), "r");
            std::array<char, 512> buffer{};
            while (pipe && std::fgets(buffer.data(), buffer.size(), pipe))
                run.output += buffer.data();
            run.status = pipe ? WEXITSTATUS(::pclose(pipe)) : -1;
            return run;
        }();
        if (found.status == 0 && !found.output.empty())
            return found.output.substr(0, found.output.find('\n'));
    }
    return std::nullopt;
}

std::string PercentEncoded(const std::string& text) {
    std::string encoded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '_' || c == '-' || c == '.') {
            encoded += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += hex;
        }
    }
    return encoded;
}

// Every match of the pattern's first group, in order.
std::vector<std::string> AllMatches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex expression(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it)
        found.push_back((*it)[1].str());
    return found;
}

// The part of a dumped page from the element with this id to the end of its first closing tag of that name.
std::string ElementById(const std::string& dom, const std::string& id, const std::string& tag) {
    const size_t start = dom.find("id=\"" + id + "\"");
    if (start == std::string::npos)
        return {};
    const size_t end = dom.find("</" + tag + ">", start);
    return dom.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class WebHelp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new fs::path(fs::temp_directory_path() / ("leafbind-web-e2e-" + std::to_string(::getpid())));
        fs::remove_all(*folder);
        fs::create_directories(*folder);
        // A front page, nested topics, a picture, help IDs at a heading and inside a topic, a link between pages,
        // English words that share a beginning, and Chinese pages where only some hold the pair searched for.
        DocxBuilder doc;
        doc.AddParagraph("Welcome to the zeppelin manual.")
            .AddParagraph({BookmarkStart("IDH_AIRSHIPS"), Text("Airships"), BookmarkEnd("IDH_AIRSHIPS")},
                          {.style = "Heading1"})
            .AddParagraph("A zeppelin floats. 飞艇帮助很大。")
            .AddHeading(2, "Zeppelins")
            .AddParagraph("Zeppelins are rigid airships.")
            .AddParagraph({Text("Their "), BookmarkStart("IDH_HULL"), Text("hull"), BookmarkEnd("IDH_HULL"),
                           Text(" is light. "), Picture(TinyPng())})
            .AddParagraph({BookmarkStart("_Ref1"), Text("Gas cells hold the lift."), BookmarkEnd("_Ref1")})
            .AddHeading(1, "Balloons")
            .AddParagraph("Hot air balloons need wind. 帮忙。")
            .AddHeading(1, "中文说明")
            .AddParagraph({Text("本工具帮助用户。见"), AnchorLink("气囊", "_Ref1"), Text("。")})
            .AddHeading(1, "Kites")
            .AddParagraph("A kite is no airship. 助手。");
        doc.Save(*folder / "airships.docx");
        const CliRun run = RunCli({(*folder / "airships.docx").string(), "-o", (*folder / "Airships.chm").string(),
                                   "--title", "Airships 飞艇", "--front-page", "--web", web().string(), "--quiet"});
        conversion = new CliRun(run);
    }
    static void TearDownTestSuite() {
        fs::remove_all(*folder);
        delete folder;
        delete conversion;
    }
    void SetUp() override { ASSERT_EQ(conversion->status, 0) << conversion->output; }

    static fs::path web() { return *folder / "web"; }

    // The page's document after its scripts ran, as headless Chromium sees it from disk; skips the test when
    // Chromium is not installed.
    std::string OpenInBrowser(const std::string& pageAndQuery) {
        const auto chromium = FindChromium();
        if (!chromium)
            return {};
        const fs::path profile = *folder / ("profile-" + std::to_string(++profiles));
        fs::create_directories(profile);
        CliRun run;
        const std::string command =
            Quote(*chromium) +
            " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
            " --disable-component-update --disable-sync --user-data-dir=" +
            Quote(profile.string()) + " --virtual-time-budget=10000 --dump-dom " +
            Quote("file://" + web().string() + "/" + pageAndQuery) + " 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        size_t got;
        while (pipe && (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            run.output.append(buffer.data(), got);
        if (pipe)
            ::pclose(pipe);
        fs::remove_all(profile);
        return run.output;
    }
    bool BrowserMissing() { return !FindChromium(); }

    static fs::path* folder;
    static CliRun* conversion;
    int profiles = 0;
};

fs::path* WebHelp::folder = nullptr;
CliRun* WebHelp::conversion = nullptr;

#define SKIP_WITHOUT_BROWSER()                                                                                         \
    if (BrowserMissing())                                                                                              \
    GTEST_SKIP() << "chromium is not installed (scripts/setup.sh installs it): the web help is not opened in a "       \
                    "browser"

} // namespace

TEST_F(WebHelp, TheRunSaysWhereTheWebHelpIsAndItsPagesAreUtf8) {
    EXPECT_TRUE(fs::is_regular_file(*folder / "Airships.chm")) << "the help file is written too";
    EXPECT_TRUE(fs::is_regular_file(web() / "index.html"));
    const std::string chinese = ReadText(web() / "4.html");
    EXPECT_NE(chinese.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(chinese.find("本工具帮助用户"), std::string::npos);
    EXPECT_EQ(chinese.find("gb2312"), std::string::npos);
    // Where the topic sits in the contents, without the script.
    EXPECT_NE(ReadText(web() / "2.html").find("<a href=\"1.html\">Airships</a>"), std::string::npos);

    const CliRun loud = RunCli(
        {(*folder / "airships.docx").string(), "--no-chm", "--web", (*folder / "loud").string(), "--title", "T"});
    ASSERT_EQ(loud.status, 0) << loud.output;
    EXPECT_NE(loud.output.find("Web help in " + (*folder / "loud").string() + ": open " +
                               (*folder / "loud" / "index.html").string()),
              std::string::npos)
        << loud.output;
    EXPECT_EQ(loud.output.find("Wrote "), std::string::npos) << loud.output;
}

TEST_F(WebHelp, EveryLinkPictureAndAnchorOfTheWebFolderIsThere) {
    size_t files = 0, fragments = 0, pictures = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(web())) {
        if (entry.path().extension() != ".html")
            continue;
        const std::string page = ReadText(entry.path());
        for (const std::string& link : AllMatches(page, "(?:href|src)=\"([^\"]*)\"")) {
            SCOPED_TRACE(entry.path().filename().string() + ": " + link);
            if (link.starts_with("http:") || link.starts_with("https:") || link.starts_with("mailto:"))
                continue;
            const size_t hash = link.find('#');
            const std::string fragment = hash == std::string::npos ? "" : link.substr(hash + 1);
            const std::string file = link.substr(0, std::min(link.find('?'), hash));
            const fs::path target = file.empty() ? entry.path() : entry.path().parent_path() / file;
            ASSERT_TRUE(fs::is_regular_file(target));
            ++files;
            pictures += target.extension() == ".png" ? 1 : 0;
            if (fragment.empty())
                continue;
            const std::string targetPage = ReadText(target);
            EXPECT_TRUE(targetPage.find("name=\"" + fragment + "\"") != std::string::npos ||
                        targetPage.find("id=\"" + fragment + "\"") != std::string::npos);
            ++fragments;
        }
    }
    // The pages the scripts link to: the contents, the index, the help IDs.
    const std::string book = ReadText(web() / "_web" / "book.js");
    for (const std::string& target : AllMatches(book, "\"([^\"]+\\.html(?:#[^\"]*)?)\"")) {
        SCOPED_TRACE("book.js: " + target);
        const size_t hash = target.find('#');
        const fs::path page = web() / target.substr(0, hash);
        ASSERT_TRUE(fs::is_regular_file(page));
        EXPECT_TRUE(hash == std::string::npos ||
                    ReadText(page).find("name=\"" + target.substr(hash + 1) + "\"") != std::string::npos);
        ++files;
    }
    EXPECT_GT(files, 30u);
    EXPECT_GE(fragments, 2u) << "the cross-reference and the skip link";
    EXPECT_EQ(pictures, 1u);
}

TEST_F(WebHelp, TheHomePageListsEveryTopicAndShowsTheFrontPage) {
    SKIP_WITHOUT_BROWSER();
    const std::string dom = OpenInBrowser("index.html");
    const std::string contents = ElementById(dom, "lb-toc", "div");
    const std::vector<std::string> pages = AllMatches(contents, "<a href=\"([^\"]+)\"");
    EXPECT_EQ(pages, (std::vector<std::string>{"0.html", "1.html", "2.html", "3.html", "4.html", "5.html"})) << dom;
    for (const char* title : {">Airships<", ">Zeppelins<", ">Balloons<", ">中文说明<", ">Kites<"})
        EXPECT_NE(contents.find(title), std::string::npos) << title;
    EXPECT_NE(contents.find("<a href=\"0.html\" class=\"lb-current\" aria-current=\"page\">"), std::string::npos)
        << contents;
    EXPECT_NE(dom.find("Welcome to the zeppelin manual."), std::string::npos) << "the front page is the home topic";
    EXPECT_NE(dom.find("id=\"lb-title\" href=\"index.html\">Airships 飞艇</a>"), std::string::npos);

    // The index: one entry per heading, in alphabetical order, each leading to its topic.
    const std::string index = ElementById(OpenInBrowser("index.html?panel=index"), "lb-keys", "div");
    const std::vector<std::string> entries = AllMatches(index, "<a href=\"([^\"]+)\">[^<]*</a>");
    // Airships, Airships 飞艇 (the front page, titled as the book), Balloons, Kites, Zeppelins, 中文说明.
    EXPECT_EQ(entries, (std::vector<std::string>{"1.html", "0.html", "3.html", "5.html", "2.html", "4.html"})) << index;

    // On a topic deeper down, its branch is open and it is the one marked.
    const std::string deeper = ElementById(OpenInBrowser("2.html"), "lb-toc", "div");
    EXPECT_NE(deeper.find("<details open=\"\"><summary><a href=\"1.html\">Airships"), std::string::npos) << deeper;
    EXPECT_NE(deeper.find("<a href=\"2.html\" class=\"lb-current\" aria-current=\"page\">Zeppelins"),
              std::string::npos);
}

TEST_F(WebHelp, SearchListsExactlyThePagesHoldingAllTheWordsBestFirst) {
    SKIP_WITHOUT_BROWSER();
    const struct {
        std::string query;
        std::vector<std::string> pages; // best first
    } cases[] = {
        // Whole words and words they begin; the topic titled so first.
        {"zeppelin", {"2.html", "1.html", "0.html"}},
        {"ZEPPELIN floats", {"1.html"}},
        {"帮助", {"1.html", "4.html"}},
        {"帮助 zeppelin", {"1.html"}},
        {"气囊", {"4.html"}}, // the link's text
        {"本工具帮助", {"4.html"}},
        {"助", {"1.html", "4.html", "5.html"}},
        {"zeppelinx", {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.query);
        const std::string dom = OpenInBrowser("search.html?q=" + PercentEncoded(test.query));
        const std::string results = ElementById(dom, "lb-results", "ol");
        ASSERT_NE(dom.find("id=\"lb-summary\""), std::string::npos) << dom;
        std::vector<std::string> pages;
        for (const std::string& href : AllMatches(results, "<a href=\"([^\"?]+)\\?q="))
            pages.push_back(href);
        EXPECT_EQ(pages, test.pages) << results;
        EXPECT_TRUE(test.pages.empty() || results.find("<mark>") != std::string::npos)
            << "a line of context with the words marked";
    }
}

TEST_F(WebHelp, TheWordsSearchedForAreMarkedOnTheTopicOpened) {
    SKIP_WITHOUT_BROWSER();
    const std::string dom = OpenInBrowser("2.html?q=" + PercentEncoded("rigid 气"));
    EXPECT_NE(dom.find("are <mark>rigid</mark> airships"), std::string::npos) << dom;
    const std::string chinese = OpenInBrowser("4.html?q=" + PercentEncoded("帮助"));
    EXPECT_NE(chinese.find("本工具<mark>帮助</mark>用户"), std::string::npos) << chinese;
}

TEST_F(WebHelp, HelpIdsOpenTheirTopicByNameAndNumberAndUnknownOnesTheHomePage) {
    SKIP_WITHOUT_BROWSER();
    // Numbered from 1000 in the order they appear.
    const struct {
        std::string id, page;
        bool known;
    } cases[] = {
        {"IDH_AIRSHIPS", "1.html", true}, {"1000", "1.html", true},     {"IDH_HULL", "2.html", true},
        {"1001", "2.html", true},         {"idh_hull", "2.html", true}, {"IDH_NONE", "0.html", false},
        {"4242", "0.html", false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.id);
        const std::string dom = OpenInBrowser("open.html?id=" + test.id);
        EXPECT_NE(dom.find("data-kind=\"topic\" data-page=\"" + test.page + "\""), std::string::npos) << dom;
        EXPECT_EQ(dom.find("id=\"lb-unknown\"") != std::string::npos, !test.known);
        EXPECT_TRUE(test.known ||
                    dom.find("No topic has the help ID \u201C" + test.id + "\u201D") != std::string::npos);
    }
    EXPECT_NE(ReadText(web() / "_web" / "book.js").find("\"IDH_HULL\":\"2.html#IDH_HULL\""), std::string::npos)
        << "a help ID inside a topic opens at its anchor";
}

TEST_F(WebHelp, TheWebFolderMustBeNewOrEmptyAndNoFailureLeavesOneBehind) {
    const fs::path source = *folder / "airships.docx";
    // A folder with something in it is refused before any work, and kept as it was.
    const fs::path used = *folder / "used";
    fs::create_directories(used);
    std::ofstream(used / "mine.txt") << "keep me";
    const CliRun refused = RunCli({source.string(), "-o", (*folder / "refused.chm").string(), "--web", used.string()});
    EXPECT_EQ(refused.status, 2) << refused.output;
    EXPECT_NE(refused.output.find("new or empty"), std::string::npos) << refused.output;
    EXPECT_EQ(ReadText(used / "mine.txt"), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(used), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists(*folder / "refused.chm"));

    // Nothing to write, a folder in a folder that is not there, the help file inside the web folder.
    const std::vector<std::vector<std::string>> badRequests = {
        {source.string(), "--no-chm"},
        {source.string(), "--web", (*folder / "no" / "such" / "web").string()},
        {source.string(), "-o", (*folder / "empty" / "in.chm").string(), "--web", (*folder / "empty").string()},
        // The kept pages and the web help in one folder, or one inside the other; the help ID header inside it.
        {source.string(), "--keep", (*folder / "empty").string(), "--web", (*folder / "empty").string()},
        {source.string(), "--keep", (*folder / "empty" / "pages").string(), "--web", (*folder / "empty").string()},
        {source.string(), "--write-map-header", (*folder / "empty" / "ids.h").string(), "--web",
         (*folder / "empty").string()},
    };
    fs::create_directories(*folder / "empty");
    for (const auto& args : badRequests) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 2) << run.output;
    }
    EXPECT_FALSE(fs::exists(*folder / "no"));
    EXPECT_TRUE(fs::is_empty(*folder / "empty"));

    // An empty folder is filled and stays the folder it was (its owner and rights, a shell inside it); with
    // --no-chm there is no help file.
    struct stat before {};
    ASSERT_EQ(::stat((*folder / "empty").c_str(), &before), 0);
    const CliRun onlyWeb = RunCli({source.string(), "--no-chm", "--web", (*folder / "empty").string(), "--quiet"});
    ASSERT_EQ(onlyWeb.status, 0) << onlyWeb.output;
    EXPECT_TRUE(fs::is_regular_file(*folder / "empty" / "index.html"));
    struct stat after {};
    ASSERT_EQ(::stat((*folder / "empty").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_FALSE(fs::exists(folder->parent_path() / "airships.chm"));
    EXPECT_FALSE(fs::exists(*folder / "airships.chm"));

    // A document without headings fails after the folders were made: none is left, the named one is not made.
    DocxBuilder bodyOnly;
    bodyOnly.AddParagraph("Only body text.");
    bodyOnly.Save(*folder / "plain.docx");
    const CliRun failed = RunCli({(*folder / "plain.docx").string(), "--web", (*folder / "failed").string()});
    EXPECT_EQ(failed.status, 4) << failed.output;
    EXPECT_FALSE(fs::exists(*folder / "failed"));
    for (const fs::directory_entry& entry : fs::directory_iterator(*folder))
        EXPECT_EQ(entry.path().filename().string().rfind(".leafbind-", 0), std::string::npos) << entry.path();
}
