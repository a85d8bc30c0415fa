#include "FormatOverlay.h"

RunFormat OverlayRun(RunFormat base, const RunFormat& top) {
    if (!top.characterStyle.empty())
        base.characterStyle = top.characterStyle;
    if (top.bold >= 0)
        base.bold = top.bold;
    if (top.italic >= 0)
        base.italic = top.italic;
    if (top.strike >= 0)
        base.strike = top.strike;
    if (top.underline >= 0)
        base.underline = top.underline;
    if (top.sizeHalfPoints > 0)
        base.sizeHalfPoints = top.sizeHalfPoints;
    if (top.color >= 0)
        base.color = top.color;
    if (top.verticalAlign != 0)
        base.verticalAlign = top.verticalAlign;
    if (top.hidden >= 0)
        base.hidden = top.hidden;
    if (!top.font.empty())
        base.font = top.font;
    if (!top.eastAsiaFont.empty())
        base.eastAsiaFont = top.eastAsiaFont;
    if (top.highlight >= 0)
        base.highlight = top.highlight;
    if (top.shading >= 0)
        base.shading = top.shading;
    if (top.caps >= 0)
        base.caps = top.caps;
    if (top.smallCaps >= 0)
        base.smallCaps = top.smallCaps;
    if (top.letterSpacing != kUnsetLetterSpacing)
        base.letterSpacing = top.letterSpacing;
    if (top.rightToLeft >= 0)
        base.rightToLeft = top.rightToLeft;
    return base;
}

ParagraphFormat OverlayParagraph(ParagraphFormat base, const ParagraphFormat& top) {
    if (!top.alignment.empty())
        base.alignment = top.alignment;
    if (top.spaceBefore >= 0)
        base.spaceBefore = top.spaceBefore;
    if (top.spaceAfter >= 0)
        base.spaceAfter = top.spaceAfter;
    if (top.spaceBeforeAuto >= 0)
        base.spaceBeforeAuto = top.spaceBeforeAuto;
    if (top.spaceAfterAuto >= 0)
        base.spaceAfterAuto = top.spaceAfterAuto;
    if (top.lineRule >= 0) {
        base.lineRule = top.lineRule;
        base.lineSpacing = top.lineSpacing;
    }
    if (top.indentRight != 0)
        base.indentRight = top.indentRight;
    if (top.indentLeft != 0)
        base.indentLeft = top.indentLeft;
    if (top.indentFirstLine != 0)
        base.indentFirstLine = top.indentFirstLine;
    for (int side = 0; side < 5; ++side)
        if (top.borders[side].kind >= 0)
            base.borders[side] = top.borders[side];
    if (top.shading >= 0)
        base.shading = top.shading;
    if (top.rightToLeft >= 0)
        base.rightToLeft = top.rightToLeft;
    return base;
}
