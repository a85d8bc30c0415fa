#include "engine/LanguageChoice.h"

#include "base/CodePageText.h"
#include "base/Text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c < 0xE000;
}

// How many of the text's characters (counted with repeats) the code page holds; characters beyond the 16-bit range
// are held by none.
size_t HeldCount(uint32_t codePage, const TextCharacters& text) {
    size_t held = 0;
    for (const TextCharacters::Character& c : text.Characters())
        if (c.code < 0x10000 && !IsSurrogate(c.code) && CodePageHolds(codePage, HeldBy::CodePage, c.code))
            held += c.count;
    return held;
}

template <typename Test> bool AnyCharacter(const TextCharacters& text, Test test) {
    const auto& characters = text.Characters();
    return std::any_of(characters.begin(), characters.end(),
                       [&](const TextCharacters::Character& c) { return test(c.code); });
}

void AddCandidate(std::vector<HelpLanguage>& candidates, const std::optional<HelpLanguage>& language) {
    if (!language)
        return;
    for (const HelpLanguage& known : candidates)
        if (known.codePage == language->codePage)
            return;
    candidates.push_back(*language);
}

std::string MissingWarning(const HelpLanguage& language, const TextCharacters& text) {
    std::string missing;
    size_t count = 0;
    for (const TextCharacters::Character& character : text.Characters()) {
        const char32_t c = character.code;
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

LanguageChoice WithMissing(LanguageChoice choice, const TextCharacters& text) {
    const std::string missing = MissingWarning(choice.language, text);
    if (!missing.empty())
        choice.warning += (choice.warning.empty() ? "" : " ") + missing;
    return choice;
}

} // namespace

void TextCharacters::Add(const std::string& piece) {
    const std::u16string wide = Utf8ToUtf16(piece);
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c < 0x80)
            continue;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        const auto [at, added] = indexOf_.emplace(c, characters_.size());
        if (added)
            characters_.push_back(Character{c, 0});
        ++characters_[at->second].count;
    }
}

LanguageChoice ChooseHelpLanguage(const std::string& requested, uint32_t declaredLcid, uint32_t declaredFarEastLcid,
                                  const std::string& text) {
    TextCharacters characters;
    characters.Add(text);
    return ChooseHelpLanguage(requested, declaredLcid, declaredFarEastLcid, characters);
}

LanguageChoice ChooseHelpLanguage(const std::string& requested, uint32_t declaredLcid, uint32_t declaredFarEastLcid,
                                  const TextCharacters& text) {
    LanguageChoice choice;
    if (!requested.empty()) {
        if (const std::optional<HelpLanguage> asked = FindHelpLanguage(requested)) {
            choice.language = *asked;
            return WithMissing(choice, text);
        }
        choice.warning =
            "The language " + requested + " is not one a help file can be in; it is chosen from the document.";
    }
    size_t nonAscii = 0;
    for (const TextCharacters::Character& c : text.Characters())
        if (c.code < 0xDC00 || c.code >= 0xE000)
            nonAscii += c.count;
    // The first of the candidates whose code page holds the most of the text.
    const auto best = [&](const std::vector<HelpLanguage>& candidates, size_t& bestHeld) {
        HelpLanguage chosen = candidates.front();
        bestHeld = HeldCount(chosen.codePage, text);
        for (const HelpLanguage& candidate : candidates) {
            if (const size_t held = HeldCount(candidate.codePage, text); held > bestHeld) {
                bestHeld = held;
                chosen = candidate;
            }
        }
        return chosen;
    };
    // Word declares an East Asian language for every document written where one is installed: it counts only for
    // a text that has East Asian characters.
    const bool hasEastAsian = AnyCharacter(text, [](char32_t c) {
        return (c >= 0x3040 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7A4) || (c >= 0xF900 && c < 0xFB00);
    });
    std::vector<HelpLanguage> candidates;
    AddCandidate(candidates, HelpLanguageForLcid(declaredLcid));
    if (hasEastAsian)
        AddCandidate(candidates, HelpLanguageForLcid(declaredFarEastLcid));
    size_t held = 0;
    // A declared language is kept while its code page holds at least half of the text beyond ASCII: a German
    // document quoting Chinese stays German.
    if (!candidates.empty()) {
        choice.language = best(candidates, held);
        if (held * 2 >= nonAscii && (held > 0 || nonAscii == 0))
            return WithMissing(choice, text);
    }
    // A Chinese or undeclared document that code page 936 holds stays as it always was, and so does one whose
    // Chinese characters are at least half of what lies beyond ASCII.
    const bool hasIdeographs = AnyCharacter(text, [](char32_t c) { return c >= 0x3400 && c < 0xA000; });
    const size_t held936 = HeldCount(936, text);
    if (held936 == nonAscii || (hasIdeographs && held936 * 2 >= nonAscii)) {
        choice.language = HelpLanguage{};
        return WithMissing(choice, text);
    }
    AddCandidate(candidates, HelpLanguage{});
    for (const HelpLanguage& language : HelpLanguages())
        AddCandidate(candidates, language);
    choice.language = best(candidates, held);
    return WithMissing(choice, text);
}
