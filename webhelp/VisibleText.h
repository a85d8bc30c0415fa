#pragma once
// What a reader sees of a page (UTF-8 in, UTF-8 out): the body's text without markup, scripts, styles or comments,
// character references decoded, each run of white space one space. Inline elements join their text (Word splits a
// word over several spans); every other element separates.

#include <string>
#include <string_view>

std::string VisibleText(std::string_view utf8Html);
