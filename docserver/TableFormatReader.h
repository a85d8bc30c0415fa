#pragma once
// Table and cell properties (borders, shading, widths, grid) read into the model's table spans.

#include "DocumentModel.h"

#include <pugixml.hpp>

// w:tblBorders or w:tcBorders into sides indexed by BorderSide; sides not present are left as they are.
void ReadBorders(const pugi::xml_node& borders, BorderLine* sides, int sideCount);
// w:tblW, w:tcW.
TableWidth ReadTableWidth(const pugi::xml_node& width);
// The table's borders, width and grid, its table style's borders laid under its own.
void ReadTableFormat(const Document& document, const pugi::xml_node& table, TableSpan& span);
// A cell's borders, shading and width from its w:tcPr.
void ReadCellFormat(const pugi::xml_node& tcPr, TableCell& cell);
