#include "HtmlFormat.h"

#include "base/Text.h"
#include "docserver/model/StyleSheet.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A style and its ancestors, root first; loops in basedOn are cut.
std::vector<const Style*> StyleChain(const Document& document, std::string id) {
    std::vector<const Style*> chain;
    for (int guard = 0; guard < 32 && !id.empty(); ++guard) {
        const Style* style = FindStyle(document, id);
        if (!style)
            break;
        chain.insert(chain.begin(), style);
        id = style->basedOn;
    }
    return chain;
}

std::string Points(int twips) {
    char text[32];
    std::snprintf(text, sizeof text, "%gpt", twips / 20.0);
    return text;
}

// Font names go into a style attribute and a style sheet: only characters that cannot end either are kept. A
// letter the page's charset cannot hold is escaped when the page is encoded (PageEncoding).
std::string CssFontName(const std::string& font) {
    std::string clean;
    for (const char c : font)
        if (c != '\'' && c != '"' && c != '<' && c != '>' && c != '&' && c != ';' && c != '{' && c != '}' && c != '\\')
            clean += c;
    return clean;
}

// A font for Chinese, Japanese or Korean text: a name in those scripts, or one of the usual names of such fonts.
bool LooksEastAsian(const std::string& font) {
    if (std::any_of(font.begin(), font.end(), [](unsigned char c) { return c >= 0x80; }))
        return true;
    const std::string lower = AsciiLower(font);
    static constexpr const char* kWords[] = {
        "simsun",   "simhei",   "simkai",   "simfang",    "song",       "hei",       "kai",
        "fangsong", "ming",     "mincho",   "ms gothic",  "ms pgothic", "ui gothic", "yu gothic",
        "yahei",    "meiryo",   "malgun",   "batang",     "gulim",      "dotum",     "gungsuh",
        "dengxian", "hiragino", "pingfang", "source han", "cjk",        "wenquanyi"};
    return std::any_of(std::begin(kWords), std::end(kWords),
                       [&](const char* word) { return lower.find(word) != std::string::npos; });
}

} // namespace

std::string CssFontFamily(const RunFormat& format) {
    std::string family;
    for (const std::string* font : {&format.font, &format.eastAsiaFont}) {
        // Western documents often name a Latin font for East Asian text; listed, it would stand in for a missing
        // Latin font, which Word never does.
        if (font == &format.eastAsiaFont && !LooksEastAsian(*font))
            continue;
        const std::string name = "'" + CssFontName(*font) + "'";
        if (name != "''" && family.find(name) == std::string::npos)
            family += (family.empty() ? "" : ",") + name;
    }
    return family;
}

namespace {

std::string TextDecoration(const RunFormat& format) {
    std::string value;
    if (format.underline > 0)
        value = "underline";
    if (format.strike == 1)
        value += value.empty() ? "line-through" : " line-through";
    return value.empty() ? "none" : value;
}

std::string CssAlignment(const std::string& jc) {
    if (jc == "center")
        return "center";
    if (jc == "right" || jc == "end")
        return "right";
    if (jc == "both" || jc == "distribute")
        return "justify";
    if (jc == "left" || jc == "start")
        return "left";
    return {};
}

// Word's "auto" spacing between paragraphs is what it writes as 14 points in HTML.
int SpacingTwips(int space, int automatic) {
    return automatic == 1 ? 280 : space < 0 ? 0 : space;
}

// Word's rules: 0 single, 1 one and a half lines, 2 double, 3 at least, 4 exactly, 5 multiple of a line. CSS has no
// minimum line height, so "at least" is shown as its amount.
std::string LineHeight(const ParagraphFormat& format) {
    static constexpr const char* kLineHeights[] = {"normal", "150%", "200%"};
    if (format.lineRule >= 0 && format.lineRule <= 2)
        return kLineHeights[format.lineRule];
    if (format.lineSpacing <= 0)
        return {};
    if (format.lineRule == 3 || format.lineRule == 4)
        return Points(format.lineSpacing);
    if (format.lineRule == 5) {
        char text[32];
        std::snprintf(text, sizeof text, "%g%%", format.lineSpacing * 100 / 240.0);
        return text;
    }
    return {};
}

} // namespace

RunFormat StyleRunFormat(const Document& document, const std::string& styleId, const RunFormat& base) {
    RunFormat format = base;
    for (const Style* style : StyleChain(document, styleId.empty() ? DefaultParagraphStyle(document) : styleId))
        format = OverlayRun(format, style->run);
    format.characterStyle.clear();
    return format;
}

RunFormat StyleRunFormat(const Document& document, const std::string& styleId) {
    return StyleRunFormat(document, styleId, document.defaults.run);
}

ParagraphFormat StyleParagraphFormat(const Document& document, const std::string& styleId,
                                     const ParagraphFormat& base) {
    ParagraphFormat format = base;
    for (const Style* style : StyleChain(document, styleId.empty() ? DefaultParagraphStyle(document) : styleId))
        format = OverlayParagraph(format, style->paragraph);
    format.style = styleId;
    return format;
}

ParagraphFormat StyleParagraphFormat(const Document& document, const std::string& styleId) {
    return StyleParagraphFormat(document, styleId, document.defaults.paragraph);
}

RunFormat EffectiveRunFormat(const Document& document, const std::string& paragraphStyle, const RunFormat& direct,
                             const RunFormat& base) {
    RunFormat format = StyleRunFormat(document, paragraphStyle, base);
    if (!direct.characterStyle.empty())
        for (const Style* style : StyleChain(document, direct.characterStyle))
            format = OverlayRun(format, style->run);
    format = OverlayRun(format, direct);
    format.characterStyle.clear();
    return format;
}

std::string GenericFamily(const std::string& font) {
    const std::string lower = AsciiLower(font);
    auto has = [&](const char* word) { return lower.find(word) != std::string::npos; };
    if (has("courier") || has("mono") || has("consolas") || has("console"))
        return "monospace";
    if ((has("serif") && !has("sans")) || has("times") || has("cambria") || has("georgia") || has("garamond") ||
        has("book") || has("song") || has("mincho") || has("\xE5\xAE\x8B") /* "Song" */ ||
        has("\xE6\x98\x8E") /* "Ming" */)
        return "serif";
    return "sans-serif";
}

std::string CssBorder(const BorderLine& line) {
    static constexpr const char* kStyles[] = {"none", "solid", "double", "dotted", "dashed"};
    if (line.kind <= 0 || line.kind > 4)
        return "none";
    // Word draws a double line's two strokes and gap within its width; CSS needs three pixels at least to show it.
    double points = line.eighthsOfPoint / 8.0;
    if (line.kind == 2 && points < 2.25)
        points = 2.25;
    char width[32];
    std::snprintf(width, sizeof width, "%gpt", points);
    return std::string(width) + " " + kStyles[line.kind] + " " + CssColor(line.color >= 0 ? line.color : 0);
}

std::string CssColor(int32_t wordColor) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", wordColor & 0xFF, (wordColor >> 8) & 0xFF,
                  (wordColor >> 16) & 0xFF);
    return text;
}

std::string RunCss(const RunFormat& format, const RunFormat& base) {
    std::string css;
    if (const std::string family = CssFontFamily(format); !family.empty() && family != CssFontFamily(base))
        css += "font-family:" + family + "," + GenericFamily(format.font.empty() ? format.eastAsiaFont : format.font) +
               ";";
    if (format.sizeHalfPoints > 0 && format.sizeHalfPoints != base.sizeHalfPoints) {
        char size[32];
        std::snprintf(size, sizeof size, "font-size:%gpt;", format.sizeHalfPoints / 2.0);
        css += size;
    }
    if ((format.bold == 1) != (base.bold == 1))
        css += format.bold == 1 ? "font-weight:bold;" : "font-weight:normal;";
    if ((format.italic == 1) != (base.italic == 1))
        css += format.italic == 1 ? "font-style:italic;" : "font-style:normal;";
    if (TextDecoration(format) != TextDecoration(base))
        css += "text-decoration:" + TextDecoration(format) + ";";
    if (format.color >= 0 && format.color != base.color)
        css += "color:" + CssColor(format.color) + ";";
    if ((format.caps == 1) != (base.caps == 1))
        css += format.caps == 1 ? "text-transform:uppercase;" : "text-transform:none;";
    if ((format.smallCaps == 1) != (base.smallCaps == 1))
        css += format.smallCaps == 1 ? "font-variant:small-caps;" : "font-variant:normal;";
    auto spacing = [](const RunFormat& run) {
        return run.letterSpacing == kUnsetLetterSpacing ? 0 : run.letterSpacing;
    };
    if (spacing(format) != spacing(base)) {
        char letterSpacing[40];
        std::snprintf(letterSpacing, sizeof letterSpacing, "letter-spacing:%gpt;", spacing(format) / 20.0);
        css += letterSpacing;
    }
    // A right-to-left run is laid out so within a left-to-right paragraph, and the other way round.
    if (format.rightToLeft >= 0 && (format.rightToLeft == 1) != (base.rightToLeft == 1))
        css += format.rightToLeft == 1 ? "direction:rtl;unicode-bidi:embed;" : "direction:ltr;unicode-bidi:embed;";
    // Highlight is drawn over the run's shading.
    const int32_t background = format.highlight >= 0 ? format.highlight : format.shading;
    if (background >= 0 && background != (base.highlight >= 0 ? base.highlight : base.shading))
        css += "background-color:" + CssColor(background) + ";";
    return css;
}

std::string ParagraphCss(const ParagraphFormat& format, const ParagraphFormat& base) {
    std::string css;
    const std::string align = CssAlignment(format.alignment);
    if (align != CssAlignment(base.alignment) && !align.empty())
        css += "text-align:" + align + ";";
    const int before = SpacingTwips(format.spaceBefore, format.spaceBeforeAuto);
    if (before != SpacingTwips(base.spaceBefore, base.spaceBeforeAuto))
        css += "margin-top:" + Points(before) + ";";
    const int after = SpacingTwips(format.spaceAfter, format.spaceAfterAuto);
    if (after != SpacingTwips(base.spaceAfter, base.spaceAfterAuto))
        css += "margin-bottom:" + Points(after) + ";";
    if (format.indentLeft != base.indentLeft)
        css += "margin-left:" + Points(format.indentLeft) + ";";
    if (format.indentRight != base.indentRight)
        css += "margin-right:" + Points(format.indentRight) + ";";
    if (format.indentFirstLine != base.indentFirstLine)
        css += "text-indent:" + Points(format.indentFirstLine) + ";";
    const std::string lineHeight = LineHeight(format);
    if (lineHeight != LineHeight(base) && format.lineRule >= 0 && !lineHeight.empty())
        css += "line-height:" + lineHeight + ";";
    // A border keeps its distance from the text as padding; a paragraph without one has none.
    static constexpr const char* kSides[] = {"top", "left", "bottom", "right"};
    for (int side = 0; side < 4; ++side) {
        const std::string border = CssBorder(format.borders[side]);
        if (border == CssBorder(base.borders[side]) &&
            (border == "none" || format.borders[side].spacePoints == base.borders[side].spacePoints))
            continue;
        css += std::string("border-") + kSides[side] + ":" + border + ";padding-" + kSides[side] + ":" +
               std::to_string(border == "none" ? 0 : format.borders[side].spacePoints) + "pt;";
    }
    if (format.shading != base.shading)
        css +=
            "background-color:" + (format.shading >= 0 ? CssColor(format.shading) : std::string("transparent")) + ";";
    return css;
}
