#pragma once
// Values written into the web folder's data scripts. The data are scripts, not JSON files, because a page opened
// from file:// may load a script beside it but may not read a file.

#include <string>
#include <string_view>

// A JavaScript string literal, quotes included, of UTF-8 text; safe inside a script element too.
std::string ScriptString(std::string_view utf8Text);
