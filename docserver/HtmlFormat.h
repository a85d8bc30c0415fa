#pragma once
// Word formatting as CSS 2: the style chains resolved into one format, and the declarations that make a format
// differ from the one it sits in (a paragraph in its style, a run in its paragraph).

#include "DocumentModel.h"

#include <string>

// What a style chain gives, ancestors first; direct formatting laid over it wins where it is set.
RunFormat OverlayRun(RunFormat base, const RunFormat& top);
ParagraphFormat OverlayParagraph(ParagraphFormat base, const ParagraphFormat& top);

// The run formatting of a paragraph style (its chain, or the default paragraph style when styleId is empty).
RunFormat StyleRunFormat(const Document& document, const std::string& styleId);
// The paragraph formatting of a paragraph style and its chain; the style id stays the given one.
ParagraphFormat StyleParagraphFormat(const Document& document, const std::string& styleId);
// A run as shown: its paragraph's style, its character style chain, then its own formatting.
RunFormat EffectiveRunFormat(const Document& document, const std::string& paragraphStyle, const RunFormat& direct);

// Declarations, each ending in ';', for what format sets differently from base. Vertical alignment is left to
// <sup>/<sub>, hidden text to the writer.
std::string RunCss(const RunFormat& format, const RunFormat& base);
std::string ParagraphCss(const ParagraphFormat& format, const ParagraphFormat& base);

// "#RRGGBB" from Word's colour number 0xBBGGRR.
std::string CssColor(int32_t wordColor);
