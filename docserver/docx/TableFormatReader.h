#pragma once
// Table, row and cell properties (borders, shading, widths, margins, heights, grid) read into the model's table
// spans, and table styles' own formatting.

#include "docserver/docx/DrawingColor.h"
#include "docserver/model/DocumentModel.h"

#include <pugixml.hpp>

// w:tblBorders, w:tcBorders or w:pBdr into sides indexed by BorderSide (a paragraph's w:between as kBorderInsideH);
// sides not present are left as they are.
void ReadBorders(const pugi::xml_node& borders, BorderLine* sides, int sideCount);
// w:tblW, w:tcW.
TableWidth ReadTableWidth(const pugi::xml_node& width);
// The table's borders, width, grid, cell margins and shading, its table style's laid under its own.
void ReadTableFormat(const Document& document, const pugi::xml_node& table, TableSpan& span);
// A row's height from its w:trPr.
void ReadRowFormat(const pugi::xml_node& trPr, TableRow& row);
// A cell's borders, shading, width and margins from its w:tcPr.
void ReadCellFormat(const pugi::xml_node& tcPr, TableCell& cell);

// A table style's cell margins, shading, band sizes and the formats of its areas (w:tblStylePr).
TableStyleFormat ReadTableStyleFormat(const pugi::xml_node& style, const ThemeFonts& theme,
                                      const ThemeColorScheme* colors = nullptr);
// The table style a table uses: its w:tblStyle, else the document's default table style; null for none.
const Style* TableStyleOf(const Document& document, const pugi::xml_node& tblPr);
// The style and the styles it is based on, root first, so a style's own settings outrank its ancestors'.
std::vector<const Style*> TableStyleChain(const Document& document, const Style* style);
