#include "TableFormatReader.h"

#include "docserver/docx/FormatReader.h"
#include "docserver/model/FormatOverlay.h"
#include "docserver/model/StyleSheet.h"
#include "docserver/package/XmlPart.h"

#include <algorithm>
#include <cstdlib>

namespace {

BorderLine ReadBorderLine(const pugi::xml_node& node) {
    BorderLine line;
    const std::string kind = AttributeText(node, "val");
    if (kind.empty() || kind == "nil" || kind == "none")
        line.kind = 0;
    else if (kind == "double" || kind.find("Double") != std::string::npos || kind == "triple")
        line.kind = 2;
    else if (kind == "dotted")
        line.kind = 3;
    else if (kind.find("ash") != std::string::npos) // dashed, dotDash, dashSmallGap, ...
        line.kind = 4;
    else
        line.kind = 1;
    line.eighthsOfPoint = static_cast<int16_t>(std::clamp(Attribute(node, "sz").as_int(4), 2, 96));
    line.color = ColorNumber(AttributeText(node, "color"));
    line.spacePoints = static_cast<int16_t>(std::clamp(Attribute(node, "space").as_int(0), 0, 31));
    return line;
}

void ReadCellMargins(const pugi::xml_node& margins, CellMargins& result) {
    if (!margins)
        return;
    static constexpr const char* kNames[][2] = {
        {"top", "top"}, {"left", "start"}, {"bottom", "bottom"}, {"right", "end"}};
    for (int side = 0; side < 4; ++side) {
        pugi::xml_node node = Child(margins, kNames[side][0]);
        if (!node)
            node = Child(margins, kNames[side][1]);
        const std::string type = AttributeText(node, "type");
        if (node && (type.empty() || type == "dxa" || type == "nil"))
            result.sides[side] = type == "nil" ? 0 : std::clamp(Attribute(node, "w").as_int(0), 0, 31680);
    }
}

TableArea AreaNamed(const std::string& type) {
    static const std::pair<const char*, TableArea> kAreas[] = {
        {"wholeTable", kWholeTable},     {"band1Vert", kBand1Vertical},   {"band2Vert", kBand2Vertical},
        {"band1Horz", kBand1Horizontal}, {"band2Horz", kBand2Horizontal}, {"firstCol", kFirstColumn},
        {"lastCol", kLastColumn},        {"firstRow", kFirstRow},         {"lastRow", kLastRow},
        {"nwCell", kTopLeftCell},        {"neCell", kTopRightCell},       {"swCell", kBottomLeftCell},
        {"seCell", kBottomRightCell}};
    for (const auto& [name, area] : kAreas)
        if (type == name)
            return area;
    return kTableAreaCount;
}

// A table's w:jc and w:tblInd where present; an indent in percent is not one Word shows.
void ReadPlacement(const pugi::xml_node& tblPr, std::string& alignment, int& indent) {
    if (const pugi::xml_node jc = Child(tblPr, "jc"))
        alignment = AttributeText(jc, "val");
    if (const pugi::xml_node tblInd = Child(tblPr, "tblInd"); tblInd && AttributeText(tblInd, "type") != "pct")
        indent = std::clamp(Attribute(tblInd, "w").as_int(0), -31680, 31680);
}

// Laid over what the area already has: a style's own formatting and its "wholeTable" part add up.
void ReadAreaFormat(const pugi::xml_node& node, const ThemeFonts& theme, const ThemeColorScheme* colors,
                    TableAreaFormat& area) {
    area.paragraph = OverlayParagraph(area.paragraph, ReadParagraphFormat(Child(node, "pPr"), theme, colors));
    area.run = OverlayRun(area.run, ReadRunFormat(Child(node, "rPr"), theme, colors));
    const pugi::xml_node tcPr = Child(node, "tcPr");
    if (const pugi::xml_node shading = Child(tcPr, "shd"))
        area.shading = ShadingColor(shading);
    ReadBorders(Child(tcPr, "tcBorders"), area.borders, 6);
}

} // namespace

void ReadBorders(const pugi::xml_node& borders, BorderLine* sides, int sideCount) {
    if (!borders)
        return;
    // Newer documents name the left and right sides start and end.
    static constexpr const char* kNames[][2] = {{"top", "top"},   {"left", "start"},      {"bottom", "bottom"},
                                                {"right", "end"}, {"insideH", "between"}, {"insideV", "insideV"}};
    for (int side = 0; side < sideCount; ++side) {
        pugi::xml_node node = Child(borders, kNames[side][0]);
        if (!node)
            node = Child(borders, kNames[side][1]);
        if (node)
            sides[side] = ReadBorderLine(node);
    }
}

TableWidth ReadTableWidth(const pugi::xml_node& width) {
    TableWidth result;
    if (!width)
        return result;
    const std::string type = AttributeText(width, "type");
    std::string value = AttributeText(width, "w");
    if (type == "pct") {
        // Either fiftieths of a percent or, in newer documents, "50%".
        const bool percent = !value.empty() && value.back() == '%';
        const double number = std::atof(value.c_str());
        result.value = static_cast<int>(percent ? number * 50 : number);
        result.unit = result.value > 0 ? 2 : 0;
    } else if (type.empty() || type == "dxa") {
        result.value = std::atoi(value.c_str());
        result.unit = result.value > 0 ? 1 : 0;
    }
    return result;
}

const Style* TableStyleOf(const Document& document, const pugi::xml_node& tblPr) {
    const std::string id = ChildValue(tblPr, "tblStyle");
    if (!id.empty())
        return FindStyle(document, id);
    for (const Style& style : document.styles)
        if (style.isDefault && style.type == "table")
            return &style;
    return nullptr;
}

std::vector<const Style*> TableStyleChain(const Document& document, const Style* style) {
    std::vector<const Style*> chain;
    for (int guard = 0; guard < 32 && style; ++guard) {
        if (std::find(chain.begin(), chain.end(), style) != chain.end())
            break;
        chain.insert(chain.begin(), style);
        style = style->basedOn.empty() ? nullptr : FindStyle(document, style->basedOn);
    }
    return chain;
}

void ReadTableFormat(const Document& document, const pugi::xml_node& table, TableSpan& span) {
    const pugi::xml_node tblPr = Child(table, "tblPr");
    for (const Style* style : TableStyleChain(document, TableStyleOf(document, tblPr))) {
        for (int side = 0; side < 6; ++side)
            if (style->tableBorders[side].kind >= 0)
                span.borders[side] = style->tableBorders[side];
        for (int side = 0; side < 4; ++side)
            if (style->table.cellMargins.sides[side] >= 0)
                span.cellMargins.sides[side] = style->table.cellMargins.sides[side];
        if (style->table.shading >= 0)
            span.shading = style->table.shading;
        if (!style->table.alignment.empty())
            span.alignment = style->table.alignment;
        if (style->table.indent != 0)
            span.indent = style->table.indent;
    }
    ReadBorders(Child(tblPr, "tblBorders"), span.borders, 6);
    ReadCellMargins(Child(tblPr, "tblCellMar"), span.cellMargins);
    if (const pugi::xml_node shading = Child(tblPr, "shd"))
        span.shading = ShadingColor(shading);
    span.width = ReadTableWidth(Child(tblPr, "tblW"));
    ReadPlacement(tblPr, span.alignment, span.indent);
    for (pugi::xml_node column : Child(table, "tblGrid").children())
        if (IsElement(column, "gridCol") && span.gridColumns.size() < 64)
            span.gridColumns.push_back(std::clamp(Attribute(column, "w").as_int(0), 0, 31680));
}

void ReadCellFormat(const pugi::xml_node& tcPr, TableCell& cell) {
    if (!tcPr)
        return;
    ReadBorders(Child(tcPr, "tcBorders"), cell.borders, 4);
    cell.shading = ShadingColor(Child(tcPr, "shd"));
    cell.width = ReadTableWidth(Child(tcPr, "tcW"));
    ReadCellMargins(Child(tcPr, "tcMar"), cell.margins);
    const std::string vertical = ChildValue(tcPr, "vAlign");
    cell.verticalAlign = vertical == "center" ? 1 : vertical == "bottom" ? 2 : 0;
}

void ReadRowFormat(const pugi::xml_node& trPr, TableRow& row) {
    row.gridBefore = std::clamp(ChildInt(trPr, "gridBefore", 0), 0, 63);
    row.gridAfter = std::clamp(ChildInt(trPr, "gridAfter", 0), 0, 63);
    const pugi::xml_node height = Child(trPr, "trHeight");
    const std::string rule = AttributeText(height, "hRule");
    if (!height || rule == "auto")
        return;
    row.heightTwips = std::clamp(Attribute(height, "val").as_int(0), 0, 31680);
    row.exactHeight = rule == "exact";
}

TableStyleFormat ReadTableStyleFormat(const pugi::xml_node& style, const ThemeFonts& theme,
                                      const ThemeColorScheme* colors) {
    TableStyleFormat format;
    ReadAreaFormat(style, theme, colors, format.areas[kWholeTable]);
    const pugi::xml_node tblPr = Child(style, "tblPr");
    ReadCellMargins(Child(tblPr, "tblCellMar"), format.cellMargins);
    format.shading = ShadingColor(Child(tblPr, "shd"));
    ReadPlacement(tblPr, format.alignment, format.indent);
    format.rowBandSize = std::clamp(ChildInt(tblPr, "tblStyleRowBandSize", 1), 1, 64);
    format.columnBandSize = std::clamp(ChildInt(tblPr, "tblStyleColBandSize", 1), 1, 64);
    for (pugi::xml_node node : style.children())
        if (IsElement(node, "tblStylePr"))
            if (const TableArea area = AreaNamed(AttributeText(node, "type")); area != kTableAreaCount)
                ReadAreaFormat(node, theme, colors, format.areas[area]);
    return format;
}
