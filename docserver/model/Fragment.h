#pragma once
// A piece of a story with everything it needs elsewhere: text and spans (positions from 0), its complete
// paragraphs, the notes and text boxes it refers to, the styles and lists it uses, and its document's defaults.
// What the clipboard holds.

#include "docserver/model/DocumentModel.h"

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
Fragment ExtractFragment(const Document& document, const Story& story, int32_t start, int32_t end);

// Plain text to insert at a position, formatted like the text it joins. Paragraph marks in it start paragraphs
// formatted like the one they are typed into.
Fragment TextFragment(const Story& story, int32_t position, const std::u16string& text);

// Merges the fragment's styles and lists into the document (styles the document already has, matched by name, keep
// the document's definition) and renames the fragment's references to match. Likewise the defaults the document does
// not set itself come from the fragment's, so pasted text keeps its font and spacing in a blank document. Returns
// the fragment ready to insert.
Fragment AdoptFragment(Document& document, Fragment fragment);
