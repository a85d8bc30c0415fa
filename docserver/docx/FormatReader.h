#pragma once
// Paragraph and run properties (w:pPr, w:rPr) as the model's formats; shared by the style and body readers.

#include "docserver/docx/DrawingColor.h"
#include "docserver/model/DocumentModel.h"

#include <pugixml.hpp>

// Theme font references (w:asciiTheme, w:eastAsiaTheme) become the names the theme gives them; a reference the theme
// cannot answer leaves the font the element names itself. A theme colour (w:color w:themeColor) is the colours'
// slot, lightened or darkened as it says; without colours, or a slot they lack, the colour written beside it.
RunFormat ReadRunFormat(const pugi::xml_node& rPr, const ThemeFonts& theme, const ThemeColorScheme* colors = nullptr);
ParagraphFormat ReadParagraphFormat(const pugi::xml_node& pPr, const ThemeFonts& theme,
                                    const ThemeColorScheme* colors = nullptr);

// Word's colour number 0xBBGGRR from "RRGGBB"; -1 for "auto" or anything else.
int ColorNumber(const std::string& hex);
// The colour a w:shd paints behind its content, -1 for none.
int ShadingColor(const pugi::xml_node& shd);
