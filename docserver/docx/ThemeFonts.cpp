#include "ThemeFonts.h"

#include "base/Text.h"
#include "docserver/package/XmlPart.h"

namespace {

void ReadFontCollection(const pugi::xml_node& collection, ThemeFontScheme& scheme, int index) {
    scheme.latin[index] = AttributeText(Child(collection, "latin"), "typeface");
    scheme.eastAsia[index] = AttributeText(Child(collection, "ea"), "typeface");
    for (pugi::xml_node font : collection.children())
        if (IsElement(font, "font"))
            scheme.scripts[index][AttributeText(font, "script")] = AttributeText(font, "typeface");
}

// The script a theme names East Asian fonts by, for a language tag.
std::string ScriptOf(const std::string& language) {
    const std::string lower = AsciiLower(language);
    if (lower.starts_with("zh"))
        return lower == "zh-tw" || lower == "zh-hk" || lower == "zh-mo" || lower.starts_with("zh-hant") ? "Hant"
                                                                                                        : "Hans";
    if (lower.starts_with("ja"))
        return "Jpan";
    if (lower.starts_with("ko"))
        return "Hang";
    return {};
}

} // namespace

ThemeFontScheme ReadThemeFontScheme(const std::string& xml) {
    ThemeFontScheme scheme;
    pugi::xml_document parsed;
    if (!ParseXmlPart(parsed, xml, "word/theme/theme1.xml").ok())
        return scheme;
    const pugi::xpath_node fontScheme = parsed.select_node("//*[local-name()='fontScheme']");
    if (!fontScheme)
        return scheme;
    ReadFontCollection(Child(fontScheme.node(), "majorFont"), scheme, 0);
    ReadFontCollection(Child(fontScheme.node(), "minorFont"), scheme, 1);
    return scheme;
}

ThemeFonts ResolveThemeFonts(const ThemeFontScheme& scheme, const std::string& eastAsiaLanguage) {
    auto eastAsia = [&](int index) {
        if (!scheme.eastAsia[index].empty())
            return scheme.eastAsia[index];
        const auto found = scheme.scripts[index].find(ScriptOf(eastAsiaLanguage));
        return found != scheme.scripts[index].end() ? found->second : std::string();
    };
    return ThemeFonts{scheme.latin[0], scheme.latin[1], eastAsia(0), eastAsia(1)};
}

std::string ThemeFontName(const ThemeFonts& fonts, const std::string& reference) {
    if (reference == "majorHAnsi" || reference == "majorAscii")
        return fonts.majorLatin;
    if (reference == "minorHAnsi" || reference == "minorAscii")
        return fonts.minorLatin;
    if (reference == "majorEastAsia")
        return fonts.majorEastAsia;
    if (reference == "minorEastAsia")
        return fonts.minorEastAsia;
    return {}; // complex-script fonts are not shown apart
}
