#pragma once
// Paragraph and run properties (w:pPr, w:rPr) as the model's formats; shared by the style and body readers.

#include "docserver/model/DocumentModel.h"

#include <pugixml.hpp>

// Theme font references (w:asciiTheme, w:eastAsiaTheme) become the names the theme gives them; a reference the theme
// cannot answer leaves the font the element names itself.
RunFormat ReadRunFormat(const pugi::xml_node& rPr, const ThemeFonts& theme);
ParagraphFormat ReadParagraphFormat(const pugi::xml_node& pPr, const ThemeFonts& theme);

// Word's colour number 0xBBGGRR from "RRGGBB"; -1 for "auto" or anything else.
int ColorNumber(const std::string& hex);
// The colour a w:shd paints behind its content, -1 for none.
int ShadingColor(const pugi::xml_node& shd);
