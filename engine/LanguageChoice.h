#pragma once
// Which language (and so which code page) a help file is in. An asked-for language wins. Otherwise the candidates
// are the document's declared languages (of its Latin text, then of its East Asian text) and Chinese (China): the
// first that holds the most of the text's characters is taken, so a Chinese or undeclared document that code page
// 936 holds keeps it. Only when none of them holds half the characters beyond ASCII is one language per other code
// page tried too. What the chosen code page still lacks is named once.

#include "base/HelpLanguage.h"

#include <cstdint>
#include <string>

struct LanguageChoice {
    HelpLanguage language;
    std::string warning; // narrow; empty when the code page holds all of the text
};

// requested: a tag or LCID as the user typed it (empty: none); declared: the LCIDs Word reports (0 or an unknown
// one: none); text (narrow): what the help file must hold, titles first.
LanguageChoice ChooseHelpLanguage(const std::string& requested, uint32_t declaredLcid, uint32_t declaredFarEastLcid,
                                  const std::string& text);
