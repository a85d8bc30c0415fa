#pragma once
// Which language (and so which code page) a help file is in. An asked-for language wins. Otherwise the document's
// declared language (of its Latin text, then of its East Asian text) whose code page holds the most of the text is
// kept while it holds at least half of the characters beyond ASCII; then Chinese (China) when code page 936 holds
// all of them, or at least half with Chinese characters among them (a Chinese or undeclared document keeps what it
// always had); else the language, declared ones and Chinese (China) first, whose code page holds the most. What the
// chosen code page lacks is named once.

#include "base/HelpLanguage.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct LanguageChoice {
    HelpLanguage language;
    std::string warning; // narrow; empty when the code page holds all of the text
};

// What the choice needs of a text, without holding it: its characters beyond ASCII, each once with how often it
// appears, in the order they first appear. The text may come piece by piece (narrow, each piece whole characters),
// so a whole document's text is never held at once.
class TextCharacters {
public:
    void Add(const std::string& piece);

    struct Character {
        char32_t code = 0;
        size_t count = 0;
    };
    const std::vector<Character>& Characters() const { return characters_; }

private:
    std::vector<Character> characters_;
    std::unordered_map<char32_t, size_t> indexOf_;
};

// requested: a tag or LCID as the user typed it (empty: none); declared: the LCIDs Word reports (0 or an unknown
// one: none); text (narrow): what the help file must hold, titles first.
LanguageChoice ChooseHelpLanguage(const std::string& requested, uint32_t declaredLcid, uint32_t declaredFarEastLcid,
                                  const TextCharacters& text);
LanguageChoice ChooseHelpLanguage(const std::string& requested, uint32_t declaredLcid, uint32_t declaredFarEastLcid,
                                  const std::string& text);
