#include "TableStyleAreas.h"

#include "docserver/docx/TableFormatReader.h"
#include "docserver/model/FormatOverlay.h"
#include "docserver/package/XmlPart.h"

#include <cstdlib>

namespace {

bool Flag(const pugi::xml_node& node, const char* name, bool fallback) {
    const pugi::xml_attribute attribute = Attribute(node, name);
    if (!attribute)
        return fallback;
    const std::string value = attribute.value();
    return value == "1" || value == "true" || value == "on";
}

// The style chain's areas laid over each other, root first.
TableStyleFormat MergedStyle(const Document& document, const Style* style) {
    TableStyleFormat merged;
    for (const Style* link : TableStyleChain(document, style)) {
        const TableStyleFormat& own = link->table;
        for (int a = 0; a < kTableAreaCount; ++a) {
            TableAreaFormat& area = merged.areas[a];
            const TableAreaFormat& top = own.areas[a];
            area.paragraph = OverlayParagraph(area.paragraph, top.paragraph);
            area.run = OverlayRun(area.run, top.run);
            if (top.shading >= 0)
                area.shading = top.shading;
            for (int side = 0; side < 6; ++side)
                if (top.borders[side].kind >= 0)
                    area.borders[side] = top.borders[side];
        }
        merged.rowBandSize = own.rowBandSize;
        merged.columnBandSize = own.columnBandSize;
    }
    return merged;
}

// Which edges of a cell are edges of the area it is formatted by; the others take the area's inside lines.
struct AreaEdges {
    bool top = true;
    bool left = true;
    bool bottom = true;
    bool right = true;
};

struct AreaUse {
    TableArea area;
    AreaEdges edges;
};

BorderLine AreaSide(const TableAreaFormat& area, const AreaEdges& edges, int side) {
    switch (side) {
    case kBorderTop:
        return area.borders[edges.top ? kBorderTop : kBorderInsideH];
    case kBorderLeft:
        return area.borders[edges.left ? kBorderLeft : kBorderInsideV];
    case kBorderBottom:
        return area.borders[edges.bottom ? kBorderBottom : kBorderInsideH];
    default:
        return area.borders[edges.right ? kBorderRight : kBorderInsideV];
    }
}

} // namespace

TableLook ReadTableLook(const pugi::xml_node& tblLook) {
    TableLook look;
    if (!tblLook)
        return look;
    // Older documents give the switches as one hex number only.
    const long flags = std::strtol(AttributeText(tblLook, "val").c_str(), nullptr, 16);
    look.firstRow = Flag(tblLook, "firstRow", flags & 0x0020);
    look.lastRow = Flag(tblLook, "lastRow", flags & 0x0040);
    look.firstColumn = Flag(tblLook, "firstColumn", flags & 0x0080);
    look.lastColumn = Flag(tblLook, "lastColumn", flags & 0x0100);
    look.rowBands = !Flag(tblLook, "noHBand", flags & 0x0200);
    look.columnBands = !Flag(tblLook, "noVBand", flags & 0x0400);
    return look;
}

void ApplyTableStyle(const Document& document, const Style* style, const TableLook& look, TableSpan& table) {
    if (!style)
        return;
    const TableStyleFormat merged = MergedStyle(document, style);
    const int rowCount = static_cast<int>(table.rows.size());
    for (int r = 0; r < rowCount; ++r) {
        std::vector<TableCell>& cells = table.rows[static_cast<size_t>(r)].cells;
        const bool firstRow = r == 0;
        const bool lastRow = r == rowCount - 1;
        const int bandRow = r - (look.firstRow ? 1 : 0);
        int column = 0;
        for (size_t c = 0; c < cells.size(); ++c) {
            TableCell& cell = cells[c];
            const bool firstColumn = c == 0;
            const bool lastColumn = c + 1 == cells.size();
            const int bandColumn = column - (look.firstColumn ? 1 : 0);
            column += cell.gridSpan;

            // In the order Word lays them over each other.
            const AreaEdges rowArea{true, firstColumn, true, lastColumn};
            const AreaEdges columnArea{firstRow, true, lastRow, true};
            std::vector<AreaUse> uses{{kWholeTable, {firstRow, firstColumn, lastRow, lastColumn}}};
            if (look.columnBands && bandColumn >= 0)
                uses.push_back(
                    {(bandColumn / merged.columnBandSize) % 2 ? kBand2Vertical : kBand1Vertical, columnArea});
            if (look.rowBands && bandRow >= 0)
                uses.push_back({(bandRow / merged.rowBandSize) % 2 ? kBand2Horizontal : kBand1Horizontal, rowArea});
            if (look.firstColumn && firstColumn)
                uses.push_back({kFirstColumn, columnArea});
            if (look.lastColumn && lastColumn)
                uses.push_back({kLastColumn, columnArea});
            if (look.firstRow && firstRow)
                uses.push_back({kFirstRow, rowArea});
            if (look.lastRow && lastRow)
                uses.push_back({kLastRow, rowArea});
            const AreaEdges corner;
            if (look.firstRow && look.firstColumn && firstRow && firstColumn)
                uses.push_back({kTopLeftCell, corner});
            if (look.firstRow && look.lastColumn && firstRow && lastColumn)
                uses.push_back({kTopRightCell, corner});
            if (look.lastRow && look.firstColumn && lastRow && firstColumn)
                uses.push_back({kBottomLeftCell, corner});
            if (look.lastRow && look.lastColumn && lastRow && lastColumn)
                uses.push_back({kBottomRightCell, corner});

            int32_t shading = -1;
            BorderLine borders[4];
            for (const AreaUse& use : uses) {
                const TableAreaFormat& area = merged.areas[use.area];
                cell.styleParagraph = OverlayParagraph(cell.styleParagraph, area.paragraph);
                cell.styleRun = OverlayRun(cell.styleRun, area.run);
                if (area.shading >= 0)
                    shading = area.shading;
                for (int side = 0; side < 4; ++side)
                    if (const BorderLine line = AreaSide(area, use.edges, side); line.kind >= 0)
                        borders[side] = line;
            }
            // The cell's own shading and borders outrank its style's.
            if (cell.shading < 0)
                cell.shading = shading;
            for (int side = 0; side < 4; ++side)
                if (cell.borders[side].kind < 0)
                    cell.borders[side] = borders[side];
        }
    }
}
