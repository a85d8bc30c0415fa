#pragma once
// DrawingML colours (shapes, text boxes): an RGB value, a slot of the theme's colour scheme, a system or a preset
// colour, each with its changes of lightness applied, as Word's model colour number 0xBBGGRR.

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>

// a:clrScheme of word/theme/theme1.xml by slot ("dk1", "lt1", "dk2", "accent1", "hlink"...).
struct ThemeColorScheme {
    std::map<std::string, int32_t> slots;
};

// An unreadable part gives an empty scheme: theme colours are then unknown.
ThemeColorScheme ReadThemeColorScheme(const std::string& xml);

// The colour an element holds as its child (a:solidFill, a:fillRef, a:lnRef): a:srgbClr, a:schemeClr (tx1, bg1,
// tx2, bg2 name dk1, lt1, dk2, lt2), a:sysClr or a:prstClr, changed by its a:lumMod, a:lumOff, a:tint and a:shade.
// -1 when it holds none, or one the theme cannot answer.
int32_t DrawingColor(const pugi::xml_node& holder, const ThemeColorScheme& theme);

// The theme colour a run's w:color names (w:themeColor "accent1", "text2", "hyperlink"...), its luminance lightened by
// w:themeTint or darkened by w:themeShade (hex, FF unchanged). -1 when it names none the theme answers.
int32_t WordThemeColor(const pugi::xml_node& color, const ThemeColorScheme& theme);
