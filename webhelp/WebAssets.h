#pragma once
// The web folder's style sheet and script, kept as files of their own in webhelp/assets/ and built into the
// library.

extern const char* const kWebStyleSheet;
extern const char* const kWebScript;
