#pragma once
// Styles: reading styles.xml (its document defaults too), and the answers that need the basedOn chain (outline level,
// numbering).

#include "DocumentModel.h"
#include "ThemeFonts.h"

#include <string>

struct StylesReadResult {
    bool ok = false;
    std::string message;
};

// Sets the document's defaults and, from the defaults' East Asian language, its theme fonts before reading the
// styles, whose theme font references they answer.
StylesReadResult ReadStyles(const std::string& xml, const ThemeFontScheme& theme, Document& document);

const Style* FindStyle(const Document& document, const std::string& id);
// The style a paragraph without w:pStyle has ("Normal" in practice).
std::string DefaultParagraphStyle(const Document& document);

// Word's outline level, 1..9 for headings and 10 for body text: the paragraph's own w:outlineLvl, else the style
// chain's, else the level of a built-in heading style ("heading 1".."heading 9"), else 10.
int OutlineLevelOf(const Document& document, const ParagraphFormat& format);

// The list a paragraph belongs to: its own numbering, else its style chain's. numId 0 means none.
struct ListMembership {
    int numId = 0;
    int level = 0;
};
ListMembership ListOf(const Document& document, const ParagraphFormat& format);
