#pragma once
// Text as it goes into an HTML page: UTF-16 story text to escaped UTF-8, and which link addresses may become links.

#include <string>
#include <string_view>

// Appends text as UTF-8 with &, <, > and " escaped. Control characters are dropped, an unpaired surrogate becomes
// U+FFFD, and symbol-font characters (U+F020..U+F0FF, as w:sym writes them) become their usual Unicode look-alikes.
void AppendEscapedText(std::string& out, std::u16string_view text);
std::string EscapedText(std::u16string_view text);
// As AppendEscapedText, with every space that follows a space (or comes first, when afterSpace is true on entry)
// written as &nbsp;, so runs of spaces keep their width; afterSpace tells the next call how this one ended.
void AppendTextKeepingSpaces(std::string& out, std::u16string_view text, bool& afterSpace);

// An href value: escaped for an attribute, with spaces written as %20.
std::string EscapedAddress(std::u16string_view address);

// False for addresses that run script or carry content of their own (javascript:, vbscript:, data:, ...): only
// web, mail, file and help-file schemes and plain relative addresses become links.
bool IsSafeLinkAddress(std::u16string_view address);
