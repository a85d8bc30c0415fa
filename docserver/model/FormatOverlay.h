#pragma once
// Formats laid over each other, as Word builds what text shows from defaults, styles and direct formatting: what the
// top format sets wins, what it leaves unset comes from below.

#include "docserver/model/DocumentModel.h"

RunFormat OverlayRun(RunFormat base, const RunFormat& top);
// Alignment, spacing, line spacing, indents, borders and shading; the style, list and outline fields stay the base's.
ParagraphFormat OverlayParagraph(ParagraphFormat base, const ParagraphFormat& top);
