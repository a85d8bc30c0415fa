#pragma once
// Text written into HTML or XML: the characters markup gives a meaning to, as the references both languages know.
// Nothing else changes, so text in any code page or in UTF-8 passes through byte for byte.

#include <string>

// For an element's content: &, < and > as &amp;, &lt; and &gt;.
std::string EscapedHtmlText(const std::string& text);
// For an attribute value in double quotes, and for text that may land in one: " as &quot; besides.
std::string EscapedHtmlAttribute(const std::string& text);
