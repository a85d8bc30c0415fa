#pragma once
// The list numbers Word shows (ListFormat.ListString) for the paragraphs of a story.

#include "docserver/model/DocumentModel.h"

#include <string>
#include <vector>

// The level definition a list paragraph uses (overrides applied), or nullptr when the list does not exist.
const NumberingLevel* FindNumberingLevel(const Numbering& numbering, int numId, int level);

// One entry per paragraph of the story: the list number text ("" for a paragraph in no list, the bullet text for
// a bullet). Counters run in story order: lists sharing an abstract definition continue each other, a level
// restarts after a higher level, a start override restarts its list instance on first use.
std::vector<std::u16string> ComputeListStrings(const Document& document, const Story& story);
