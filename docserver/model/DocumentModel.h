#pragma once
// The document as plain data: one story string per text flow (body, each header and footer, each note) in UTF-16
// code units, a paragraph table and span tables for runs, links, bookmarks, fields, pictures and tables. Positions
// are offsets into the story string, as Word's character positions are.

#include "docserver/model/PictureBytes.h"
#include "docserver/model/SharedFormat.h"

#include "automation/WordConventions.h"

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Characters Word puts into a story besides text.
constexpr char16_t kParagraphMark = u'\r';
constexpr char16_t kPageBreak = u'\f';
constexpr char16_t kColumnBreak = 14;
constexpr char16_t kLineBreak = 11;
constexpr char16_t kPictureChar = 1;
constexpr char16_t kNoteReferenceChar = 2;

constexpr int32_t kUnsetLetterSpacing = INT32_MIN;

struct RunFormat {
    std::string characterStyle; // style id, empty for the default paragraph font
    int8_t bold = -1;           // -1 unset (from the style), 0 off, 1 on
    int8_t italic = -1;
    int8_t strike = -1;
    int8_t underline = -1;                       // -1 unset, 0 none, 1 single, other Word underline kinds as numbers
    int32_t sizeHalfPoints = 0;                  // 0 unset
    int32_t color = -1;                          // Word colour number 0xBBGGRR, -1 unset (automatic)
    int8_t verticalAlign = 0;                    // 0 baseline, 1 superscript, 2 subscript
    int8_t hidden = -1;                          // w:vanish: -1 unset, 0 shown (also over a hiding style), 1 hidden
    std::string font;                            // the Latin font
    std::string eastAsiaFont;                    // the font for Chinese, Japanese and Korean text, empty unset
    int32_t highlight = -1;                      // w:highlight as a colour number, -1 unset
    int32_t shading = -1;                        // w:shd fill of the run, -1 unset
    int8_t caps = -1;                            // w:caps: shown in capitals
    int8_t smallCaps = -1;                       // w:smallCaps
    int32_t letterSpacing = kUnsetLetterSpacing; // w:spacing in twips, negative to condense
    int8_t rightToLeft = -1;                     // w:rtl: -1 unset, 0 left to right, 1 right to left
    friend bool operator==(const RunFormat&, const RunFormat&) = default;
};

// One edge of a paragraph, table or cell as Word draws it.
struct BorderLine {
    int8_t kind = -1; // -1 unset (the table's), 0 none, 1 single, 2 double, 3 dotted, 4 dashed
    int16_t eighthsOfPoint = 4;
    int32_t color = -1;      // 0xBBGGRR, -1 automatic
    int16_t spacePoints = 0; // w:space: the distance from the text (paragraphs only)
    friend bool operator==(const BorderLine&, const BorderLine&) = default;
};

// Paragraphs use the first five sides, the fifth (w:between) being the line between paragraphs of one bordered group.
enum BorderSide { kBorderTop, kBorderLeft, kBorderBottom, kBorderRight, kBorderInsideH, kBorderInsideV };

struct ParagraphFormat {
    std::string style;     // style id, empty for the document's default paragraph style
    int outlineLevel = -1; // the paragraph's own w:outlineLvl (0..9), -1 none
    int numId = -1;        // -1 from the style, 0 explicitly no numbering
    int numLevel = -1;     // -1 from the style
    std::string alignment; // w:jc value, empty unset
    int spaceBefore = -1;  // twips, -1 unset
    int spaceAfter = -1;
    int spaceBeforeAuto = -1;
    int spaceAfterAuto = -1;
    int lineRule = -1;    // Word's line spacing rule number, -1 unset
    int lineSpacing = -1; // w:line: 240ths of a line for rule 5 (multiple), twips for 3 (at least) and 4 (exactly)
    int indentLeft = 0;   // twips
    int indentRight = 0;
    int indentFirstLine = 0;
    BorderLine borders[5];   // w:pBdr by BorderSide, kBorderInsideH for w:between
    int32_t shading = -1;    // w:shd fill, -1 unset
    RunFormat markFormat;    // the formatting of the paragraph mark itself
    int8_t rightToLeft = -1; // w:bidi: -1 unset, 0 left to right, 1 right to left (its left and right are logical)
    friend bool operator==(const ParagraphFormat&, const ParagraphFormat&) = default;
};

// Equal formats hash alike, so that a document read keeps each distinct one once.
struct FormatHash {
    static size_t Mix(size_t seed, size_t value) {
        return seed ^ (value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2));
    }
    size_t operator()(const RunFormat& f) const {
        size_t h = std::hash<std::string>()(f.characterStyle);
        h = Mix(h, std::hash<std::string>()(f.font));
        h = Mix(h, std::hash<std::string>()(f.eastAsiaFont));
        for (int32_t value :
             {int32_t{f.bold}, int32_t{f.italic}, int32_t{f.underline}, f.sizeHalfPoints, f.color,
              int32_t{f.verticalAlign}, int32_t{f.hidden}, f.highlight, f.shading, int32_t{f.rightToLeft}})
            h = Mix(h, static_cast<size_t>(value));
        return h;
    }
    size_t operator()(const ParagraphFormat& f) const {
        size_t h = Mix(std::hash<std::string>()(f.style), std::hash<std::string>()(f.alignment));
        for (int value : {f.outlineLevel, f.numId, f.numLevel, f.spaceBefore, f.spaceAfter, f.lineSpacing, f.indentLeft,
                          f.indentFirstLine, static_cast<int>(f.shading), int{f.rightToLeft}})
            h = Mix(h, static_cast<size_t>(value));
        return Mix(h, (*this)(f.markFormat));
    }
};

struct ParagraphEntry {
    int32_t end = 0; // one past the paragraph's mark; the paragraph starts where the previous one ends
    SharedFormat<ParagraphFormat> format;
    int section = 0; // index into Document::sections
};

struct RunSpan {
    int32_t start = 0;
    int32_t end = 0;
    SharedFormat<RunFormat> format;
};

struct LinkSpan {
    int32_t start = 0;
    int32_t end = 0;
    uint32_t id = 0;           // stable identity for Hyperlink objects
    std::u16string address;    // empty for a link inside the document
    std::u16string subAddress; // bookmark name (the fragment)
    std::u16string screenTip;
};

struct BookmarkSpan {
    int32_t start = 0;
    int32_t end = 0;
    std::u16string name;
};

struct FieldSpan {
    int32_t start = 0; // the field's result in the story
    int32_t end = 0;
    std::u16string instruction;
};

struct PictureSpan {
    int32_t start = 0; // the picture's character (inline), or its anchor position
    int32_t end = 0;   // start + 1 inline, start when anchored
    bool anchored = false;
    bool horizontalLine = false;
    float percentWidth = 100;
    std::string part; // package part the bytes came from, empty for a drawn line
    PictureBytes bytes;
    int64_t widthEmu = 0;
    int64_t heightEmu = 0;
    std::u16string description;
};

struct NoteSpan {
    int32_t start = 0; // the reference character
    int32_t end = 0;
    bool endnote = false;
    int story = -1; // index into Document::stories
};

// A text box anchored at a position; Word keeps its text in a story of its own, outside the main text.
struct TextBoxSpan {
    int32_t start = 0; // zero width: the anchor
    int32_t end = 0;
    int story = -1;          // index into Document::stories
    int32_t fill = -1;       // the box's background, 0xBBGGRR, -1 none
    BorderLine outline;      // the box's line: kind 0 none, 1 drawn; -1 unknown (a thin black frame)
    bool chartLabel = false; // a chart shown as its title: the text starts with "[Chart", said in the page's language
};

// An equation: its text in the story is its plain reading; its own markup (OMML) tells how it is laid out.
struct EquationSpan {
    int32_t start = 0;
    int32_t end = 0;
    std::string markup; // the m:oMath or m:oMathPara element as XML
};

// w:tblW, w:tcW.
struct TableWidth {
    int value = 0;
    int8_t unit = 0; // 0 automatic, 1 twips, 2 fiftieths of a percent
    friend bool operator==(const TableWidth&, const TableWidth&) = default;
};

// Cell margins (w:tblCellMar, w:tcMar) in twips by side: top, left, bottom, right; -1 unset.
struct CellMargins {
    int32_t sides[4] = {-1, -1, -1, -1};
    friend bool operator==(const CellMargins&, const CellMargins&) = default;
};

struct TableCell {
    int32_t start = 0;
    int32_t end = 0;
    int gridSpan = 1;
    int verticalMerge = 0; // 0 none, 1 starts a merged column run, 2 continues it
    BorderLine borders[4]; // top, left, bottom, right; unset sides take the table's
    int32_t shading = -1;  // w:shd fill, -1 none
    TableWidth width;
    CellMargins margins;      // the cell's own, else the table's
    int8_t verticalAlign = 0; // w:vAlign: 0 top, 1 centre, 2 bottom
    // What the table style gives the cell's text (its whole-table and conditional formats, such as a bold first
    // row), laid under the paragraph's style. Kept with the cell so it travels when the table is copied.
    ParagraphFormat styleParagraph;
    RunFormat styleRun;
};

struct TableRow {
    std::vector<TableCell> cells;
    int gridBefore = 0;  // w:gridBefore: grid columns left empty before the first cell
    int gridAfter = 0;   // w:gridAfter: grid columns left empty after the last cell
    int heightTwips = 0; // w:trHeight, 0 automatic
    bool exactHeight = false;
};

struct TableSpan {
    int32_t start = 0;
    int32_t end = 0;
    int depth = 1; // 1 for a table in the story, 2 for one nested in a cell, ...
    std::vector<TableRow> rows;
    BorderLine borders[6]; // by BorderSide, the table style's laid under the table's own
    TableWidth width;
    std::vector<int> gridColumns; // twips
    CellMargins cellMargins;      // the table style's laid under the table's own
    int32_t shading = -1;         // w:tblPr/w:shd fill, -1 none
    std::string alignment;        // w:tblPr/w:jc, empty for the left
    int indent = 0;               // w:tblInd in twips
};

struct Story {
    std::u16string text;
    std::vector<ParagraphEntry> paragraphs;
    std::vector<RunSpan> runs; // contiguous, covering the text
    std::vector<LinkSpan> links;
    std::vector<BookmarkSpan> bookmarks;
    std::vector<FieldSpan> fields;
    std::vector<PictureSpan> pictures;
    std::vector<NoteSpan> notes;
    std::vector<TextBoxSpan> textBoxes;
    std::vector<TableSpan> tables;
    std::vector<EquationSpan> equations;
};

// The parts of a table a table style formats on their own (w:tblStylePr), in the order Word lays them over each
// other; kWholeTable is the style's own cell and text formatting.
enum TableArea {
    kWholeTable,
    kBand1Vertical,
    kBand2Vertical,
    kBand1Horizontal,
    kBand2Horizontal,
    kFirstColumn,
    kLastColumn,
    kFirstRow,
    kLastRow,
    kTopLeftCell,
    kTopRightCell,
    kBottomLeftCell,
    kBottomRightCell,
    kTableAreaCount
};

struct TableAreaFormat {
    ParagraphFormat paragraph;
    RunFormat run;
    int32_t shading = -1;  // cell shading, -1 unset
    BorderLine borders[6]; // w:tcBorders by BorderSide; the inside sides are the lines between the area's cells
};

struct TableStyleFormat {
    TableAreaFormat areas[kTableAreaCount];
    CellMargins cellMargins;
    int32_t shading = -1;  // the table's own shading
    std::string alignment; // w:jc
    int indent = 0;        // w:tblInd in twips
    int rowBandSize = 1;
    int columnBandSize = 1;
};

struct Style {
    std::string id;
    std::string name;
    std::string basedOn;
    std::string type = "paragraph"; // paragraph, character, table, numbering
    bool isDefault = false;
    ParagraphFormat paragraph; // style's paragraph properties (outlineLevel, numbering, spacing)
    RunFormat run;
    BorderLine tableBorders[6]; // table styles: w:tblPr/w:tblBorders by BorderSide
    TableStyleFormat table;     // table styles: the rest of their formatting
    // What the object model set on the style (Style.Font), kept when a pasted definition replaces the style's own.
    RunFormat runChanges;
};

struct NumberingLevel {
    int start = 1;
    std::string format = "decimal"; // w:numFmt value
    std::u16string text;            // w:lvlText, with %1..%9
    int restartAfter = -1;          // w:lvlRestart: -1 after any higher level, 0 never, n after level n
    bool legal = false;             // w:isLgl
    std::string style;              // w:pStyle linking a heading style to this level
    int indentLeft = -1;            // w:pPr/w:ind in twips, -1 when the level sets none
    int indentFirstLine = 0;        // negative for a hanging number
    std::string suffix = "tab";     // w:suff: what follows the number, "tab", "space" or "nothing"
};

// Where the counting of one list definition stands: each level's last number and whether it has counted since it last
// restarted.
struct ListCounters {
    std::array<int, 9> value{};
    std::array<bool, 9> used{};
};

struct AbstractNumbering {
    std::vector<NumberingLevel> levels; // up to 9
    // A list copied out of another document starts counting where the original stood at the copied piece.
    std::optional<ListCounters> reached;
};

struct NumberingInstance {
    int abstractId = 0;
    std::map<int, int> startOverrides;            // level -> start
    std::map<int, NumberingLevel> levelOverrides; // level -> whole level
    bool startOverridesUsed = false;              // a copy of an instance whose overrides already restarted it
};

struct Numbering {
    std::map<int, AbstractNumbering> abstracts;
    std::map<int, NumberingInstance> instances; // by numId
};

// w:docDefaults: what text shows where neither a style nor direct formatting says otherwise.
struct DocumentDefaults {
    RunFormat run;
    ParagraphFormat paragraph;
    std::string language;         // w:lang w:val, empty unset
    std::string eastAsiaLanguage; // w:lang w:eastAsia
};

// The theme's fonts as w:asciiTheme and w:eastAsiaTheme name them, the East Asian ones for the document's language.
struct ThemeFonts {
    std::string majorLatin;
    std::string minorLatin;
    std::string majorEastAsia;
    std::string minorEastAsia;
};

// Which of a section's headers or footers: Word's index for them, and their slot in Section.
enum HeaderFooterKind { kHeaderFooterPrimary = 1, kHeaderFooterFirstPage = 2, kHeaderFooterEvenPages = 3 };

struct Section {
    // Story index per kind, -1 when the section has none of its own and takes the previous section's.
    int headers[kHeaderFooterEvenPages + 1] = {-1, -1, -1, -1};
    int footers[kHeaderFooterEvenPages + 1] = {-1, -1, -1, -1};
};

struct Document {
    std::vector<Story> stories; // stories[0] is the main text
    std::vector<Section> sections;
    std::vector<Style> styles;
    DocumentDefaults defaults;
    ThemeFonts themeFonts;
    Numbering numbering;
    bool allowPng = false;
    uint32_t nextLinkId = 1;
    std::vector<std::string> warnings;
};

constexpr int kMainStory = 0;
