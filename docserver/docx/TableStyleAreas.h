#pragma once
// A table style's area formats (whole table, bands, first and last rows and columns, corner cells) given to the
// cells they cover, as the table's w:tblLook switches them on.

#include "docserver/model/DocumentModel.h"

#include <pugixml.hpp>

// Which of the style's conditional areas the table shows (w:tblLook, as attributes or as Word's hex flags).
struct TableLook {
    bool firstRow = false;
    bool lastRow = false;
    bool firstColumn = false;
    bool lastColumn = false;
    bool rowBands = true;
    bool columnBands = true;
};
TableLook ReadTableLook(const pugi::xml_node& tblLook);

// Lays the style's areas under each cell of a read table: the text formats into styleParagraph and styleRun, the
// shading and borders where the cell has none of its own. A null style leaves the table as it is.
void ApplyTableStyle(const Document& document, const Style* style, const TableLook& look, TableSpan& table);
