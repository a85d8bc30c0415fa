#include "DrawingColor.h"

#include "docserver/docx/FormatReader.h"
#include "docserver/package/XmlPart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct Rgb {
    double r, g, b; // 0..1
};

Rgb FromNumber(int32_t color) {
    return Rgb{(color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0};
}

int32_t ToNumber(const Rgb& rgb) {
    auto channel = [](double value) { return static_cast<int32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    return channel(rgb.r) | channel(rgb.g) << 8 | channel(rgb.b) << 16;
}

// Lightness changes work on hue, saturation and luminance.
struct Hsl {
    double h, s, l;
};

Hsl ToHsl(const Rgb& c) {
    const double high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
    Hsl hsl{0, 0, (high + low) / 2};
    const double range = high - low;
    if (range <= 0)
        return hsl;
    hsl.s = hsl.l > 0.5 ? range / (2 - high - low) : range / (high + low);
    if (high == c.r)
        hsl.h = (c.g - c.b) / range + (c.g < c.b ? 6 : 0);
    else if (high == c.g)
        hsl.h = (c.b - c.r) / range + 2;
    else
        hsl.h = (c.r - c.g) / range + 4;
    hsl.h /= 6;
    return hsl;
}

Rgb FromHsl(const Hsl& hsl) {
    if (hsl.s <= 0)
        return Rgb{hsl.l, hsl.l, hsl.l};
    const double q = hsl.l < 0.5 ? hsl.l * (1 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
    const double p = 2 * hsl.l - q;
    auto hue = [&](double t) {
        t -= std::floor(t);
        if (t < 1.0 / 6)
            return p + (q - p) * 6 * t;
        if (t < 0.5)
            return q;
        if (t < 2.0 / 3)
            return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    return Rgb{hue(hsl.h + 1.0 / 3), hue(hsl.h), hue(hsl.h - 1.0 / 3)};
}

// A value in thousandths of a percent (val="75000" is 75 %).
double Fraction(const pugi::xml_node& element) {
    return std::clamp(Attribute(element, "val").as_double(100000) / 100000.0, -10.0, 10.0);
}

int32_t ApplyChanges(int32_t color, const pugi::xml_node& colorElement) {
    Rgb rgb = FromNumber(color);
    for (pugi::xml_node change : colorElement.children()) {
        if (IsElement(change, "tint")) { // towards white
            const double amount = std::clamp(Fraction(change), 0.0, 1.0);
            rgb = Rgb{1 - (1 - rgb.r) * amount, 1 - (1 - rgb.g) * amount, 1 - (1 - rgb.b) * amount};
        } else if (IsElement(change, "shade")) { // towards black
            const double amount = std::clamp(Fraction(change), 0.0, 1.0);
            rgb = Rgb{rgb.r * amount, rgb.g * amount, rgb.b * amount};
        } else if (IsElement(change, "lumMod") || IsElement(change, "lumOff")) {
            Hsl hsl = ToHsl(rgb);
            hsl.l = IsElement(change, "lumMod") ? hsl.l * Fraction(change) : hsl.l + Fraction(change);
            hsl.l = std::clamp(hsl.l, 0.0, 1.0);
            rgb = FromHsl(hsl);
        }
    }
    return ToNumber(rgb);
}

int32_t PresetColor(const std::string& name) {
    static const std::pair<const char*, const char*> kPresets[] = {
        {"black", "000000"},    {"white", "FFFFFF"},   {"red", "FF0000"},    {"green", "008000"}, {"blue", "0000FF"},
        {"yellow", "FFFF00"},   {"gray", "808080"},    {"silver", "C0C0C0"}, {"navy", "000080"},  {"lime", "00FF00"},
        {"darkBlue", "00008B"}, {"darkRed", "8B0000"}, {"orange", "FFA500"}};
    for (const auto& [preset, hex] : kPresets)
        if (name == preset)
            return ColorNumber(hex);
    return -1;
}

std::string SchemeSlot(const std::string& name) {
    if (name == "tx1")
        return "dk1";
    if (name == "bg1")
        return "lt1";
    if (name == "tx2")
        return "dk2";
    if (name == "bg2")
        return "lt2";
    return name;
}

// The plain colour of a colour element, before its changes.
int32_t BaseColor(const pugi::xml_node& element, const ThemeColorScheme& theme) {
    if (IsElement(element, "srgbClr"))
        return ColorNumber(AttributeText(element, "val"));
    if (IsElement(element, "sysClr"))
        return ColorNumber(AttributeText(element, "lastClr"));
    if (IsElement(element, "prstClr"))
        return PresetColor(AttributeText(element, "val"));
    if (IsElement(element, "schemeClr")) {
        const auto found = theme.slots.find(SchemeSlot(AttributeText(element, "val")));
        return found == theme.slots.end() ? -1 : found->second;
    }
    return -1;
}

} // namespace

ThemeColorScheme ReadThemeColorScheme(const std::string& xml) {
    ThemeColorScheme scheme;
    pugi::xml_document parsed;
    if (!ParseXmlPart(parsed, xml, "word/theme/theme1.xml").ok())
        return scheme;
    const pugi::xpath_node colors = parsed.select_node("//*[local-name()='clrScheme']");
    if (!colors)
        return scheme;
    for (pugi::xml_node slot : colors.node().children()) {
        if (slot.type() != pugi::node_element)
            continue;
        // A slot holds one colour element; a scheme slot cannot name another slot.
        const pugi::xml_node color = slot.first_child();
        if (const int32_t value = BaseColor(color, ThemeColorScheme{}); value >= 0)
            scheme.slots[LocalName(slot)] = value;
    }
    return scheme;
}

int32_t WordThemeColor(const pugi::xml_node& color, const ThemeColorScheme& theme) {
    static const std::pair<const char*, const char*> kSlots[] = {
        {"dark1", "dk1"},       {"light1", "lt1"},
        {"dark2", "dk2"},       {"light2", "lt2"},
        {"text1", "dk1"},       {"background1", "lt1"},
        {"text2", "dk2"},       {"background2", "lt2"},
        {"hyperlink", "hlink"}, {"followedHyperlink", "folHlink"}};
    std::string slot = AttributeText(color, "themeColor");
    for (const auto& [name, schemeSlot] : kSlots)
        if (slot == name)
            slot = schemeSlot;
    const auto found = theme.slots.find(slot);
    if (found == theme.slots.end())
        return -1;
    auto amount = [&](const char* name) {
        const std::string hex = AttributeText(color, name);
        char* end = nullptr;
        const long value = std::strtol(hex.c_str(), &end, 16);
        return hex.empty() || *end || value < 0 || value > 255 ? 1.0 : value / 255.0;
    };
    const double tint = amount("themeTint"), shade = amount("themeShade");
    if (tint == 1 && shade == 1)
        return found->second;
    Hsl hsl = ToHsl(FromNumber(found->second));
    hsl.l = hsl.l * shade;
    hsl.l = hsl.l * tint + (1 - tint);
    return ToNumber(FromHsl(hsl));
}

int32_t DrawingColor(const pugi::xml_node& holder, const ThemeColorScheme& theme) {
    for (pugi::xml_node element : holder.children()) {
        if (element.type() != pugi::node_element)
            continue;
        const int32_t base = BaseColor(element, theme);
        if (base >= 0)
            return ApplyChanges(base, element);
    }
    return -1;
}
