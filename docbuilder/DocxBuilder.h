#pragma once
// DocxBuilder writes a small .docx from content described in code, so tests never need third-party documents.
//
//   DocxBuilder doc;
//   doc.AddHeading(1, "Intro")
//      .AddParagraph({Text("See "), AnchorLink("scope", "_Toc1"), Text(".")})
//      .AddParagraph({BookmarkStart("_Toc1"), Text("Scope"), BookmarkEnd("_Toc1")}, {.style = "Heading2"});
//   doc.Save(path);
//
// Styles "Normal", "Heading1".."Heading9" (named "heading 1".., with no w:outlineLvl so the level comes from the
// built-in name), "Title" (w:outlineLvl 0 in the style), "Hyperlink" (character) and "Header"/"Footer" exist unless
// the builder is made with DocxBuilder(false). Text is UTF-8. Nothing here checks that the result makes sense: bad
// packages are made on purpose with the package-surgery members at the end.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace docx {

struct RunStyle {
    bool bold = false;
    bool italic = false;
    std::string characterStyle; // style id
    int sizeHalfPoints = 0;     // 0 leaves it to the style
    std::string colorHex;       // "FF0000"; empty leaves it to the style
    std::string highlight;      // w:highlight name, "yellow"; empty none
    std::string shadingHex;     // w:shd fill of the run; empty none
    std::string font;           // w:rFonts ascii and hAnsi; empty leaves it to the style
};

// One piece of a paragraph; made with the functions below.
struct Inline {
    enum class Kind {
        Text,
        PageBreak,
        ColumnBreak,
        LineBreak,
        Tab,
        Symbol,
        BookmarkStart,
        BookmarkEnd,
        Link,
        AnchorLink,
        Field,
        SimpleField,
        Picture,
        Footnote,
        Endnote,
        TextBox,
        Chart,
        RawXml
    };
    Kind kind = Kind::Text;
    std::string text;   // the shown text, bookmark name, symbol code, raw XML, note or text box text, chart part
    std::string target; // link URL or bookmark; field instruction
    RunStyle style;
    bool anchored = false; // pictures: floating (wp:anchor) instead of inline
    std::vector<uint8_t> bytes;
    std::string extension = "png";
    int64_t widthEmu = 914400; // pictures and charts: the size shown (one inch square unless set)
    int64_t heightEmu = 914400;
    std::string vmlStyle; // pictures: written as a VML shape with this style ("width:72pt;height:36pt") instead
    std::string fill;     // text boxes: the fill colour, RRGGBB
    // Text boxes made with ShapedTextBox: the DrawingML shape's wps:spPr content and wps:style element, and the VML
    // shape's attributes, as is.
    std::string shapeProperties;
    std::string shapeStyle;
    std::string vmlAttributes;
};

Inline Text(std::string text, RunStyle style = {});
Inline PageBreak();
Inline ColumnBreak();
Inline LineBreak();
Inline Tab();
Inline Symbol(std::string hexCode, std::string font = "Wingdings"); // w:sym, e.g. "F0E0"
Inline BookmarkStart(std::string name);
Inline BookmarkEnd(std::string name);
Inline Link(std::string text, std::string url);                  // w:hyperlink to an external address
Inline AnchorLink(std::string text, std::string bookmark);       // w:hyperlink w:anchor
Inline Field(std::string instruction, std::string result);       // complex field (fldChar begin/separate/end)
Inline SimpleField(std::string instruction, std::string result); // w:fldSimple
Inline Picture(std::vector<uint8_t> bytes, bool anchored = false, std::string extension = "png");
Inline Footnote(std::string text);
Inline Endnote(std::string text);
Inline VmlPicture(std::vector<uint8_t> bytes, std::string shapeStyle, std::string extension = "png");
// mc:AlternateContent with a text box, filled when fill (RRGGBB) is given, with Word's usual thin black line; its
// text is not body text.
Inline TextBox(std::string text, std::string fill = "");
// A text box drawn as the given shape properties say (no black line unless they give one).
Inline ShapedTextBox(std::string text, std::string shapeProperties, std::string shapeStyle = "",
                     std::string vmlAttributes = "");
// One series of a chart, with the values its part keeps (c:numCache); NaN writes a point the cache lacks.
struct ChartSeries {
    std::string name;
    std::vector<double> values;  // by category; the y values of a scatter chart
    std::vector<double> xValues; // scatter charts
    std::string fill;            // RRGGBB: the series' own c:spPr fill (its line for lines and scatter points)
};

struct ChartDefinition {
    std::string kind = "barChart"; // the plot area's element: barChart, lineChart, pieChart, areaChart, ...
    std::string barDirection = "col";
    std::string grouping; // c:grouping, none when empty
    std::string title;    // c:title with this text, none when empty
    bool legend = true;   // c:legend at the right
    std::vector<std::string> categories;
    std::vector<ChartSeries> series;
};

// A chart part (c:chartSpace) holding the definition's cached values.
std::string ChartXml(const ChartDefinition& chart);
// A chart drawn at this size (EMU) whose part word/charts/chartN.xml holds partXml as is.
Inline Chart(std::string partXml, int64_t widthEmu, int64_t heightEmu);
Inline RawXml(std::string xml); // inside the paragraph, as is
// A footnote (an endnote) whose paragraph holds runsXml as is (fields, formatted runs).
Inline FootnoteXml(std::string runsXml);
Inline EndnoteXml(std::string runsXml);
// An index entry as Word marks it: a complex XE field in hidden runs, without a result, its code split over
// `pieces` w:instrText runs. The instruction is the code as is (' XE "Installing:from disc" ').
std::string IndexEntryXml(const std::string& instruction, size_t pieces = 2);
// The same as w:fldSimple.
std::string SimpleIndexEntryXml(const std::string& instruction);

// A valid 1x1 PNG.
std::vector<uint8_t> TinyPng();

struct ParagraphOptions {
    std::string style;     // style id
    int outlineLevel = -1; // w:outlineLvl on the paragraph (0..9), -1 none
    int numId = -1;        // w:numPr, -1 none
    int numLevel = 0;
};

struct StyleDefinition {
    std::string id;
    std::string name;
    std::string type = "paragraph";
    std::string basedOn;
    int outlineLevel = -1;
    int numId = -1;
    int numLevel = 0;
    bool isDefault = false;
    std::string properties; // more style content after the paragraph properties, as is (w:rPr, w:tblPr)
};

struct ListLevel {
    std::string format = "decimal"; // w:numFmt; none written when empty (properties may give it)
    std::string text = "%1.";       // w:lvlText
    int start = 1;
    bool legal = false;
    int restartAfter = -1;  // w:lvlRestart, -1 none
    std::string style;      // w:pStyle
    std::string properties; // more w:lvl content, as is (w:suff, w:pPr)
};

struct TableCell {
    std::vector<std::string> paragraphs{""};
    int gridSpan = 1;
    std::string verticalMerge;  // "", "restart" or "continue"
    std::string nestedTableXml; // a whole w:tbl placed after the paragraphs
    std::string paragraphXml;   // w:p content of one more paragraph after the plain ones, as is; none when empty
    std::string properties;     // more w:tcPr content, as is (w:tcW, w:tcBorders, w:shd)
};

struct TableOptions {
    std::string properties;                 // w:tblPr content, as is (w:tblStyle, w:tblW, w:tblBorders)
    std::vector<int> gridColumns;           // w:gridCol widths in twips
    std::vector<std::string> rowProperties; // w:trPr content by row, as is (w:trHeight); missing rows have none
};

// One of a theme's font collections (a:majorFont, a:minorFont).
struct ThemeFontCollection {
    std::string latin;
    std::string eastAsia;                       // a:ea, often empty
    std::map<std::string, std::string> scripts; // a:font by script ("Hans" -> a Chinese font)
};

class DocxBuilder {
public:
    explicit DocxBuilder(bool defaultStyles = true);

    DocxBuilder& AddStyle(const StyleDefinition& style);
    // w:docDefaults: the content of its w:rPr and w:pPr, as is.
    DocxBuilder& SetDocumentDefaults(const std::string& runProperties, const std::string& paragraphProperties);
    // word/theme/theme1.xml with these fonts, and the main part's relationship to it.
    DocxBuilder& SetThemeFonts(const ThemeFontCollection& major, const ThemeFontCollection& minor);
    // The same part's colour scheme: slot ("dk2", "accent1") -> RRGGBB.
    DocxBuilder& SetThemeColors(const std::map<std::string, std::string>& slots);
    DocxBuilder& AddParagraph(const std::vector<Inline>& content, const ParagraphOptions& options = {});
    DocxBuilder& AddParagraph(const std::string& text, const ParagraphOptions& options = {});
    DocxBuilder& AddHeading(int level, const std::string& text);
    DocxBuilder& AddTable(const std::vector<std::vector<TableCell>>& rows, const TableOptions& options = {});
    DocxBuilder& AddBodyXml(const std::string& xml);

    // numbering.xml: an abstract list with up to nine levels, and a list instance using it.
    DocxBuilder& AddAbstractList(int abstractId, const std::vector<ListLevel>& levels);
    DocxBuilder& AddList(int numId, int abstractId, const std::map<int, int>& startOverrides = {});

    // Headers and footers of the current section; EndSection closes it, the next one has none of its own.
    DocxBuilder& SetHeader(const std::string& text);
    DocxBuilder& SetFooter(const std::string& text);
    DocxBuilder& EndSection();

    // Package surgery for tests of damaged input. Parts are named without a leading '/'.
    DocxBuilder& SetPart(const std::string& name, std::string bytes);
    DocxBuilder& RemovePart(const std::string& name);
    DocxBuilder& AddDocumentRelationship(const std::string& id, const std::string& type, const std::string& target,
                                         bool external = false);

    std::string Build() const; // the .docx bytes
    void Save(const std::filesystem::path& path) const;

    // The XML of the main part as it would be written (handy when a test wants to alter it).
    std::string DocumentXml() const;

private:
    std::string RunXml(const Inline& piece);
    DocxBuilder& WriteTheme();
    std::string RunProperties(const RunStyle& style) const;

    struct Relationship {
        std::string id, type, target;
        bool external = false;
    };
    std::string AddRelationship(const std::string& type, const std::string& target, bool external);

    std::vector<std::string> styles_;
    std::string documentDefaults_;
    std::string themeFonts_;  // a:fontScheme
    std::string themeColors_; // a:clrScheme
    std::string body_;
    std::vector<std::string> abstractLists_;
    std::vector<std::string> lists_;
    std::vector<Relationship> relationships_;
    std::vector<std::string> footnotes_;
    std::vector<std::string> endnotes_;
    std::map<std::string, std::string> parts_; // extra parts (media, headers) by name
    std::map<std::string, std::string> overrides_;
    std::vector<std::string> removed_;
    std::string sectionReferences_;
    int nextId_ = 1;
};

} // namespace docx
