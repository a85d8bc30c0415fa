#pragma once
// The theme's fonts: the font scheme of word/theme/theme1.xml, and what the w:asciiTheme / w:eastAsiaTheme
// references of styles and runs name.

#include "docserver/model/DocumentModel.h"

#include <map>
#include <string>

// a:fontScheme as written: major (headings) and minor (body) fonts, index 0 major and 1 minor.
struct ThemeFontScheme {
    std::string latin[2];
    std::string eastAsia[2];
    std::map<std::string, std::string> scripts[2]; // a:font script -> typeface ("Hans" -> a Chinese font)
};

// An unreadable part gives an empty scheme: text then keeps the fonts it names itself.
ThemeFontScheme ReadThemeFontScheme(const std::string& xml);

// The scheme's names; an empty East Asian typeface is chosen by the script of the document's East Asian language,
// as Word does ("zh-CN" takes the "Hans" font).
ThemeFonts ResolveThemeFonts(const ThemeFontScheme& scheme, const std::string& eastAsiaLanguage);

// The font a reference names ("minorHAnsi", "majorEastAsia"); empty for an unknown reference or an empty theme.
std::string ThemeFontName(const ThemeFonts& fonts, const std::string& reference);
