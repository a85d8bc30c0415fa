#pragma once
// A piece of a story with everything it needs elsewhere: text and spans (positions from 0), its complete
// paragraphs, the notes and text boxes it refers to, the styles and lists it uses, and its document's defaults.
// What the clipboard holds.

#include "docserver/model/DocumentModel.h"
#include "docserver/model/Numbering.h"

#include <vector>

struct Fragment {
    // paragraphs holds one entry per paragraph mark inside the text; text after the last mark is an open paragraph
    // that joins the paragraph it is pasted into.
    Story story;
    std::vector<Story> stories; // NoteSpan::story and TextBoxSpan::story index this list
    std::vector<Style> styles;
    Numbering numbering;
    DocumentDefaults defaults;
};

// Copies [start, end) of a story. Bookmarks and fields come along only when wholly inside, as Word copies them.
// With the story's lists, the copied lists go on counting where they stood at start, so pasted paragraphs keep the
// numbers they have in the whole document.
Fragment ExtractFragment(const Document& document, const Story& story, int32_t start, int32_t end,
                         const StoryLists* lists = nullptr);

// Plain text to insert at a position, formatted like the text it joins. Line ends in it (CR LF, CR or LF) start
// paragraphs formatted like the one they are typed into.
Fragment TextFragment(const Story& story, int32_t position, const std::u16string& text);

// Merges the fragment's styles and lists into the document and renames the fragment's references to match. Pasted text
// keeps its source's look: a style the document already has (matched by name) takes the fragment's definition, with
// what the object model changed on the document's own laid over it, and the fragment's defaults win over the
// document's. Returns the fragment ready to insert.
Fragment AdoptFragment(Document& document, Fragment fragment);
