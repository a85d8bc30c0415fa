#pragma once
// A heading as one plain line of text, the same on both sides of the automation boundary: the converter's contents,
// index and titles, and the server's page title.

#include <string>
#include <string_view>

// Word's text of a paragraph without its control characters: line, page and column breaks and tabs become a space,
// the non-breaking hyphen (0x1E) a hyphen, the optional hyphen (0x1F) nothing, every other control character
// (paragraph mark, picture and field marks) is dropped. Runs of spaces become one; none at either end.
std::u16string PlainHeadingText(std::u16string_view text);

// Whether a plain heading shows nothing: empty, or only spaces (no-break and ideographic spaces included).
bool IsBlankHeading(std::u16string_view plain);

// Titles in the help file's contents, index and page heads are kept to this many UTF-16 units; a page keeps the
// whole heading in its text.
constexpr size_t kMaxTitleLength = 255;

// plain cut to kMaxTitleLength, ending in an ellipsis when cut, never between the halves of a surrogate pair.
std::u16string ShortTitle(std::u16string plain);
