#pragma once
// A page built as UTF-8, as bytes of the code page it is saved in: each character the page's charset holds as its
// bytes, every other one escaped where it stands, so that every reader of the declared charset shows it.

#include <cstdint>
#include <string>
#include <string_view>

// Inside a <style> element a character is a CSS escape ("\0000E9"), elsewhere a reference ("&#233;").
std::string EncodePage(uint32_t codePage, std::string_view utf8);
