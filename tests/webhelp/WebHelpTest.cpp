// The web help's parts one by one: the page read in its declared charset, its visible text, the terms the search
// breaks text into, the search index and the book's script, the frame around a page, and a whole book written from
// pages on disk.

#include "webhelp/BookScript.h"
#include "webhelp/LetterCase.h"
#include "webhelp/PageCharset.h"
#include "webhelp/ScriptData.h"
#include "webhelp/SearchIndex.h"
#include "webhelp/SearchWords.h"
#include "webhelp/VisibleText.h"
#include "webhelp/WebOutput.h"
#include "webhelp/WebPage.h"

#include "automation/CodePage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// "中文" in GB2312 bytes, and as UTF-8.
const std::string kChineseGb = "\xD6\xD0\xCE\xC4";
const std::string kChineseUtf8 = "中文";

std::string GbPage(const std::string& body) {
    return "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\r\n"
           "<title>T</title>\r\n</head>\r\n<body lang=\"zh-CN\">\r\n" +
           body + "\r\n</body>\r\n</html>\r\n";
}

} // namespace

TEST(PageCharset, PagesAreReadInTheirDeclaredCharsetAndDeclaredAgainAsUtf8) {
    struct Case {
        std::string name, page, declared, bodyWanted;
        size_t skipped;
    } cases[] = {
        {"gb2312", GbPage("<p>" + kChineseGb + " &#8364;</p>"), "gb2312", "<p>" + kChineseUtf8 + " &#8364;</p>", 0},
        {"a byte GB18030 has no meaning for is left out",
         GbPage("<p>a\x80"
                "b</p>"),
         "gb2312", "<p>ab</p>", 1},
        {"windows-1252", "<html><head><meta charset='windows-1252'></head><body><p>caf\xE9</p></body></html>",
         "windows-1252", "<p>caf\xC3\xA9</p>", 0},
        {"undeclared UTF-8", "<html><head><title>x</title></head><body><p>" + kChineseUtf8 + "</p></body></html>", "",
         "<html><head><meta charset=\"utf-8\"><title>x</title></head><body><p>" + kChineseUtf8 + "</p>", 0},
        {"undeclared, a head with attributes after a header element",
         "<!DOCTYPE html><html><header></header><head lang=en><title>x</title></head><body>a</body></html>", "",
         "<!DOCTYPE html><html><header></header><head lang=en><meta charset=\"utf-8\"><title>", 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(DeclaredCharset(test.page), test.declared);
        const Utf8Page page = PageAsUtf8(test.page);
        ASSERT_TRUE(page.status.ok()) << page.status.message;
        EXPECT_NE(page.html.find(test.bodyWanted), std::string::npos) << page.html;
        EXPECT_EQ(page.skippedBytes, test.skipped);
        EXPECT_EQ(DeclaredCharset(page.html), "utf-8");
        EXPECT_EQ(page.html.find("gb2312"), std::string::npos);
        EXPECT_EQ(page.html.find("windows-1252"), std::string::npos);
    }
}

TEST(PageCharset, UnknownCharsetsAndBytesThatAreNotTheUtf8DeclaredAreRefused) {
    EXPECT_EQ(PageAsUtf8("<meta charset=\"x-no-such-charset\"><p>a</p>").status.code, StatusCode::NotThisFormat);
    EXPECT_EQ(PageAsUtf8("<meta charset=\"utf-8\"><p>\xD6\xD0</p>").status.code, StatusCode::Damaged);
    EXPECT_EQ(PageAsUtf8("<html><body><p>\xD6\xD0</p></body></html>").status.code, StatusCode::Damaged);
}

TEST(VisibleText, MarkupScriptsStylesAndCommentsGoReferencesAreDecoded) {
    const struct {
        std::string html, text;
    } cases[] = {
        {"<head><title>No</title><style>p{}</style></head><body><p>One</p><p>two</p></body>", "One two"},
        {"<body><p>Pr<span style=\"x\">int</span>ing</p></body>", "Printing"},
        {"<body><p>a &amp; b&nbsp;c &#20013;&#x6587; &bogus; &lt;x&gt;</p></body>", "a & b c 中文 &bogus; <x>"},
        {"<body><!-- hidden --><script>var no = 1;</script><td>cell</td><td>next</td></body>", "cell next"},
        {"<body>\r\n  spread \t over\r\n lines </body>", "spread over lines"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(VisibleText(test.html), test.text) << test.html;
}

TEST(LetterCase, CapitalsOfLatinGreekAndCyrillicFoldToTheirSmallLettersAndNothingElseChanges) {
    const struct {
        char32_t letter, folded;
    } cases[] = {
        // A capital at the start and the end of each run of the table, and one inside.
        {U'A', U'a'},
        {U'Z', U'z'},
        {U'À', U'à'},
        {U'Ö', U'ö'},
        {U'Ø', U'ø'},
        {U'Þ', U'þ'},
        {U'Ā', U'ā'},
        {U'Į', U'į'},
        {U'Ĳ', U'ĳ'},
        {U'Ĺ', U'ĺ'},
        {U'Ň', U'ň'},
        {U'Ŋ', U'ŋ'},
        {U'Ŷ', U'ŷ'},
        {U'Ÿ', U'ÿ'},
        {U'Ź', U'ź'},
        {U'Ž', U'ž'},
        {U'Ά', U'ά'},
        {U'Έ', U'έ'},
        {U'Ό', U'ό'},
        {U'Ώ', U'ώ'},
        {U'Α', U'α'},
        {U'Ρ', U'ρ'},
        {U'Σ', U'σ'},
        {U'Ϋ', U'ϋ'},
        {U'Ϙ', U'ϙ'},
        {U'ϴ', U'θ'},
        {U'Ͻ', U'ͻ'},
        {U'Ѐ', U'ѐ'},
        {U'Џ', U'џ'},
        {U'А', U'а'},
        {U'Я', U'я'},
        {U'Ѡ', U'ѡ'},
        {U'Ӏ', U'ӏ'},
        {U'Ӂ', U'ӂ'},
        {U'Ԯ', U'ԯ'},
        // The final sigma is compared as sigma.
        {U'ς', U'σ'},
        // Small letters, letters without a single small one, what lies outside the ranges, and what is no letter.
        {U'a', U'a'},
        {U'ß', U'ß'},
        {U'ÿ', U'ÿ'},
        {U'İ', U'İ'},
        {U'ı', U'ı'},
        {U'ĸ', U'ĸ'},
        {U'ŉ', U'ŉ'},
        {U'ſ', U'ſ'},
        {U'σ', U'σ'},
        {U'я', U'я'},
        {U'ẞ', U'ẞ'},
        {U'Ա', U'Ա'},
        {U'×', U'×'},
        {U'1', U'1'},
        {U'中', U'中'},
        {U'Ａ', U'Ａ'},
    };
    for (const auto& test : cases)
        EXPECT_EQ(FoldedCase(test.letter), test.folded) << std::hex << static_cast<uint32_t>(test.letter);
    // What is folded folds to itself: no run of the table leads to another capital.
    for (char32_t c = 0; c < 0x530; ++c)
        EXPECT_EQ(FoldedCase(FoldedCase(c)), FoldedCase(c)) << std::hex << static_cast<uint32_t>(c);
}

TEST(SearchWords, WordsAreFoldedAndRunsOfCjkCharactersGoInPairs) {
    const struct {
        std::string text;
        std::vector<std::string> terms;
    } cases[] = {
        {"Print the PRINTER's page-2", {"print", "the", "printer", "s", "page", "2"}},
        {"Ärger ÜBER Größe", {"ärger", "über", "größe"}},
        {"ΛΌΓΟΣ λόγος, МОСКВА Москва", {"λόγοσ", "λόγοσ", "москва", "москва"}},
        {"ÉTÉ été Ÿ İstanbul", {"été", "été", "ÿ", "İstanbul"}},
        {"把文档转换", {"把文", "文档", "档转", "转换"}},
        {"一、CHM帮助", {"一", "chm", "帮助"}},
        {"かな漢字 한국어", {"かな", "な漢", "漢字", "한국", "국어"}},
        {"「」，。！ … ©", {}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(SearchTerms(test.text), test.terms) << test.text;
    EXPECT_TRUE(SearchTerms(std::string(41, 'x')).empty()) << "no term of a word longer than any typed";
    EXPECT_EQ(SearchTerms(std::string(40, 'x')).size(), 1u);
}

TEST(SearchIndex, PagesOfATermInOrderWithTitlesWeighingMore) {
    SearchIndex index;
    index.AddPage("Printing", "0.html", "Printing prints. Print print.");
    index.AddPage("Saving", "1.html", "Nothing to print here; 打印机");
    index.AddPage("打印", "2.html", "Other text.");
    index.AddPage("Über Drucker", "3.html", "ÜBER den DRUCKER, über Москву");
    using Postings = std::vector<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ(index.Postings("print"), (Postings{{0, 2}, {1, 1}}));
    EXPECT_EQ(index.Postings("printing"), (Postings{{0, 1 + kTitleWeight}}));
    EXPECT_EQ(index.Postings("打印"), (Postings{{1, 1}, {2, kTitleWeight}}));
    EXPECT_EQ(index.Postings("印机"), (Postings{{1, 1}}));
    EXPECT_TRUE(index.Postings("prin").empty()) << "prefixes are the browser's to find";
    EXPECT_EQ(index.Postings("über"), (Postings{{3, 2 + kTitleWeight}}));
    EXPECT_EQ(index.Postings("drucker"), (Postings{{3, 1 + kTitleWeight}}));
    EXPECT_EQ(index.Postings("москву"), (Postings{{3, 1}}));
    EXPECT_TRUE(index.Postings("Über").empty());

    const std::string script = index.Script();
    EXPECT_EQ(script.rfind("var LB_SEARCH = {pages: [", 0), 0u);
    EXPECT_NE(script.find("[\"打印\",\"2.html\"]"), std::string::npos);
    // Page 1 weight 1: step 1, doubled; page 2: step 1, doubled, plus one, then the weight.
    EXPECT_NE(script.find("\"打印\":\"CDK\""), std::string::npos) << script;
    EXPECT_NE(script.find("\"print\":\"BCC\""), std::string::npos) << script;
    EXPECT_EQ(PageTextScript(3, "a \"b\""), "LB_TEXT(3,\"a \\\"b\\\"\");\n");
}

TEST(SearchIndex, NumbersAreLettersTheLastOfEachFromItsOwnAlphabet) {
    const struct {
        uint32_t number;
        std::string text;
    } cases[] = {{0, "A"}, {31, "f"}, {32, "hA"}, {33 * 32 + 5, "hhF"}, {0xFFFFFFFF, "j/////f"}};
    for (const auto& test : cases) {
        std::string text = "x";
        AppendPostingNumber(text, test.number);
        EXPECT_EQ(text, "x" + test.text) << test.number;
    }
}

TEST(ScriptData, StringsAreEscapedForScriptsAndScriptElements) {
    EXPECT_EQ(ScriptString("plain 中文"), "\"plain 中文\"");
    EXPECT_EQ(ScriptString("a\"b\\c\nd\te"), "\"a\\\"b\\\\c\\nd\\u0009e\"");
    EXPECT_EQ(ScriptString("</script>"), "\"<\\/script>\"");
    EXPECT_EQ(ScriptString("\xE2\x80\xA8|\xE2\x80\xA9"), "\"\\u2028|\\u2029\"");
}

TEST(BookScript, KeywordsOfHeadingsMergeAndNestedEntriesWithSeeAlsoAreWritten) {
    const std::vector<WebTopic> topics = {
        {"Setup", "0.html", {{"overview", "1.html", {}}}}, {"Overview", "2.html", {}}, {"overview", "3.html", {}}};
    const std::vector<WebKeyword> keywords = KeywordsFromTopics(topics);
    ASSERT_EQ(keywords.size(), 3u);
    EXPECT_EQ(keywords[0].text, "overview") << "A-Z folded for the order, the first spelling first";
    ASSERT_EQ(keywords[0].targets.size(), 2u);
    EXPECT_EQ(keywords[0].targets[1].href, "3.html");
    EXPECT_EQ(keywords[1].text, "Overview");
    EXPECT_EQ(keywords[2].text, "Setup");

    WebKeyword printing{"printing", {{"Printing", "4.html"}, {"Setup", "0.html#IDH_PRINT"}}, {"output"}, {}};
    printing.subEntries.push_back({"margins", {{"Margins", "5.html"}}, {}, {}});
    const std::string script =
        BookScript({"Book \"A\"", "0.html", topics, {printing}, {{"IDH_PRINT", 1001, "0.html#IDH_PRINT"}}});
    EXPECT_NE(script.find("title:\"Book \\\"A\\\"\""), std::string::npos);
    EXPECT_NE(script.find("toc:[[\"Setup\",\"0.html\",[[\"overview\",\"1.html\"]]],[\"Overview\",\"2.html\"],"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("{k:\"printing\",t:[[\"Printing\",\"4.html\"],[\"Setup\",\"0.html#IDH_PRINT\"]],"
                          "see:[\"output\"],sub:[\n{k:\"margins\",t:[[\"Margins\",\"5.html\"]]}]}"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("\"IDH_PRINT\":\"0.html#IDH_PRINT\",\"1001\":\"0.html#IDH_PRINT\""), std::string::npos);
}

TEST(BookScript, TheDocumentsIndexEntriesNestJoinHeadingsAndPointElsewhere) {
    std::vector<WebKeyword> keywords = KeywordsFromTopics({{"Setup", "0.html", {}}});
    AddIndexKeywords(keywords, {{{"Installing", "from disc"}, "", "Setup", "0.html#_Idx1"},
                                {{"Installing", "from disc"}, "", "Setup", "0.html#_Idx1"},
                                {{"Installing", "from network"}, "", "Network", "2.html#_Idx2"},
                                {{"Setup"}, "", "Network", "2.html#_Idx3"},
                                {{"setup wizard"}, "Installing", "", ""}});
    ASSERT_EQ(keywords.size(), 3u);
    EXPECT_EQ(keywords[0].text, "Installing");
    ASSERT_EQ(keywords[0].subEntries.size(), 2u);
    EXPECT_EQ(keywords[0].subEntries[0].text, "from disc");
    EXPECT_EQ(keywords[0].subEntries[0].targets.size(), 1u) << "the same place twice is one target";
    EXPECT_EQ(keywords[0].subEntries[1].targets[0].href, "2.html#_Idx2");
    EXPECT_EQ(keywords[1].text, "Setup");
    EXPECT_EQ(keywords[1].targets.size(), 2u) << "the heading and the entry of the same text are one keyword";
    EXPECT_EQ(keywords[2].text, "setup wizard");
    EXPECT_EQ(keywords[2].seeAlso, std::vector<std::string>{"Installing"});
    EXPECT_TRUE(keywords[2].targets.empty());
}

TEST(WebPage, AFramedPageKeepsItsContentAndShowsItsPlace) {
    const std::string page = "<html><HEAD><title>Scope</title></HEAD><BODY lang=x><h1>Scope</h1><p>Text</p></BODY>"
                             "</html>";
    const std::string framed = TopicInFrame(page, "Manual <1>", "1.html", {{{"Intro", "0.html"}, {"Scope", "1.html"}}});
    const size_t css = framed.find("_web/leafbind.css");
    const size_t headEnd = framed.find("</HEAD>");
    const size_t main = framed.find("<main id=\"lb-main\"");
    const size_t heading = framed.find("<h1>Scope</h1><p>Text</p>");
    const size_t mainEnd = framed.find("</main>");
    ASSERT_NE(heading, std::string::npos) << framed;
    EXPECT_LT(css, headEnd);
    EXPECT_LT(framed.find("<BODY lang=x>"), main);
    EXPECT_LT(main, heading);
    EXPECT_LT(heading, mainEnd);
    EXPECT_LT(mainEnd, framed.find("</BODY>"));
    EXPECT_NE(framed.find("data-page=\"1.html\""), std::string::npos);
    EXPECT_NE(framed.find("Manual &lt;1&gt;"), std::string::npos);
    EXPECT_NE(framed.find("<a href=\"0.html\">Intro</a> <span aria-hidden=\"true\">&rsaquo;</span> "
                          "<span aria-current=\"page\">Scope</span>"),
              std::string::npos)
        << framed;

    const std::string search = FramePage("Manual", "Search", "search", "_web/search.js");
    EXPECT_NE(search.find("<script src=\"_web/search.js\"></script>"), std::string::npos);
    EXPECT_NE(search.find("data-kind=\"search\""), std::string::npos);
}

class WebOutputFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("leafbind-webhelp-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "pages" / "1.files");
        fs::create_directories(root / "web");
        WriteText(root / "pages" / "0.html", GbPage("<h1>Intro</h1><p>Read " + kChineseGb + ".</p>"));
        WriteText(root / "pages" / "1.html",
                  GbPage("<h1>Scope</h1><p><img src=\"1.files/image001.png\"> see <a href=\"0.html\">Intro</a></p>"));
        WriteText(root / "pages" / "1.files" / "image001.png", "png bytes");
        book.title = *Utf8ToNarrow("Manual " + kChineseUtf8);
        book.pageFolder = *PathToNarrow(root / "pages");
        book.pageFiles = {"0.html", "1.html"};
        book.topics = {{"Intro", "0.html", {{"Scope", "1.html", {}}}}};
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root;
    HelpBook book;
};

TEST_F(WebOutputFolder, EveryPageAndPictureIsWrittenWithTheSharedFilesAndTheIndex) {
    WebOutput output(root / "web");
    ASSERT_TRUE(output.Write(book).ok()) << output.Result().message;
    EXPECT_TRUE(output.Result().ok());
    const fs::path web = root / "web";
    for (const char* file :
         {"0.html", "1.html", "index.html", "search.html", "open.html", "1.files/image001.png", "_web/leafbind.css",
          "_web/leafbind.js", "_web/book.js", "_web/search.js", "_web/text/0.js", "_web/text/1.js"})
        EXPECT_TRUE(fs::is_regular_file(web / file)) << file;
    const std::string intro = ReadText(web / "0.html");
    EXPECT_NE(intro.find("Read " + kChineseUtf8), std::string::npos);
    EXPECT_NE(intro.find("Manual " + kChineseUtf8 + "</a>"), std::string::npos) << "the title in UTF-8";
    EXPECT_EQ(ReadText(web / "index.html"), intro) << "the home page is the first topic";
    EXPECT_NE(ReadText(web / "1.html").find("<a href=\"0.html\">Intro</a> "), std::string::npos);
    EXPECT_NE(ReadText(web / "_web/search.js").find("\"中文\":\"A\""), std::string::npos);
    EXPECT_NE(ReadText(web / "_web/book.js").find("home:\"0.html\""), std::string::npos);
    EXPECT_EQ(output.WrittenSizes().searchIndex, fs::file_size(web / "_web/search.js"));
    EXPECT_EQ(output.WrittenSizes().pages, fs::file_size(web / "0.html") + fs::file_size(web / "1.html"));
    EXPECT_TRUE(output.Warnings().empty());
}

TEST_F(WebOutputFolder, AMissingPageOrAnUnknownCharsetFailsNamingThePage) {
    fs::remove(root / "pages" / "1.html");
    WebOutput missing(root / "web");
    EXPECT_EQ(missing.Write(book).code, StatusCode::Missing);
    EXPECT_NE(missing.Result().message.find("1.html"), std::string::npos);

    WriteText(root / "pages" / "1.html", "<meta charset=\"x-unknown\"><p>a</p>");
    WebOutput unknown(root / "web");
    const Status status = unknown.Write(book);
    EXPECT_EQ(status.code, StatusCode::NotThisFormat);
    EXPECT_NE(status.message.find("1.html: "), std::string::npos) << status.message;
}
