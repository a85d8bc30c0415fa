#include "TableFormatReader.h"

#include "FormatReader.h"
#include "StyleSheet.h"
#include "XmlPart.h"

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
    return line;
}

} // namespace

void ReadBorders(const pugi::xml_node& borders, BorderLine* sides, int sideCount) {
    if (!borders)
        return;
    // Newer documents name the left and right sides start and end.
    static constexpr const char* kNames[][2] = {{"top", "top"},   {"left", "start"},      {"bottom", "bottom"},
                                                {"right", "end"}, {"insideH", "insideH"}, {"insideV", "insideV"}};
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

void ReadTableFormat(const Document& document, const pugi::xml_node& table, TableSpan& span) {
    const pugi::xml_node tblPr = Child(table, "tblPr");
    // The style chain's borders, root first, so a style's own borders outrank those it is based on.
    std::vector<const Style*> chain;
    std::string id = ChildValue(tblPr, "tblStyle");
    for (int guard = 0; guard < 32 && !id.empty(); ++guard) {
        const Style* style = FindStyle(document, id);
        if (!style)
            break;
        chain.insert(chain.begin(), style);
        id = style->basedOn;
    }
    for (const Style* style : chain)
        for (int side = 0; side < 6; ++side)
            if (style->tableBorders[side].kind >= 0)
                span.borders[side] = style->tableBorders[side];
    ReadBorders(Child(tblPr, "tblBorders"), span.borders, 6);
    span.width = ReadTableWidth(Child(tblPr, "tblW"));
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
}
