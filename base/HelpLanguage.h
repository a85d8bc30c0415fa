#pragma once
// The language of a help file and what follows from it: the one ANSI code page the viewer reads the help file in,
// the project file's Language line and its default font.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct HelpLanguage {
    uint32_t lcid = 0x804;
    uint32_t codePage = 936;
    std::string tag = "zh-CN";
    std::string name = "中文(中国)";      // after the LCID on the project's Language line (UTF-8)
    std::string defaultFont = "宋体,9,1"; // the project's Default font: face, size, character set (UTF-8)
};

// Every language a help file may be in, the Chinese (China) default first.
const std::vector<HelpLanguage>& HelpLanguages();

// The language of an LCID; one of the same primary language (code page and all) when only that is known.
std::optional<HelpLanguage> HelpLanguageForLcid(uint32_t lcid);
// The language of a tag ("de-DE", "de", "zh-TW"; case does not matter; a region not listed gives the language's
// first one) or an LCID ("0x407", "1031").
std::optional<HelpLanguage> FindHelpLanguage(std::string_view tagOrLcid);
// The LCID of a language tag as a document declares it ("de-DE", "zh-TW"); 0 when it is none of the above.
uint32_t LcidForTag(std::string_view tag);
