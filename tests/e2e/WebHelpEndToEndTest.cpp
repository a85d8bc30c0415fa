// Web help through leafbind-cli: documents built here, the web folder walked link by link, and its pages opened in
// headless Chromium and Firefox as a reader would open them from disk (the contents, a search, a help ID).

#include "CliRun.h"
#include "FileText.h"
#include "base/Text.h"
#include "docbuilder/DocxBuilder.h"
#include "webhelp/LetterCase.h"
#include "webhelp/SearchWords.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

// The first of the programs named that the shell finds.
std::optional<std::string> FindProgram(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const CliRun found = RunShell("command -v " + std::string(name));
        if (found.status == 0 && !found.output.empty())
            return found.output.substr(0, found.output.find('\n'));
    }
    return std::nullopt;
}

std::optional<std::string> FindChromium() {
    return FindProgram({"chromium", "chromium-browser"});
}

std::optional<std::string> FindFirefox() {
    return FindProgram({"firefox-esr", "firefox"});
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
            .AddParagraph("把Word文档变成网页。")
            .AddHeading(1, "Kites")
            .AddParagraph("A kite is no airship. 助手。")
            // Words in other alphabets, each page holding them in the other case.
            .AddParagraph("Der Drache fliegt ÜBER die Felder. Ο λόγος. Москва.")
            .AddHeading(1, "Über Drachen")
            .AddParagraph("Drachen sind leicht. ΛΌΓΟΣ. МОСКВА.");
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

    // The page's document after its scripts ran, as headless Chromium sees it from disk; empty when Chromium is
    // not installed.
    std::string OpenInBrowser(const std::string& pageAndQuery) { return OpenInChromium("web/" + pageAndQuery); }

    // pathAndQuery is below the test's folder.
    std::string OpenInChromium(const std::string& pathAndQuery) {
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
            Quote("file://" + folder->string() + "/" + pathAndQuery) + " 2>/dev/null";
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

    // The documents of the pages (paths with their queries, below the test's folder) after their scripts ran, as
    // headless Firefox sees them from disk, in one run of it; empty when Firefox is not installed. Firefox has no
    // switch that prints a page's document, so a page of the test's opens each in a frame, one after the other
    // (a help ID's page goes on to its topic first), and prints the frame's document through dump(). The frame is
    // read across pages only because the test's profile treats files as of one origin; the help itself only
    // loads scripts beside it, which the default rules allow, as the Chromium tests show.
    std::vector<std::string> OpenInFirefox(const std::vector<std::string>& pathsAndQueries) {
        const auto firefox = FindFirefox();
        if (!firefox)
            return {};
        const fs::path profile = *folder / ("firefox-" + std::to_string(++profiles));
        fs::create_directories(profile);
        std::ofstream(profile / "user.js") << "user_pref(\"browser.dom.window.dump.enabled\", true);\n"
                                              "user_pref(\"security.fileuri.strict_origin_policy\", false);\n"
                                              "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n";
        std::ofstream(*folder / "probe.html") << kFirefoxProbe;
        std::string address = "file://" + folder->string() + "/probe.html?";
        for (size_t i = 0; i < pathsAndQueries.size(); ++i)
            address += (i ? "&" : "") + PercentEncoded(pathsAndQueries[i]);
        // Firefox stays open once the pages are read: the test ends it. timeout ends one that never gets there.
        const std::string command = "timeout 120 " + Quote(*firefox) + " --headless --no-remote --profile " +
                                    Quote(profile.string()) + " " + Quote(address) +
                                    " 2>/dev/null & echo \"LB-PID $!\"; wait";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string output;
        pid_t firefoxPid = 0;
        std::array<char, 65536> line;
        while (pipe && std::fgets(line.data(), line.size(), pipe)) {
            output += line.data();
            if (firefoxPid == 0 && std::string_view(line.data()).starts_with("LB-PID "))
                firefoxPid = static_cast<pid_t>(std::stol(line.data() + 7));
            if (firefoxPid > 0 && std::string_view(line.data()).starts_with("LB-PROBE-DONE")) {
                ::kill(firefoxPid, SIGTERM);
                firefoxPid = -1;
            }
        }
        if (pipe)
            ::pclose(pipe);
        fs::remove_all(profile);
        std::vector<std::string> documents;
        for (size_t begin = output.find("LB-PROBE-BEGIN\n"); begin != std::string::npos;
             begin = output.find("LB-PROBE-BEGIN\n", begin + 1)) {
            const size_t start = begin + std::string_view("LB-PROBE-BEGIN\n").size();
            documents.push_back(output.substr(start, output.find("\nLB-PROBE-END", start) - start));
        }
        EXPECT_EQ(documents.size(), pathsAndQueries.size()) << output.substr(0, 2000);
        documents.resize(pathsAndQueries.size());
        return documents;
    }
    bool FirefoxMissing() { return !FindFirefox(); }

    static constexpr const char* kFirefoxProbe = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body><script>
var pages = location.search.slice(1).split('&').map(decodeURIComponent);
function openPage(at) {
    if (at === pages.length) {
        dump('LB-PROBE-DONE\n');
        return;
    }
    var frame = document.createElement('iframe');
    frame.style.width = '1100px'; // a desktop's layout, not a phone's
    frame.style.height = '700px';
    frame.onload = function () {
        var main = frame.contentDocument.getElementById('lb-main');
        if (main && main.getAttribute('data-kind') === 'open')
            return;
        dump('LB-PROBE-BEGIN\n' + frame.contentDocument.documentElement.outerHTML + '\nLB-PROBE-END\n');
        openPage(at + 1);
    };
    frame.src = pages[at];
    document.body.appendChild(frame);
}
openPage(0);
</script></body></html>
)";

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

#define SKIP_WITHOUT_FIREFOX()                                                                                         \
    if (FirefoxMissing())                                                                                              \
    GTEST_SKIP() << "firefox-esr is not installed (scripts/setup.sh installs it): the web help is not opened in "      \
                    "Firefox"

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
    EXPECT_EQ(pages, (std::vector<std::string>{"0.html", "1.html", "2.html", "3.html", "4.html", "5.html", "6.html"}))
        << dom;
    for (const char* title : {">Airships<", ">Zeppelins<", ">Balloons<", ">中文说明<", ">Kites<", ">Über Drachen<"})
        EXPECT_NE(contents.find(title), std::string::npos) << title;
    EXPECT_NE(contents.find("<a href=\"0.html\" class=\"lb-current\" aria-current=\"page\">"), std::string::npos)
        << contents;
    EXPECT_NE(dom.find("Welcome to the zeppelin manual."), std::string::npos) << "the front page is the home topic";
    EXPECT_NE(dom.find("id=\"lb-title\" href=\"index.html\">Airships 飞艇</a>"), std::string::npos);

    // Tab stops at the tab shown only.
    const std::string indexDom = OpenInBrowser("index.html?panel=index");
    for (const auto& [page, shownTab, otherTab] :
         {std::tuple{&dom, "lb-tab-toc", "lb-tab-keys"}, std::tuple{&indexDom, "lb-tab-keys", "lb-tab-toc"}}) {
        EXPECT_EQ(AllMatches(*page, "id=\"" + std::string(shownTab) + "\"[^>]*tabindex=\"(-?[0-9])\""),
                  std::vector<std::string>{"0"});
        EXPECT_EQ(AllMatches(*page, "id=\"" + std::string(otherTab) + "\"[^>]*tabindex=\"(-?[0-9])\""),
                  std::vector<std::string>{"-1"});
    }

    // The index: one entry per heading, in alphabetical order, each leading to its topic.
    const std::string index = ElementById(indexDom, "lb-keys", "div");
    const std::vector<std::string> entries = AllMatches(index, "<a href=\"([^\"]+)\">[^<]*</a>");
    // Airships, Airships 飞艇 (the front page, titled as the book), Balloons, Kites, Zeppelins, Über Drachen,
    // 中文说明.
    EXPECT_EQ(entries, (std::vector<std::string>{"1.html", "0.html", "3.html", "5.html", "2.html", "6.html", "4.html"}))
        << index;

    // On a topic deeper down, its branch is open and it is the one marked.
    const std::string deeper = ElementById(OpenInBrowser("2.html"), "lb-toc", "div");
    // One stop for Tab an entry: the branch's own summary is left out.
    EXPECT_NE(deeper.find("<details open=\"\"><summary tabindex=\"-1\"><a href=\"1.html\">Airships"), std::string::npos)
        << deeper;
    EXPECT_NE(deeper.find("<a href=\"2.html\" class=\"lb-current\" aria-current=\"page\">Zeppelins"),
              std::string::npos);
}

namespace {

struct SearchCase {
    std::string query;
    std::vector<std::string> pages; // best first
    std::string firstLine = {};     // how the first topic's line of context begins, when it matters
};
const SearchCase kSearchCases[] = {
    // Whole words and words they begin; the topic titled so first.
    {"zeppelin", {"2.html", "1.html", "0.html"}},
    // The line of context leaves out the heading the link shows already.
    {"ZEPPELIN floats", {"1.html"}, "<p>A <mark>zeppelin</mark> <mark>floats</mark>."},
    {"帮助", {"1.html", "4.html"}},
    {"帮助 zeppelin", {"1.html"}},
    {"气囊", {"4.html"}}, // the link's text
    {"本工具帮助", {"4.html"}},
    {"助", {"1.html", "4.html", "5.html"}},
    {"zeppelinx", {}},
    // A word written against Chinese characters.
    {"WORD", {"4.html"}, "<p>本工具帮助用户。见气囊。 把<mark>Word</mark>文档"},
    // Other alphabets in either case, each page holding the word in the other one too.
    {"über", {"6.html", "5.html"}},
    {"ÜBER", {"6.html", "5.html"}},
    {"λόγος", {"5.html", "6.html"}},
    {"ΛΌΓΟΣ", {"5.html", "6.html"}},
    {"москва", {"5.html", "6.html"}},
    {"МОСКВА", {"5.html", "6.html"}},
};

std::string SearchPage(const SearchCase& test) {
    return "search.html?q=" + PercentEncoded(test.query);
}

void ExpectSearchResults(const SearchCase& test, const std::string& dom) {
    SCOPED_TRACE(test.query);
    const std::string results = ElementById(dom, "lb-results", "ol");
    ASSERT_NE(dom.find("id=\"lb-summary\""), std::string::npos) << dom;
    std::vector<std::string> pages;
    for (const std::string& href : AllMatches(results, "<a href=\"([^\"?]+)\\?q="))
        pages.push_back(href);
    EXPECT_EQ(pages, test.pages) << results;
    EXPECT_TRUE(test.pages.empty() || results.find("<mark>") != std::string::npos)
        << "a line of context with the words marked";
    EXPECT_TRUE(test.firstLine.empty() || results.find("</a>" + test.firstLine) != std::string::npos) << results;
}

struct MarkCase {
    std::string page, query, marked;
};
const MarkCase kMarkCases[] = {
    {"2.html", "rigid 气", "are <mark>rigid</mark> airships"},
    {"4.html", "帮助", "本工具<mark>帮助</mark>用户"},
    {"4.html", "word", "把<mark>Word</mark>文档"},
    {"5.html", "über", "fliegt <mark>ÜBER</mark> die"},
    {"6.html", "λόγος", "<mark>ΛΌΓΟΣ</mark>."},
};

std::string MarkPage(const MarkCase& test) {
    return test.page + "?q=" + PercentEncoded(test.query);
}

struct HelpIdCase {
    std::string id, page;
    bool known;
};
// Numbered from 1000 in the order they appear.
const HelpIdCase kHelpIdCases[] = {
    {"IDH_AIRSHIPS", "1.html", true}, {"1000", "1.html", true},     {"IDH_HULL", "2.html", true},
    {"1001", "2.html", true},         {"idh_hull", "2.html", true}, {"IDH_NONE", "0.html", false},
    {"4242", "0.html", false},
};

std::string HelpIdPage(const HelpIdCase& test) {
    return "open.html?id=" + test.id;
}

void ExpectHelpIdOpened(const HelpIdCase& test, const std::string& dom) {
    SCOPED_TRACE(test.id);
    EXPECT_NE(dom.find("data-kind=\"topic\" data-page=\"" + test.page + "\""), std::string::npos) << dom;
    EXPECT_EQ(dom.find("id=\"lb-unknown\"") != std::string::npos, !test.known);
    EXPECT_TRUE(test.known || dom.find("No topic has the help ID \u201C" + test.id + "\u201D") != std::string::npos);
}

} // namespace

TEST_F(WebHelp, SearchListsExactlyThePagesHoldingAllTheWordsBestFirst) {
    SKIP_WITHOUT_BROWSER();
    for (const SearchCase& test : kSearchCases)
        ExpectSearchResults(test, OpenInBrowser(SearchPage(test)));
}

TEST_F(WebHelp, TheWordsSearchedForAreMarkedOnTheTopicOpened) {
    SKIP_WITHOUT_BROWSER();
    for (const MarkCase& test : kMarkCases) {
        const std::string dom = OpenInBrowser(MarkPage(test));
        EXPECT_NE(dom.find(test.marked), std::string::npos) << test.query << "\n" << dom;
    }
}

TEST_F(WebHelp, HelpIdsOpenTheirTopicByNameAndNumberAndUnknownOnesTheHomePage) {
    SKIP_WITHOUT_BROWSER();
    for (const HelpIdCase& test : kHelpIdCases)
        ExpectHelpIdOpened(test, OpenInBrowser(HelpIdPage(test)));
    EXPECT_NE(ReadText(web() / "_web" / "book.js").find("\"IDH_HULL\":\"2.html#IDH_HULL\""), std::string::npos)
        << "a help ID inside a topic opens at its anchor";
}

TEST_F(WebHelp, FirefoxShowsTheContentsSearchesAndOpensHelpIdsAsChromiumDoes) {
    SKIP_WITHOUT_FIREFOX();
    std::vector<std::string> pages = {"web/index.html"};
    for (const SearchCase& test : kSearchCases)
        pages.push_back("web/" + SearchPage(test));
    for (const MarkCase& test : kMarkCases)
        pages.push_back("web/" + MarkPage(test));
    for (const HelpIdCase& test : kHelpIdCases)
        pages.push_back("web/" + HelpIdPage(test));
    const std::vector<std::string> documents = OpenInFirefox(pages);
    ASSERT_EQ(documents.size(), pages.size());
    auto document = documents.begin();

    const std::string contents = ElementById(*document++, "lb-toc", "div");
    EXPECT_EQ(AllMatches(contents, "<a href=\"([^\"]+)\""),
              (std::vector<std::string>{"0.html", "1.html", "2.html", "3.html", "4.html", "5.html", "6.html"}))
        << contents;
    for (const SearchCase& test : kSearchCases)
        ExpectSearchResults(test, *document++);
    for (const MarkCase& test : kMarkCases) {
        EXPECT_NE(document->find(test.marked), std::string::npos) << test.query << "\n" << *document;
        ++document;
    }
    for (const HelpIdCase& test : kHelpIdCases)
        ExpectHelpIdOpened(test, *document++);
}

// The keys a reader uses in the side panel, pressed on a copy of a topic (and of a search) that runs a script of the
// test's once the page is loaded; the copies sit beside the pages, so the page's own script runs as it does there.
// Where Tab stops is the order of the page and its tabindex attributes, checked with the contents above.
TEST_F(WebHelp, TheContentsTabsAndMenuAnswerTheKeyboardAndASearchHandsTabToItsResults) {
    if (BrowserMissing() && FirefoxMissing())
        GTEST_SKIP() << "neither chromium nor firefox-esr is installed (scripts/setup.sh installs them)";
    const std::string keys = R"(<script>
window.addEventListener('load', function () {
    var log = [];
    function focused() {
        var at = document.activeElement;
        return at.getAttribute('href') || at.id || at.tagName;
    }
    function press(key) {
        document.activeElement.dispatchEvent(new KeyboardEvent('keydown', { key: key, bubbles: true, cancelable: true }));
        log.push(key + ':' + focused());
    }
    if (document.getElementById('lb-main').getAttribute('data-kind') === 'topic') {
        document.querySelector('#lb-toc .lb-current').focus();
        log.push('start:' + focused());
        ['ArrowUp', 'ArrowLeft', 'ArrowDown', 'ArrowUp', 'ArrowRight', 'ArrowRight', 'ArrowLeft', 'ArrowUp'].forEach(press);
        document.getElementById('lb-tab-toc').focus();
        press('ArrowRight');
        document.getElementById('lb-menu').click();
    }
    log.push('then:' + focused());
    var out = document.createElement('pre');
    out.id = 'lb-keylog';
    out.textContent = log.join(' ');
    document.body.appendChild(out);
});
</script>
)";
    for (const char* page : {"2.html", "search.html"}) {
        std::string copy = ReadText(web() / page);
        copy.insert(copy.rfind("</body>"), keys);
        std::ofstream(web() / ("keys-" + std::string(page)), std::ios::binary) << copy;
    }
    const std::string topicPage = "web/keys-2.html", searchPage = "web/keys-search.html?q=zeppelin";
    std::vector<std::pair<std::string, std::vector<std::string>>> documents;
    if (!BrowserMissing())
        documents.push_back({"chromium", {OpenInChromium(topicPage), OpenInChromium(searchPage)}});
    if (!FirefoxMissing())
        documents.push_back({"firefox", OpenInFirefox({topicPage, searchPage})});
    fs::remove(web() / "keys-2.html");
    fs::remove(web() / "keys-search.html");
    for (const auto& [browser, dom] : documents) {
        SCOPED_TRACE(browser);
        // On Zeppelins, inside Airships: up to Airships, close it, down past its hidden entry to Balloons, back up,
        // open it, into it, left out to Airships again, up to the front page. Right on the contents tab shows the
        // index; the menu then puts the focus on the tab shown, the current entry being hidden with the contents.
        EXPECT_EQ(AllMatches(dom[0], "id=\"lb-keylog\">([^<]*)<"),
                  std::vector<std::string>{"start:2.html ArrowUp:1.html ArrowLeft:1.html ArrowDown:3.html "
                                           "ArrowUp:1.html ArrowRight:1.html ArrowRight:2.html ArrowLeft:1.html "
                                           "ArrowUp:0.html ArrowRight:lb-tab-keys then:lb-tab-keys"})
            << dom[0].substr(0, 2000);
        EXPECT_NE(dom[1].find("id=\"lb-results\""), std::string::npos);
        EXPECT_EQ(AllMatches(dom[1], "id=\"lb-keylog\">([^<]*)<"), std::vector<std::string>{"then:lb-main"});
    }
}

// The page's script folds what is typed with the browser's toLowerCase, the index was folded by our own table: the
// two must agree on every character, or a word typed in one case misses the pages holding it in another. A page of
// the test's runs the web folder's script over every character of the Basic Multilingual Plane and over a sentence
// of several alphabets, beside the table's folds.
TEST_F(WebHelp, TheBrowsersFoldCaseAndBreakWordsAsTheIndexDoes) {
    if (BrowserMissing() && FirefoxMissing())
        GTEST_SKIP() << "neither chromium nor firefox-esr is installed (scripts/setup.sh installs them)";
    const std::string sample = "Ärger ÜBER Größe STRAßE ΛΌΓΟΣ λόγος ΟΔΌΣ МОСКВА Москва ЁЛКА Ґанок İstanbul ǄEMAL ẞ "
                               "ÉTÉ Ωmega ÀÖØÞŸĲŊŽ ϴϹϽЀЏѠӀӁԮ 把文档 CHM帮助";
    std::string folds;
    size_t changed = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (FoldedCase(c) == c)
            continue;
        folds += (changed++ ? "," : "") + std::to_string(static_cast<uint32_t>(c)) + ":" +
                 std::to_string(static_cast<uint32_t>(FoldedCase(c)));
    }
    std::string words;
    std::set<std::string> seen;
    for (const std::string& term : SearchTerms(sample)) {
        if (IsCjkCharacter(Utf8ToUtf16(term)[0]))
            continue;
        if (seen.insert(term).second)
            words += (words.empty() ? "" : " ") + term;
    }
    std::ofstream(*folder / "fold.html")
        << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><script src=\"web/_web/leafbind.js\"></script>"
           "</head><body><p id=\"lb-fold-sample\">"
        << sample << "</p>\n<p id=\"lb-fold-differ\"></p><p id=\"lb-fold-words\"></p>\n<script>\n"
        << "var folds = {" << folds << R"(};
var differ = [], checked = 0;
for (var c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000)
        continue;
    var wanted = Object.prototype.hasOwnProperty.call(folds, c) ? folds[c] : c;
    var got = LB_WORDS.fold(String.fromCodePoint(c)).codePointAt(0);
    ++checked;
    if (got !== wanted)
        differ.push(c.toString(16) + ':' + got.toString(16) + '/' + wanted.toString(16));
}
document.getElementById('lb-fold-differ').textContent = checked + ' checked; differ: ' + differ.join(' ');
document.getElementById('lb-fold-words').textContent =
    LB_WORDS.parts(document.getElementById('lb-fold-sample').textContent).words.join(' ');
</script></body></html>
)";
    ASSERT_GT(changed, 300u) << "the table folds the capitals of four alphabets";
    std::vector<std::pair<std::string, std::string>> documents;
    if (!BrowserMissing())
        documents.emplace_back("chromium", OpenInChromium("fold.html"));
    if (!FirefoxMissing())
        documents.emplace_back("firefox", OpenInFirefox({"fold.html"}).front());
    for (const auto& [browser, dom] : documents) {
        SCOPED_TRACE(browser);
        const std::vector<std::string> differ = AllMatches(dom, "id=\"lb-fold-differ\">([^<]*)<");
        ASSERT_EQ(differ.size(), 1u) << dom.substr(0, 2000);
        EXPECT_EQ(differ[0], "63488 checked; differ: ");
        EXPECT_EQ(AllMatches(dom, "id=\"lb-fold-words\">([^<]*)<"), std::vector<std::string>{words});
    }
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
