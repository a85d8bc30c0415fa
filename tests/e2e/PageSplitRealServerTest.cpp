// The page split and decoration against the document server: documents built here, pages read back as saved.

#include "docbuilder/DocxBuilder.h"
#include "docserver/DocumentServer.h"
#include "engine/ChmConverter.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "base/CodePageText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The visible text of a page: tags dropped, entities for spaces turned back.
std::string PageText(const std::string& html) {
    const size_t body = html.find("<body");
    std::string text =
        std::regex_replace(html.substr(body == std::string::npos ? 0 : body), std::regex("<[^>]*>"), " ");
    text = std::regex_replace(text, std::regex("&nbsp;"), " ");
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

class PageSplit : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        RegisterDocumentServer();
        static int run = 0;
        folder =
            fs::temp_directory_path() / ("leafbind-split-" + std::to_string(::getpid()) + "-" + std::to_string(++run));
        fs::remove_all(folder);
        fs::create_directories(folder / "work");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Converts the document; returns Convert's result. Pages stay in the work folder.
    int32_t Convert(const DocxBuilder& doc, const std::string& title = "T") {
        doc.Save(folder / "source.docx");
        ChmConverter converter((folder / "source.docx").string(), (folder / "work").string(), options);
        EXPECT_EQ(converter.StartWordAndOpen(), 1);
        const int32_t result = converter.Convert(title, (folder / (title + ".chm")).string());
        pageCount = converter.pageFiles.size();
        warnings = converter.warnings;
        return result;
    }

    // The page as UTF-8: saved in the help file's code page, with references for what that cannot hold.
    std::string Page(int number) const {
        return CodePageToUtf8Text(936, ReadFile(folder / "work" / (std::to_string(number) + ".html"))).value_or("");
    }
    std::string TextOf(int number) const { return PageText(Page(number)); }

    PageOptions options; // the next conversion's
    fs::path folder;
    size_t pageCount = 0;
    std::vector<std::string> warnings;
};

// A one-colour JPEG of the given size, written a row at a time: a phone photo's size without its memory.
std::vector<uint8_t> PlainJpeg(int width, int height) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3, 0x80);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<unsigned char>(bytes[at + 3]);
}

bool Has(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
}

} // namespace

TEST_F(PageSplit, TheWorkedExampleGivesThreePagesAndAHelpFile) {
    DocxBuilder doc;
    doc.AddParagraph("Title line")
        .AddHeading(1, "Intro")
        .AddParagraph("Intro one.")
        .AddParagraph("Intro two.")
        .AddHeading(2, "Scope")
        .AddParagraph("Scope one.")
        .AddHeading(1, "Usage")
        .AddParagraph("Usage one.")
        .AddParagraph("Usage two.")
        .AddParagraph("Usage three.");
    ASSERT_EQ(Convert(doc, "Manual"), 1);
    ASSERT_EQ(pageCount, 3u);
    EXPECT_TRUE(Has(TextOf(0), "Intro Intro one. Intro two. Scope")) << TextOf(0) << " (the related-topics entry)";
    EXPECT_TRUE(Has(Page(0), "href=\"1.html\""));
    EXPECT_EQ(TextOf(1).find("Usage"), std::string::npos);
    EXPECT_TRUE(Has(TextOf(2), "Usage one. Usage two. Usage three."));
    for (int page = 0; page < 3; ++page)
        EXPECT_FALSE(Has(TextOf(page), "Title line"));
    EXPECT_TRUE(fs::exists(folder / "Manual.chm"));
    EXPECT_TRUE(fs::exists(folder / "work" / "Manual.hhp"));
}

TEST_F(PageSplit, HeadingsThatAreNoTopicGiveTheirTextToTheTopicBefore) {
    DocxBuilder doc;
    doc.AddHeading(1, "Alone")     // followed by a heading: its line only
        .AddHeading(1, "WithBody") // body, a page-break-only heading, more body
        .AddParagraph("body a")
        .AddParagraph({PageBreak()}, {.style = "Heading1"})
        .AddParagraph("body after break")
        .AddHeading(1, "") // empty and blank headings are no topics either
        .AddParagraph("body of empty")
        .AddParagraph({Text(" "), Tab(), LineBreak()}, {.style = "Heading2"})
        .AddParagraph("body of blank")
        .AddHeading(1, "BeforeBreak") // a page-break heading right after it, then body
        .AddParagraph({PageBreak()}, {.style = "Heading1"})
        .AddParagraph("body once lost")
        .AddHeading(1, "Last"); // the document's last paragraph
    ASSERT_EQ(Convert(doc, "Manual"), 1);
    ASSERT_EQ(pageCount, 4u);
    EXPECT_EQ(TextOf(0).find("WithBody"), std::string::npos);
    for (const char* text : {"body a", "body after break", "body of empty", "body of blank"})
        EXPECT_TRUE(Has(TextOf(1), text)) << text << " in " << TextOf(1);
    EXPECT_TRUE(Has(TextOf(2), "BeforeBreak"));
    EXPECT_TRUE(Has(TextOf(2), "body once lost")) << TextOf(2);
    EXPECT_TRUE(Has(TextOf(3), "Last"));
    const std::string contents = ReadFile(folder / "work" / "Manual.hhc");
    EXPECT_FALSE(Has(contents, "value=\"\"")) << "no blank entry";
    EXPECT_FALSE(Has(contents, "value=\" \""));
    int emptyHeadings = 0;
    for (const std::string& warning : warnings)
        if (Has(warning, "empty heading after \"WithBody\""))
            ++emptyHeadings;
    EXPECT_EQ(emptyHeadings, 2) << ::testing::PrintToString(warnings);
}

TEST_F(PageSplit, TextBeforeTheFirstHeadingIsCountedOrGetsAFrontPageOfItsOwn) {
    DocxBuilder doc;
    doc.AddParagraph("Cover title")
        .AddParagraph("")
        .AddParagraph("Abstract text")
        .AddParagraph({Picture(TinyPng())})
        .AddHeading(1, "Intro")
        .AddParagraph("intro body")
        .AddHeading(2, "Scope");
    ASSERT_EQ(Convert(doc, "Manual"), 1);
    ASSERT_EQ(pageCount, 2u);
    EXPECT_FALSE(Has(TextOf(0), "Cover title"));
    ASSERT_EQ(warnings.size(), 1u) << ::testing::PrintToString(warnings);
    EXPECT_TRUE(Has(warnings[0], "3 paragraph(s) before the first heading")) << warnings[0];

    options.frontPage = true;
    ASSERT_EQ(Convert(doc, "Manual"), 1);
    ASSERT_EQ(pageCount, 3u);
    EXPECT_TRUE(warnings.empty()) << ::testing::PrintToString(warnings);
    EXPECT_TRUE(Has(TextOf(0), "Cover title Abstract text")) << TextOf(0);
    EXPECT_TRUE(Has(Page(0), "<img")) << "the picture before the first heading too";
    EXPECT_FALSE(Has(TextOf(0), "Intro"));
    EXPECT_TRUE(Has(TextOf(1), "Intro intro body")) << TextOf(1);
    EXPECT_TRUE(Has(TextOf(2), "Scope"));
    // First in the contents, under the help title, beside the first-level topics; the help file opens on it.
    const std::string contents = ReadFile(folder / "work" / "Manual.hhc");
    const size_t front = contents.find("value=\"Manual\">\r\n<param name=\"Local\" value=\"0.html\">");
    const size_t intro = contents.find("value=\"Intro\">\r\n<param name=\"Local\" value=\"1.html\">");
    ASSERT_NE(front, std::string::npos) << contents;
    ASSERT_NE(intro, std::string::npos) << contents;
    EXPECT_LT(front, intro);
    EXPECT_FALSE(Has(contents.substr(front, intro - front), "<UL>")) << "the front page has no sub-topics";
    EXPECT_TRUE(Has(contents.substr(intro), "<UL>")) << "Intro keeps its own";
    EXPECT_TRUE(Has(ReadFile(folder / "work" / "Manual.hhp"), "Default topic=0.html"));
}

TEST_F(PageSplit, OnOffPropertiesHonourEveryWayOfSayingOff) {
    DocxBuilder doc;
    doc.AddStyle({.id = "Hid", .name = "Hid", .type = "character", .properties = "<w:rPr><w:vanish/><w:b/></w:rPr>"});
    auto run = [](const std::string& properties, const std::string& text) {
        return RawXml("<w:r><w:rPr><w:rStyle w:val=\"Hid\"/>" + properties + "</w:rPr><w:t>" + text + "</w:t></w:r>");
    };
    doc.AddHeading(1, "Props")
        .AddParagraph({run("<w:vanish w:val=\"false\"/>", "shownFalse"), run("<w:vanish w:val=\"0\"/>", " shownZero"),
                       run("<w:vanish w:val=\"off\"/>", " shownOff"), run("", " stillHidden"),
                       run("<w:vanish w:val=\"on\"/>", " hiddenOn")})
        .AddParagraph({run("<w:vanish w:val=\"0\"/><w:b w:val=\"off\"/>", "notBold")})
        .AddParagraph({RawXml("<w:r><w:rPr><w:vanish w:val=\"true\"/></w:rPr><w:t>hiddenTrue</w:t></w:r>")});
    ASSERT_EQ(Convert(doc), 1);
    const std::string text = TextOf(0);
    for (const char* shown : {"shownFalse", "shownZero", "shownOff", "notBold"})
        EXPECT_TRUE(Has(text, shown)) << shown << " in " << text;
    for (const char* hidden : {"stillHidden", "hiddenOn", "hiddenTrue"})
        EXPECT_FALSE(Has(text, hidden)) << hidden;
    const std::string page = Page(0);
    const size_t notBold = page.find("notBold");
    ASSERT_NE(notBold, std::string::npos);
    const size_t paragraph = page.rfind("<p", notBold);
    ASSERT_NE(paragraph, std::string::npos);
    EXPECT_FALSE(Has(page.substr(paragraph, notBold - paragraph), "bold"))
        << page.substr(paragraph, notBold - paragraph);
    EXPECT_TRUE(Has(page, "font-weight:bold;\">shownFalse")) << "the style's bold where nothing turns it off";
}

TEST_F(PageSplit, LongAndBrokenHeadingsAreShortenedOrMendedWithAWarning) {
    std::string longHeading;
    for (int i = 0; i < 400; ++i)
        longHeading += "Word" + std::to_string(i) + " ";
    DocxBuilder doc;
    doc.AddHeading(1, longHeading)
        .AddParagraph("long body")
        .AddHeading(1, "Bad \xC3 byte and \xED\xA0\x80 surrogate")
        .AddParagraph("bad body")
        .AddHeading(1, "Tail");
    ASSERT_EQ(Convert(doc, "Manual"), 1) << ::testing::PrintToString(warnings);
    ASSERT_EQ(pageCount, 3u);
    EXPECT_TRUE(Has(TextOf(0), "Word399")) << "the page keeps the whole heading";
    EXPECT_TRUE(fs::exists(folder / "Manual.chm"));
    const std::string contents = ReadFile(folder / "work" / "Manual.hhc");
    EXPECT_TRUE(Has(contents, "value=\"Word0 Word1 "));
    EXPECT_FALSE(Has(contents, "Word399"));
    EXPECT_TRUE(Has(contents, "value=\"Bad ? byte")) << "replaced, not dropped";
    int shortened = 0, mended = 0;
    for (const std::string& warning : warnings) {
        shortened += Has(warning, "\"Word0 Word1") && Has(warning, "characters long") ? 1 : 0;
        mended += Has(warning, "not valid UTF-8") && Has(warning, "surrogate") ? 1 : 0;
    }
    EXPECT_EQ(shortened, 1) << ::testing::PrintToString(warnings);
    EXPECT_EQ(mended, 1) << ::testing::PrintToString(warnings);
}

TEST_F(PageSplit, PictureProblemsReachTheWarningsNamingPageAndPart) {
    DocxBuilder doc;
    std::vector<uint8_t> broken = TinyPng();
    broken.resize(20);
    doc.AddHeading(1, "Pics")
        .AddParagraph({Picture(broken)})
        .AddParagraph({Picture(std::vector<uint8_t>{'n', 'o', 'p', 'e'})})
        .AddHeading(1, "Fine")
        .AddParagraph({Picture(TinyPng())});
    ASSERT_EQ(Convert(doc), 1);
    int pictureWarnings = 0;
    for (const std::string& warning : warnings)
        if (Has(warning, "page 0.html \"Pics\"") && Has(warning, "picture") && Has(warning, "/word/media/"))
            ++pictureWarnings;
    EXPECT_EQ(pictureWarnings, 2) << ::testing::PrintToString(warnings);
    EXPECT_EQ(warnings.size(), 2u) << ::testing::PrintToString(warnings);
}

TEST_F(PageSplit, LinksToBookmarksLandOnTheirPagesAtTheBookmark) {
    DocxBuilder doc;
    doc.AddParagraph({Field("HYPERLINK \\l \"_Toc3\"", "Third in contents")})
        .AddParagraph({Field("HYPERLINK \\l \"nowhere\"", "Dead link")})
        .AddHeading(1, "First")
        .AddParagraph({Text("See "), Field("REF _Ref9 \\h", "the target"), Text(".")})
        .AddParagraph({Link("web", "https://example.com/x")})
        .AddHeading(1, "Second")
        .AddParagraph("two")
        .AddParagraph({BookmarkStart("_Toc3"), Text("Third"), BookmarkEnd("_Toc3")}, {.style = "Heading1"})
        .AddParagraph({Text("x "), BookmarkStart("_Ref9"), Text("target here"), BookmarkEnd("_Ref9")});
    ASSERT_EQ(Convert(doc), 1);
    const std::string first = Page(0);
    EXPECT_TRUE(Has(first, "href=\"2.html#_Ref9\"")) << first;
    EXPECT_TRUE(Has(first, "href=\"https://example.com/x\"")) << "a web address stays";
    EXPECT_TRUE(Has(Page(2), "name=\"_Ref9\"")) << "the page opens at the bookmark";
    EXPECT_TRUE(Has(Page(2), "name=\"_Toc3\""));
    // The contents lines before the first heading are in no page, and said to be.
    ASSERT_EQ(warnings.size(), 1u) << ::testing::PrintToString(warnings);
    EXPECT_TRUE(Has(warnings[0], "2 paragraph(s) before the first heading"));

    DocxBuilder dead;
    dead.AddHeading(1, "Only").AddParagraph({Field("HYPERLINK \\l \"nowhere\"", "Dead link")});
    ASSERT_EQ(Convert(dead), 1);
    EXPECT_TRUE(Has(Page(0), "Dead link"));
    EXPECT_FALSE(Has(Page(0), ".html#nowhere")) << "left unchanged, pointing at no page";
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(Has(warnings[0], "nowhere"));
    EXPECT_TRUE(Has(warnings[0], "page 0.html \"Only\"")) << warnings[0];
}

TEST_F(PageSplit, RelatedTopicsListTheDirectChildrenWithoutNumbers) {
    DocxBuilder doc;
    doc.AddAbstractList(1, {{"decimal", "%1.", 1}, {"decimal", "%1.%2", 1}, {"decimal", "%1.%2.%3", 1}});
    doc.AddList(1, 1);
    auto heading = [&](int level, const std::string& text) {
        doc.AddParagraph(text, {.style = "Heading" + std::to_string(level), .numId = 1, .numLevel = level - 1});
    };
    heading(1, "Parent");
    doc.AddParagraph("parent body");
    heading(2, "Child one");
    heading(3, "Grandchild");
    heading(2, "Child two");
    heading(2, "Child three");
    ASSERT_EQ(Convert(doc), 1);
    const std::string parent = Page(0);
    std::vector<std::string> targets;
    const std::regex link("href=\"([0-9]+\\.html)\"[^>]*>([^<]*)<");
    for (auto it = std::sregex_iterator(parent.begin(), parent.end(), link); it != std::sregex_iterator(); ++it)
        targets.push_back((*it)[1].str() + " " + (*it)[2].str());
    EXPECT_EQ(targets, (std::vector<std::string>{"1.html Child one", "3.html Child two", "4.html Child three"}));
    EXPECT_FALSE(Has(PageText(parent), "1.1")) << "neither the heading nor the entries keep numbers";
    EXPECT_FALSE(Has(Page(4), "href=")) << "a leaf lists nothing";
}

TEST_F(PageSplit, HeadingNumbersGoUnlessWantedAndBodyNumbersStay) {
    auto build = [] {
        DocxBuilder doc;
        doc.AddAbstractList(1, {{"decimal", "%1.", 1}});
        doc.AddList(1, 1);
        doc.AddAbstractList(2, {{"lowerLetter", "%1)", 1}});
        doc.AddList(2, 2);
        doc.AddParagraph("Numbered heading", {.style = "Heading1", .numId = 1});
        doc.AddParagraph("first item", {.numId = 2});
        doc.AddParagraph("second item", {.numId = 2});
        return doc;
    };
    ASSERT_EQ(Convert(build()), 1);
    EXPECT_FALSE(Has(TextOf(0), "1. Numbered heading")) << TextOf(0);
    EXPECT_TRUE(Has(TextOf(0), "a) first item")) << TextOf(0);
    EXPECT_TRUE(Has(TextOf(0), "b) second item"));

    options.showNumbering = true;
    ASSERT_EQ(Convert(build()), 1);
    EXPECT_TRUE(Has(TextOf(0), "1. Numbered heading")) << TextOf(0);
}

TEST_F(PageSplit, CopyrightHeaderFooterAndSpacingAsTheOptionsSay) {
    auto build = [] {
        DocxBuilder doc;
        doc.SetHeader("Running header").SetFooter("Running footer");
        doc.AddHeading(1, "Topic").AddParagraph("text");
        return doc;
    };
    ASSERT_EQ(Convert(build()), 1);
    EXPECT_FALSE(Has(Page(0), "<hr")) << "no copyright text, no rule";
    EXPECT_FALSE(Has(TextOf(0), "Running header"));
    EXPECT_FALSE(Has(TextOf(0), "Running footer"));

    options.copyrightText = Utf8ToNarrow("© 2026 版权所有").value();
    options.showHeader = true;
    options.showFooter = true;
    ASSERT_EQ(Convert(build()), 1);
    const std::string page = Page(0);
    const std::string text = PageText(page);
    EXPECT_TRUE(Has(page, "width=\"100%\"")) << page;
    EXPECT_TRUE(std::regex_search(page, std::regex("font-size:10pt;color:#A8A8A8;\">&#169; 2026 版权所有")));
    ASSERT_TRUE(Has(text, "Running header"));
    ASSERT_TRUE(Has(text, "Running footer"));
    EXPECT_LT(text.find("Running header"), text.find("Topic"));
    EXPECT_LT(text.find("版权所有"), text.find("Running footer")) << "the footer comes after the copyright";
    // Every paragraph: 3 points before and after.
    const std::regex paragraph("<(p|h[1-6]|div)( [^>]*)?>");
    int paragraphs = 0;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), paragraph); it != std::sregex_iterator(); ++it) {
        ++paragraphs;
        EXPECT_TRUE(Has(it->str(), "margin-top:3pt;margin-bottom:3pt")) << it->str();
    }
    EXPECT_GT(paragraphs, 4);
}

TEST_F(PageSplit, ManyHeadingsAndHeadingsInTablesStillConvert) {
    DocxBuilder doc;
    for (int i = 0; i < 600; ++i)
        doc.AddHeading(1 + i % 9, "Heading " + std::to_string(i)).AddParagraph("body " + std::to_string(i));
    TableCell cell;
    cell.paragraphs = {"cell text"};
    doc.AddTable({{cell, cell}});
    doc.AddHeading(2, "After the table");
    ASSERT_EQ(Convert(doc), 1);
    EXPECT_EQ(pageCount, 601u);
    EXPECT_TRUE(Has(TextOf(599), "cell text"));
    EXPECT_TRUE(fs::exists(folder / "T.chm"));
}

TEST_F(PageSplit, APhonePhotoIsScaledToPageSizeNotDropped) {
    // Drawn at its own size, so only the page's limit makes it smaller; a photograph stays a JPEG.
    Inline photo = Picture(PlainJpeg(8064, 6048), false, "jpeg");
    photo.widthEmu = int64_t{8064} * 9525;
    photo.heightEmu = int64_t{6048} * 9525;
    DocxBuilder doc;
    doc.AddHeading(1, "Photo").AddParagraph({photo});
    ASSERT_EQ(Convert(doc), 1);
    EXPECT_FALSE(Has(TextOf(0), "picture not shown")) << TextOf(0);
    EXPECT_TRUE(Has(Page(0), "<img"));
    const std::string jpeg = ReadFile(folder / "work" / "0.files" / "image001.jpg");
    const size_t frame = jpeg.find("\xFF\xC0"); // the baseline frame header: height, then width
    ASSERT_NE(frame, std::string::npos);
    ASSERT_GT(jpeg.size(), frame + 9);
    EXPECT_EQ(BigEndian32(jpeg, frame + 5) >> 16, 1536u);
    EXPECT_EQ(BigEndian32(jpeg, frame + 7) >> 16, 2048u);
    ASSERT_EQ(warnings.size(), 1u) << ::testing::PrintToString(warnings);
    EXPECT_TRUE(Has(warnings[0], "page 0.html \"Photo\"") && Has(warnings[0], "2048 x 1536") &&
                Has(warnings[0], "/word/media/"))
        << warnings[0];
}

TEST_F(PageSplit, PagesTakeTheSourcesStylesAndKeepLinksPlain) {
    DocxBuilder doc(false);
    doc.AddStyle({.id = "Normal",
                  .name = "Normal",
                  .isDefault = true,
                  .properties = "<w:rPr><w:rFonts w:ascii=\"Verdana\" w:hAnsi=\"Verdana\"/><w:color w:val=\"008000\"/>"
                                "<w:sz w:val=\"28\"/></w:rPr>"});
    doc.AddStyle({.id = "Heading1",
                  .name = "heading 1",
                  .basedOn = "Normal",
                  .outlineLevel = 0,
                  .properties = "<w:rPr><w:i/><w:caps/><w:color w:val=\"FF0000\"/><w:sz w:val=\"48\"/></w:rPr>"});
    doc.AddStyle({.id = "Hyperlink", .name = "Hyperlink", .type = "character"});
    doc.AddParagraph("Topic", {.style = "Heading1"});
    doc.AddParagraph({Text("see "), Link("the site", "http://example.com/")});
    doc.AddParagraph("Second", {.style = "Heading1"}).AddParagraph("more");
    ASSERT_EQ(Convert(doc), 1);
    for (int number : {0, 1}) {
        const std::string page = Page(number);
        // The source's heading 1 and Normal, not the blank page's bold black heading and default body.
        const std::smatch heading = [&] {
            std::smatch found;
            std::regex_search(page, found, std::regex("\\.SHeading1\\{([^}]*)\\}"));
            return found;
        }();
        ASSERT_FALSE(heading.empty()) << page;
        EXPECT_TRUE(Has(heading[1], "color:#FF0000")) << heading[1];
        EXPECT_TRUE(Has(heading[1], "font-size:24pt")) << heading[1];
        EXPECT_TRUE(Has(heading[1], "font-style:italic")) << heading[1];
        EXPECT_TRUE(Has(heading[1], "text-transform:uppercase")) << heading[1];
        EXPECT_FALSE(Has(heading[1], "font-weight:bold")) << heading[1];
        EXPECT_TRUE(std::regex_search(page, std::regex("\\.SNormal\\{[^}]*Verdana[^}]*\\}"))) << page;
        EXPECT_TRUE(std::regex_search(page, std::regex("\\.SNormal\\{[^}]*font-size:14pt"))) << page;
    }
    // The page's own change to the link style (no underline) outlives the source's definition.
    const std::string page = Page(0);
    EXPECT_TRUE(Has(page, "the site")) << page;
    EXPECT_FALSE(Has(page, "text-decoration:underline")) << page;
}

TEST_F(PageSplit, ListNumbersOnPagesAreTheirNumbersInTheWholeDocument) {
    DocxBuilder doc(false);
    doc.AddStyle({.id = "Normal", .name = "Normal", .isDefault = true});
    doc.AddStyle({.id = "Heading1", .name = "heading 1", .basedOn = "Normal", .outlineLevel = 0, .numId = 1});
    doc.AddStyle(
        {.id = "Heading2", .name = "heading 2", .basedOn = "Normal", .outlineLevel = 1, .numId = 1, .numLevel = 1});
    // Level 2 as newer Word writes a zero-padded format: a custom choice with a fallback.
    doc.AddAbstractList(1,
                        {{.text = "%1.", .style = "Heading1"},
                         {.format = "",
                          .text = "%1.%2",
                          .style = "Heading2",
                          .properties = "<mc:AlternateContent><mc:Choice Requires=\"w14\"><w:numFmt w:val=\"custom\" "
                                        "w:format=\"01, 02, 03, ...\"/></mc:Choice><mc:Fallback><w:numFmt "
                                        "w:val=\"decimal\"/></mc:Fallback></mc:AlternateContent>"}});
    doc.AddList(1, 1);
    doc.AddAbstractList(2, {{.format = "upperRoman", .text = "%1)"}});
    doc.AddList(2, 2);
    doc.AddParagraph("Alpha", {.style = "Heading1"}).AddParagraph("intro");
    doc.AddParagraph("Beta", {.style = "Heading2"}).AddParagraph("b");
    doc.AddParagraph("Gamma", {.style = "Heading2"}).AddParagraph("c");
    doc.AddParagraph("Delta", {.style = "Heading1"}).AddParagraph("Direct one", {.numId = 2});
    doc.AddParagraph("Epsilon", {.style = "Heading1"}).AddParagraph("Direct two", {.numId = 2});
    options.showNumbering = true;
    ASSERT_EQ(Convert(doc), 1);
    ASSERT_EQ(pageCount, 5u);
    EXPECT_TRUE(Has(TextOf(0), " 1. Alpha ")) << TextOf(0);
    EXPECT_TRUE(Has(TextOf(1), " 1.01 Beta ")) << TextOf(1);
    EXPECT_TRUE(Has(TextOf(2), " 1.02 Gamma ")) << TextOf(2);
    EXPECT_TRUE(Has(TextOf(3), " 2. Delta ")) << TextOf(3);
    EXPECT_TRUE(Has(TextOf(3), " I) Direct one ")) << TextOf(3);
    EXPECT_TRUE(Has(TextOf(4), " 3. Epsilon ")) << TextOf(4);
    EXPECT_TRUE(Has(TextOf(4), " II) Direct two ")) << TextOf(4) << "a list goes on counting across pages";
}

TEST_F(PageSplit, EveryHeadingOnAPageLosesItsNumberAndBodyListsKeepTheirs) {
    DocxBuilder doc;
    doc.AddAbstractList(1, {{.text = "%1."}});
    doc.AddList(1, 1);
    doc.AddAbstractList(2, {{.format = "lowerLetter", .text = "%1)"}});
    doc.AddList(2, 2);
    // A heading that holds only a page break is no topic of its own: its page is the heading before it.
    doc.AddParagraph("Topic", {.style = "Heading1", .numId = 1}).AddParagraph("text");
    doc.AddParagraph({PageBreak()}, {.style = "Heading1", .numId = 1});
    doc.AddParagraph("item", {.numId = 2});
    ASSERT_EQ(Convert(doc), 1);
    ASSERT_EQ(pageCount, 1u);
    EXPECT_FALSE(std::regex_search(TextOf(0), std::regex("[0-9]\\."))) << TextOf(0);
    EXPECT_TRUE(Has(TextOf(0), "a) item")) << TextOf(0);
}

TEST_F(PageSplit, CopyrightLinesEndAtPlainLineFeedsToo) {
    options.copyrightText = "Line one\nLine two\r\nLine three";
    DocxBuilder doc;
    doc.AddHeading(1, "Topic").AddParagraph("text");
    ASSERT_EQ(Convert(doc), 1);
    const std::string page = Page(0);
    for (const char* line : {"Line one", "Line two", "Line three"})
        EXPECT_TRUE(std::regex_search(page, std::regex(std::string("<p[^>]*>(<span[^>]*>)?") + line + "<"))) << line;
}

// A text box keeps its own fill and outline on the page that shows it, not only in the whole document: the page is
// a copy of its range, and the copy carries the box's look.
TEST_F(PageSplit, TextBoxesKeepTheirFillAndOutlineOnTheirPages) {
    DocxBuilder doc;
    doc.AddHeading(1, "First").AddParagraph("text");
    doc.AddHeading(1, "Boxes");
    doc.AddParagraph({Text("a"), ShapedTextBox("no line", "<a:solidFill><a:srgbClr val=\"FFFF00\"/></a:solidFill>"
                                                          "<a:ln><a:noFill/></a:ln>")});
    ASSERT_EQ(Convert(doc), 1);
    const std::string page = Page(1);
    const size_t text = page.find("no line");
    ASSERT_NE(text, std::string::npos) << page;
    const size_t box = page.rfind("<div class=\"TextBox\"", text);
    ASSERT_NE(box, std::string::npos) << page;
    const std::string style = page.substr(box, text - box);
    EXPECT_NE(style.find("border:none;"), std::string::npos) << style;
    EXPECT_NE(style.find("background-color:#FFFF00;"), std::string::npos) << style;
}
