#include "HelpLanguage.h"

#include "Text.h"

#include <cstdlib>

namespace {

// The default font names a face every viewer of the code page has, and the code page's font character set.
std::vector<HelpLanguage> MakeLanguages() {
    const auto western = [](uint32_t lcid, const char* tag, const char* name) {
        return HelpLanguage{lcid, 1252, tag, name, "Tahoma,8,0"};
    };
    const auto central = [](uint32_t lcid, const char* tag, const char* name) {
        return HelpLanguage{lcid, 1250, tag, name, "Tahoma,8,238"};
    };
    const auto cyrillic = [](uint32_t lcid, const char* tag, const char* name) {
        return HelpLanguage{lcid, 1251, tag, name, "Tahoma,8,204"};
    };
    const auto baltic = [](uint32_t lcid, const char* tag, const char* name) {
        return HelpLanguage{lcid, 1257, tag, name, "Tahoma,8,186"};
    };
    return {
        HelpLanguage{},
        {0x1004, 936, "zh-SG", "Chinese (Singapore)", "宋体,9,1"},
        {0x404, 950, "zh-TW", "Chinese (Taiwan)", "PMingLiU,9,136"},
        {0xC04, 950, "zh-HK", "Chinese (Hong Kong SAR)", "PMingLiU,9,136"},
        {0x1404, 950, "zh-MO", "Chinese (Macao SAR)", "PMingLiU,9,136"},
        {0x411, 932, "ja-JP", "Japanese (Japan)", "MS UI Gothic,9,128"},
        {0x412, 949, "ko-KR", "Korean (Korea)", "Gulim,9,129"},
        western(0x409, "en-US", "English (United States)"),
        western(0x809, "en-GB", "English (United Kingdom)"),
        western(0x407, "de-DE", "German (Germany)"),
        western(0xC07, "de-AT", "German (Austria)"),
        western(0x807, "de-CH", "German (Switzerland)"),
        western(0x40C, "fr-FR", "French (France)"),
        western(0x80C, "fr-BE", "French (Belgium)"),
        western(0xC0C, "fr-CA", "French (Canada)"),
        western(0x410, "it-IT", "Italian (Italy)"),
        western(0xC0A, "es-ES", "Spanish (Spain)"),
        western(0x80A, "es-MX", "Spanish (Mexico)"),
        western(0x816, "pt-PT", "Portuguese (Portugal)"),
        western(0x416, "pt-BR", "Portuguese (Brazil)"),
        western(0x413, "nl-NL", "Dutch (Netherlands)"),
        western(0x406, "da-DK", "Danish (Denmark)"),
        western(0x41D, "sv-SE", "Swedish (Sweden)"),
        western(0x414, "nb-NO", "Norwegian Bokmal (Norway)"),
        western(0x40B, "fi-FI", "Finnish (Finland)"),
        western(0x40F, "is-IS", "Icelandic (Iceland)"),
        western(0x403, "ca-ES", "Catalan (Catalan)"),
        central(0x405, "cs-CZ", "Czech (Czech Republic)"),
        central(0x415, "pl-PL", "Polish (Poland)"),
        central(0x40E, "hu-HU", "Hungarian (Hungary)"),
        central(0x41B, "sk-SK", "Slovak (Slovakia)"),
        central(0x424, "sl-SI", "Slovenian (Slovenia)"),
        central(0x41A, "hr-HR", "Croatian (Croatia)"),
        central(0x418, "ro-RO", "Romanian (Romania)"),
        central(0x41C, "sq-AL", "Albanian (Albania)"),
        cyrillic(0x419, "ru-RU", "Russian (Russia)"),
        cyrillic(0x422, "uk-UA", "Ukrainian (Ukraine)"),
        cyrillic(0x402, "bg-BG", "Bulgarian (Bulgaria)"),
        cyrillic(0x423, "be-BY", "Belarusian (Belarus)"),
        cyrillic(0xC1A, "sr-Cyrl-CS", "Serbian (Cyrillic)"),
        cyrillic(0x42F, "mk-MK", "Macedonian (Macedonia)"),
        {0x408, 1253, "el-GR", "Greek (Greece)", "Tahoma,8,161"},
        {0x41F, 1254, "tr-TR", "Turkish (Turkey)", "Tahoma,8,162"},
        baltic(0x425, "et-EE", "Estonian (Estonia)"),
        baltic(0x426, "lv-LV", "Latvian (Latvia)"),
        baltic(0x427, "lt-LT", "Lithuanian (Lithuania)"),
    };
}

std::optional<uint32_t> ParseLcid(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    const std::string digits(text);
    const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
    if (end == digits.c_str() || *end != '\0' || value == 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

} // namespace

const std::vector<HelpLanguage>& HelpLanguages() {
    static const std::vector<HelpLanguage> languages = MakeLanguages();
    return languages;
}

std::optional<HelpLanguage> HelpLanguageForLcid(uint32_t lcid) {
    for (const HelpLanguage& language : HelpLanguages())
        if (language.lcid == lcid)
            return language;
    // Traditional Chinese is told apart by the sub-language, not by the primary one.
    for (const HelpLanguage& language : HelpLanguages())
        if ((language.lcid & 0x3FF) == (lcid & 0x3FF) && (lcid & 0x3FF) != 0x04)
            return language;
    return std::nullopt;
}

std::optional<HelpLanguage> FindHelpLanguage(std::string_view tagOrLcid) {
    if (const std::optional<uint32_t> lcid = ParseLcid(tagOrLcid))
        return HelpLanguageForLcid(*lcid);
    std::string tag = AsciiLower(std::string(tagOrLcid));
    for (char& c : tag)
        if (c == '_')
            c = '-';
    if (tag.empty())
        return std::nullopt;
    for (const HelpLanguage& language : HelpLanguages())
        if (AsciiLower(language.tag) == tag)
            return language;
    // A bare language ("de"), or one of a region not listed ("en-AU"), is the language's first region (Chinese:
    // China); the code page is the language's.
    const std::string bare = tag.substr(0, tag.find('-'));
    for (const HelpLanguage& language : HelpLanguages())
        if (AsciiLower(language.tag).rfind(bare + "-", 0) == 0)
            return language;
    return std::nullopt;
}

uint32_t LcidForTag(std::string_view tag) {
    if (tag.empty() ||
        tag.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_") != std::string::npos)
        return 0;
    const std::optional<HelpLanguage> language = FindHelpLanguage(tag);
    return language ? language->lcid : 0;
}
