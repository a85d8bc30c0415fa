#pragma once
// Table and cell formatting as CSS 2: borders, shading, widths, cell margins, alignment and indent.

#include "docserver/model/DocumentModel.h"

#include <string>

// Where a cell sits, which decides whether its edges take the table's outer or inside borders.
struct CellPlace {
    bool firstRow = false;
    bool lastRow = false;
    bool firstColumn = false;
    bool lastColumn = false;
};

// "120pt" or "50%", empty for an automatic width.
std::string CssWidth(const TableWidth& width);
// Declarations for the table element: its alignment or indent, width and shading.
std::string TableCss(const TableSpan& table);
// Declarations for a cell's borders, shading, width (from its own width, else the grid columns it spans) and
// vertical alignment, and padding where its margins are not Word's usual ones.
std::string CellCss(const TableSpan& table, const TableCell& cell, int column, const CellPlace& place);
