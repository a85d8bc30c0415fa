#pragma once
// Text where a program meets its caller: its arguments, the narrow text of callers that know only C, and what it
// prints. Inside, the program's text is UTF-8.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The code page in which callers of the C entry points pass and take narrow text.
std::uint32_t CallerCodePage();
// The program's arguments as UTF-8, whatever the system handed to main.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// One line of UTF-8 text and a line end on stream, in the encoding the console or file there expects.
void PrintLine(std::FILE* stream, const std::string& utf8);
// UTF-8 text on stream as PrintLine puts it, without a line end of its own.
void PrintText(std::FILE* stream, const std::string& utf8);
// Whether stream is a terminal that takes the usual control sequences (moving back along a line, clearing it).
bool IsTerminal(std::FILE* stream);
