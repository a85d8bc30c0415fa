#include "engine/LanguageChoice.h"

#include "base/CodePageText.h"
#include "base/Text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// The characters beyond ASCII, each once, in the order they first appear.
std::u32string DistinctNonAscii(const std::string& text) {
    std::u32string distinct;
    const std::u16string wide = Utf8ToUtf16(text);
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c < 0x80)
            continue;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        if (distinct.find(c) == std::u32string::npos)
            distinct += c;
    }
    return distinct;
}

// How many of the text's characters (counted with repeats) the code page holds.
size_t HeldCount(uint32_t codePage, const std::u16string& wide) {
    size_t held = 0;
    for (const char16_t c : wide)
        if (c >= 0x80 && (c < 0xD800 || c >= 0xE000) && CodePageHolds(codePage, HeldBy::CodePage, c))
            ++held;
    return held;
}

void AddCandidate(std::vector<HelpLanguage>& candidates, const std::optional<HelpLanguage>& language) {
    if (!language)
        return;
    for (const HelpLanguage& known : candidates)
        if (known.codePage == language->codePage)
            return;
    candidates.push_back(*language);
}

std::string MissingWarning(const HelpLanguage& language, const std::string& text) {
    std::string missing;
    size_t count = 0;
    for (const char32_t c : DistinctNonAscii(text)) {
        if (CodePageHolds(language.codePage, HeldBy::CodePage, c))
            continue;
        if (++count <= 20) {
            missing += missing.empty() ? "" : " ";
            AppendUtf8(missing, c);
        }
    }
    if (count == 0)
        return {};
    return "The help file is in code page " + std::to_string(language.codePage) + " (" + language.tag + "), which " +
           "lacks " + std::to_string(count) + " of the document's characters: " + missing + (count > 20 ? " ..." : "") +
           ". Pages show them as they are; titles, the contents and the index show a look-alike or \"?\".";
}

} // namespace

LanguageChoice ChooseHelpLanguage(const std::string& requested, uint32_t declaredLcid, uint32_t declaredFarEastLcid,
                                  const std::string& text) {
    LanguageChoice choice;
    if (!requested.empty()) {
        if (const std::optional<HelpLanguage> asked = FindHelpLanguage(requested)) {
            choice.language = *asked;
            choice.warning = MissingWarning(choice.language, text);
            return choice;
        }
        choice.warning =
            "The language " + requested + " is not one a help file can be in; it is chosen from the document.";
    }
    std::vector<HelpLanguage> candidates;
    AddCandidate(candidates, HelpLanguageForLcid(declaredLcid));
    AddCandidate(candidates, HelpLanguageForLcid(declaredFarEastLcid));
    AddCandidate(candidates, HelpLanguage{});
    const size_t preferred = candidates.size();
    for (const HelpLanguage& language : HelpLanguages())
        AddCandidate(candidates, language);

    // The declared languages and Chinese (China) come first: another code page is taken only when none of them
    // holds even half of the text beyond ASCII (an undeclared German or Korean document).
    const std::u16string wide = Utf8ToUtf16(text);
    const size_t nonAscii = static_cast<size_t>(
        std::count_if(wide.begin(), wide.end(), [](char16_t c) { return c >= 0x80 && (c < 0xDC00 || c >= 0xE000); }));
    size_t bestHeld = 0;
    choice.language = candidates.front();
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (i == preferred && bestHeld * 2 >= nonAscii)
            break;
        const size_t held = HeldCount(candidates[i].codePage, wide);
        if (held > bestHeld) {
            bestHeld = held;
            choice.language = candidates[i];
        }
    }
    const std::string missing = MissingWarning(choice.language, text);
    if (!missing.empty())
        choice.warning += (choice.warning.empty() ? "" : " ") + missing;
    return choice;
}
