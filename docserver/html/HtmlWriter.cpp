#include "HtmlWriter.h"

#include "docserver/html/HtmlFormat.h"
#include "docserver/html/HtmlTableFormat.h"
#include "docserver/html/HtmlText.h"
#include "docserver/html/MathHtml.h"
#include "docserver/html/PageEncoding.h"
#include "docserver/html/PictureExport.h"
#include "docserver/html/SymbolFonts.h"
#include "docserver/model/Numbering.h"
#include "docserver/model/StyleSheet.h"
#include "docserver/package/XmlPart.h"

#include "automation/HeadingText.h"
#include "base/CodePageText.h"
#include "base/Text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace {

// A label the page itself shows (a picture's gap, a chart shown as its title) speaks the help file's language, not
// the converting user's: its readers read that language, and the page's code page holds it.
std::string PageLabel(uint32_t codePage, const char* simplified, const char* traditional, const char* english) {
    return codePage == 936 ? simplified : codePage == 950 ? traditional : english;
}

std::string PictureNotShown(uint32_t codePage) {
    return PageLabel(codePage, "图片未显示", "圖片未顯示", "picture not shown");
}

std::string ChartLabel(uint32_t codePage) {
    return PageLabel(codePage, "图表", "圖表", "Chart");
}

constexpr const char* kEol = "\r\n";
constexpr int64_t kEmuPerPixel = 9525; // 96 pixels to the inch

// After the rules for the page and its paragraphs, which carry the document's defaults.
const char* const kBaseStyleSheet =
    "table.Table{border-collapse:collapse;margin:0;}\r\n"
    "td{padding:0 5.4pt;vertical-align:top;}\r\n"
    "hr.Rule{border:none;height:2px;color:#A0A0A0;background-color:#A0A0A0;}\r\n"
    "span.PictureGap{display:inline-block;border:1px dashed #A0A0A0;color:#808080;font-size:8pt;"
    "text-align:center;}\r\n"
    "div.Notes{margin-top:12pt;}\r\n";

std::string RomanLower(int number) {
    static const std::pair<int, const char*> kDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                                                          {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                                                          {5, "v"},    {4, "iv"},   {1, "i"}};
    std::string text;
    for (const auto& [value, digits] : kDigits)
        while (number >= value) {
            text += digits;
            number -= value;
        }
    return text;
}

// The page's fonts: the document's default ones, then fonts a browser has when those are missing, of the kind the
// default font is.
// A title element holds text up to "</title>": only "&" and "<" must be escaped, and a help viewer's search list
// shows the title's other entities as written.
std::string TitleText(std::u16string_view text) {
    std::string escaped = EscapedText(text);
    for (const auto& [entity, character] : {std::pair<std::string_view, char>{"&quot;", '"'}, {"&gt;", '>'}}) {
        for (size_t at = escaped.find(entity); at != std::string::npos; at = escaped.find(entity, at + 1))
            escaped.replace(at, entity.size(), 1, character);
    }
    return escaped;
}

std::string BodyFontFamily(const RunFormat& defaults) {
    static const std::vector<std::string> kSans = {"Calibri", "Arial", "'Microsoft YaHei'", "SimSun", "sans-serif"};
    static const std::vector<std::string> kSerif = {"'Times New Roman'", "SimSun", "serif"};
    static const std::vector<std::string> kMonospace = {"'Courier New'", "monospace"};
    const std::string generic = GenericFamily(defaults.font.empty() ? defaults.eastAsiaFont : defaults.font);
    std::string family = CssFontFamily(defaults);
    for (const std::string& fallback : generic == "serif" ? kSerif : generic == "monospace" ? kMonospace : kSans) {
        const std::string quoted = fallback.front() == '\'' ? fallback : "'" + fallback + "'";
        if (family.find(quoted) == std::string::npos)
            family += (family.empty() ? "" : ",") + fallback;
    }
    return family;
}

// Word's text size where neither the document's defaults nor a style sets one.
constexpr int kWordDefaultHalfPoints = 20;

// The text size of text that sets none: the document's default, else Word's.
std::string DefaultSize(const RunFormat& defaults) {
    char size[32];
    std::snprintf(size, sizeof size, "%gpt",
                  (defaults.sizeHalfPoints > 0 ? defaults.sizeHalfPoints : kWordDefaultHalfPoints) / 2.0);
    return size;
}

// A language tag safe to write into the page, empty for anything else.
std::string LanguageTag(const std::string& language) {
    const bool plain = language.size() <= 35 && std::all_of(language.begin(), language.end(), [](unsigned char c) {
                           return std::isalnum(c) || c == '-';
                       });
    return plain ? language : std::string();
}

int Pixels(int64_t emu) {
    return static_cast<int>(std::llround(static_cast<double>(emu) / kEmuPerPixel));
}

class HtmlWriter {
public:
    HtmlWriter(const Document& document, std::string folderName, uint32_t codePage, const MetafileCache* metafiles)
        : document_(document), folderName_(std::move(folderName)), codePage_(codePage), metafiles_(metafiles) {}

    HtmlPage Write() {
        if (!document_.stories.empty()) {
            WriteStory(kMainStory);
            WriteNotes();
        }
        HtmlPage page;
        // Built as UTF-8, saved in the help file's code page: viewers search the page bytes and read its title in
        // the system code page, so every viewer then reads the same text.
        page.html = EncodePage(codePage_, Head() + "<body>" + kEol + body_ + "</body>" + kEol + "</html>" + kEol);
        page.pictures = std::move(pictures_);
        if (unmatchedSymbols_ > 0)
            warnings_.push_back(std::to_string(unmatchedSymbols_) +
                                " character(s) set in a symbol font have no Unicode match and are shown as boxes");
        page.warnings = std::move(warnings_);
        return page;
    }

private:
    struct NoteEntry {
        int story = -1;
        bool endnote = false;
        std::string label; // "1", "i"
        std::string id;    // "_ftn1", "_edn1"
    };

    // Per story: list numbers, and which bookmark anchors are already written.
    struct StoryState {
        const Story* story = nullptr;
        std::vector<std::u16string> listStrings;
        std::vector<bool> bookmarkWritten;
        bool isNote = false;
    };

    void WriteStory(int index) {
        StoryState state;
        state.story = &document_.stories[index];
        state.listStrings = ComputeListStrings(document_, *state.story);
        state.bookmarkWritten.assign(state.story->bookmarks.size(), false);
        state.isNote = index != kMainStory;
        current_ = &state;
        WriteBlocks(0, static_cast<int32_t>(state.story->text.size()), 0);
        current_ = nullptr;
    }

    const Story& S() const { return *current_->story; }

    int32_t ParagraphStart(size_t index) const { return index == 0 ? 0 : S().paragraphs[index - 1].end; }

    size_t FirstParagraphEndingAfter(int32_t position) const {
        const auto& paragraphs = S().paragraphs;
        return static_cast<size_t>(
            std::upper_bound(paragraphs.begin(), paragraphs.end(), position,
                             [](int32_t p, const ParagraphEntry& entry) { return p < entry.end; }) -
            paragraphs.begin());
    }

    const TableSpan* TableAt(int32_t start, int depth) const {
        for (const TableSpan& table : S().tables)
            if (table.start == start && table.depth == depth)
                return &table;
        return nullptr;
    }

    void WriteBlocks(int32_t from, int32_t to, int tableDepth) {
        size_t index = FirstParagraphEndingAfter(from);
        while (index < S().paragraphs.size() && ParagraphStart(index) < to) {
            const int32_t start = ParagraphStart(index);
            if (const TableSpan* table = TableAt(start, tableDepth + 1); table && table->end > start) {
                WriteTable(*table, tableDepth + 1);
                index = FirstParagraphEndingAfter(table->end);
                continue;
            }
            WriteParagraph(index);
            ++index;
        }
    }

    void WriteTable(const TableSpan& table, int depth) {
        body_ += "<table class=\"Table\" cellspacing=\"0\" cellpadding=\"0\"";
        if (const std::string css = TableCss(table); !css.empty())
            body_ += " style=\"" + css + "\"";
        body_ += ">";
        body_ += kEol;
        // Vertical merges: a restart cell spans the continuing cells below it in the same grid column.
        std::vector<std::vector<int>> columns(table.rows.size());
        int columnCount = 0;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            int column = table.rows[r].gridBefore;
            for (const TableCell& cell : table.rows[r].cells) {
                columns[r].push_back(column);
                column += cell.gridSpan;
            }
            columnCount = std::max(columnCount, column + table.rows[r].gridAfter);
        }
        WriteGridColumns(table, columnCount);
        auto cellAt = [&](size_t row, int column) -> const TableCell* {
            for (size_t c = 0; c < table.rows[row].cells.size(); ++c)
                if (columns[row][c] == column)
                    return &table.rows[row].cells[c];
            return nullptr;
        };
        std::set<int> openMerges;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            if (table.rows[r].cells.empty())
                continue;
            body_ += RowOpening(table.rows[r]);
            body_ += kEol;
            // The grid columns a row leaves out before its first cell stay empty, without borders.
            if (const int before = table.rows[r].gridBefore; before > 0)
                body_ += "<td" + std::string(before > 1 ? " colspan=\"" + std::to_string(before) + "\"" : "") +
                         " style=\"border:none;\"></td>" + kEol;
            std::set<int> stillOpen;
            for (size_t c = 0; c < table.rows[r].cells.size(); ++c) {
                const TableCell& cell = table.rows[r].cells[c];
                const int column = columns[r][c];
                if (cell.verticalMerge == 2 && openMerges.count(column)) {
                    stillOpen.insert(column);
                    continue;
                }
                int rowSpan = 1;
                if (cell.verticalMerge != 0) {
                    for (size_t below = r + 1; below < table.rows.size(); ++below) {
                        const TableCell* next = cellAt(below, column);
                        if (!next || next->verticalMerge != 2)
                            break;
                        ++rowSpan;
                    }
                    if (rowSpan > 1)
                        stillOpen.insert(column);
                }
                body_ += "<td";
                if (cell.gridSpan > 1)
                    body_ += " colspan=\"" + std::to_string(cell.gridSpan) + "\"";
                if (rowSpan > 1)
                    body_ += " rowspan=\"" + std::to_string(rowSpan) + "\"";
                const CellPlace place{r == 0, r + rowSpan >= table.rows.size(), column == 0,
                                      column + cell.gridSpan >= columnCount};
                if (const std::string css = CellCss(table, cell, column, place); !css.empty())
                    body_ += " style=\"" + css + "\"";
                body_ += ">";
                body_ += kEol;
                const TableCell* outerCell = cell_;
                cell_ = &cell;
                WriteBlocks(cell.start, cell.end, depth);
                cell_ = outerCell;
                body_ += "</td>";
                body_ += kEol;
            }
            if (const int after = table.rows[r].gridAfter; after > 0)
                body_ += "<td" + std::string(after > 1 ? " colspan=\"" + std::to_string(after) + "\"" : "") +
                         " style=\"border:none;\"></td>" + kEol;
            openMerges = std::move(stillOpen);
            body_ += "</tr>";
            body_ += kEol;
        }
        body_ += "</table>";
        body_ += kEol;
    }

    // The grid's column widths, so that rows which start or end at other grid columns still line up.
    void WriteGridColumns(const TableSpan& table, int columnCount) {
        if (table.gridColumns.empty() || static_cast<int>(table.gridColumns.size()) != columnCount ||
            std::any_of(table.gridColumns.begin(), table.gridColumns.end(), [](int twips) { return twips <= 0; }))
            return;
        body_ += "<colgroup>";
        for (int twips : table.gridColumns)
            body_ += "<col width=\"" + std::to_string(Pixels(int64_t{twips} * 635)) + "\">";
        body_ += "</colgroup>";
        body_ += kEol;
    }

    // Rows are at least their height; an exact height cannot clip a table row in CSS 2 and is shown as a minimum.
    static std::string RowOpening(const TableRow& row) {
        if (row.heightTwips <= 0)
            return "<tr>";
        char height[48];
        std::snprintf(height, sizeof height, "<tr style=\"height:%gpt;\">", row.heightTwips / 20.0);
        return height;
    }

    // What a paragraph's style is laid over: the document's defaults, and in a table cell what the table style
    // gives the cell.
    ParagraphFormat ParagraphBase() const {
        return cell_ ? OverlayParagraph(document_.defaults.paragraph, cell_->styleParagraph)
                     : document_.defaults.paragraph;
    }
    RunFormat RunBase() const {
        return cell_ ? OverlayRun(document_.defaults.run, cell_->styleRun) : document_.defaults.run;
    }
    RunFormat ShownRun(const std::string& styleId, const RunFormat& direct) const {
        return EffectiveRunFormat(document_, styleId, direct, RunBase());
    }

    // What a paragraph shows of its style and its own formatting, over the defaults (and in a cell its table style).
    ParagraphFormat ShownParagraph(const ParagraphEntry& entry) const {
        return OverlayParagraph(StyleParagraphFormat(document_, entry.format->style, ParagraphBase()), entry.format);
    }

    // True where a table or a cell starts or ends: the paragraphs on either side belong to no common box.
    bool BlockBoundaryAt(int32_t position) const {
        for (const TableSpan& table : S().tables) {
            if (table.start == position || table.end == position)
                return true;
            for (const TableRow& row : table.rows)
                for (const TableCell& cell : row.cells)
                    if (cell.start == position || cell.end == position)
                        return true;
        }
        return false;
    }

    // Word draws neighbouring paragraphs with the same borders and indents as one box: between them is the box's
    // between line, if any, not one paragraph's bottom line and the next one's top.
    void JoinBorderGroup(size_t index, ParagraphFormat& format) const {
        if (std::none_of(std::begin(format.borders), std::end(format.borders),
                         [](const BorderLine& line) { return line.kind > 0; }))
            return;
        const ParagraphFormat own = format;
        auto sameBox = [&](const ParagraphEntry& neighbour) {
            const ParagraphFormat other = ShownParagraph(neighbour);
            return std::equal(std::begin(own.borders), std::end(own.borders), std::begin(other.borders)) &&
                   own.indentLeft == other.indentLeft && own.indentRight == other.indentRight;
        };
        const auto& paragraphs = S().paragraphs;
        if (index > 0 && !BlockBoundaryAt(ParagraphStart(index)) && sameBox(paragraphs[index - 1]))
            format.borders[kBorderTop] = own.borders[kBorderInsideH];
        if (index + 1 < paragraphs.size() && !BlockBoundaryAt(paragraphs[index].end) &&
            sameBox(paragraphs[index + 1])) {
            format.borders[kBorderBottom] = BorderLine{};
            format.borders[kBorderBottom].kind = 0;
        }
    }

    // Whether a list number surely fits in the given width (twips), judged by a generous average character width.
    bool NumberFits(const std::u16string& number, const RunFormat& format, int twips) const {
        const int halfPoints = format.sizeHalfPoints > 0                   ? format.sizeHalfPoints
                               : document_.defaults.run.sizeHalfPoints > 0 ? document_.defaults.run.sizeHalfPoints
                                                                           : kWordDefaultHalfPoints;
        const double estimate = static_cast<double>(number.size()) * 0.6 * halfPoints * 10; // 0.6 em in twips
        return estimate + 40 <= twips;
    }

    // The level a numbered paragraph's number comes from; null without a number.
    const NumberingLevel* ListLevelOf(const ParagraphFormat& format, const std::u16string& listString) const {
        if (listString.empty())
            return nullptr;
        const ListMembership list = ListOf(document_, format);
        return FindNumberingLevel(document_.numbering, list.numId, list.level);
    }

    // How far text reaches past the page's sides (negative indents, hanging labels), so the page can keep room for
    // it as Word's page margin does. Text in a cell is kept inside its cell: it may reach into the cell's margin, no
    // further, as the page has no room to give it beside a cell.
    void NoteOutdent(ParagraphFormat& format, bool rightToLeft) {
        const int firstLine = std::min(0, format.indentFirstLine); // on the side the paragraph starts
        const int leftFirstLine = rightToLeft ? 0 : firstLine;
        const int rightFirstLine = rightToLeft ? firstLine : 0;
        if (cell_) {
            constexpr int kCellMargin = 108; // Word's usual, in twips
            format.indentLeft = std::max(format.indentLeft, -kCellMargin - leftFirstLine);
            format.indentRight = std::max(format.indentRight, -kCellMargin - rightFirstLine);
            return;
        }
        outdentLeft_ = std::max(outdentLeft_, -(format.indentLeft + leftFirstLine));
        outdentRight_ = std::max(outdentRight_, -(format.indentRight + rightFirstLine));
    }

    // A right-to-left paragraph's left and right are logical, its start being on the right: the indents and the
    // alignment the page writes are the sides Word shows them on.
    static void MirrorForRightToLeft(ParagraphFormat& format) {
        std::swap(format.indentLeft, format.indentRight);
        const std::string& jc = format.alignment;
        if (jc.empty() || jc == "left" || jc == "start")
            format.alignment = "right";
        else if (jc == "right" || jc == "end")
            format.alignment = "left";
    }

    bool HoldsHorizontalLine(int32_t start, int32_t end) const {
        return std::any_of(S().pictures.begin(), S().pictures.end(), [&](const PictureSpan& picture) {
            return picture.horizontalLine && picture.start >= start && picture.start < end;
        });
    }

    void WriteParagraph(size_t index) {
        const ParagraphEntry& entry = S().paragraphs[index];
        const int32_t start = ParagraphStart(index);
        int32_t contentEnd = entry.end;
        if (contentEnd > start && S().text[contentEnd - 1] == kParagraphMark)
            contentEnd--;
        if (entry.format->markFormat.hidden > 0 && contentEnd == start)
            return;

        const std::string& styleId = entry.format->style;
        // The style's class in the page's style sheet, and what the style shows here (different in a table cell).
        const ParagraphFormat classFormat = StyleParagraphFormat(document_, styleId);
        RunFormat classRun = StyleRunFormat(document_, styleId);
        RunFormat paragraphRun = StyleRunFormat(document_, styleId, RunBase());
        ParagraphFormat format = ShownParagraph(entry);
        const int level = OutlineLevelOf(document_, entry.format);
        const std::u16string& listString =
            index < current_->listStrings.size() ? current_->listStrings[index] : std::u16string();
        // The list level's own indents outrank the style's. A level without any gets Word's usual ones in body
        // text, number at a quarter inch plus half an inch per level, which keep nested lists apart.
        const NumberingLevel* listLevel = ListLevelOf(entry.format, listString);
        if (listLevel && entry.format->indentLeft == 0) {
            if (listLevel->indentLeft >= 0) {
                format.indentLeft = listLevel->indentLeft;
                format.indentFirstLine = listLevel->indentFirstLine;
            } else if (level >= kBodyTextLevel) {
                format.indentLeft = 360 + 720 * ListOf(document_, entry.format).level;
                format.indentFirstLine = 0;
            }
        }
        JoinBorderGroup(index, format);
        const bool rightToLeft = format.rightToLeft == 1;
        if (rightToLeft)
            MirrorForRightToLeft(format);
        // Runs are written against the paragraph's direction; the paragraph's own is its dir attribute.
        paragraphRun.rightToLeft = classRun.rightToLeft = rightToLeft ? 1 : -1;
        NoteOutdent(format, rightToLeft);

        std::string element = level <= 6 && !current_->isNote ? "h" + std::to_string(level) : "p";
        std::string extraClass;
        if (HoldsHorizontalLine(start, entry.end)) {
            element = "div"; // a rule cannot sit inside <p>
            extraClass = "Paragraph ";
        }
        body_ += "<" + element + " class=\"" + extraClass + StyleClass(styleId) + "\"";
        if (rightToLeft)
            body_ += " dir=\"rtl\"";
        const std::string css = ParagraphCss(format, classFormat) + RunCss(paragraphRun, classRun);
        if (!css.empty())
            body_ += " style=\"" + css + "\"";
        body_ += ">";

        const size_t lengthBefore = body_.size();
        body_ += pendingPrefix_;
        pendingPrefix_.clear();
        if (!listString.empty()) {
            const RunFormat markRun = ShownRun(styleId, entry.format->markFormat);
            const std::string suffix = listLevel ? listLevel->suffix : "tab";
            // The tab after a hanging number reaches the text's indent: the number sits in a box as wide as the
            // hanging part when it fits there. Otherwise (Word would go on to a later tab stop) two spaces stand in.
            const int hanging = -format.indentFirstLine;
            const bool toIndent = suffix == "tab" && hanging > 0 && NumberFits(listString, markRun, hanging);
            if (toIndent) {
                char box[96];
                std::snprintf(box, sizeof box, "<span style=\"display:inline-block;width:%gpt;text-indent:0;\">",
                              hanging / 20.0);
                body_ += box;
            }
            WriteSpanOpen(RunCss(markRun, paragraphRun));
            AppendEscapedText(body_, listString);
            if (suffix == "tab" && !toIndent)
                body_ += "&nbsp;&nbsp;";
            WriteSpanClose(RunCss(markRun, paragraphRun));
            if (toIndent)
                body_ += "</span>";
            else if (suffix != "nothing")
                body_ += " ";
        }
        afterSpace_ = true; // a space starting a line would vanish
        WriteInline(start, contentEnd, styleId, paragraphRun);
        if (body_.size() == lengthBefore || ShowsNothingAfter(lengthBefore))
            body_ += "&nbsp;"; // an empty paragraph keeps its line, as in Word
        body_ += "</" + element + ">";
        body_ += kEol;
        WriteTextBoxesIn(start, entry.end);
    }

    // A text box cannot sit inside a paragraph in HTML, so it follows the paragraph it is anchored in, framed.
    void WriteTextBoxesIn(int32_t from, int32_t to) {
        if (current_->isNote)
            return; // boxes inside boxes are not read, and notes hold none
        for (const TextBoxSpan& box : S().textBoxes) {
            if (box.start < from || box.start >= to || box.story <= kMainStory ||
                box.story >= static_cast<int>(document_.stories.size()))
                continue;
            // The box's own outline, or none; a box whose outline is not known keeps a thin frame.
            const std::string border = box.outline.kind < 0 ? "0.75pt solid #000000" : CssBorder(box.outline);
            body_ += "<div class=\"TextBox\" style=\"border:" + border + ";padding:3.6pt 7.2pt;margin:3pt 0;";
            if (box.fill >= 0)
                body_ += "background-color:" + CssColor(box.fill) + ";";
            body_ += "\">";
            body_ += kEol;
            StoryState* outer = current_;
            const TableCell* outerCell = cell_;
            cell_ = nullptr; // a box's text is not the cell's
            const size_t storyStart = body_.size();
            WriteStory(box.story);
            if (box.chartLabel)
                if (const size_t label = body_.find("[Chart", storyStart); label != std::string::npos)
                    body_.replace(label + 1, 5, ChartLabel(codePage_));
            current_ = outer;
            cell_ = outerCell;
            body_ += "</div>";
            body_ += kEol;
        }
    }

    // True when everything written since position is markup (anchors, empty spans) and no visible content.
    bool ShowsNothingAfter(size_t position) const {
        bool inTag = false;
        for (size_t i = position; i < body_.size(); ++i) {
            const char c = body_[i];
            if (c == '<') {
                if (body_.compare(i, 4, "<img") == 0 || body_.compare(i, 3, "<hr") == 0 ||
                    body_.compare(i, 3, "<br") == 0 || body_.compare(i, 5, "<span class=\"PictureGap") == 0)
                    return false;
                inTag = true;
            } else if (c == '>') {
                inTag = false;
            } else if (!inTag) {
                return false;
            }
        }
        return true;
    }

    void WriteSpanOpen(const std::string& css) {
        if (!css.empty())
            body_ += "<span style=\"" + css + "\">";
    }
    void WriteSpanClose(const std::string& css) {
        if (!css.empty())
            body_ += "</span>";
    }

    // Link state while one paragraph's inline content is written.
    struct OpenLink {
        const LinkSpan* link = nullptr;
        int32_t end = 0;
    };

    void WriteInline(int32_t start, int32_t end, const std::string& styleId, const RunFormat& paragraphRun) {
        const Story& story = S();
        std::set<int32_t> cuts{start, end};
        for (const RunSpan& run : story.runs) {
            if (run.end <= start || run.start >= end)
                continue;
            cuts.insert(std::max(run.start, start));
            cuts.insert(std::min(run.end, end));
        }
        std::vector<const LinkSpan*> links;
        for (const LinkSpan& link : story.links)
            if (link.start < end && link.end > start && link.end > link.start) {
                links.push_back(&link);
                cuts.insert(std::max(link.start, start));
                cuts.insert(std::min(link.end, end));
            }
        for (const BookmarkSpan& bookmark : story.bookmarks)
            if (bookmark.start >= start && bookmark.start <= end)
                cuts.insert(bookmark.start);
        for (const PictureSpan& picture : story.pictures)
            if (picture.anchored && picture.start >= start && picture.start <= end)
                cuts.insert(picture.start);
        for (const EquationSpan& equation : story.equations)
            if (equation.start >= start && equation.end <= end) {
                cuts.insert(equation.start);
                cuts.insert(equation.end);
            }
        int32_t equationEnd = start; // text up to here was written as an equation

        OpenLink open;
        std::string linkCss;
        RunFormat linkBase = paragraphRun;
        for (auto cut = cuts.begin(); cut != cuts.end(); ++cut) {
            const int32_t position = *cut;
            if (open.link && position >= open.end) {
                body_ += "</a>";
                open = {};
            }
            const LinkSpan* starting = nullptr;
            if (!open.link)
                for (const LinkSpan* link : links)
                    if (std::max(link->start, start) == position && position < end) {
                        starting = link;
                        break;
                    }
            // Anchors go before a link opening here: an <a name> cannot sit inside another <a>.
            WriteBookmarksAt(position, end, open.link != nullptr);
            WriteAnchoredPicturesAt(position);
            if (starting) {
                open.link = starting;
                open.end = std::min(starting->end, end);
                linkBase = OpenLinkElement(*starting, styleId, paragraphRun, position);
            }
            const auto next = std::next(cut);
            if (next == cuts.end())
                break;
            const RunSpan* run = RunAt(position);
            if (!run)
                continue;
            const RunFormat effective = ShownRun(styleId, run->format);
            if (effective.hidden > 0 || position < equationEnd)
                continue;
            if (const EquationSpan* equation = EquationAt(position, *next)) {
                if (const std::string markup = MathToHtml(equation->markup); !markup.empty()) {
                    body_ += markup;
                    afterSpace_ = false;
                    equationEnd = equation->end;
                    continue;
                }
            }
            WriteText(position, *next, effective, open.link ? linkBase : paragraphRun, open.link != nullptr);
        }
        if (open.link)
            body_ += "</a>";
    }

    const EquationSpan* EquationAt(int32_t position, int32_t limit) const {
        for (const EquationSpan& equation : S().equations)
            if (equation.start == position && equation.end >= limit)
                return &equation;
        return nullptr;
    }

    const RunSpan* RunAt(int32_t position) const {
        const auto& runs = S().runs;
        auto found = std::upper_bound(runs.begin(), runs.end(), position,
                                      [](int32_t p, const RunSpan& run) { return p < run.end; });
        return found != runs.end() && found->start <= position ? &*found : nullptr;
    }

    // Writes <a href> for a link, or nothing for an address that must not become one. Returns the format the link
    // element itself shows, against which its runs are written.
    RunFormat OpenLinkElement(const LinkSpan& link, const std::string& styleId, const RunFormat& paragraphRun,
                              int32_t position) {
        if (!link.address.empty() && !IsSafeLinkAddress(link.address)) {
            warnings_.push_back("a link to \"" + EscapedText(link.address.substr(0, 80)) +
                                "\" was written as plain text: script and data addresses are not links in a page");
            body_ += "<a>"; // closed like any link; an <a> without href is plain text
            return paragraphRun;
        }
        std::string href = EscapedAddress(link.address);
        if (!link.subAddress.empty())
            href += "#" + EscapedAddress(link.subAddress);
        const RunSpan* run = RunAt(position);
        const RunFormat shown = ShownRun(styleId, run ? *run->format : RunFormat{});
        RunFormat linkFormat = shown;
        const int32_t color = shown.color >= 0 ? shown.color : paragraphRun.color >= 0 ? paragraphRun.color : 0;
        linkFormat.color = color;
        std::string css = "color:" + CssColor(color) +
                          ";text-decoration:" + std::string(shown.underline > 0 ? "underline" : "none") + ";";
        body_ += "<a href=\"" + href + "\"";
        if (!link.screenTip.empty())
            body_ += " title=\"" + EscapedText(link.screenTip) + "\"";
        body_ += " style=\"" + css + "\">";
        RunFormat base = paragraphRun;
        base.color = color;
        base.underline = shown.underline > 0 ? shown.underline : 0;
        base.strike = paragraphRun.strike;
        return base;
    }

    void WriteBookmarksAt(int32_t position, int32_t paragraphEnd, bool insideLink) {
        const Story& story = S();
        for (size_t i = 0; i < story.bookmarks.size(); ++i) {
            const BookmarkSpan& bookmark = story.bookmarks[i];
            if (current_->bookmarkWritten[i])
                continue;
            // Inside a link the anchor waits for the link to close (or the paragraph to end).
            if (bookmark.start > position || (insideLink && position < paragraphEnd))
                continue;
            current_->bookmarkWritten[i] = true;
            body_ += "<a name=\"" + EscapedText(bookmark.name) + "\"></a>";
        }
    }

    void WriteAnchoredPicturesAt(int32_t position) {
        for (const PictureSpan& picture : S().pictures)
            if (picture.anchored && picture.start == position)
                WritePicture(picture);
    }

    const PictureSpan* InlinePictureAt(int32_t position) const {
        for (const PictureSpan& picture : S().pictures)
            if (!picture.anchored && picture.start == position)
                return &picture;
        return nullptr;
    }

    const NoteSpan* NoteAt(int32_t position) const {
        for (const NoteSpan& note : S().notes)
            if (note.start == position)
                return &note;
        return nullptr;
    }

    void WriteText(int32_t from, int32_t to, const RunFormat& font, const RunFormat& base, bool insideLink) {
        // Text in a symbol font is written as the characters its glyphs show, in the surrounding font.
        const SymbolFont symbolFont = SymbolFontOf(font.font);
        RunFormat format = font;
        if (symbolFont != SymbolFont::None) {
            format.font = base.font;
            format.eastAsiaFont = base.eastAsiaFont;
        }
        const std::string css = RunCss(format, base);
        const char* vertical = format.verticalAlign == 1 ? "sup" : format.verticalAlign == 2 ? "sub" : nullptr;
        if (vertical)
            body_ += std::string("<") + vertical + ">";
        WriteSpanOpen(css);
        const std::u16string& text = S().text;
        int32_t plainStart = from;
        auto flush = [&](int32_t upTo) {
            const std::u16string_view plain = std::u16string_view(text).substr(plainStart, upTo - plainStart);
            if (symbolFont == SymbolFont::None)
                AppendTextKeepingSpaces(body_, plain, afterSpace_);
            else
                AppendTextKeepingSpaces(body_, SymbolFontText(symbolFont, plain, unmatchedSymbols_), afterSpace_);
        };
        for (int32_t p = from; p < to; ++p) {
            const char16_t c = text[p];
            if (c >= 0x20 && c != 0x7F)
                continue;
            flush(p);
            plainStart = p + 1;
            switch (c) {
            case u'\t':
                body_ += "&nbsp;&nbsp;&nbsp;&nbsp; ";
                afterSpace_ = true;
                break;
            case kLineBreak:
            case kColumnBreak:
            case kParagraphMark: // a mark inside a paragraph's content only comes from a damaged model
                body_ += "<br>";
                afterSpace_ = true;
                break;
            case kPageBreak:
                body_ += "<br clear=\"all\" style=\"page-break-before:always\">";
                break;
            case kPictureChar:
                afterSpace_ = false;
                if (const PictureSpan* picture = InlinePictureAt(p); picture && picture->horizontalLine) {
                    // A rule is a block: the run's inline elements close around it.
                    WriteSpanClose(css);
                    if (vertical)
                        body_ += std::string("</") + vertical + ">";
                    WritePicture(*picture);
                    if (vertical)
                        body_ += std::string("<") + vertical + ">";
                    WriteSpanOpen(css);
                } else if (picture) {
                    WritePicture(*picture);
                }
                break;
            case kNoteReferenceChar:
                if (const NoteSpan* note = NoteAt(p))
                    WriteNoteReference(*note, insideLink, vertical != nullptr);
                break;
            case 30: // non-breaking hyphen
                body_ += "\xE2\x80\x91";
                break;
            default: // soft hyphens and other control characters show nothing
                break;
            }
        }
        flush(to);
        WriteSpanClose(css);
        if (vertical)
            body_ += std::string("</") + vertical + ">";
    }

    void WritePicture(const PictureSpan& picture) {
        if (picture.horizontalLine) {
            char width[32];
            std::snprintf(width, sizeof width, "%g%%", std::clamp(picture.percentWidth, 1.0f, 100.0f));
            body_ += std::string("<hr class=\"Rule\" align=\"center\" size=\"2\" noshade width=\"") + width + "\">";
            return;
        }
        ExportedPicture exported = ExportPicture(picture, document_.allowPng, metafiles_);
        if (!exported.warning.empty())
            warnings_.push_back(exported.warning);
        int width = Pixels(picture.widthEmu);
        int height = Pixels(picture.heightEmu);
        if (width <= 0 || height <= 0) {
            width = exported.width;
            height = exported.height;
        }
        const std::string alt = EscapedText(picture.description);
        if (!exported.ok) {
            // A visible, labelled gap rather than a broken image.
            const int gapWidth = width > 0 ? std::min(width, 2000) : 120;
            const int gapHeight = height > 0 ? std::min(height, 2000) : 40;
            body_ += "<span class=\"PictureGap\" style=\"width:" + std::to_string(gapWidth) +
                     "px;height:" + std::to_string(gapHeight) + "px\" title=\"" + alt + "\">[" +
                     PictureNotShown(codePage_) + (alt.empty() ? std::string() : ": " + alt) + "]</span>";
            return;
        }
        char name[32];
        std::snprintf(name, sizeof name, "image%03zu.%s", pictures_.size() + 1, exported.extension.c_str());
        pictures_.push_back(HtmlPictureFile{name, std::move(exported.bytes)});
        body_ += "<img";
        if (width > 0 && height > 0)
            body_ += " width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"";
        body_ += " src=\"" + EscapedAddress(Utf8ToUtf16(folderName_)) + "/" + name + "\" alt=\"" + alt + "\">";
    }

    // The reference character is usually raised by its style already; it is raised here only when it is not.
    void WriteNoteReference(const NoteSpan& note, bool insideLink, bool raised) {
        if (current_->isNote || note.story < 0 || note.story >= static_cast<int>(document_.stories.size()))
            return;
        NoteEntry entry;
        entry.story = note.story;
        entry.endnote = note.endnote;
        const int number = ++(note.endnote ? endnoteCount_ : footnoteCount_);
        entry.label = note.endnote ? RomanLower(number) : std::to_string(number);
        entry.id = std::string(note.endnote ? "_edn" : "_ftn") + std::to_string(number);
        const std::string label = raised ? "[" + entry.label + "]" : "<sup>[" + entry.label + "]</sup>";
        if (insideLink)
            body_ += label;
        else
            body_ += "<a href=\"#" + entry.id + "\" name=\"" + entry.id.substr(0, 4) + "ref" + std::to_string(number) +
                     "\">" + label + "</a>";
        notes_.push_back(entry);
    }

    void WriteNotes() {
        if (notes_.empty())
            return;
        body_ += "<div class=\"Notes\">";
        body_ += kEol;
        body_ += "<hr align=\"left\" size=\"1\" width=\"33%\">";
        body_ += kEol;
        // Footnotes first, then endnotes, each in the order of their references.
        std::stable_partition(notes_.begin(), notes_.end(), [](const NoteEntry& note) { return !note.endnote; });
        for (const NoteEntry& note : notes_) {
            const std::string number = note.id.substr(4);
            body_ += "<div id=\"" + note.id.substr(1) + "\">";
            body_ += kEol;
            pendingPrefix_ = "<a href=\"#" + note.id.substr(0, 4) + "ref" + number + "\" name=\"" + note.id +
                             "\"><sup>[" + note.label + "]</sup></a> ";
            WriteStory(note.story);
            pendingPrefix_.clear();
            body_ += "</div>";
            body_ += kEol;
        }
        body_ += "</div>";
        body_ += kEol;
    }

    // One class per paragraph style used, named after the style id with only letters and digits kept.
    std::string StyleClass(const std::string& styleId) {
        const std::string id = styleId.empty() ? DefaultParagraphStyle(document_) : styleId;
        if (auto found = styleClasses_.find(id); found != styleClasses_.end())
            return found->second;
        std::string name = "S";
        for (unsigned char c : id)
            if (std::isalnum(c))
                name += static_cast<char>(c);
        std::string unique = name;
        for (int n = 2; usedClassNames_.count(unique); ++n)
            unique = name + "-" + std::to_string(n);
        usedClassNames_.insert(unique);
        styleClasses_[id] = unique;
        styleOrder_.push_back(id);
        return unique;
    }

    std::string Head() {
        const DocumentDefaults& defaults = document_.defaults;
        const std::string language = LanguageTag(defaults.language);
        std::string head = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                           "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n<html" +
                           (language.empty() ? std::string() : " lang=\"" + language + "\"") +
                           ">\r\n<head>\r\n"
                           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
                           PageCharsetName(codePage_) + "\">\r\n<title>" + Title() +
                           "</title>\r\n<style type=\"text/css\">\r\n";
        head += "body{font-family:" + BodyFontFamily(defaults.run) + ";font-size:" + DefaultSize(defaults.run) +
                ";color:" + CssColor(defaults.run.color >= 0 ? defaults.run.color : 0) + ";background-color:#FFFFFF;" +
                OutdentRoom() + "}" + kEol;
        head += "p,div.Paragraph,h1,h2,h3,h4,h5,h6{margin:0;font-size:" + DefaultSize(defaults.run) +
                ";font-weight:normal;" + ParagraphCss(defaults.paragraph, ParagraphFormat{}) + "}" + kEol;
        head += kBaseStyleSheet;
        // Each style's class says what the style changes against the defaults.
        for (const std::string& id : styleOrder_) {
            const std::string css = ParagraphCss(StyleParagraphFormat(document_, id), defaults.paragraph) +
                                    RunCss(StyleRunFormat(document_, id), defaults.run);
            if (!css.empty())
                head += "." + styleClasses_[id] + "{" + css + "}" + kEol;
        }
        head += "</style>\r\n</head>\r\n";
        return head;
    }

    // Room beside the page's own margin for text that reaches past it.
    std::string OutdentRoom() const {
        std::string css;
        char side[48];
        if (outdentLeft_ > 0) {
            std::snprintf(side, sizeof side, "padding-left:%gpt;", outdentLeft_ / 20.0);
            css += side;
        }
        if (outdentRight_ > 0) {
            std::snprintf(side, sizeof side, "padding-right:%gpt;", outdentRight_ / 20.0);
            css += side;
        }
        return css;
    }

    // The first heading's text, else the first text of the page.
    std::string Title() const {
        if (document_.stories.empty())
            return {};
        const Story& story = document_.stories[kMainStory];
        std::u16string fallback;
        int32_t start = 0;
        for (const ParagraphEntry& paragraph : story.paragraphs) {
            // The same plain line the contents and index show for a heading.
            const int32_t end = std::min<int32_t>(paragraph.end, start + 2 * kMaxTitleLength);
            std::u16string text =
                ShortTitle(PlainHeadingText(std::u16string_view(story.text).substr(start, end - start)));
            start = paragraph.end;
            if (IsBlankHeading(text))
                continue;
            if (OutlineLevelOf(document_, paragraph.format) < kBodyTextLevel)
                return TitleText(text);
            if (fallback.empty())
                fallback = text;
        }
        return TitleText(fallback);
    }

    const Document& document_;
    std::string folderName_;
    uint32_t codePage_;
    const MetafileCache* metafiles_ = nullptr;
    StoryState* current_ = nullptr;
    const TableCell* cell_ = nullptr; // the table cell being written, if any
    std::string body_;
    std::string pendingPrefix_;
    bool afterSpace_ = false; // the text written last ended in a space, or starts a line
    std::vector<HtmlPictureFile> pictures_;
    std::vector<std::string> warnings_;
    std::vector<NoteEntry> notes_;
    int footnoteCount_ = 0;
    size_t unmatchedSymbols_ = 0; // symbol-font codes shown as boxes
    int outdentLeft_ = 0;         // twips the deepest outdent reaches past the page's left side
    int outdentRight_ = 0;
    int endnoteCount_ = 0;
    std::map<std::string, std::string> styleClasses_;
    std::set<std::string> usedClassNames_;
    std::vector<std::string> styleOrder_;
};

} // namespace

HtmlPage WriteHtmlPage(const Document& document, const std::string& folderName, uint32_t codePage,
                       const MetafileCache* metafiles) {
    return HtmlWriter(document, folderName, codePage, metafiles).Write();
}
