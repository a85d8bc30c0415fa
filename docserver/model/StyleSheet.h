#pragma once
// Styles: the answers that need the basedOn chain (outline level, numbering).

#include "docserver/model/DocumentModel.h"

#include <string>

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
