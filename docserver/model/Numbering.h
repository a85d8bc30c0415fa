#pragma once
// The list numbers Word shows (ListFormat.ListString) for the paragraphs of a story.

#include "docserver/model/DocumentModel.h"

#include <string>
#include <vector>

// The level definition a list paragraph uses (overrides applied), or nullptr when the list does not exist.
const NumberingLevel* FindNumberingLevel(const Numbering& numbering, int numId, int level);

// The list numbers of a story, and where its lists stand at any paragraph so that a copied piece can go on counting.
struct StoryLists {
    // One per paragraph: the list number text ("" for a paragraph in no list, the bullet text for a bullet).
    std::vector<std::u16string> strings;
    // By abstract definition: (paragraph index, counters after that paragraph) for each of its paragraphs in order.
    std::map<int, std::vector<std::pair<size_t, ListCounters>>> countersAfter;
    std::map<int, size_t> firstUse; // numId -> index of the first paragraph that uses it
};

// Counters run in story order: lists sharing an abstract definition continue each other, a level restarts after a
// higher level, a start override restarts its list instance on first use.
StoryLists ComputeStoryLists(const Document& document, const Story& story);
inline std::vector<std::u16string> ComputeListStrings(const Document& document, const Story& story) {
    return ComputeStoryLists(document, story).strings;
}

// The counters of an abstract definition just before a paragraph, nothing when it has not counted yet.
std::optional<ListCounters> CountersBefore(const StoryLists& lists, int abstractId, size_t paragraph);
