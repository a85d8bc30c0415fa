#include "BodyReader.h"

#include "base/Text.h"
#include "docserver/docx/ChartPicture.h"
#include "docserver/docx/ChartReader.h"
#include "docserver/docx/FormatReader.h"
#include "docserver/docx/TableFormatReader.h"
#include "docserver/docx/TableStyleAreas.h"
#include "docserver/package/PackageLimits.h"
#include "docserver/package/XmlPart.h"
#include "docserver/package/ZipPackage.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

// Content that never reaches the story: revisions removed, Word's own bookkeeping, comments.
bool IsSkipped(const char* name) {
    static constexpr const char* kSkipped[] = {"pPr",
                                               "rPr",
                                               "del",
                                               "moveFrom",
                                               "proofErr",
                                               "permStart",
                                               "permEnd",
                                               "commentRangeStart",
                                               "commentRangeEnd",
                                               "commentReference",
                                               "annotationRef",
                                               "lastRenderedPageBreak",
                                               "sectPr",
                                               "tblPr",
                                               "tblGrid",
                                               "trPr",
                                               "tcPr",
                                               "sdtPr",
                                               "sdtEndPr",
                                               "delText",
                                               "delInstrText",
                                               "Fallback",
                                               "fldData",
                                               "customXmlPr",
                                               "smartTagPr",
                                               "tblPrEx",
                                               "footnotePr",
                                               "endnotePr",
                                               "separator",
                                               "continuationSeparator"};
    for (const char* skipped : kSkipped)
        if (std::strcmp(name, skipped) == 0)
            return true;
    return false;
}

// The children of a table or row in order, looking through content controls and custom XML that wrap rows or
// cells (a few levels at most; deeper wrapping is not something Word writes).
void CollectWrappedChildren(const pugi::xml_node& parent, std::vector<pugi::xml_node>& children, int depth) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (IsElement(child, "sdt") && depth < 8)
            CollectWrappedChildren(Child(child, "sdtContent"), children, depth + 1);
        else if (IsElement(child, "customXml") && depth < 8)
            CollectWrappedChildren(child, children, depth + 1);
        else if (child.type() == pugi::node_element)
            children.push_back(child);
    }
}

std::vector<pugi::xml_node> WrappedChildren(const pugi::xml_node& parent) {
    std::vector<pugi::xml_node> children;
    CollectWrappedChildren(parent, children, 0);
    return children;
}

// A length of a VML shape's style ("72pt", "1.5in", "2cm", "10mm", "96px", a plain number being pixels) in EMU;
// 0 when it cannot be read.
int64_t VmlLength(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !(value > 0) || value > 1e6)
        return 0;
    const std::string unit = end;
    const double perUnit = unit == "pt"   ? 12700
                           : unit == "in" ? 914400
                           : unit == "cm" ? 360000
                           : unit == "mm" ? 36000
                           : unit == "pc" ? 152400
                                          : 9525;
    return static_cast<int64_t>(value * perUnit + 0.5);
}

// The width and height a VML shape's style gives it, as Word sizes the picture it holds.
void VmlShapeSize(const pugi::xml_node& shape, int64_t& width, int64_t& height) {
    const std::string style = AttributeText(shape, "style");
    size_t at = 0;
    while (at < style.size()) {
        size_t end = style.find(';', at);
        if (end == std::string::npos)
            end = style.size();
        const std::string declaration = style.substr(at, end - at);
        at = end + 1;
        const size_t colon = declaration.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = declaration.substr(0, colon);
        std::erase(name, ' ');
        std::string value = declaration.substr(colon + 1);
        std::erase(value, ' ');
        if (name == "width")
            width = VmlLength(value);
        else if (name == "height")
            height = VmlLength(value);
    }
}

// A VML colour: "#RRGGBB" (optionally followed by a palette index), "#RGB", or one of the basic names.
int VmlColor(std::string text) {
    if (const size_t space = text.find(' '); space != std::string::npos)
        text.resize(space);
    if (text.size() == 4 && text[0] == '#')
        text = std::string("#") + text[1] + text[1] + text[2] + text[2] + text[3] + text[3];
    if (text.size() == 7 && text[0] == '#')
        return ColorNumber(text.substr(1));
    static const std::pair<const char*, const char*> kNames[] = {
        {"white", "FFFFFF"},  {"black", "000000"}, {"red", "FF0000"},    {"green", "008000"}, {"blue", "0000FF"},
        {"yellow", "FFFF00"}, {"gray", "808080"},  {"silver", "C0C0C0"}, {"navy", "000080"},  {"lime", "00FF00"}};
    for (const auto& [name, hex] : kNames)
        if (text == name)
            return ColorNumber(hex);
    return -1;
}

// A line width in EMU (12700 to the point) as eighths of a point, at least the thinnest line Word draws.
int16_t EighthsOfPoint(int64_t emu) {
    return static_cast<int16_t>(std::clamp<int64_t>((emu * 8 + 6350) / 12700, 2, 96));
}

bool VmlOff(const std::string& value) {
    return value == "f" || value == "false";
}

// How a text box looks behind and around its text: the fill and the outline of its DrawingML shape (its own, else
// what its style's references name in the theme) or of its VML shape (filled, fillcolor, stroked, strokecolor,
// strokeweight, with VML's black 0.75 pt line when it says nothing).
void ReadTextBoxLook(const pugi::xml_node& content, const ThemeColorScheme& theme, int32_t& fill, BorderLine& outline) {
    const pugi::xml_node holder = content.parent(); // wps:txbx or v:textbox
    const pugi::xml_node shape = holder.parent();
    fill = -1;
    outline = BorderLine{};
    outline.kind = 0;
    if (IsElement(holder, "txbx")) {
        const pugi::xml_node properties = Child(shape, "spPr");
        const pugi::xml_node style = Child(shape, "style");
        if (const pugi::xml_node solid = Child(properties, "solidFill"))
            fill = DrawingColor(solid, theme);
        else if (!Child(properties, "noFill") && !Child(properties, "gradFill") && !Child(properties, "blipFill"))
            if (const pugi::xml_node reference = Child(style, "fillRef"); Attribute(reference, "idx").as_int() > 0)
                fill = DrawingColor(reference, theme);
        if (const pugi::xml_node line = Child(properties, "ln")) {
            if (Child(line, "noFill"))
                return;
            const pugi::xml_node reference = Child(style, "lnRef");
            const int32_t color = Child(line, "solidFill") ? DrawingColor(Child(line, "solidFill"), theme)
                                  : Attribute(reference, "idx").as_int() > 0 ? DrawingColor(reference, theme)
                                                                             : -1;
            if (color < 0 && !Child(line, "solidFill") && Attribute(reference, "idx").as_int() <= 0)
                return; // a line with neither its own colour nor the style's is not drawn
            outline.kind = 1;
            outline.color = color;
            outline.eighthsOfPoint = EighthsOfPoint(Attribute(line, "w").as_llong(9525));
        } else if (const pugi::xml_node reference = Child(style, "lnRef"); Attribute(reference, "idx").as_int() > 0) {
            // The theme's line styles grow from half a point; the colour is the reference's own.
            outline.kind = 1;
            outline.color = DrawingColor(reference, theme);
            outline.eighthsOfPoint = EighthsOfPoint(6350 * std::min(Attribute(reference, "idx").as_int(), 3));
        }
        return;
    }
    if (!VmlOff(AttributeText(shape, "filled")))
        fill = VmlColor(AttributeText(shape, "fillcolor"));
    const pugi::xml_node stroke = Child(shape, "stroke");
    if (VmlOff(AttributeText(shape, "stroked")) || VmlOff(AttributeText(stroke, "on")))
        return;
    outline.kind = 1;
    const std::string color = AttributeText(shape, "strokecolor");
    outline.color = color.empty() ? 0 : VmlColor(color);
    const std::string weight = AttributeText(shape, "strokeweight");
    outline.eighthsOfPoint = EighthsOfPoint(weight.empty() ? 9525 : VmlLength(weight));
}

} // namespace

std::vector<std::u16string> SplitFieldInstruction(const std::u16string& instruction) {
    std::vector<std::u16string> words;
    size_t i = 0;
    while (i < instruction.size()) {
        while (i < instruction.size() && (instruction[i] == u' ' || instruction[i] == u'\t'))
            ++i;
        if (i >= instruction.size())
            break;
        std::u16string word;
        if (instruction[i] == u'"') {
            ++i;
            while (i < instruction.size() && instruction[i] != u'"') {
                if (instruction[i] == u'\\' && i + 1 < instruction.size() &&
                    (instruction[i + 1] == u'"' || instruction[i + 1] == u'\\'))
                    ++i;
                word += instruction[i++];
            }
            ++i;
        } else {
            while (i < instruction.size() && instruction[i] != u' ' && instruction[i] != u'\t')
                word += instruction[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

BodyReader::BodyReader(Document& document, Story& story, PartContext context)
    : document_(document), story_(story), context_(std::move(context)) {}

void BodyReader::SetNoteStories(const std::map<std::string, int>* footnotes,
                                const std::map<std::string, int>* endnotes) {
    footnotes_ = footnotes;
    endnotes_ = endnotes;
}

bool BodyReader::InFieldInstruction() const {
    return std::any_of(fields_.begin(), fields_.end(), [](const OpenField& field) { return field.resultStart < 0; });
}

bool BodyReader::TooDeep(int depth) {
    if (depth <= kMaxXmlDepth)
        return false;
    if (!failed_) {
        failed_ = true;
        message_ = "the part /" + context_.partName + " nests elements more than " + std::to_string(kMaxXmlDepth) +
                   " levels deep";
    }
    return true;
}

namespace {

// UTF-16 units of UTF-8 text: one per character, two for one beyond the 16-bit range.
size_t Utf16Length(const char* utf8) {
    size_t units = 0;
    for (const char* c = utf8; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0;
        units += byte >= 0xF0 ? 1 : 0;
    }
    return units;
}

} // namespace

bool BodyReader::Read(const pugi::xml_node& container) {
    // A paragraph entry is a few hundred bytes; growing the table by doubling would hold up to three times the final
    // size at once in a document of a million paragraphs, and the text, grown by doubling, up to twice its size. One
    // walk over the tree counts the paragraphs and bounds the text first: all the text the tree holds, and one
    // character for each element (a tab, a break, a paragraph mark).
    size_t paragraphElements = 0;
    size_t textBound = 0;
    for (pugi::xml_node node = container.first_child(); node;) {
        if (node.type() == pugi::node_pcdata)
            textBound += Utf16Length(node.value());
        if (node.type() == pugi::node_element) {
            ++textBound;
            paragraphElements += IsElement(node, "p") ? 1 : 0;
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
        }
        while (node && !node.next_sibling() && node != container)
            node = node.parent();
        if (!node || node == container)
            break;
        node = node.next_sibling();
    }
    story_.paragraphs.reserve(story_.paragraphs.size() + paragraphElements + 1);
    story_.text.reserve(story_.text.size() + textBound + 1);
    ReadBlocks(container, 0);
    if (failed_)
        return false;
    // Fields and bookmarks left open at the end are closed where the story ends.
    while (!fields_.empty())
        EndField();
    for (auto& [id, bookmark] : openBookmarks_) {
        bookmark.end = Position();
        story_.bookmarks.push_back(bookmark);
    }
    openBookmarks_.clear();
    // Every story ends with a real paragraph mark, which nothing can delete.
    if (story_.paragraphs.empty() || story_.text.back() != kParagraphMark) {
        const SharedFormat<ParagraphFormat> format =
            story_.paragraphs.empty() ? SharedFormat<ParagraphFormat>() : story_.paragraphs.back().format;
        Append(std::u16string(1, kParagraphMark), format->markFormat);
        ParagraphEntry entry;
        entry.end = Position();
        entry.format = format;
        entry.section = static_cast<int>(sectionProperties_.size());
        story_.paragraphs.push_back(entry);
    }
    std::sort(story_.bookmarks.begin(), story_.bookmarks.end(),
              [](const BookmarkSpan& a, const BookmarkSpan& b) { return a.start < b.start; });
    std::sort(story_.links.begin(), story_.links.end(),
              [](const LinkSpan& a, const LinkSpan& b) { return a.start < b.start; });
    // Fields and tables are recorded where they end, an inner one before its outer one; copying a range finds its
    // spans by their start.
    std::stable_sort(story_.fields.begin(), story_.fields.end(),
                     [](const FieldSpan& a, const FieldSpan& b) { return a.start < b.start; });
    std::stable_sort(story_.tables.begin(), story_.tables.end(),
                     [](const TableSpan& a, const TableSpan& b) { return a.start < b.start; });
    return true;
}

void BodyReader::ReadBlocks(const pugi::xml_node& container, int depth) {
    if (TooDeep(depth))
        return;
    const bool freeing = freeBlocksAsRead_ && depth == 0;
    pugi::xml_node holder = container;
    for (pugi::xml_node node = container.first_child(), next; node && !failed_; node = next) {
        next = node.next_sibling();
        const size_t keptBefore = sectionProperties_.size() + textBoxes_.size();
        if (node.type() == pugi::node_element)
            ReadBlock(node, depth);
        if (freeing && sectionProperties_.size() + textBoxes_.size() == keptBefore)
            holder.remove_child(node);
    }
}

void BodyReader::ReadBlock(const pugi::xml_node& node, int depth) {
    const char* name = LocalName(node);
    if (std::strcmp(name, "p") == 0)
        ReadParagraph(node, depth + 1);
    else if (std::strcmp(name, "tbl") == 0)
        ReadTable(node, depth + 1);
    else if (std::strcmp(name, "sectPr") == 0)
        sectionProperties_.push_back(node);
    else if (std::strcmp(name, "bookmarkStart") == 0)
        ReadBookmarkStart(node);
    else if (std::strcmp(name, "bookmarkEnd") == 0)
        ReadBookmarkEnd(node);
    else if (!IsSkipped(name))
        ReadBlocks(std::strcmp(name, "sdt") == 0 ? Child(node, "sdtContent") : node, depth + 1);
}

void BodyReader::ReadParagraph(const pugi::xml_node& paragraph, int depth) {
    if (TooDeep(depth))
        return;
    const pugi::xml_node pPr = Child(paragraph, "pPr");
    ParagraphEntry entry;
    entry.format = paragraphFormats_.Intern(ReadParagraphFormat(pPr, document_.themeFonts, context_.themeColors));
    const int32_t start = Position();
    RunFormat inherited; // runs carry their own formatting; the paragraph style applies through the style chain
    for (pugi::xml_node node = paragraph.first_child(); node && !failed_; node = node.next_sibling())
        ReadInline(node, inherited, depth + 1);

    // A paragraph holding nothing but a page break is that break alone, as Word reads it.
    const bool pageBreakOnly = Position() == start + 1 && story_.text.back() == kPageBreak;
    if (!pageBreakOnly)
        Append(std::u16string(1, kParagraphMark), entry.format->markFormat);
    entry.end = Position();
    entry.section = static_cast<int>(sectionProperties_.size());
    story_.paragraphs.push_back(entry);
    if (const pugi::xml_node sectPr = Child(pPr, "sectPr"))
        sectionProperties_.push_back(sectPr);
}

void BodyReader::ReadTable(const pugi::xml_node& table, int depth) {
    if (TooDeep(depth))
        return;
    ++tableDepth_;
    TableSpan span;
    span.start = Position();
    span.depth = tableDepth_;
    ReadTableFormat(document_, table, span);
    for (const pugi::xml_node& rowNode : WrappedChildren(table)) {
        if (IsElement(rowNode, "bookmarkStart"))
            ReadBookmarkStart(rowNode);
        else if (IsElement(rowNode, "bookmarkEnd"))
            ReadBookmarkEnd(rowNode);
        if (!IsElement(rowNode, "tr") || failed_)
            continue;
        // A row deleted with changes tracked is not shown, as its deleted text is not.
        if (Child(Child(rowNode, "trPr"), "del"))
            continue;
        TableRow row;
        ReadRowFormat(Child(rowNode, "trPr"), row);
        for (const pugi::xml_node& cellElement : WrappedChildren(rowNode)) {
            if (!IsElement(cellElement, "tc") || failed_)
                continue;
            TableCell cell;
            cell.start = Position();
            const pugi::xml_node tcPr = Child(cellElement, "tcPr");
            cell.gridSpan = std::clamp(ChildInt(tcPr, "gridSpan", 1), 1, 64);
            if (const pugi::xml_node merge = Child(tcPr, "vMerge"))
                cell.verticalMerge = AttributeText(merge, "val") == "restart" ? 1 : 2;
            ReadCellFormat(tcPr, cell);
            const size_t paragraphsBefore = story_.paragraphs.size();
            ReadBlocks(cellElement, depth + 2);
            if (story_.paragraphs.size() == paragraphsBefore) { // Word always has a paragraph in a cell
                Append(std::u16string(1, kParagraphMark), RunFormat{});
                ParagraphEntry entry;
                entry.end = Position();
                entry.section = static_cast<int>(sectionProperties_.size());
                story_.paragraphs.push_back(entry);
            }
            cell.end = Position();
            row.cells.push_back(cell);
        }
        span.rows.push_back(std::move(row));
    }
    const pugi::xml_node tblPr = Child(table, "tblPr");
    ApplyTableStyle(document_, TableStyleOf(document_, tblPr), ReadTableLook(Child(tblPr, "tblLook")), span);
    span.end = Position();
    --tableDepth_;
    if (span.end > span.start)
        story_.tables.push_back(std::move(span));
}

void BodyReader::ReadInline(const pugi::xml_node& node, const RunFormat& inherited, int depth) {
    if (node.type() != pugi::node_element || TooDeep(depth))
        return;
    const char* name = LocalName(node);
    if (std::strcmp(name, "r") == 0) {
        ReadRun(node, depth + 1);
    } else if (std::strcmp(name, "hyperlink") == 0) {
        ReadHyperlink(node, inherited, depth + 1);
    } else if (std::strcmp(name, "bookmarkStart") == 0) {
        ReadBookmarkStart(node);
    } else if (std::strcmp(name, "bookmarkEnd") == 0) {
        ReadBookmarkEnd(node);
    } else if (std::strcmp(name, "fldSimple") == 0) {
        BeginField(Utf8ToUtf16(AttributeText(node, "instr")));
        SeparateField();
        for (pugi::xml_node child = node.first_child(); child && !failed_; child = child.next_sibling())
            ReadInline(child, inherited, depth + 1);
        EndField();
    } else if (std::strcmp(name, "AlternateContent") == 0) {
        // The first choice is what Word itself shows; the fallback repeats it for older readers.
        ReadInline(Child(node, "Choice"), inherited, depth + 1);
    } else if (std::strcmp(name, "sdt") == 0) {
        ReadInline(Child(node, "sdtContent"), inherited, depth + 1);
    } else if (std::strcmp(name, "oMathPara") == 0 || std::strcmp(name, "oMath") == 0) {
        EquationSpan equation;
        equation.start = Position();
        for (const pugi::xpath_node& text : node.select_nodes(".//*[local-name()='t']"))
            Append(ShownText(text.node().text().get()), inherited);
        equation.end = Position();
        std::ostringstream markup;
        node.print(markup, "", pugi::format_raw);
        equation.markup = markup.str();
        if (equation.end > equation.start)
            story_.equations.push_back(std::move(equation));
    } else if (!IsSkipped(name)) {
        for (pugi::xml_node child = node.first_child(); child && !failed_; child = child.next_sibling())
            ReadInline(child, inherited, depth + 1);
    }
}

void BodyReader::ReadRun(const pugi::xml_node& run, int depth) {
    const RunFormat format = ReadRunFormat(Child(run, "rPr"), document_.themeFonts, context_.themeColors);
    for (pugi::xml_node node = run.first_child(); node && !failed_; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        const char* name = LocalName(node);
        if (std::strcmp(name, "fldChar") == 0) {
            const std::string type = AttributeText(node, "fldCharType");
            if (type == "begin")
                BeginField(u"");
            else if (type == "separate")
                SeparateField();
            else if (type == "end")
                EndField();
            continue;
        }
        if (std::strcmp(name, "instrText") == 0) {
            if (!fields_.empty() && fields_.back().resultStart < 0)
                fields_.back().instruction += Utf8ToUtf16(node.text().get());
            continue;
        }
        if (InFieldInstruction())
            continue; // a field's code is not part of the text Word shows
        if (std::strcmp(name, "t") == 0) {
            Append(ShownText(node.text().get()), format);
        } else if (std::strcmp(name, "tab") == 0 || std::strcmp(name, "ptab") == 0) {
            Append(u"\t", format);
        } else if (std::strcmp(name, "br") == 0) {
            const std::string type = AttributeText(node, "type");
            Append(std::u16string(1, type == "page"     ? kPageBreak
                                     : type == "column" ? kColumnBreak
                                                        : kLineBreak),
                   format);
        } else if (std::strcmp(name, "cr") == 0) {
            Append(std::u16string(1, kLineBreak), format);
        } else if (std::strcmp(name, "noBreakHyphen") == 0) {
            Append(std::u16string(1, char16_t(30)), format);
        } else if (std::strcmp(name, "softHyphen") == 0) {
            Append(std::u16string(1, char16_t(31)), format);
        } else if (std::strcmp(name, "sym") == 0) {
            const unsigned long code = std::strtoul(AttributeText(node, "char").c_str(), nullptr, 16);
            // The symbol is set in its own font, as Word shows it; the page writer turns the code into its letter.
            RunFormat symbolFormat = format;
            if (const std::string font = AttributeText(node, "font"); !font.empty())
                symbolFormat.font = font;
            Append(std::u16string(1, static_cast<char16_t>(code && code <= 0xFFFF ? code : 0xFFFD)), symbolFormat);
        } else if (std::strcmp(name, "footnoteReference") == 0 || std::strcmp(name, "endnoteReference") == 0) {
            const bool endnote = name[0] == 'e';
            const std::map<std::string, int>* notes = endnote ? endnotes_ : footnotes_;
            NoteSpan note;
            note.start = Position();
            note.endnote = endnote;
            if (notes)
                if (auto found = notes->find(AttributeText(node, "id")); found != notes->end())
                    note.story = found->second;
            Append(std::u16string(1, kNoteReferenceChar), format);
            note.end = Position();
            story_.notes.push_back(note);
        } else if (std::strcmp(name, "drawing") == 0 || std::strcmp(name, "pict") == 0 ||
                   std::strcmp(name, "object") == 0) {
            ReadDrawing(node, format, depth + 1);
        } else if (std::strcmp(name, "AlternateContent") == 0) {
            ReadDrawing(Child(node, "Choice"), format, depth + 1);
        }
    }
}

void BodyReader::ReadDrawing(const pugi::xml_node& node, const RunFormat& format, int depth) {
    if (TooDeep(depth))
        return;
    for (pugi::xml_node child = node.first_child(); child && !failed_; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const char* name = LocalName(child);
        if (std::strcmp(name, "Fallback") == 0)
            continue;
        // Text boxes keep their text in a story of their own in Word, so it is not read into this one.
        if (std::strcmp(name, "txbxContent") == 0) {
            PendingTextBox box{child, Position(), -1, {}};
            ReadTextBoxLook(child, context_.themeColors ? *context_.themeColors : ThemeColorScheme{}, box.fill,
                            box.outline);
            textBoxes_.push_back(box);
            continue;
        }
        if (std::strcmp(name, "inline") == 0 || std::strcmp(name, "anchor") == 0) {
            if (const pugi::xpath_node data = child.select_node(".//*[local-name()='graphicData']");
                data && ReadGraphicPart(data.node(), child, format))
                continue;
            const pugi::xpath_node blip = child.select_node(".//*[local-name()='blip']");
            const std::string id = blip ? AttributeText(blip.node(), "embed") : std::string();
            if (!id.empty())
                AddPicture(id, name[0] == 'a', child, format);
            else
                ReadDrawing(child, format, depth + 1); // a shape, perhaps with a text box
            continue;
        }
        if (std::strcmp(name, "imagedata") == 0) {
            std::string id = AttributeText(child, "id");
            if (id.empty())
                id = AttributeText(child, "embed");
            if (!id.empty() && AddPicture(id, false, child, format))
                VmlShapeSize(node, story_.pictures.back().widthEmu, story_.pictures.back().heightEmu);
            continue;
        }
        ReadDrawing(child, format, depth + 1);
    }
}

PictureSpan BodyReader::PictureOfDrawing(const pugi::xml_node& drawing) const {
    PictureSpan picture;
    picture.start = Position();
    if (const pugi::xml_node extent = Child(drawing, "extent")) {
        picture.widthEmu = Attribute(extent, "cx").as_llong();
        picture.heightEmu = Attribute(extent, "cy").as_llong();
    }
    if (const pugi::xml_node properties = Child(drawing, "docPr"))
        picture.description = Utf8ToUtf16(AttributeText(properties, "descr"));
    return picture;
}

void BodyReader::PlacePicture(PictureSpan picture, const RunFormat& format) {
    if (!picture.anchored)
        Append(std::u16string(1, kPictureChar), format);
    picture.end = Position();
    story_.pictures.push_back(std::move(picture));
}

bool BodyReader::AddPicture(const std::string& relationshipId, bool anchored, const pugi::xml_node& drawing,
                            const RunFormat& format) {
    PictureSpan picture = PictureOfDrawing(drawing);
    picture.anchored = anchored;
    const auto found = context_.relationships ? context_.relationships->byId.find(relationshipId)
                                              : decltype(context_.relationships->byId.end()){};
    if (!context_.relationships || found == context_.relationships->byId.end()) {
        document_.warnings.push_back("a picture in /" + context_.partName + " names the unknown relationship " +
                                     relationshipId);
    } else if (found->second.external || found->second.outsidePackage) {
        document_.warnings.push_back("a picture in /" + context_.partName +
                                     " lies outside the package: " + found->second.target);
    } else {
        picture.part = found->second.target;
        if (Status read = ReadPictureBytes(picture); read.code == StatusCode::Missing) {
            document_.warnings.push_back(read.message);
        } else if (!read.ok()) {
            failed_ = true;
            message_ = read.message;
            return false;
        }
    }
    PlacePicture(std::move(picture), format);
    return true;
}

Status BodyReader::ReadPictureBytes(PictureSpan& picture) const {
    ZipPackage& package = *context_.package;
    if (!package.InFile()) {
        PackagePartResult read = package.ReadPart(picture.part);
        if (read.status.ok())
            picture.bytes = std::vector<uint8_t>(read.data.begin(), read.data.end());
        return read.status;
    }
    // The part is inflated now, so a damaged one fails the open as before, but only its size and head are kept:
    // a page reads it again when it is saved.
    PackagePartCheck checked = package.CheckPart(picture.part, kPictureHeadBytes);
    if (checked.status.ok())
        picture.bytes = PictureBytes(context_.package, picture.part, checked.size,
                                     std::vector<uint8_t>(checked.head.begin(), checked.head.end()));
    return checked.status;
}

const pugi::xml_document* BodyReader::RelatedPart(const std::string& relationshipId, std::string& partName) {
    if (!context_.relationships || !context_.package)
        return nullptr;
    const auto found = context_.relationships->byId.find(relationshipId);
    if (found == context_.relationships->byId.end() || found->second.external || found->second.outsidePackage) {
        document_.warnings.push_back("a chart or diagram in /" + context_.partName +
                                     " names the unknown or outside part " + relationshipId);
        return nullptr;
    }
    partName = found->second.target;
    PackagePartResult bytes = context_.package->ReadPart(partName);
    pugi::xml_document& parsed = madeParts_.emplace_back();
    if (!bytes.status.ok() || !ParseXmlPart(parsed, bytes.data, partName).ok()) {
        document_.warnings.push_back("the part /" + partName + " of a chart or diagram cannot be read");
        madeParts_.pop_back();
        return nullptr;
    }
    return &parsed;
}

void BodyReader::AddTextBoxOfLines(const std::vector<std::string>& lines, bool chartLabel) {
    pugi::xml_document& made = madeParts_.emplace_back();
    pugi::xml_node content = made.append_child("w:txbxContent");
    for (const std::string& line : lines)
        content.append_child("w:p").append_child("w:r").append_child("w:t").text().set(line.c_str());
    PendingTextBox box{content, Position(), -1, {}};
    box.chartLabel = chartLabel;
    box.outline.kind = 1;
    box.outline.color = 0;
    box.outline.eighthsOfPoint = 6;
    textBoxes_.push_back(box);
}

bool BodyReader::ReadChartPart(const pugi::xml_node& graphicData, const pugi::xml_node& drawing,
                               const RunFormat& format) {
    std::string partName;
    const pugi::xml_node chart = Child(graphicData, "chart");
    const pugi::xml_document* part = RelatedPart(AttributeText(chart, "id"), partName);
    const std::string named = partName.empty() ? std::string() : " (/" + partName + ")";
    std::string reason = "its part cannot be read";
    if (part) {
        const ChartReadResult read =
            ReadChart(*part, context_.themeColors ? *context_.themeColors : ThemeColorScheme{});
        reason = read.status.message;
        if (read.status.ok()) {
            PictureSpan picture = PictureOfDrawing(drawing);
            picture.anchored = IsElement(drawing, "anchor");
            picture.bytes = DrawChart(read.chart, picture.widthEmu, picture.heightEmu);
            if (picture.description.empty())
                picture.description = Utf8ToUtf16(read.chart.title);
            for (const std::string& cut : read.cuts)
                document_.warnings.push_back("a chart" + named + " is drawn in part: " + cut);
            if (!picture.bytes.empty()) {
                PlacePicture(std::move(picture), format);
                return true;
            }
            reason = ChartsAreDrawn() ? "its picture could not be made" : "this build does not draw charts";
        }
    }
    const std::string title = part ? ChartTitle(*part) : std::string();
    AddTextBoxOfLines({"[Chart" + (title.empty() ? std::string() : ": " + title) + "]"}, true);
    document_.warnings.push_back("a chart" + named + " is shown as its title only: " + reason);
    return true;
}

bool BodyReader::ReadGraphicPart(const pugi::xml_node& graphicData, const pugi::xml_node& drawing,
                                 const RunFormat& format) {
    const std::string uri = AttributeText(graphicData, "uri");
    auto textOf = [](const pugi::xml_node& paragraph) {
        std::string text;
        for (const pugi::xpath_node& run : paragraph.select_nodes(".//*[local-name()='t']"))
            text += run.node().text().get();
        return text;
    };
    if (uri.ends_with("/chart"))
        return ReadChartPart(graphicData, drawing, format);
    if (uri.ends_with("/chartex")) {
        // The newer kinds (waterfall, treemap, histogram, funnel...) keep their data apart from any cache drawn here.
        std::string partName;
        const pugi::xml_document* part = RelatedPart(AttributeText(Child(graphicData, "chart"), "id"), partName);
        std::string title;
        if (part)
            if (const pugi::xpath_node titleNode =
                    part->select_node("//*[local-name()='chart']/*[local-name()='title']"))
                for (const pugi::xpath_node& text : titleNode.node().select_nodes(".//*[local-name()='t' or "
                                                                                  "local-name()='v']"))
                    title += text.node().text().get();
        AddTextBoxOfLines({"[Chart" + (title.empty() ? std::string() : ": " + title) + "]"}, true);
        document_.warnings.push_back("a chart" + (partName.empty() ? std::string() : " (/" + partName + ")") +
                                     " is shown as its title only: charts of its kind are not drawn");
        return true;
    }
    if (uri.ends_with("/diagram")) {
        std::string partName;
        const pugi::xml_node ids = Child(graphicData, "relIds");
        const pugi::xml_document* data = RelatedPart(AttributeText(ids, "dm"), partName);
        std::vector<std::string> lines;
        if (data)
            for (const pugi::xpath_node& point : data->select_nodes("//*[local-name()='pt']")) {
                const std::string type = AttributeText(point.node(), "type");
                if (!type.empty() && type != "node")
                    continue; // the diagram's own bookkeeping points hold no text the reader sees
                for (const pugi::xpath_node& paragraph : point.node().select_nodes(".//*[local-name()='p']"))
                    if (std::string text = textOf(paragraph.node()); !text.empty())
                        lines.push_back(std::move(text));
            }
        if (lines.empty()) {
            document_.warnings.push_back("a diagram" + (partName.empty() ? std::string() : " (/" + partName + ")") +
                                         " has no text that could be read and is left out");
            return true;
        }
        AddTextBoxOfLines(lines);
        document_.warnings.push_back("a diagram (/" + partName + ") is shown as its text in a box, not drawn");
        return true;
    }
    return false;
}

void BodyReader::ReadHyperlink(const pugi::xml_node& link, const RunFormat& inherited, int depth) {
    LinkSpan span;
    span.start = Position();
    span.subAddress = Utf8ToUtf16(AttributeText(link, "anchor"));
    span.screenTip = Utf8ToUtf16(AttributeText(link, "tooltip"));
    const std::string id = AttributeText(link, "id");
    if (!id.empty() && context_.relationships) {
        const auto found = context_.relationships->byId.find(id);
        if (found != context_.relationships->byId.end())
            span.address = Utf8ToUtf16(found->second.target);
        else
            document_.warnings.push_back("a hyperlink in /" + context_.partName + " names the unknown relationship " +
                                         id);
    }
    for (pugi::xml_node child = link.first_child(); child && !failed_; child = child.next_sibling())
        ReadInline(child, inherited, depth + 1);
    span.end = Position();
    if (span.end > span.start && (!span.address.empty() || !span.subAddress.empty())) {
        span.id = document_.nextLinkId++;
        story_.links.push_back(std::move(span));
    }
}

void BodyReader::ReadBookmarkStart(const pugi::xml_node& node) {
    BookmarkSpan bookmark;
    bookmark.name = Utf8ToUtf16(AttributeText(node, "name"));
    bookmark.start = Position();
    if (!bookmark.name.empty())
        openBookmarks_[AttributeText(node, "id")] = std::move(bookmark);
}

void BodyReader::ReadBookmarkEnd(const pugi::xml_node& node) {
    const auto found = openBookmarks_.find(AttributeText(node, "id"));
    if (found == openBookmarks_.end())
        return;
    found->second.end = Position();
    story_.bookmarks.push_back(std::move(found->second));
    openBookmarks_.erase(found);
}

void BodyReader::BeginField(const std::u16string& instruction) {
    OpenField field;
    field.instruction = instruction;
    fields_.push_back(std::move(field));
}

void BodyReader::SeparateField() {
    if (!fields_.empty() && fields_.back().resultStart < 0)
        fields_.back().resultStart = Position();
}

void BodyReader::EndField() {
    if (fields_.empty())
        return;
    OpenField field = std::move(fields_.back());
    fields_.pop_back();
    if (field.resultStart < 0)
        field.resultStart = Position(); // a field without a result shows nothing
    FieldSpan span{field.resultStart, Position(), field.instruction};
    FieldBecomesLink(span.instruction, span.start, span.end);
    story_.fields.push_back(std::move(span));
}

void BodyReader::FieldBecomesLink(const std::u16string& instruction, int32_t start, int32_t end) {
    const std::vector<std::u16string> words = SplitFieldInstruction(instruction);
    if (words.empty() || end <= start)
        return;
    std::u16string keyword = words[0];
    for (char16_t& c : keyword)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    LinkSpan link;
    link.start = start;
    link.end = end;
    if (keyword == u"HYPERLINK") {
        for (size_t i = 1; i < words.size(); ++i) {
            const std::u16string& word = words[i];
            if (word == u"\\l" && i + 1 < words.size())
                link.subAddress = words[++i];
            else if (word == u"\\o" && i + 1 < words.size())
                link.screenTip = words[++i];
            else if (word == u"\\t" && i + 1 < words.size())
                ++i;
            else if (!word.empty() && word[0] != u'\\' && link.address.empty())
                link.address = word;
        }
    } else if (keyword == u"REF" && words.size() >= 2 &&
               std::find(words.begin() + 2, words.end(), u"\\h") != words.end()) {
        link.subAddress = words[1];
    } else {
        return;
    }
    if (link.address.empty() && link.subAddress.empty())
        return;
    link.id = document_.nextLinkId++;
    story_.links.push_back(std::move(link));
}

std::u16string BodyReader::ShownText(const char* utf8) {
    int replaced = 0;
    std::u16string text = Utf8ToUtf16(utf8, &replaced);
    if (replaced > 0) {
        constexpr size_t kQuoted = 60;
        document_.warnings.push_back("text in /" + context_.partName + " is not valid UTF-8; " +
                                     std::to_string(replaced) + " character(s) are shown as \xEF\xBF\xBD: \"" +
                                     Utf16ToUtf8(text.substr(0, kQuoted)) + (text.size() > kQuoted ? "..." : "") +
                                     "\"");
    }
    return text;
}

void BodyReader::Append(const std::u16string& text, const RunFormat& format) {
    if (text.empty())
        return;
    const int32_t start = Position();
    story_.text += text;
    if (!story_.runs.empty() && story_.runs.back().end == start && story_.runs.back().format == format) {
        story_.runs.back().end = Position();
        return;
    }
    story_.runs.push_back(RunSpan{start, Position(), runFormats_.Intern(format)});
}
