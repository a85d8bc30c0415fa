#include "FormatReader.h"

#include "docserver/docx/TableFormatReader.h"
#include "docserver/docx/ThemeFonts.h"
#include "docserver/package/XmlPart.h"

#include <algorithm>
#include <cstdlib>

namespace {

int UnderlineKind(const std::string& value) {
    if (value.empty() || value == "single")
        return 1;
    if (value == "none")
        return 0;
    if (value == "words")
        return 2;
    if (value == "double")
        return 3;
    if (value == "dotted")
        return 4;
    if (value == "thick")
        return 6;
    return 1;
}

// The sixteen colours w:highlight names.
int HighlightColor(const std::string& name) {
    static const std::pair<const char*, const char*> kColors[] = {
        {"yellow", "FFFF00"},    {"green", "00FF00"},       {"cyan", "00FFFF"},     {"magenta", "FF00FF"},
        {"blue", "0000FF"},      {"red", "FF0000"},         {"darkBlue", "000080"}, {"darkCyan", "008080"},
        {"darkGreen", "008000"}, {"darkMagenta", "800080"}, {"darkRed", "800000"},  {"darkYellow", "808000"},
        {"darkGray", "808080"},  {"lightGray", "C0C0C0"},   {"black", "000000"},    {"white", "FFFFFF"}};
    for (const auto& [known, hex] : kColors)
        if (name == known)
            return ColorNumber(hex);
    return -1;
}

int IntAttribute(const pugi::xml_node& node, const char* name, int fallback) {
    const pugi::xml_attribute attribute = Attribute(node, name);
    return attribute ? attribute.as_int(fallback) : fallback;
}

// w:line with its rule as Word's rule numbers: single, one and a half and double lines have their own.
void ReadLineSpacing(const pugi::xml_node& spacing, ParagraphFormat& format) {
    const int line = IntAttribute(spacing, "line", -1);
    if (line <= 0)
        return;
    const std::string rule = AttributeText(spacing, "lineRule");
    if (rule == "exact" || rule == "atLeast") {
        format.lineRule = rule == "exact" ? 4 : 3;
        format.lineSpacing = line;
        return;
    }
    if (line == 240 || line == 360 || line == 480) {
        format.lineRule = (line - 240) / 120;
        return;
    }
    format.lineRule = 5;
    format.lineSpacing = line;
}

} // namespace

int ColorNumber(const std::string& hex) {
    if (hex.size() != 6 || hex == "auto")
        return -1;
    char* end = nullptr;
    const long rgb = std::strtol(hex.c_str(), &end, 16);
    if (*end)
        return -1;
    // Word's colour numbers are 0xBBGGRR.
    return static_cast<int>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

int ShadingColor(const pugi::xml_node& shd) {
    if (!shd)
        return -1;
    const std::string pattern = AttributeText(shd, "val");
    if (pattern == "nil")
        return -1;
    // A solid pattern shows its pattern colour; the others are shown as their fill.
    if (pattern == "solid")
        return ColorNumber(AttributeText(shd, "color"));
    return ColorNumber(AttributeText(shd, "fill"));
}

RunFormat ReadRunFormat(const pugi::xml_node& rPr, const ThemeFonts& theme, const ThemeColorScheme* colors) {
    RunFormat format;
    if (!rPr)
        return format;
    format.characterStyle = ChildValue(rPr, "rStyle");
    format.bold = static_cast<int8_t>(OnOff(rPr, "b"));
    format.italic = static_cast<int8_t>(OnOff(rPr, "i"));
    format.strike = static_cast<int8_t>(OnOff(rPr, "strike"));
    if (const pugi::xml_node underline = Child(rPr, "u"))
        format.underline = static_cast<int8_t>(UnderlineKind(AttributeText(underline, "val")));
    format.sizeHalfPoints = ChildInt(rPr, "sz", 0);
    if (const pugi::xml_node color = Child(rPr, "color")) {
        const int32_t themed = colors ? WordThemeColor(color, *colors) : -1;
        format.color = themed >= 0 ? themed : ColorNumber(AttributeText(color, "val"));
    }
    format.rightToLeft = static_cast<int8_t>(OnOff(rPr, "rtl"));
    const std::string vertical = ChildValue(rPr, "vertAlign");
    format.verticalAlign = vertical == "superscript" ? 1 : vertical == "subscript" ? 2 : 0;
    format.hidden = static_cast<int8_t>(OnOff(rPr, "vanish"));
    format.highlight = HighlightColor(ChildValue(rPr, "highlight"));
    format.shading = ShadingColor(Child(rPr, "shd"));
    format.caps = static_cast<int8_t>(OnOff(rPr, "caps"));
    format.smallCaps = static_cast<int8_t>(OnOff(rPr, "smallCaps"));
    if (Child(rPr, "spacing"))
        format.letterSpacing = std::clamp(ChildInt(rPr, "spacing", 0), -31680, 31680);
    if (const pugi::xml_node fonts = Child(rPr, "rFonts")) {
        // A theme reference outranks the name written beside it.
        auto font = [&](const char* themeAttribute, const char* nameAttribute) {
            const std::string themed = ThemeFontName(theme, AttributeText(fonts, themeAttribute));
            return themed.empty() ? AttributeText(fonts, nameAttribute) : themed;
        };
        format.font = font("asciiTheme", "ascii");
        if (format.font.empty())
            format.font = font("hAnsiTheme", "hAnsi");
        format.eastAsiaFont = font("eastAsiaTheme", "eastAsia");
    }
    return format;
}

ParagraphFormat ReadParagraphFormat(const pugi::xml_node& pPr, const ThemeFonts& theme,
                                    const ThemeColorScheme* colors) {
    ParagraphFormat format;
    if (!pPr)
        return format;
    format.style = ChildValue(pPr, "pStyle");
    format.outlineLevel = ChildInt(pPr, "outlineLvl", -1);
    if (format.outlineLevel < -1 || format.outlineLevel > 9)
        format.outlineLevel = 9;
    if (const pugi::xml_node numPr = Child(pPr, "numPr")) {
        format.numId = ChildInt(numPr, "numId", -1);
        format.numLevel = ChildInt(numPr, "ilvl", -1);
    }
    format.alignment = ChildValue(pPr, "jc");
    format.rightToLeft = static_cast<int8_t>(OnOff(pPr, "bidi"));
    if (const pugi::xml_node spacing = Child(pPr, "spacing")) {
        format.spaceBefore = IntAttribute(spacing, "before", -1);
        format.spaceAfter = IntAttribute(spacing, "after", -1);
        format.spaceBeforeAuto = OnOffAttribute(spacing, "beforeAutospacing");
        format.spaceAfterAuto = OnOffAttribute(spacing, "afterAutospacing");
        ReadLineSpacing(spacing, format);
    }
    if (const pugi::xml_node indent = Child(pPr, "ind")) {
        format.indentLeft = IntAttribute(indent, "left", IntAttribute(indent, "start", 0));
        format.indentRight = IntAttribute(indent, "right", IntAttribute(indent, "end", 0));
        format.indentFirstLine = IntAttribute(indent, "firstLine", -IntAttribute(indent, "hanging", 0));
    }
    ReadBorders(Child(pPr, "pBdr"), format.borders, 5);
    format.shading = ShadingColor(Child(pPr, "shd"));
    format.markFormat = ReadRunFormat(Child(pPr, "rPr"), theme, colors);
    return format;
}
