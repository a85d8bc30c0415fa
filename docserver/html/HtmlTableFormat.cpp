#include "HtmlTableFormat.h"

#include "docserver/html/HtmlFormat.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Points(double points) {
    char text[32];
    std::snprintf(text, sizeof text, "%gpt", points);
    return text;
}

// Word's usual cell margins by side (top, left, bottom, right), which the page's td rule already gives.
constexpr int32_t kUsualCellMargins[4] = {0, 108, 0, 108};

std::string CellPadding(const TableSpan& table, const TableCell& cell) {
    int32_t margins[4];
    bool usual = true;
    for (int side = 0; side < 4; ++side) {
        margins[side] = cell.margins.sides[side] >= 0        ? cell.margins.sides[side]
                        : table.cellMargins.sides[side] >= 0 ? table.cellMargins.sides[side]
                                                             : kUsualCellMargins[side];
        usual = usual && margins[side] == kUsualCellMargins[side];
    }
    if (usual)
        return {};
    // CSS names the sides top, right, bottom, left.
    return "padding:" + Points(margins[0] / 20.0) + " " + Points(margins[3] / 20.0) + " " + Points(margins[2] / 20.0) +
           " " + Points(margins[1] / 20.0) + ";";
}

} // namespace

std::string TableCss(const TableSpan& table) {
    std::string css;
    if (table.alignment == "center") {
        css += "margin-left:auto;margin-right:auto;";
    } else if (table.alignment == "right" || table.alignment == "end") {
        css += "margin-left:auto;margin-right:0;";
    } else if (table.indent != 0) {
        // Word's usual small negative indent lines cell text up with the margin; a larger one would push the table
        // out of the page's left edge.
        css += "margin-left:" + Points(std::max(table.indent, -kUsualCellMargins[1]) / 20.0) + ";";
    }
    if (const std::string width = CssWidth(table.width); !width.empty())
        css += "width:" + width + ";";
    if (table.shading >= 0)
        css += "background-color:" + CssColor(table.shading) + ";";
    return css;
}

std::string CssWidth(const TableWidth& width) {
    if (width.unit == 1)
        return Points(width.value / 20.0);
    if (width.unit == 2) {
        char text[32];
        std::snprintf(text, sizeof text, "%g%%", width.value / 50.0);
        return text;
    }
    return {};
}

std::string CellCss(const TableSpan& table, const TableCell& cell, int column, const CellPlace& place) {
    const BorderLine* sides[4] = {
        &table.borders[place.firstRow ? kBorderTop : kBorderInsideH],
        &table.borders[place.firstColumn ? kBorderLeft : kBorderInsideV],
        &table.borders[place.lastRow ? kBorderBottom : kBorderInsideH],
        &table.borders[place.lastColumn ? kBorderRight : kBorderInsideV],
    };
    std::string borders[4];
    for (int side = 0; side < 4; ++side)
        borders[side] = CssBorder(cell.borders[side].kind >= 0 ? cell.borders[side] : *sides[side]);
    std::string css;
    if (borders[0] == borders[1] && borders[0] == borders[2] && borders[0] == borders[3]) {
        if (borders[0] != "none")
            css += "border:" + borders[0] + ";";
    } else {
        static constexpr const char* kNames[] = {"top", "left", "bottom", "right"};
        for (int side = 0; side < 4; ++side)
            if (borders[side] != "none")
                css += std::string("border-") + kNames[side] + ":" + borders[side] + ";";
    }
    if (cell.shading >= 0)
        css += "background-color:" + CssColor(cell.shading) + ";";
    // The grid is the table as Word last laid it out, the columns every row shares; a cell's own preferred width
    // only counts where the grid does not reach.
    std::string width;
    if (column >= 0 && column + cell.gridSpan <= static_cast<int>(table.gridColumns.size())) {
        int twips = 0;
        for (int c = column; c < column + cell.gridSpan; ++c)
            twips += table.gridColumns[static_cast<size_t>(c)];
        if (twips > 0)
            width = CssWidth(TableWidth{twips, 1});
    }
    if (width.empty())
        width = CssWidth(cell.width);
    if (!width.empty())
        css += "width:" + width + ";";
    if (cell.verticalAlign == 1)
        css += "vertical-align:middle;";
    else if (cell.verticalAlign == 2)
        css += "vertical-align:bottom;";
    return css + CellPadding(table, cell);
}
