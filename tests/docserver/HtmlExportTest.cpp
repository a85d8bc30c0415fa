// Document.SaveAs with format 10, through the word/ wrappers: each construct against a golden page (rewritten with
// LEAFBIND_UPDATE_GOLDEN=1), pictures read back with libpng, and the files a save leaves behind.
#include "HtmlExportFixture.h"

#include "docserver/html/EmfAlphaBitmaps.h"
#include "docserver/html/PictureCodec.h"

#include "docserver/docx/DocxReader.h"
#include "docserver/objects/ServerObjects.h"

#include "base/CodePageText.h"

#include <png.h>
#include <stb/stb_image.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iconv.h>
#include <initializer_list>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

using namespace docx;
namespace fs = std::filesystem;

namespace {

// UTF-8 as a page in code page 936 holds it.
std::string PageBytes(const std::string& utf8) {
    return Utf8ToCodePageWithReferences(936, HeldBy::PageCharset, utf8);
}

std::vector<uint8_t> SmallJpeg() {
    RasterImage grey;
    grey.width = grey.height = 8;
    grey.channels = 3;
    grey.pixels.assign(8 * 8 * 3, 0x80);
    return EncodeJpeg(grey, 90);
}

// A PNG header announcing 100000 x 100000 pixels, with no image data behind it.
std::vector<uint8_t> HugePngHeader() {
    std::vector<uint8_t> bytes = TinyPng();
    bytes.resize(33);
    for (size_t offset : {16u, 20u}) {
        bytes[offset] = 0x00;
        bytes[offset + 1] = 0x01;
        bytes[offset + 2] = 0x86;
        bytes[offset + 3] = 0xA0;
    }
    return bytes;
}

std::string Para(const std::string& properties, const std::string& runs) {
    return "<w:p><w:pPr>" + properties + "</w:pPr>" + runs + "</w:p>";
}
std::string RunXml(const std::string& properties, const std::string& text) {
    return "<w:r><w:rPr>" + properties + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

TEST_F(HtmlExport, HeadingsParagraphsAndRunFormatting) {
    DocxBuilder doc;
    doc.AddHeading(1, "Intro").AddHeading(2, "Scope");
    doc.AddParagraph({Text("plain "), Text("bold ", {.bold = true}), Text("italic ", {.italic = true}),
                      Text("red 14pt", {.sizeHalfPoints = 28, .colorHex = "FF0000"})});
    doc.AddBodyXml(Para("<w:jc w:val=\"center\"/><w:spacing w:before=\"240\" w:after=\"120\"/>"
                        "<w:ind w:left=\"720\" w:firstLine=\"360\"/>",
                        RunXml("<w:u w:val=\"single\"/>", "under") + RunXml("<w:strike/>", "struck") +
                            RunXml("<w:vertAlign w:val=\"superscript\"/>", "up") +
                            RunXml("<w:vertAlign w:val=\"subscript\"/>", "down") +
                            RunXml("<w:rFonts w:ascii=\"Courier New\"/>", "mono") + RunXml("<w:vanish/>", "hidden") +
                            RunXml("<w:caps/><w:spacing w:val=\"20\"/>", "caps") +
                            RunXml("<w:smallCaps/>", "small caps")));
    doc.AddBodyXml(Para("<w:jc w:val=\"both\"/>", RunXml("", "justified")));
    doc.AddParagraph("");
    const std::string html = Save(Load(doc));
    ExpectGolden("formatting", html);
    EXPECT_EQ(html.find("hidden"), std::string::npos);
}

TEST_F(HtmlExport, ListsShowTheirNumbersAsText) {
    DocxBuilder doc;
    doc.AddAbstractList(1, {{.format = "decimal", .text = "%1."}, {.format = "lowerLetter", .text = "%2)"}});
    doc.AddAbstractList(2, {{.format = "bullet", .text = "\xEF\x82\xB7"}});
    doc.AddList(1, 1).AddList(2, 2);
    doc.AddParagraph("one", {.numId = 1}).AddParagraph("one a", {.numId = 1, .numLevel = 1});
    doc.AddParagraph("two", {.numId = 1}).AddParagraph("bullet", {.numId = 2});
    ExpectGolden("lists", Save(Load(doc)));
}

// The list level's indents place the number: it hangs at the level's first line and, when it fits there, its tab
// takes the text to the level's indent. The paragraph's own indent outranks the level's, the level's its style's.
TEST_F(HtmlExport, ListLevelsIndentTheirParagraphsAndHeadings) {
    const std::string hanging = "<w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr>";
    DocxBuilder doc;
    doc.AddAbstractList(1, {{.format = "decimal", .text = "%1.", .properties = hanging},
                            {.format = "lowerLetter", .text = "%2)", .properties = "<w:suff w:val=\"space\"/>"},
                            {.format = "decimal", .text = "Article %3:", .properties = hanging}});
    doc.AddAbstractList(2, {{.format = "decimal",
                             .text = "%1",
                             .style = "Heading1",
                             .properties = "<w:suff w:val=\"nothing\"/><w:pPr><w:ind w:left=\"432\" "
                                           "w:hanging=\"432\"/></w:pPr>"}});
    doc.AddList(1, 1).AddList(2, 2);
    doc.AddStyle({.id = "Indented",
                  .name = "Indented",
                  .basedOn = "Normal",
                  .properties = "<w:pPr><w:ind w:left=\"2880\"/></w:pPr>"});
    doc.AddParagraph("hanging", {.numId = 1});
    doc.AddParagraph("spaced", {.numId = 1, .numLevel = 1});
    doc.AddParagraph("too long", {.numId = 1, .numLevel = 2});
    doc.AddParagraph("over the style", {.style = "Indented", .numId = 1});
    doc.AddBodyXml("<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>"
                   "<w:ind w:left=\"1440\"/></w:pPr><w:r><w:t>own indent</w:t></w:r></w:p>");
    doc.AddParagraph("Chapter", {.style = "Heading1", .numId = 2});
    const std::string html = Save(Load(doc));
    const std::string box = "<span style=\"display:inline-block;width:18pt;text-indent:0;\">";
    EXPECT_NE(
        html.find("<p class=\"SNormal\" style=\"margin-left:36pt;text-indent:-18pt;\">" + box + "1.</span>hanging"),
        std::string::npos);
    EXPECT_NE(html.find("style=\"margin-left:36pt;text-indent:-18pt;\">Article 1:&nbsp;&nbsp; too long"),
              std::string::npos)
        << "a number wider than the hanging part is followed by spaces";
    EXPECT_NE(html.find("style=\"margin-left:54pt;\">a) spaced"), std::string::npos)
        << "a level without indents keeps the usual ones";
    EXPECT_NE(html.find("style=\"margin-left:36pt;text-indent:-18pt;\">" + box + "2.</span>over the style"),
              std::string::npos);
    EXPECT_NE(html.find("style=\"margin-left:72pt;\">3.&nbsp;&nbsp; own indent"), std::string::npos);
    EXPECT_NE(html.find("<h1 class=\"SHeading1\" style=\"margin-left:21.6pt;text-indent:-21.6pt;\">1Chapter"),
              std::string::npos);
}

TEST_F(HtmlExport, TablesWithMergedCellsAndANestedTable) {
    DocxBuilder inner;
    inner.AddTable({{docx::TableCell{{"inner"}}}});
    const std::string innerXml = inner.DocumentXml();
    const size_t from = innerXml.find("<w:tbl>");
    const std::string nested = innerXml.substr(from, innerXml.find("</w:tbl>") + 8 - from);
    DocxBuilder doc;
    doc.AddTable(
        {{docx::TableCell{{"wide"}, 2}, docx::TableCell{{"tall"}, 1, "restart"}},
         {docx::TableCell{{"a"}}, docx::TableCell{{"b"}, 1, "", nested}, docx::TableCell{{""}, 1, "continue"}}});
    doc.AddParagraph("after");
    ExpectGolden("tables", Save(Load(doc)));
}

TEST_F(HtmlExport, TableBordersShadingAndWidthsAsWordDrawsThem) {
    const std::string single = "w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"auto\"";
    const std::string grid = "<w:tblBorders><w:top " + single + "/><w:left " + single + "/><w:bottom " + single +
                             "/><w:right " + single + "/><w:insideH " + single + "/><w:insideV " + single +
                             "/></w:tblBorders>";
    DocxBuilder doc;
    doc.AddStyle(
        {.id = "TableGrid", .name = "Table Grid", .type = "table", .properties = "<w:tblPr>" + grid + "</w:tblPr>"});
    // No borders in Word: none in the page.
    doc.AddTable({{docx::TableCell{{"bare"}}, docx::TableCell{{"table"}}}});
    // Borders from the table style, widths from the grid (over a cell's own preferred width), a shaded cell.
    doc.AddTable({{docx::TableCell{{"style"}}, docx::TableCell{{"grid"}}},
                  {docx::TableCell{.paragraphs = {"shaded"},
                                   .properties = "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"D9E2F3\"/>"},
                   docx::TableCell{.paragraphs = {"own width"}, .properties = "<w:tcW w:w=\"3000\" w:type=\"dxa\"/>"}}},
                 {.properties = "<w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"5000\" w:type=\"pct\"/>",
                  .gridColumns = {2000, 4000}});
    // Only outer and header-rule borders of the table's own, a red double cell edge and a cell without borders.
    doc.AddTable(
        {{docx::TableCell{.paragraphs = {"head"},
                          .properties = "<w:tcBorders><w:bottom w:val=\"double\" w:sz=\"4\" w:color=\"FF0000\"/>"
                                        "</w:tcBorders>"},
          docx::TableCell{{"cell"}}},
         {docx::TableCell{{"body"}},
          docx::TableCell{.paragraphs = {"open"},
                          .properties = "<w:tcBorders><w:top w:val=\"nil\"/><w:left w:val=\"nil\"/>"
                                        "<w:bottom w:val=\"nil\"/><w:right w:val=\"nil\"/></w:tcBorders>"}}},
        {.properties = "<w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"4320\" w:type=\"dxa\"/><w:tblBorders>"
                       "<w:top w:val=\"single\" w:sz=\"12\" w:color=\"1F3864\"/><w:insideH w:val=\"nil\"/>"
                       "<w:insideV w:val=\"none\"/></w:tblBorders>"});
    const std::string html = Save(Load(doc));
    ExpectGolden("table-borders", html);
    const size_t first = html.find("<table");
    const size_t second = html.find("<table", first + 1);
    EXPECT_EQ(html.substr(first, second - first).find("border"), std::string::npos)
        << "a table without borders shows none";
}

TEST_F(HtmlExport, HighlightAndRunShadingAsBackground) {
    DocxBuilder doc;
    doc.AddParagraph({Text("marked", {.highlight = "yellow"}), Text(" shaded", {.shadingHex = "D9D9D9"}),
                      Text(" both", {.highlight = "cyan", .shadingHex = "D9D9D9"}), Text(" plain")});
    const std::string html = Save(Load(doc));
    ExpectGolden("highlight", html);
    EXPECT_NE(html.find("background-color:#FFFF00;\">marked"), std::string::npos);
    EXPECT_NE(html.find("background-color:#00FFFF;\"> both"), std::string::npos) << "highlight is over shading";
}

TEST_F(HtmlExport, RunsOfSpacesLineSpacingAndRightIndent) {
    DocxBuilder doc;
    doc.AddParagraph({Text("  two   three"), Tab(), Text(" after tab")});
    doc.AddBodyXml(Para("<w:spacing w:line=\"276\" w:lineRule=\"auto\"/><w:ind w:right=\"1440\"/>",
                        RunXml("", "multiple, right indent")));
    doc.AddBodyXml(Para("<w:spacing w:line=\"360\" w:lineRule=\"auto\"/>", RunXml("", "one and a half")));
    doc.AddBodyXml(Para("<w:spacing w:line=\"300\" w:lineRule=\"exact\"/>", RunXml("", "exactly 15pt")));
    doc.AddBodyXml(Para("<w:spacing w:line=\"480\" w:lineRule=\"atLeast\"/>", RunXml("", "at least 24pt")));
    const std::string html = Save(Load(doc));
    ExpectGolden("spacing", html);
    EXPECT_NE(html.find(">&nbsp; two &nbsp; three"), std::string::npos) << "spaces alternate with &nbsp;";
    EXPECT_NE(html.find("margin-right:72pt;line-height:115%;"), std::string::npos);
    EXPECT_NE(html.find("line-height:15pt;"), std::string::npos);
    EXPECT_NE(html.find("line-height:24pt;"), std::string::npos);
}

TEST_F(HtmlExport, TextBoxesFollowTheParagraphTheyAreAnchoredIn) {
    DocxBuilder doc;
    doc.AddParagraph({Text("before "), TextBox("boxed words"), Text("after")});
    doc.AddParagraph("next");
    const std::string html = Save(Load(doc));
    ExpectGolden("textbox", html);
    const size_t box = html.find("boxed words");
    ASSERT_NE(box, std::string::npos);
    EXPECT_LT(html.find("before after"), box);
    EXPECT_LT(box, html.find("next"));
    EXPECT_LT(html.rfind("<div class=\"TextBox\"", box), box);
}

TEST_F(HtmlExport, LinksBookmarksAndAddressesSetThroughTheMembers) {
    DocxBuilder doc;
    doc.AddParagraph({BookmarkStart("_Toc1"), Text("Target"), BookmarkEnd("_Toc1")}, {.style = "Heading1"});
    doc.AddParagraph({Link("web", "http://example.com/a b?x=1&y=2"), Text(" "), AnchorLink("here", "_Toc1"), Text(" "),
                      AnchorLink("other page", "_Toc9"), Text(" "),
                      Field("HYPERLINK \"http://example.com\" \\l \"part\"", "field link")});
    const WordDocument document = Load(doc);
    const WordHyperlinks links = document.Hyperlinks();
    ScopedVariant third = ScopedVariant::I4(3);
    links.Item(&third).SetAddress("2.html"); // as the link fix-up does for a bookmark on another page
    ExpectGolden("links", Save(document));
}

TEST_F(HtmlExport, ScriptAddressesBecomePlainTextWithAWarning) {
    for (const char* address : {"javascript:alert(1)", " JavaScript:alert(1)", "vbscript:msgbox", "data:text/html,x"}) {
        DocxBuilder doc;
        doc.AddParagraph({Link("click", address)});
        const std::string html = Save(Load(doc));
        EXPECT_EQ(html.find("href"), std::string::npos) << address;
        EXPECT_NE(html.find("click"), std::string::npos) << address;
        EXPECT_TRUE(WarnedAbout("plain text")) << address;
    }
}

TEST_F(HtmlExport, BreaksTabsSymbolsFieldsEquationsAndEscaping) {
    DocxBuilder doc;
    doc.AddParagraph({Text("a"), Tab(), Text("b"), LineBreak(), Text("c"), Symbol("F0E0"), ColumnBreak(), Text("d")});
    doc.AddParagraph({PageBreak()});
    doc.AddParagraph({Text("page "), Field("PAGE", "3"), Text(" of "), SimpleField("NUMPAGES", "9")});
    doc.AddParagraph({Text("x <y> & \"z\" \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80")});
    doc.AddParagraph({RawXml("<m:oMath xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\">"
                             "<m:r><m:t>E=mc</m:t></m:r><m:sSup><m:e/><m:sup><m:r><m:t>2</m:t></m:r></m:sup></m:sSup>"
                             "</m:oMath>")});
    ExpectGolden("breaks", Save(Load(doc)));
}

TEST_F(HtmlExport, FootnotesAndEndnotesAtTheFootWithLinksBothWays) {
    DocxBuilder doc;
    doc.AddParagraph({Text("first"), Footnote("note one"), Text(" second"), Endnote("end one"), Text(" third"),
                      Footnote("note <two>")});
    const std::string html = Save(Load(doc));
    ExpectGolden("notes", html);
    for (const char* id : {"_ftn1", "_ftn2", "_edn1"}) {
        EXPECT_NE(html.find(std::string("href=\"#") + id + "\""), std::string::npos) << id;
        EXPECT_NE(html.find(std::string("name=\"") + id + "\""), std::string::npos) << id;
    }
}

// What the page decoration sets through the members reaches the page: spacing, the rule, the grey block and the
// link styles without underline.
TEST_F(HtmlExport, DecorationSetThroughTheMembersIsVisible) {
    DocxBuilder doc;
    doc.AddHeading(1, "Topic").AddParagraph({Link("link", "1.html")});
    const WordDocument document = Load(doc);
    const WordStyles styles = document.Styles();
    for (int32_t i = 1; i <= styles.Count(); ++i) {
        ScopedVariant index = ScopedVariant::I4(i);
        const WordStyle style = styles.Item(&index);
        if (style.NameLocal().find("yperlink") != std::string::npos)
            style.Font().SetUnderline(0);
    }
    const WordParagraphs paragraphs = document.Paragraphs();
    paragraphs.Add(&missing);
    paragraphs.Add(&missing);
    const WordRange rule = paragraphs.Add(&missing).Range();
    rule.InlineShapes().AddHorizontalLineStandard(&missing).HorizontalLineFormat().SetPercentWidth(100.0f);
    paragraphs.Add(&missing).Range().SetText("Copyright");
    rule.Font().SetSize(10.0f);
    rule.Font().SetColor(0xA8A8A8);
    for (int32_t i = 1; i <= paragraphs.Count(); ++i) {
        const WordParagraph paragraph = paragraphs.Item(i);
        paragraph.SetLineSpacingRule(0);
        paragraph.SetSpaceAfterAuto(0);
        paragraph.SetSpaceBeforeAuto(0);
        paragraph.SetSpaceAfter(3.0f);
        paragraph.SetSpaceBefore(3.0f);
    }
    const std::string html = Save(document);
    ExpectGolden("decoration", html);
    EXPECT_NE(html.find("width=\"100%\""), std::string::npos);
    EXPECT_NE(html.find("text-decoration:none"), std::string::npos);
}

struct PictureCase {
    const char* name;
    bool allowPng;
    std::vector<uint8_t> bytes;
    const char* extension; // of the part in the package
    const char* written;   // file written into the folder, empty for a gap
};

TEST_F(HtmlExport, PicturesGoIntoThePageFolderInAFormatTheViewerShows) {
    const std::vector<PictureCase> cases = {
        {"png kept", false, TinyPng(), "png", "image001.png"},
        {"jpeg kept without AllowPNG", false, SmallJpeg(), "jpeg", "image001.jpg"},
        {"jpeg stays jpeg with AllowPNG: a photograph", true, SmallJpeg(), "jpeg", "image001.jpg"},
        {"named png but a jpeg", true, SmallJpeg(), "png", "image001.jpg"},
    };
    for (const PictureCase& test : cases) {
        DocxBuilder doc;
        doc.AddParagraph({Text("see "), Picture(test.bytes, false, test.extension)});
        const WordDocument document = Load(doc);
        if (test.allowPng)
            document.WebOptions().SetAllowPNG(true);
        const std::string html = Save(document);
        EXPECT_NE(html.find(std::string("src=\"0.files/") + test.written + "\""), std::string::npos) << test.name;
        ExpectPicturesResolve(html);
    }
}

TEST_F(HtmlExport, PicturesNumberedPerPageInlineAndAnchored) {
    DocxBuilder doc;
    doc.AddParagraph({Picture(TinyPng()), Text(" and "), Picture(TinyPng(), true)});
    const WordDocument document = Load(doc);
    document.WebOptions().SetAllowPNG(true);
    const std::string html = Save(document);
    ExpectGolden("pictures", html);
    ExpectPicturesResolve(html);
}

TEST_F(HtmlExport, BadPicturesLeaveAMarkedGapAndAWarning) {
    const std::string emptyPath = (folder / "no-tools").string();
    fs::create_directories(emptyPath);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", emptyPath.c_str(), 1); // no metafile converter can be found
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"damaged",
         [] {
             auto bytes = TinyPng();
             bytes.resize(40);
             return bytes;
         }()},
        {"altered byte",
         [] {
             auto bytes = TinyPng();
             bytes[bytes.size() - 16] ^= 0x01; // inside the image data: its checksum no longer matches
             return bytes;
         }()},
        {"no end chunk",
         [] {
             auto bytes = TinyPng();
             bytes.resize(bytes.size() - 12);
             return bytes;
         }()},
        {"unknown format", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
        {"too large", HugePngHeader()},
        {"metafile", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& [name, bytes] : cases) {
        DocxBuilder doc;
        doc.AddParagraph({Text("before"), Picture(bytes, false, name == "metafile" ? "wmf" : "png")});
        const std::string html = Save(Load(doc));
        EXPECT_NE(html.find("class=\"PictureGap\""), std::string::npos) << name;
        EXPECT_EQ(html.find("<img"), std::string::npos) << name;
        EXPECT_TRUE(WarnedAbout("picture")) << name;
        EXPECT_EQ(FolderEntries(), (std::set<std::string>{"0.html", "no-tools"})) << name;
    }
    setenv("PATH", savedPath.c_str(), 1);
}

namespace {

// A PNG of width x height whose left half is red and right half blue, written a row at a time (never whole).
std::vector<uint8_t> HalvesPng(uint32_t width, uint32_t height, bool interlaced) {
    std::vector<uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &bytes,
        [](png_structp p, png_bytep data, size_t size) {
            auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + size);
        },
        nullptr);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t{width} * 3, 0);
    for (uint32_t x = 0; x < width; ++x)
        row[size_t{x} * 3 + (x < width / 2 ? 0 : 2)] = 0xFF;
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < height; ++y)
            png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

} // namespace

TEST_F(HtmlExport, APngTooLargeToHoldIsShownSmallerWithAWarning) {
    DocxBuilder doc;
    Inline large = Picture(HalvesPng(8000, 6000, false), false, "png");
    large.widthEmu = int64_t{8000} * 9525; // drawn at its own size: only the page's limit makes it smaller
    large.heightEmu = int64_t{6000} * 9525;
    doc.AddParagraph({large});
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("<img"), std::string::npos) << html;
    EXPECT_TRUE(WarnedAbout("(8000 x 6000 pixels) is shown at 2048 x 1536 pixels"));
    const std::string written = ReadText(folder / "0.files" / "image001.png");
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(written.data()), static_cast<int>(written.size()),
                              &width, &height, &channels, 3),
        stbi_image_free);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(width, 2048);
    EXPECT_EQ(height, 1536);
    // Each half keeps its colour, to the last row.
    for (const auto& [x, y, red, blue] :
         std::vector<std::tuple<int, int, int, int>>{{0, 0, 255, 0}, {1000, 1535, 255, 0}, {2047, 1535, 0, 255}}) {
        const stbi_uc* pixel = pixels.get() + (static_cast<size_t>(y) * width + x) * 3;
        EXPECT_EQ(pixel[0], red) << x << "," << y;
        EXPECT_EQ(pixel[2], blue) << x << "," << y;
    }

    // One that cannot be read a row at a time is a gap, with the reason.
    DocxBuilder interlaced;
    interlaced.AddParagraph({Picture(HalvesPng(7000, 6000, true), false, "png")});
    const std::string gap = Save(Load(interlaced));
    EXPECT_NE(gap.find("class=\"PictureGap\""), std::string::npos);
    EXPECT_TRUE(WarnedAbout("too large to convert (7000 x 6000 pixels)"));
}

TEST_F(HtmlExport, SavingLeavesOnlyThePageAndItsFolder) {
    DocxBuilder withPicture;
    withPicture.AddParagraph({Picture(TinyPng())});
    SaveAs(Load(withPicture), folder / "3.html");
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"3.html", "3.files"}));

    // Saved again without pictures under the same name: the stale folder goes.
    DocxBuilder plain;
    plain.AddParagraph("text");
    SaveAs(Load(plain), folder / "3.html");
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"3.html"}));
    EXPECT_NE(ReadText(folder / "3.html").find("charset=gb2312"), std::string::npos);

    // A new page whose picture folder's name is taken: the folder is replaced by the page's own, as for a page saved
    // again.
    fs::create_directory(folder / "4.files");
    std::ofstream(folder / "4.files" / "stale.png") << "stale";
    SaveAs(Load(withPicture), folder / "4.html");
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"3.html", "4.html", "4.files"}));
    EXPECT_FALSE(fs::exists(folder / "4.files" / "stale.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "4.files"), fs::directory_iterator()), 1);
}

// Viewers search the page bytes and read the title in the help file's code page: the page is that code page's
// bytes within the strict set of the charset it declares (GB2312 for 936: GBK's en dash is a reference), with a
// reference for every other character in text, title and attributes; a style sheet gets CSS escapes.
TEST_F(HtmlExport, PagesAreCodePage936WithReferencesForTheRest) {
    const std::string mixed = "中文 Über €5 مر 😀 — a&b – \"q\"";
    DocxBuilder doc;
    doc.AddHeading(1, mixed);
    doc.AddBodyXml(Para("", RunXml("<w:rFonts w:ascii=\"굴림 Font\" w:hAnsi=\"굴림 Font\"/>",
                                   "中文 Über €5 مر 😀 — a&amp;b – &quot;q&quot;")));
    doc.SetDocumentDefaults("<w:rFonts w:ascii=\"맑은 Font\" w:hAnsi=\"맑은 Font\"/>", "");
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("charset=gb2312"), std::string::npos);
    const std::string text = "\xD6\xD0\xCE\xC4 &#220;ber &#8364;5 &#1605;&#1585; &#128512; \xA1\xAA a&amp;b &#8211; ";
    // The em dash is GB2312's A1AA; the en dash is GBK's alone.
    EXPECT_NE(html.find("<title>" + text + "\"q\"</title>"), std::string::npos) << html;
    EXPECT_NE(html.find(">" + text + "&quot;q&quot;<"), std::string::npos) << html;
    // Korean is not in the code page: in a style attribute a reference, in the style sheet a CSS escape, which is
    // all a style sheet reads.
    EXPECT_NE(html.find("&#44404;&#47548; Font"), std::string::npos) << html;
    const size_t sheet = html.find("<style");
    ASSERT_NE(sheet, std::string::npos);
    EXPECT_NE(html.find("\\00B9D1\\00C740 Font", sheet), std::string::npos) << html;
    EXPECT_LT(html.find("\\00B9D1\\00C740 Font", sheet), html.find("</style>"));
    // Every byte is ASCII or a GB2312 pair: strict GB2312 (EUC-CN) readers, code page 936 and GB18030 agree.
    const auto decoded = [&](const char* charset) {
        iconv_t converter = iconv_open("UTF-8", charset);
        std::string input = html;
        std::string output(html.size() * 4, '\0');
        char* in = input.data();
        char* out = output.data();
        size_t inLeft = input.size();
        size_t outLeft = output.size();
        const bool ok = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
        iconv_close(converter);
        output.resize(output.size() - outLeft);
        return ok ? output : std::string("(invalid)");
    };
    EXPECT_NE(decoded("GB2312"), "(invalid)");
    EXPECT_NE(decoded("CP936"), "(invalid)");
    EXPECT_EQ(decoded("CP936"), decoded("GB18030"));
}

// The page is in the code page SaveAs's Encoding names and declares that code page's charset.
TEST_F(HtmlExport, TheEncodingArgumentChoosesTheCodePageAndCharset) {
    DocxBuilder doc;
    doc.AddHeading(1, "Übersicht Обзор");
    const WordDocument document = Load(doc);
    struct Case {
        int32_t encoding;
        const char* charset;
        std::string title;
    };
    const Case cases[] = {
        {1252, "windows-1252",
         "\xDC"
         "bersicht &#1054;&#1073;&#1079;&#1086;&#1088;"},
        {1251, "windows-1251", "&#220;bersicht \xCE\xE1\xE7\xEE\xF0"},
        {932, "shift_jis", "&#220;bersicht \x84\x4F\x84\x71\x84\x78\x84\x80\x84\x82"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        ScopedVariant name = ScopedVariant::Bstr((folder / "0.html").u16string());
        ScopedVariant format = ScopedVariant::I4(10);
        ScopedVariant encoding = ScopedVariant::I4(c.encoding);
        ScopedVariant missing = ScopedVariant::Missing();
        document.SaveAs(&name, &format, &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing,
                        &missing, &encoding, &missing, &missing, &missing, &missing);
        const std::string html = ReadText(folder / "0.html");
        EXPECT_NE(html.find(std::string("charset=") + c.charset + "\""), std::string::npos);
        EXPECT_NE(html.find("<title>" + c.title + "</title>"), std::string::npos) << html;
    }
    ScopedVariant name = ScopedVariant::Bstr((folder / "1.html").u16string());
    ScopedVariant format = ScopedVariant::I4(10);
    ScopedVariant utf8 = ScopedVariant::I4(65001);
    ScopedVariant missing = ScopedVariant::Missing();
    EXPECT_THROW(document.SaveAs(&name, &format, &missing, &missing, &missing, &missing, &missing, &missing, &missing,
                                 &missing, &missing, &utf8, &missing, &missing, &missing, &missing),
                 AutomationError);
    EXPECT_FALSE(std::filesystem::exists(folder / "1.html"));
}

TEST_F(HtmlExport, FailedSavesWriteNothingAndSayWhy) {
    DocxBuilder doc;
    doc.AddParagraph({Picture(TinyPng())});
    const WordDocument document = Load(doc);
    try {
        SaveAs(document, folder / "missing-folder" / "0.html");
        ADD_FAILURE() << "saved into a folder that does not exist";
    } catch (const DispatchError& error) {
        EXPECT_NE(error.description().find("does not exist"), std::string::npos) << error.description();
    }
    fs::create_directory(folder / "0.html");
    EXPECT_THROW(SaveAs(document, folder / "0.html"), DispatchError);
    ScopedVariant name = ScopedVariant::Bstr((folder / "1.html").u16string());
    ScopedVariant wordFormat = ScopedVariant::I4(16);
    EXPECT_THROW(document.SaveAs(&name, &wordFormat, &missing, &missing, &missing, &missing, &missing, &missing,
                                 &missing, &missing, &missing, &missing, &missing, &missing, &missing, &missing),
                 DispatchError);
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"0.html"}));
}

} // namespace

TEST_F(HtmlExport, VmlPicturesTakeTheSizeOfTheirShape) {
    DocxBuilder doc;
    doc.AddParagraph({VmlPicture(TinyPng(), "position:absolute;width:150pt; height:75pt;z-index:1"),
                      VmlPicture(TinyPng(), "width:1in;height:.5in"), VmlPicture(TinyPng(), "position:absolute")});
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("<img width=\"200\" height=\"100\""), std::string::npos) << html;
    EXPECT_NE(html.find("<img width=\"96\" height=\"48\""), std::string::npos) << html;
    EXPECT_NE(html.find("<img width=\"1\" height=\"1\""), std::string::npos) << "no size: the picture's own";
}

TEST_F(HtmlExport, TextBoxFillsRowsStartingLaterAndTrackedRows) {
    DocxBuilder doc;
    doc.AddParagraph({Text("before "), TextBox("white words", "1F4E79"), TextBox("plain box")});
    const std::string tracked = "w:id=\"7\" w:author=\"A\" w:date=\"2024-01-01T00:00:00Z\"";
    doc.AddTable(
        {{{.paragraphs = {"shifted"}}},
         {{.paragraphs = {"gone"}}, {.paragraphs = {"gone too"}}},
         {{.paragraphs = {"new"}}, {.paragraphs = {"new too"}}}},
        {.gridColumns = {2000, 2000},
         .rowProperties = {"<w:gridBefore w:val=\"1\"/>", "<w:del " + tracked + "/>", "<w:ins " + tracked + "/>"}});
    const std::string html = Save(Load(doc));
    EXPECT_TRUE(std::regex_search(html, std::regex("<div class=\"TextBox\" style=\"[^\"]*background-color:#1F4E79;"
                                                   "\">[^]*white words")))
        << html;
    EXPECT_TRUE(std::regex_search(html, std::regex("<div class=\"TextBox\" style=\"[^\"]*margin:3pt 0;\">[^]*plain")));
    EXPECT_TRUE(std::regex_search(html, std::regex("<tr>\\s*<td style=\"border:none;\"></td>\\s*<td[^>]*>\\s*"
                                                   "<p[^>]*>shifted")))
        << html;
    EXPECT_EQ(html.find("gone"), std::string::npos) << "a deleted row is not shown";
    EXPECT_NE(html.find("new too"), std::string::npos) << "an inserted one is";
}

namespace {

// A metafile header enough to be taken for EMF; variant makes each one's bytes differ.
std::vector<uint8_t> FakeEmf(uint8_t variant) {
    std::vector<uint8_t> bytes(88, 0);
    bytes[0] = 1;
    bytes[40] = ' ';
    bytes[41] = 'E';
    bytes[42] = 'M';
    bytes[43] = 'F';
    bytes[87] = variant;
    return bytes;
}

} // namespace

// A page as LibreOffice draws a metafile, at scale times its 200 x 300 pixels: a 40 x 20 block on white, in blue-grey
// (or in black, as some icons' transparent parts come out when drawn larger).
void WritePage(const fs::path& path, int scale, bool black = false) {
    RasterImage drawn;
    drawn.width = 200 * scale;
    drawn.height = 300 * scale;
    drawn.channels = 3;
    drawn.pixels.assign(static_cast<size_t>(drawn.width) * drawn.height * 3, 0xFF);
    for (int y = 100 * scale; y < 120 * scale; ++y)
        for (int x = 50 * scale; x < 90 * scale; ++x)
            for (int c = 0; c < 3; ++c)
                drawn.pixels[(static_cast<size_t>(y) * drawn.width + x) * 3 + c] = black ? 0 : c == 2 ? 0xC0 : 0x20;
    const std::vector<uint8_t> png = EncodePng(drawn);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

TEST_F(HtmlExport, MetafilesConvertInOneRunAndShowWhatTheyDraw) {
    // A stand-in converter that logs each start with its format and draws every metafile as a page (page.png), or
    // on a larger page (large.png) when it is given a pixel size.
    const fs::path tools = folder / "tools";
    fs::create_directories(tools);
    WritePage(tools / "page.png", 1);
    WritePage(tools / "large.png", 4);
    std::ofstream(tools / "soffice") << "#!/bin/sh\n"
                                        "page=page.png\n"
                                        "while [ $# -gt 0 ]; do\n"
                                        "  case \"$1\" in\n"
                                        "    --convert-to) echo \"start $2\" >> '"
                                     << (tools / "log").string()
                                     << "'; case \"$2\" in *PixelWidth*) page=large.png ;; esac; shift ;;\n"
                                        "    --outdir) out=$2; shift ;;\n"
                                        "    *.emf|*.wmf) mkdir -p \"$out\"; n=$(basename \"$1\"); cp '"
                                     << tools.string()
                                     << "'/$page \"$out/${n%.*}.png\" ;;\n"
                                        "  esac\n"
                                        "  shift\n"
                                        "done\n";
    std::ofstream(tools / "wmf2gd") << "#!/bin/sh\necho wmf2gd >> '" << (tools / "log").string() << "'\ncp '"
                                    << (tools / "page.png").string() << "' \"$4\"\n";
    for (const char* tool : {"soffice", "wmf2gd"})
        fs::permissions(tools / tool, fs::perms::owner_all);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (tools.string() + ":/bin:/usr/bin").c_str(), 1);

    // A WMF that draws in the equation font goes to LibreOffice, which has its symbols; a plain one to wmf2gd.
    const std::vector<uint8_t> plainWmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> equationWmf = plainWmf;
    equationWmf.insert(equationWmf.end(), {'M', 'T', ' ', 'E', 'x', 't', 'r', 'a', 0});
    DocxBuilder source;
    source.AddParagraph({Picture(FakeEmf(1), false, "emf"), Picture(FakeEmf(2), false, "emf")});
    source.AddParagraph({Picture(FakeEmf(1), false, "emf"), Picture(FakeEmf(3), true, "emf")});
    source.AddParagraph({Picture(plainWmf, false, "wmf"), Picture(equationWmf, false, "wmf")});
    const WordDocument sourceDocument = Load(source);
    // A page cut from it, open beside it: its save converts the source's metafiles too.
    DocxBuilder page;
    page.AddParagraph({Picture(FakeEmf(2), false, "emf")});
    SaveAs(Load(page), folder / "page.html");
    const std::string html = Save(sourceDocument);
    Save(sourceDocument);
    setenv("PATH", savedPath.c_str(), 1);

    // The drawings come out smaller than twice the inch they are drawn at, so they are drawn again on a page four
    // times as large, the most it is made.
    EXPECT_EQ(ReadText(tools / "log"),
              "wmf2gd\nstart png\nstart png:draw_png_Export:{\"PixelWidth\":{\"type\":\"long\",\"value\":\"800\"},"
              "\"PixelHeight\":{\"type\":\"long\",\"value\":\"1200\"}}\n")
        << "one start for all of them, one more for those drawn larger, whatever was saved";
    const std::regex sized("<img width=\"96\" height=\"96\"");
    EXPECT_EQ(std::distance(std::sregex_iterator(html.begin(), html.end(), sized), std::sregex_iterator()), 6)
        << "each at the size the document gives it";
    ExpectPicturesResolve(html);
    const std::string written = ReadText(folder / "0.files" / "image001.png");
    int width = 0, height = 0, channels = 0;
    ASSERT_TRUE(stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(written.data()),
                                      static_cast<int>(written.size()), &width, &height, &channels));
    EXPECT_EQ(width, 162) << "cut to what the metafile draws on the larger page, with a pixel around it";
    EXPECT_EQ(height, 82);
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(written.data()), static_cast<int>(written.size()),
                              &width, &height, &channels, 4),
        stbi_image_free);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels.get()[3], 0) << "the page around the drawing is transparent";
    EXPECT_EQ(pixels.get()[(static_cast<size_t>(40) * width + 80) * 4 + 3], 255) << "the drawing is not";
    // wmf2gd's pictures are not cut (their size is the metafile's), but their background is cleared too.
    std::set<std::pair<int, int>> sizes;
    for (const auto& entry : fs::directory_iterator(folder / "0.files")) {
        const std::string bytes = ReadText(entry.path());
        std::unique_ptr<stbi_uc, void (*)(void*)> image(
            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                  &width, &height, &channels, 4),
            stbi_image_free);
        ASSERT_TRUE(image) << entry.path();
        EXPECT_EQ(image.get()[3], 0) << entry.path();
        sizes.emplace(width, height);
    }
    EXPECT_EQ(sizes, (std::set<std::pair<int, int>>{{162, 82}, {200, 300}}));

    // A drawing that turns black where it was light when drawn larger keeps its page-sized picture.
    WritePage(tools / "large.png", 4, true);
    fs::remove_all(folder / "0.files");
    setenv("PATH", (tools.string() + ":/bin:/usr/bin").c_str(), 1);
    DocxBuilder icon;
    icon.AddParagraph({Picture(FakeEmf(9), false, "emf")});
    const std::string iconPage = Save(Load(icon));
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_NE(iconPage.find("src=\"0.files/image001.png\""), std::string::npos) << iconPage;
    const std::string iconBytes = ReadText(folder / "0.files" / "image001.png");
    ASSERT_TRUE(stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(iconBytes.data()),
                                      static_cast<int>(iconBytes.size()), &width, &height, &channels));
    EXPECT_EQ(width, 42);
    EXPECT_EQ(height, 22);
}

namespace {

void AppendU32s(std::vector<uint8_t>& out, std::initializer_list<uint32_t> values) {
    for (uint32_t value : values)
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// A file icon as Word documents keep one in an EMF: a 32 x 32 bitmap drawn whole, copied or blended, its inside one
// colour (blue, green, red and the fourth byte) in a clear black frame 4 pixels wide.
struct IconBitmap {
    uint16_t bitCount = 32;
    std::array<uint8_t, 4> inside = {0x20, 0x80, 0xC0, 0xFF};
    uint8_t frameAlpha = 0;
    uint32_t rasterOperation = 0x00CC0020; // copy
    bool blend = false;                    // ALPHABLEND with the bitmap's transparency, else STRETCHDIBITS
    bool masks = false;                    // colours given by (the plain) masks after the bitmap's header
};

constexpr uint32_t kIconSide = 32;

std::vector<uint8_t> IconEmf(const IconBitmap& icon) {
    std::vector<uint8_t> bits;
    for (uint32_t y = 0; y < kIconSide; ++y)
        for (uint32_t x = 0; x < kIconSide; ++x) {
            const bool inside = x >= 4 && x < kIconSide - 4 && y >= 4 && y < kIconSide - 4;
            for (int channel = 0; channel < icon.bitCount / 8; ++channel)
                bits.push_back(inside ? icon.inside[channel] : channel == 3 ? icon.frameAlpha : 0);
        }
    const uint32_t bitsSize = static_cast<uint32_t>(bits.size()), last = kIconSide - 1;
    const uint32_t fixed = icon.blend ? 108 : 80, header = icon.masks ? 52 : 40;
    const uint32_t recordSize = fixed + header + bitsSize;
    const uint32_t frame = kIconSide * 2540 / 96; // hundredths of a millimetre at 96 pixels to the inch
    std::vector<uint8_t> emf;
    AppendU32s(emf, {1, 88, 0, 0, last, last, 0, 0, frame, frame});              // the header: bounds, frame
    AppendU32s(emf, {0x464D4520, 0x10000, 88 + recordSize + 20, 3, 1, 0, 0, 0}); // signature, version, counts
    AppendU32s(emf, {1920, 1080, 508, 286});                                     // the device in pixels and mm
    if (icon.blend) {
        AppendU32s(emf, {114, recordSize, 0, 0, last, last, 0, 0, kIconSide, kIconSide}); // bounds, where
        AppendU32s(emf, {0x01FF8000, 0, 0}); // over, whole, the bitmap's transparency; the source's corner
        AppendU32s(emf, {0x3F800000, 0, 0, 0x3F800000, 0, 0, 0, 0}); // no turn, no background, colours in it
        AppendU32s(emf, {fixed, header, fixed + header, bitsSize, kIconSide, kIconSide});
    } else {
        AppendU32s(emf, {81, recordSize, 0, 0, last, last});              // STRETCHDIBITS, bounds
        AppendU32s(emf, {0, 0, 0, 0, kIconSide, kIconSide});              // where, the bitmap's part
        AppendU32s(emf, {fixed, header, fixed + header, bitsSize});       // where its header and pixels are
        AppendU32s(emf, {0, icon.rasterOperation, kIconSide, kIconSide}); // how it is drawn, how large
    }
    AppendU32s(emf, {header, kIconSide, kIconSide, 1u | uint32_t{icon.bitCount} << 16, icon.masks ? 3u : 0u, bitsSize,
                     0, 0, 0, 0});
    if (icon.masks)
        AppendU32s(emf, {0x00FF0000, 0x0000FF00, 0x000000FF});
    emf.insert(emf.end(), bits.begin(), bits.end());
    AppendU32s(emf, {14, 20, 0, 16, 20}); // the end
    return emf;
}

} // namespace

TEST(MetafilePictures, OnlyCopiedBitmapsWithTransparencyAreDrawnAsBlends) {
    struct Case {
        const char* what;
        IconBitmap icon;
        bool blended;
        std::array<uint8_t, 4> insideDrawn; // what the blend holds inside, weighed by its transparency
    };
    const Case cases[] = {
        {"clear frame", {}, true, {0x20, 0x80, 0xC0, 0xFF}},
        {"half clear inside", {.inside = {0x40, 0x80, 0xC0, 0x80}}, true, {0x20, 0x40, 0x60, 0x80}},
        {"weighed already", {.inside = {0x20, 0x40, 0x60, 0x80}}, true, {0x20, 0x40, 0x60, 0x80}},
        {"fourth bytes all zero", {.inside = {0x20, 0x80, 0xC0, 0}}, false, {}},
        {"all opaque", {.frameAlpha = 0xFF}, false, {}},
        {"24 bits", {.bitCount = 24}, false, {}},
        {"not a copy", {.rasterOperation = 0x00EE0086}, false, {}},
        {"copy, colours by masks", {.masks = true}, true, {0x20, 0x80, 0xC0, 0xFF}},
        {"blend, colours by masks",
         {.inside = {0x20, 0x40, 0x60, 0x80}, .blend = true, .masks = true},
         true,
         {0x20, 0x40, 0x60, 0x80}},
        {"blend, plain colours", {.blend = true}, false, {}},
    };
    for (const Case& test : cases) {
        const std::vector<uint8_t> emf = IconEmf(test.icon);
        const std::vector<uint8_t> drawn = WithAlphaBitmapsBlended(emf);
        if (!test.blended) {
            EXPECT_EQ(drawn, emf) << test.what;
            continue;
        }
        ASSERT_GT(drawn.size(), 88u + 108 + 40) << test.what;
        EXPECT_EQ(U32At(drawn, 48), drawn.size()) << test.what << ": the header counts the file's bytes";
        EXPECT_EQ(U32At(drawn, 88), 114u) << test.what;
        const uint32_t blendSize = U32At(drawn, 92);
        ASSERT_EQ(88 + blendSize + 20, drawn.size()) << test.what;
        EXPECT_EQ(U32At(drawn, 88 + blendSize), 14u) << test.what << ": the end record follows";
        EXPECT_EQ(U32At(drawn, 88 + 88), 40u) << test.what << ": a plain bitmap header";
        EXPECT_EQ(U32At(drawn, 88 + U32At(drawn, 88 + 84) + 16), 0u) << test.what << ": colours not by masks";
        EXPECT_EQ(U32At(drawn, 88 + 100), kIconSide) << test.what << ": the whole bitmap is drawn";
        const size_t bits = 88 + U32At(drawn, 88 + 92);
        EXPECT_EQ(U32At(drawn, bits), 0u) << test.what << ": the frame is clear";
        const size_t middle = bits + (16 * kIconSide + 16) * 4;
        EXPECT_EQ(std::vector<uint8_t>(drawn.begin() + middle, drawn.begin() + middle + 4),
                  std::vector<uint8_t>(test.insideDrawn.begin(), test.insideDrawn.end()))
            << test.what;
    }
    std::vector<uint8_t> cut = IconEmf({});
    cut.resize(cut.size() - 100);
    EXPECT_EQ(WithAlphaBitmapsBlended(cut), cut) << "records that run past the end are left to the converter";
}

// Through LibreOffice itself, where it is installed: the icon's clear frame stays clear, not black.
TEST_F(HtmlExport, IconMetafilesKeepTheirClearPartsClear) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    // Copied as a bitmap with transparency, and blended from a bitmap whose colours are given by masks.
    DocxBuilder doc;
    doc.AddParagraph(
        {Picture(IconEmf({}), false, "emf"), Picture(IconEmf({.blend = true, .masks = true}), false, "emf")});
    const std::string html = Save(Load(doc));
    for (const char* name : {"image001.png", "image002.png"}) {
        ASSERT_NE(html.find(std::string("src=\"0.files/") + name), std::string::npos) << html;
        const std::string bytes = ReadText(folder / "0.files" / name);
        int width = 0, height = 0, channels = 0;
        std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
            stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                  &width, &height, &channels, 4),
            stbi_image_free);
        ASSERT_TRUE(pixels);
        size_t dark = 0;
        for (size_t at = 0; at < static_cast<size_t>(width) * height * 4; at += 4) {
            const stbi_uc* pixel = pixels.get() + at;
            dark += pixel[3] >= 128 && pixel[0] + pixel[1] + pixel[2] < 3 * 64;
        }
        EXPECT_EQ(dark, 0u) << name << ": the clear frame is not drawn black";
        EXPECT_EQ(pixels.get()[3], 0) << name << ": the page around the icon is transparent";
        const stbi_uc* middle = pixels.get() + (static_cast<size_t>(height / 2) * width + width / 2) * 4;
        EXPECT_EQ(std::vector<int>(middle, middle + 4), (std::vector<int>{0xC0, 0x80, 0x20, 0xFF})) << name;
    }
}

TEST_F(HtmlExport, WithWmf2gdAloneTheMetafilesItCannotDrawSayLibreOfficeIsMissing) {
    const fs::path tools = folder / "tools";
    fs::create_directories(tools);
    const std::vector<uint8_t> png = TinyPng();
    std::ofstream(tools / "tiny.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::ofstream(tools / "wmf2gd") << "#!/bin/sh\n/bin/cp '" << (tools / "tiny.png").string() << "' \"$4\"\n";
    fs::permissions(tools / "wmf2gd", fs::perms::owner_all);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", tools.string().c_str(), 1); // wmf2gd and nothing else
    const std::vector<uint8_t> plainWmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<uint8_t> equationWmf = plainWmf;
    equationWmf.insert(equationWmf.end(), {'M', 'T', ' ', 'E', 'x', 't', 'r', 'a', 0});
    DocxBuilder doc;
    doc.AddParagraph(
        {Picture(plainWmf, false, "wmf"), Picture(FakeEmf(1), false, "emf"), Picture(equationWmf, false, "wmf")});
    const std::string html = Save(Load(doc));
    setenv("PATH", savedPath.c_str(), 1);

    const std::regex image("<img ");
    EXPECT_EQ(std::distance(std::sregex_iterator(html.begin(), html.end(), image), std::sregex_iterator()), 1)
        << "the plain WMF is drawn";
    EXPECT_TRUE(WarnedAbout("no EMF converter (LibreOffice) is installed"));
    EXPECT_TRUE(WarnedAbout("LibreOffice, which this WMF needs (wmf2gd cannot draw it), is not installed"));
    EXPECT_FALSE(WarnedAbout("the installed converter could not convert")) << "nothing installed was tried on them";
}

TEST_F(HtmlExport, EquationsKeepTheirLayoutInPlainHtml) {
    const std::string math = "<m:oMath xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\">";
    auto run = [](const std::string& text) { return "<m:r><m:t>" + text + "</m:t></m:r>"; };
    DocxBuilder doc;
    doc.AddParagraph({Text("energy "),
                      RawXml(math + run("E=m") + "<m:sSup><m:e>" + run("c") + "</m:e><m:sup>" + run("2") +
                             "</m:sup></m:sSup></m:oMath>"),
                      Text(" done")});
    doc.AddParagraph({RawXml(math + "<m:f><m:num>" + run("a") + "</m:num><m:den>" + run("b+1") +
                             "</m:den></m:f><m:rad><m:radPr><m:degHide m:val=\"1\"/></m:radPr><m:deg/><m:e>" +
                             run("x") + "</m:e></m:rad></m:oMath>")});
    doc.AddParagraph({RawXml(math + "<m:nary><m:naryPr><m:chr m:val=\"\xE2\x88\x91\"/></m:naryPr><m:sub>" + run("i=1") +
                             "</m:sub><m:sup>" + run("n") + "</m:sup><m:e>" + run("i") +
                             "</m:e></m:nary><m:acc><m:accPr><m:chr m:val=\"\xCC\x87\"/></m:accPr><m:e>" + run("x") +
                             "</m:e></m:acc></m:oMath>")});
    doc.AddParagraph(
        {RawXml(math + "<m:d><m:e><m:m><m:mr><m:e>" + run("1") + "</m:e><m:e>" + run("0") + "</m:e></m:mr><m:mr><m:e>" +
                run("0") + "</m:e><m:e>" + run("1") + "</m:e></m:mr></m:m></m:e></m:d></m:oMath>")});
    const std::string html = Save(Load(doc));
    const std::string stack = "<span style=\"display:inline-block;vertical-align:middle;text-align:center;\">";
    EXPECT_NE(html.find("energy <span class=\"Math\"><i>E</i>=<i>m</i><i>c</i><sup>2</sup></span> done"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find(stack + "<span style=\"display:block;padding:0 2px;border-bottom:1px solid;\"><i>a</i></span>"
                                "<span style=\"display:block;padding:0 2px;\"><i>b</i>+1</span></span>"),
              std::string::npos)
        << "a fraction stacked over its rule";
    EXPECT_NE(
        html.find(PageBytes("\xE2\x88\x9A") + "<span style=\"border-top:1px solid;padding-top:1px;\"><i>x</i></span>"),
        std::string::npos);
    EXPECT_TRUE(std::regex_search(html, std::regex("display:block;font-size:70%;\"><i>n</i></span>"
                                                   "<span style=\"display:block;font-size:150%;line-height:1;\">" +
                                                   PageBytes("\xE2\x88\x91") +
                                                   "</span><span style=\"display:block;font-size:70%;\">"
                                                   "<i>i</i>=1</span>")))
        << "a sum with its limits above and below";
    EXPECT_NE(html.find(PageBytes("\xCB\x99") + "</span><span style=\"display:block;\"><i>x</i></span>"),
              std::string::npos)
        << "the dot stands over its base";
    EXPECT_TRUE(
        std::regex_search(html, std::regex("\\((<span[^>]*>){3}1</span><span[^>]*>0</span></span>"
                                           "<span[^>]*><span[^>]*>0</span><span[^>]*>1</span></span></span>\\)")))
        << "a matrix in rows inside its brackets";
    EXPECT_EQ(html.find("E=mc2", html.find("<body>")), std::string::npos) << "no flattened text";
    std::ofstream("/tmp/fid-math.html") << html;
}
