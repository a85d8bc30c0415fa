#pragma once
// Recognises data that is compressed already (PNG, JPEG, GIF, archives, or anything whose bytes are spread as
// evenly as compressed data's are). Such files go into the help file's uncompressed section: LZX would spend
// time on them and make them slightly larger.
#include <string_view>

bool IsCompressedAlready(std::string_view bytes);
