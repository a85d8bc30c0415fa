#pragma once
// Text files of the help project: built as a list of lines, written in one go with CR LF endings.

#include <cstdint>
#include <string>
#include <vector>

using LineList = std::vector<std::string>;

// Whether name (narrow) is a file name Windows would accept, so a help title behaves the same on every platform:
// no path separator, none of : * ? " < > |, no control character, not "." or "..".
bool IsPortableFileName(const std::string& name);

// A portable file name stem made from a help title (narrow): every character a file name may not hold becomes
// "_", spaces and points at either end go, a very long title is cut; "help" when nothing is left. The title itself
// stays as the user typed it; only the project's own file names use this.
std::string PortableFileStem(const std::string& title);
// A text a viewer shows (a title, a contents or index name) as a value in the contents, index or project file:
// quotes, ampersands and angle brackets as entities, the rest in the help file's code page, a character it lacks
// as a look-alike or "?" (the viewer shows such values as plain text, a reference would stay visible).
std::string EscapedHelpText(const std::string& narrow, uint32_t codePage);
// A file or bookmark name in the contents, index or project file: the code page's bytes, "&#NNNN;" for a character
// it lacks, which the help compiler reads back.
std::string HelpFileName(const std::string& narrow, uint32_t codePage);

// Writes every line with CR and LF taken out of it and CR LF after it; no byte-order mark. The file must lie
// directly in folder and carry a portable name; otherwise, or when it cannot be opened, nothing is written and
// the result is false. An existing file is replaced; a symbolic link in its place is not followed.
bool WriteLineList(const LineList& lines, const std::string& folder, const std::string& path);
