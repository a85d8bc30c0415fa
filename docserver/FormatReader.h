#pragma once
// Paragraph and run properties (w:pPr, w:rPr) as the model's formats; shared by the style and body readers.

#include "DocumentModel.h"

#include <pugixml.hpp>

RunFormat ReadRunFormat(const pugi::xml_node& rPr);
ParagraphFormat ReadParagraphFormat(const pugi::xml_node& pPr);
