// Saved pages in the document's own defaults, theme fonts and table style formatting: whole documents saved, and
// pieces copied into a blank document and saved there, as topic pages are made.
#include "ServerFixture.h"

using namespace docx;

namespace {

// A rule of the page's style sheet, "body{...}", empty when the page has none.
std::string Rule(const std::string& html, const std::string& selector) {
    const size_t at = html.find("\r\n" + selector + "{");
    if (at == std::string::npos)
        return {};
    return html.substr(at + 2, html.find('}', at) - at - 2);
}

// The markup from the table cell holding text up to the text: the cell's and the paragraph's opening tags.
std::string CellBefore(const std::string& html, const std::string& text) {
    const size_t at = html.find(">" + text + "<", html.find("<body>"));
    const size_t cell = at == std::string::npos ? std::string::npos : html.rfind("<td", at);
    return cell == std::string::npos ? std::string() : html.substr(cell, at + 1 - cell);
}

const ThemeFontCollection kMajor{.latin = "Heading Sans", .scripts = {{"Hans", "Heading Hei"}, {"Jpan", "Heading Go"}}};
const ThemeFontCollection kMinor{.latin = "Body Serif", .scripts = {{"Hans", "Body Song"}, {"Jpan", "Body Mincho"}}};

std::string DefaultRunProperties(const std::string& eastAsiaLanguage) {
    return "<w:rFonts w:asciiTheme=\"minorHAnsi\" w:eastAsiaTheme=\"minorEastAsia\" w:hAnsiTheme=\"minorHAnsi\"/>"
           "<w:sz w:val=\"22\"/><w:color w:val=\"1F3864\"/><w:lang w:val=\"en-US\" w:eastAsia=\"" +
           eastAsiaLanguage + "\"/>";
}

// Written as the usual template writes a document: body text in the theme's minor fonts at 11 points, 8 points after
// and 1.08 lines; headings in the major font with their own spacing.
DocxBuilder ThemedDocument(const std::string& eastAsiaLanguage = "zh-CN") {
    DocxBuilder doc(false);
    doc.SetThemeFonts(kMajor, kMinor);
    doc.SetDocumentDefaults(DefaultRunProperties(eastAsiaLanguage),
                            "<w:spacing w:after=\"160\" w:line=\"259\" w:lineRule=\"auto\"/>");
    doc.AddStyle({.id = "Normal", .name = "Normal", .isDefault = true});
    doc.AddStyle({.id = "Heading1",
                  .name = "heading 1",
                  .basedOn = "Normal",
                  .properties = "<w:pPr><w:spacing w:before=\"240\" w:after=\"0\"/><w:outlineLvl w:val=\"0\"/></w:pPr>"
                                "<w:rPr><w:rFonts w:asciiTheme=\"majorHAnsi\" w:eastAsiaTheme=\"majorEastAsia\"/>"
                                "<w:sz w:val=\"32\"/></w:rPr>"});
    return doc;
}

std::string RunXml(const std::string& properties, const std::string& text) {
    return "<w:r><w:rPr>" + properties + "</w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

TEST_F(ServerTest, DefaultsAndThemeFontsShowInASavedDocument) {
    DocxBuilder doc = ThemedDocument();
    doc.AddParagraph("Topic", {.style = "Heading1"}).AddParagraph("Body text");
    doc.AddBodyXml("<w:p>" + RunXml("<w:rFonts w:ascii=\"Courier New\"/>", "code") +
                   RunXml("<w:rFonts w:asciiTheme=\"majorHAnsi\"/>", " themed") + "</w:p>");
    const std::string html = SavePage(Open(doc));
    ExpectGolden("defaults", html);
    EXPECT_NE(html.find("<html lang=\"en-US\">"), std::string::npos);
    EXPECT_EQ(Rule(html, "body").find("body{font-family:'Body Serif','Body Song','Times New Roman',SimSun,serif;"), 0u)
        << "a serif default falls back on serif fonts: " << Rule(html, "body");
    EXPECT_NE(Rule(html, "body").find("font-size:11pt;color:#1F3864;"), std::string::npos);
    const std::string paragraphs = Rule(html, "p,div.Paragraph,h1,h2,h3,h4,h5,h6");
    EXPECT_NE(paragraphs.find("font-size:11pt;"), std::string::npos) << paragraphs;
    EXPECT_NE(paragraphs.find("margin-bottom:8pt;line-height:107.917%;"), std::string::npos) << paragraphs;
    EXPECT_EQ(Rule(html, ".SHeading1"),
              ".SHeading1{margin-top:12pt;margin-bottom:0pt;font-family:'Heading Sans','Heading Hei',sans-serif;"
              "font-size:16pt;")
        << "a heading says only what differs from the defaults";
    EXPECT_EQ(Rule(html, ".SNormal"), "") << "body text is all defaults";
    EXPECT_NE(html.find("font-family:'Courier New','Body Song',monospace;\">code"), std::string::npos);
    EXPECT_NE(html.find("font-family:'Heading Sans','Body Song',sans-serif;\"> themed"), std::string::npos);
}

TEST_F(ServerTest, TheEastAsianThemeFontFollowsTheDocumentLanguage) {
    const std::pair<const char*, const char*> cases[] = {{"zh-CN", "'Body Serif','Body Song',"},
                                                         {"ja-JP", "'Body Serif','Body Mincho',"},
                                                         {"", "'Body Serif','Times New Roman'"}};
    for (const auto& [language, fonts] : cases) {
        DocxBuilder doc = ThemedDocument(language);
        doc.AddParagraph("text");
        const std::string html = SavePage(Open(doc, std::string("doc-") + language + ".docx"));
        EXPECT_NE(Rule(html, "body").find(fonts), std::string::npos) << language << ": " << Rule(html, "body");
    }
}

// Topic pages are pieces of the document pasted into a blank one: the source's defaults must come along.
TEST_F(ServerTest, PastedTextBringsItsDocumentDefaultsIntoABlankPage) {
    DocxBuilder doc = ThemedDocument();
    doc.AddParagraph("Topic", {.style = "Heading1"}).AddParagraph("Body text").AddParagraph("More text");
    const WordDocument source = Open(doc);
    const WordDocument page = Blank();
    const std::string blank = SavePage(page, "blank.html");
    EXPECT_NE(Rule(blank, "body").find("font-size:10pt;"), std::string::npos) << "a blank page has no defaults";
    EXPECT_EQ(Rule(blank, "p,div.Paragraph,h1,h2,h3,h4,h5,h6").find("margin-bottom"), std::string::npos);

    const WordParagraphs paragraphs = source.Paragraphs();
    ScopedVariant start = ScopedVariant::I4(paragraphs.Item(2).Range().Start());
    ScopedVariant end = ScopedVariant::I4(paragraphs.Item(3).Range().End());
    source.Range(&start, &end).Copy();
    const WordRange at = page.Paragraphs().Item(1).Range();
    at.SetRange(0, 0);
    at.Paste();
    const std::string html = SavePage(page);
    EXPECT_EQ(Rule(html, "body").find("body{font-family:'Body Serif','Body Song',"), 0u) << Rule(html, "body");
    EXPECT_NE(Rule(html, "body").find("font-size:11pt;"), std::string::npos);
    EXPECT_NE(Rule(html, "p,div.Paragraph,h1,h2,h3,h4,h5,h6").find("margin-bottom:8pt;line-height:107.917%;"),
              std::string::npos);
    EXPECT_NE(html.find("<html lang=\"en-US\">"), std::string::npos);
}

// Pasted text keeps its source's look: the source's defaults win over the target's; what the source leaves unset,
// the target's own defaults still give.
TEST_F(ServerTest, PastingBringsTheSourcesDefaultsOverTheTargets) {
    DocxBuilder themed = ThemedDocument();
    themed.AddParagraph("Body text");
    const WordDocument source = Open(themed, "source.docx");
    DocxBuilder own;
    own.SetDocumentDefaults("<w:sz w:val=\"28\"/>", "<w:spacing w:after=\"0\"/><w:ind w:left=\"144\"/>");
    own.AddParagraph("own");
    const WordDocument target = Open(own, "target.docx");
    source.Range(&missing, &missing).Copy();
    target.Paragraphs().Item(1).Range().Paste();
    const std::string html = SavePage(target);
    EXPECT_NE(Rule(html, "body").find("'Body Serif'"), std::string::npos) << Rule(html, "body");
    EXPECT_NE(Rule(html, "body").find("font-size:11pt;"), std::string::npos) << Rule(html, "body");
    const std::string paragraphs = Rule(html, "p,div.Paragraph,h1,h2,h3,h4,h5,h6");
    EXPECT_NE(paragraphs.find("margin-bottom:8pt;"), std::string::npos) << paragraphs;
    EXPECT_NE(paragraphs.find("margin-left:7.2pt;"), std::string::npos) << paragraphs;
}

// A theme that cannot answer leaves the fonts the document names beside its references.
TEST_F(ServerTest, ThemeProblemsFallBackToTheNamedFonts) {
    const std::string themedRun = "<w:rFonts w:asciiTheme=\"minorHAnsi\" w:ascii=\"Named Font\"/>";
    struct Case {
        const char* name;
        void (*damage)(DocxBuilder&);
        std::string runProperties;
    };
    const Case cases[] = {
        {"no theme", [](DocxBuilder&) {}, themedRun},
        {"missing part", [](DocxBuilder& doc) { doc.RemovePart("word/theme/theme1.xml"); }, themedRun},
        {"not xml", [](DocxBuilder& doc) { doc.SetPart("word/theme/theme1.xml", "<a:theme><a:fontScheme"); },
         themedRun},
        {"no font scheme",
         [](DocxBuilder& doc) { doc.SetPart("word/theme/theme1.xml", "<?xml version=\"1.0\"?><theme/>"); }, themedRun},
        {"unknown reference", [](DocxBuilder&) {},
         "<w:rFonts w:asciiTheme=\"minorSomething\" w:ascii=\"Named Font\"/>"},
    };
    for (const Case& test : cases) {
        DocxBuilder doc;
        if (std::string(test.name) != "no theme")
            doc.SetThemeFonts(kMajor, kMinor);
        test.damage(doc);
        doc.SetDocumentDefaults(test.runProperties, "");
        doc.AddParagraph("text");
        const std::string html = SavePage(Open(doc, std::string(test.name) + ".docx"));
        EXPECT_EQ(Rule(html, "body").find("body{font-family:'Named Font',Calibri,"), 0u)
            << test.name << ": " << Rule(html, "body");
    }
}

// The markup of the paragraph holding text up to the text: its opening tag.
std::string ParagraphBefore(const std::string& html, const std::string& text) {
    const size_t at = html.find(">" + text + "<", html.find("<body>"));
    const size_t paragraph = at == std::string::npos ? std::string::npos : html.rfind("<p", at);
    return paragraph == std::string::npos ? std::string() : html.substr(paragraph, at + 1 - paragraph);
}

std::string BorderedParagraph(const std::string& text, const std::string& between = "") {
    const std::string line = "w:val=\"single\" w:sz=\"4\" w:space=\"1\" w:color=\"auto\"";
    return "<w:p><w:pPr><w:pBdr><w:top " + line + "/><w:left " + line + "/><w:bottom " + line + "/><w:right " + line +
           "/>" + between + "</w:pBdr></w:pPr>" + RunXml("", text) + "</w:p>";
}

TEST_F(ServerTest, ParagraphBordersAndShading) {
    DocxBuilder doc;
    doc.AddStyle({.id = "Ruled",
                  .name = "Ruled",
                  .basedOn = "Normal",
                  .properties = "<w:pPr><w:pBdr><w:bottom w:val=\"single\" w:sz=\"8\" w:space=\"4\" "
                                "w:color=\"4F81BD\"/></w:pBdr></w:pPr>"});
    doc.AddParagraph("Ruled title", {.style = "Ruled"});
    // Three paragraphs with the same borders are one box; a between line divides the second box.
    doc.AddBodyXml(BorderedParagraph("box one") + BorderedParagraph("box two") + BorderedParagraph("box three"));
    doc.AddParagraph("apart");
    const std::string between = "<w:between w:val=\"dashed\" w:sz=\"4\" w:space=\"1\" w:color=\"FF0000\"/>";
    doc.AddBodyXml(BorderedParagraph("split one", between) + BorderedParagraph("split two", between));
    doc.AddBodyXml("<w:p><w:pPr><w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"E7E6E6\"/></w:pPr>" +
                   RunXml("", "shaded") + "</w:p>");
    // A bordered paragraph before a table is not one box with the table's text.
    doc.AddBodyXml(BorderedParagraph("before table"));
    doc.AddBodyXml("<w:tbl><w:tblPr/><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr><w:tc><w:tcPr/>" +
                   BorderedParagraph("in cell") + "</w:tc></w:tr></w:tbl>");
    const std::string html = SavePage(Open(doc));

    EXPECT_NE(Rule(html, ".SRuled").find("border-bottom:1pt solid #4F81BD;padding-bottom:4pt;"), std::string::npos)
        << Rule(html, ".SRuled");
    const std::string sides = "border-left:0.5pt solid #000000;padding-left:1pt;";
    EXPECT_EQ(ParagraphBefore(html, "box one"),
              "<p class=\"SNormal\" style=\"border-top:0.5pt solid #000000;padding-top:1pt;" + sides +
                  "border-right:0.5pt solid #000000;padding-right:1pt;\">");
    EXPECT_EQ(ParagraphBefore(html, "box two"),
              "<p class=\"SNormal\" style=\"" + sides + "border-right:0.5pt solid #000000;padding-right:1pt;\">");
    EXPECT_EQ(ParagraphBefore(html, "box three"), "<p class=\"SNormal\" style=\"" + sides +
                                                      "border-bottom:0.5pt solid #000000;padding-bottom:1pt;"
                                                      "border-right:0.5pt solid #000000;padding-right:1pt;\">");
    EXPECT_EQ(ParagraphBefore(html, "apart"), "<p class=\"SNormal\">");
    EXPECT_NE(ParagraphBefore(html, "split two").find("border-top:0.5pt dashed #FF0000;padding-top:1pt;"),
              std::string::npos)
        << ParagraphBefore(html, "split two");
    EXPECT_EQ(ParagraphBefore(html, "shaded"), "<p class=\"SNormal\" style=\"background-color:#E7E6E6;\">");
    EXPECT_NE(ParagraphBefore(html, "before table").find("border-bottom:0.5pt solid"), std::string::npos);
    EXPECT_NE(ParagraphBefore(html, "in cell").find("border-top:0.5pt solid"), std::string::npos);
}

// A table style in the shape Word's built-in list and grid styles have: a dark header row with white bold text, a
// bold last row under a double rule, italic first column, shaded odd bands, and no spacing after its paragraphs.
void AddAccentTableStyle(DocxBuilder& doc) {
    const std::string single = "w:val=\"single\" w:sz=\"4\" w:color=\"4472C4\"";
    doc.AddStyle(
        {.id = "AccentTable",
         .name = "Accent Table",
         .type = "table",
         .properties = "<w:pPr><w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr>"
                       "<w:tblPr><w:tblBorders><w:top " +
                       single + "/><w:left " + single + "/><w:bottom " + single + "/><w:right " + single +
                       "/></w:tblBorders></w:tblPr>"
                       "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/><w:color w:val=\"FFFFFF\"/></w:rPr>"
                       "<w:tcPr><w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"4472C4\"/></w:tcPr></w:tblStylePr>"
                       "<w:tblStylePr w:type=\"lastRow\"><w:rPr><w:b/></w:rPr><w:tcPr><w:tcBorders>"
                       "<w:top w:val=\"double\" w:sz=\"4\" w:color=\"4472C4\"/></w:tcBorders></w:tcPr></w:tblStylePr>"
                       "<w:tblStylePr w:type=\"firstCol\"><w:rPr><w:i/></w:rPr></w:tblStylePr>"
                       "<w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"D9E2F3\"/></w:tcPr>"
                       "</w:tblStylePr>"});
}

std::vector<std::vector<docx::TableCell>> Rows(const std::string& tag, int count) {
    std::vector<std::vector<docx::TableCell>> rows;
    for (int r = 1; r <= count; ++r)
        rows.push_back(
            {docx::TableCell{{tag + std::to_string(r) + "a"}}, docx::TableCell{{tag + std::to_string(r) + "b"}}});
    return rows;
}

TEST_F(ServerTest, TableStyleAreasShowAsTheTableLookSwitchesThemOn) {
    DocxBuilder doc = ThemedDocument();
    AddAccentTableStyle(doc);
    // Header and last row, row bands: as attributes.
    doc.AddTable(Rows("h", 4), {.properties = "<w:tblStyle w:val=\"AccentTable\"/><w:tblLook w:firstRow=\"1\" "
                                              "w:lastRow=\"1\" w:firstColumn=\"0\" w:noHBand=\"0\" w:noVBand=\"1\"/>"});
    // First column only, as the hex flags older documents write; bands stay on.
    doc.AddTable(Rows("c", 2), {.properties = "<w:tblStyle w:val=\"AccentTable\"/><w:tblLook w:val=\"0080\"/>"});
    // A cell's own shading outranks the header's.
    auto own = Rows("o", 2);
    own[0][1].properties = "<w:shd w:val=\"clear\" w:fill=\"FF0000\"/>";
    doc.AddTable(own, {.properties = "<w:tblStyle w:val=\"AccentTable\"/><w:tblLook w:val=\"0020\"/>"});
    const std::string html = SavePage(Open(doc));
    ExpectGolden("table-styles", html);

    EXPECT_NE(CellBefore(html, "h1a").find("background-color:#4472C4;"), std::string::npos) << CellBefore(html, "h1a");
    EXPECT_NE(CellBefore(html, "h1b").find("font-weight:bold;color:#FFFFFF;"), std::string::npos);
    EXPECT_NE(CellBefore(html, "h2a").find("background-color:#D9E2F3;"), std::string::npos) << "first band";
    EXPECT_EQ(CellBefore(html, "h3a").find("background-color"), std::string::npos) << "second band";
    EXPECT_NE(CellBefore(html, "h4b").find("border-top:2.25pt double #4472C4;"), std::string::npos)
        << CellBefore(html, "h4b");
    EXPECT_NE(CellBefore(html, "h4b").find("font-weight:bold;"), std::string::npos);
    EXPECT_EQ(html.find("font-style:italic"), html.find("font-style:italic;\">c1a"))
        << "the first table shows no first column";
    EXPECT_NE(CellBefore(html, "c2a").find("font-style:italic;"), std::string::npos);
    EXPECT_EQ(CellBefore(html, "c1b").find("font-style"), std::string::npos);
    EXPECT_NE(CellBefore(html, "c1b").find("background-color:#D9E2F3;"), std::string::npos)
        << "without a header row the first row is the first band";
    EXPECT_NE(CellBefore(html, "o1b").find("background-color:#FF0000;"), std::string::npos);
    EXPECT_NE(CellBefore(html, "o1a").find("background-color:#4472C4;"), std::string::npos);
    // The table style's paragraph spacing outranks the document's defaults inside its cells.
    EXPECT_NE(CellBefore(html, "h2a").find("<p class=\"SNormal\" style=\"margin-bottom:0pt;line-height:normal;\">"),
              std::string::npos)
        << CellBefore(html, "h2a");
}

TEST_F(ServerTest, CellMarginsRowHeightsAndTableShading) {
    DocxBuilder doc;
    doc.AddStyle({.id = "Tight",
                  .name = "Tight",
                  .type = "table",
                  .properties = "<w:tblPr><w:tblCellMar><w:left w:w=\"0\" w:type=\"dxa\"/>"
                                "<w:right w:w=\"0\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr>"});
    auto rows = Rows("m", 3);
    rows[1][1].properties = "<w:tcMar><w:start w:w=\"288\" w:type=\"dxa\"/></w:tcMar>";
    doc.AddTable(rows,
                 {.properties = "<w:tblStyle w:val=\"Tight\"/><w:tblCellMar><w:top w:w=\"72\" w:type=\"dxa\"/>"
                                "</w:tblCellMar><w:shd w:val=\"clear\" w:fill=\"FFF2CC\"/>",
                  .rowProperties = {"<w:trHeight w:val=\"567\"/>", "<w:trHeight w:val=\"400\" w:hRule=\"exact\"/>",
                                    "<w:trHeight w:val=\"900\" w:hRule=\"auto\"/>"}});
    doc.AddTable({{docx::TableCell{{"usual"}}}});
    const std::string html = SavePage(Open(doc));
    EXPECT_NE(
        html.find("<table class=\"Table\" cellspacing=\"0\" cellpadding=\"0\" style=\"background-color:#FFF2CC;\">"),
        std::string::npos);
    EXPECT_NE(CellBefore(html, "m1a").find("padding:3.6pt 0pt 0pt 0pt;"), std::string::npos) << CellBefore(html, "m1a");
    EXPECT_NE(CellBefore(html, "m2b").find("padding:3.6pt 0pt 0pt 14.4pt;"), std::string::npos);
    EXPECT_NE(
        html.find(
            "<tr style=\"height:28.35pt;\">\r\n<td style=\"padding:3.6pt 0pt 0pt 0pt;\">\r\n<p class=\"SNormal\">m1a"),
        std::string::npos);
    EXPECT_NE(html.find("<tr style=\"height:20pt;\">"), std::string::npos);
    EXPECT_NE(html.find("<tr>\r\n<td style=\"padding:3.6pt 0pt 0pt 0pt;\">\r\n<p class=\"SNormal\">m3a"),
              std::string::npos)
        << "an automatic height is no height";
    EXPECT_EQ(CellBefore(html, "usual"), "<td>\r\n<p class=\"SNormal\">") << "Word's usual margins need nothing";
}

TEST_F(ServerTest, TablesAlignIndentAndAlignTheirCellText) {
    DocxBuilder doc;
    doc.AddTable({{docx::TableCell{.paragraphs = {"middle"}, .properties = "<w:vAlign w:val=\"center\"/>"},
                   docx::TableCell{.paragraphs = {"bottom"}, .properties = "<w:vAlign w:val=\"bottom\"/>"},
                   docx::TableCell{.paragraphs = {"top"}, .properties = "<w:vAlign w:val=\"top\"/>"}}},
                 {.properties = "<w:jc w:val=\"center\"/>"});
    doc.AddTable({{docx::TableCell{{"indented"}}}}, {.properties = "<w:tblInd w:w=\"720\" w:type=\"dxa\"/>"});
    doc.AddTable({{docx::TableCell{{"at the margin"}}}}, {.properties = "<w:tblInd w:w=\"-108\" w:type=\"dxa\"/>"});
    doc.AddTable({{docx::TableCell{{"far left"}}}}, {.properties = "<w:tblInd w:w=\"-972\" w:type=\"dxa\"/>"});
    doc.AddTable({{docx::TableCell{{"right"}}}}, {.properties = "<w:jc w:val=\"right\"/>"});
    // A table style's placement, and a table's own outranking it.
    doc.AddStyle({.id = "Centred",
                  .name = "Centred",
                  .type = "table",
                  .properties = "<w:tblPr><w:jc w:val=\"center\"/><w:tblInd w:w=\"360\" w:type=\"dxa\"/></w:tblPr>"});
    doc.AddTable({{docx::TableCell{{"styled"}}}}, {.properties = "<w:tblStyle w:val=\"Centred\"/>"});
    doc.AddTable({{docx::TableCell{{"own left"}}}},
                 {.properties = "<w:tblStyle w:val=\"Centred\"/><w:jc w:val=\"left\"/>"});
    const std::string html = SavePage(Open(doc));
    auto tableOf = [&](const std::string& text) {
        const size_t cell = html.find(">" + text + "<", html.find("<body>"));
        const size_t table = html.rfind("<table", cell);
        return html.substr(table, html.find('>', table) + 1 - table);
    };
    EXPECT_NE(tableOf("middle").find("style=\"margin-left:auto;margin-right:auto;\""), std::string::npos);
    EXPECT_NE(tableOf("indented").find("style=\"margin-left:36pt;\""), std::string::npos) << tableOf("indented");
    EXPECT_NE(tableOf("at the margin").find("style=\"margin-left:-5.4pt;\""), std::string::npos);
    EXPECT_NE(tableOf("far left").find("style=\"margin-left:-5.4pt;\""), std::string::npos)
        << "a table is not pushed out of the page";
    EXPECT_NE(tableOf("right").find("style=\"margin-left:auto;margin-right:0;\""), std::string::npos);
    EXPECT_NE(tableOf("styled").find("style=\"margin-left:auto;margin-right:auto;\""), std::string::npos);
    EXPECT_NE(tableOf("own left").find("style=\"margin-left:18pt;\""), std::string::npos) << tableOf("own left");
    EXPECT_EQ(CellBefore(html, "middle"), "<td style=\"vertical-align:middle;\">\r\n<p class=\"SNormal\">");
    EXPECT_EQ(CellBefore(html, "bottom"), "<td style=\"vertical-align:bottom;\">\r\n<p class=\"SNormal\">");
    EXPECT_EQ(CellBefore(html, "top"), "<td>\r\n<p class=\"SNormal\">") << "top is the page's own";
}

// Odd values never fail a save: they are clamped, ignored or fall back to Word's usual ones.
TEST_F(ServerTest, OddTableAndParagraphValuesStillSave) {
    DocxBuilder doc;
    // Two table styles based on each other, with a band size of 0 and an area type nobody knows.
    doc.AddStyle({.id = "LoopA",
                  .name = "Loop A",
                  .type = "table",
                  .basedOn = "LoopB",
                  .properties = "<w:tblPr><w:tblStyleRowBandSize w:val=\"0\"/><w:tblCellMar><w:left w:w=\"abc\" "
                                "w:type=\"dxa\"/><w:right w:w=\"50\" w:type=\"pct\"/></w:tblCellMar></w:tblPr>"
                                "<w:tblStylePr w:type=\"diagonal\"><w:tcPr><w:shd w:fill=\"FF0000\"/></w:tcPr>"
                                "</w:tblStylePr><w:tblStylePr w:type=\"band1Horz\"><w:tcPr><w:shd w:val=\"clear\" "
                                "w:fill=\"00FF00\"/></w:tcPr></w:tblStylePr>"});
    doc.AddStyle({.id = "LoopB", .name = "Loop B", .type = "table", .basedOn = "LoopA"});
    auto rows = Rows("x", 3);
    rows[0][0].properties = "<w:tcMar><w:top w:w=\"-40\" w:type=\"dxa\"/></w:tcMar><w:vAlign w:val=\"sideways\"/>";
    doc.AddTable(rows, {.properties = "<w:tblStyle w:val=\"LoopA\"/><w:tblLook w:val=\"zz\"/>"
                                      "<w:tblInd w:w=\"50\" w:type=\"pct\"/><w:jc w:val=\"sideways\"/>",
                        .rowProperties = {"<w:trHeight w:val=\"-5\"/>", "<w:trHeight/>"}});
    doc.AddBodyXml("<w:p><w:pPr><w:pBdr><w:top w:val=\"single\" w:sz=\"99999\" w:space=\"-4\"/></w:pBdr>"
                   "<w:shd w:val=\"clear\" w:fill=\"nonsense\"/></w:pPr>" +
                   RunXml("", "odd paragraph") + "</w:p>");
    doc.SetPart("word/theme/theme1.xml",
                "<a:theme xmlns:a=\"x\"><a:fontScheme><a:minorFont/></a:fontScheme></a:theme>");
    doc.AddDocumentRelationship("rIdTheme", "theme", "theme/theme1.xml");
    doc.SetDocumentDefaults("<w:rFonts w:asciiTheme=\"majorHAnsi\"/><w:sz w:val=\"-3\"/>", "");
    const std::string html = SavePage(Open(doc));
    EXPECT_NE(CellBefore(html, "x1a").find("background-color:#00FF00;"), std::string::npos)
        << "an unreadable look leaves the bands on: " << CellBefore(html, "x1a");
    EXPECT_EQ(CellBefore(html, "x2a").find("background-color"), std::string::npos);
    EXPECT_EQ(html.find("#FF0000"), std::string::npos) << "an unknown area shows nothing";
    EXPECT_EQ(html.find("padding:-"), std::string::npos);
    EXPECT_EQ(html.find("height:-"), std::string::npos);
    EXPECT_EQ(html.find("margin-left:auto"), std::string::npos);
    EXPECT_NE(ParagraphBefore(html, "odd paragraph").find("border-top:12pt solid #000000;padding-top:0pt;"),
              std::string::npos)
        << ParagraphBefore(html, "odd paragraph");
    EXPECT_NE(Rule(html, "body").find("font-size:10pt;"), std::string::npos);
}

TEST_F(ServerTest, APastedTableKeepsItsStyleFormatting) {
    DocxBuilder doc = ThemedDocument();
    AddAccentTableStyle(doc);
    doc.AddParagraph("before");
    doc.AddTable(Rows("p", 2), {.properties = "<w:tblStyle w:val=\"AccentTable\"/><w:tblLook w:val=\"0020\"/>",
                                .rowProperties = {"<w:trHeight w:val=\"400\"/>"}});
    doc.AddParagraph("after");
    const WordDocument source = Open(doc);
    source.Range(&missing, &missing).Copy();
    const WordDocument page = Blank();
    page.Paragraphs().Item(1).Range().Paste();
    const std::string html = SavePage(page);
    EXPECT_NE(CellBefore(html, "p1a").find("background-color:#4472C4;"), std::string::npos) << CellBefore(html, "p1a");
    EXPECT_NE(CellBefore(html, "p1a").find("font-weight:bold;color:#FFFFFF;"), std::string::npos);
    EXPECT_NE(CellBefore(html, "p2a").find("margin-bottom:0pt;"), std::string::npos);
    EXPECT_NE(html.find("<tr style=\"height:20pt;\">"), std::string::npos);
}

} // namespace
