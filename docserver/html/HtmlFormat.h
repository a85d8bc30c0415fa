#pragma once
// Word formatting as CSS 2: the style chains resolved into one format, and the declarations that make a format
// differ from the one it sits in (a paragraph in its style, a run in its paragraph).

#include "docserver/model/DocumentModel.h"
#include "docserver/model/FormatOverlay.h"

#include <string>

// The run formatting of a paragraph style (its chain, or the default paragraph style when styleId is empty) laid over
// base: the document's defaults, and in a table cell what the table style gives the cell.
RunFormat StyleRunFormat(const Document& document, const std::string& styleId, const RunFormat& base);
RunFormat StyleRunFormat(const Document& document, const std::string& styleId); // over the document's defaults
// The paragraph formatting of a paragraph style and its chain over base; the style id stays the given one.
ParagraphFormat StyleParagraphFormat(const Document& document, const std::string& styleId, const ParagraphFormat& base);
ParagraphFormat StyleParagraphFormat(const Document& document, const std::string& styleId);
// A run as shown: base, its paragraph's style, its character style chain, then its own formatting.
RunFormat EffectiveRunFormat(const Document& document, const std::string& paragraphStyle, const RunFormat& direct,
                             const RunFormat& base);

// Declarations, each ending in ';', for what format sets differently from base. Vertical alignment is left to
// <sup>/<sub>, hidden text to the writer.
std::string RunCss(const RunFormat& format, const RunFormat& base);
std::string ParagraphCss(const ParagraphFormat& format, const ParagraphFormat& base);

// "'Latin','East Asian'" for the fonts a format names, empty when it names none. An East Asian font that is a Latin
// one in fact is left out.
std::string CssFontFamily(const RunFormat& format);

// The generic family ("serif", "sans-serif", "monospace") to fall back on when a font is not installed, by the usual
// words in font names; sans-serif when nothing tells.
std::string GenericFamily(const std::string& font);

// "0.5pt solid #000000" for a line, "none" for no line or an unset one.
std::string CssBorder(const BorderLine& line);

// "#RRGGBB" from Word's colour number 0xBBGGRR.
std::string CssColor(int32_t wordColor);
