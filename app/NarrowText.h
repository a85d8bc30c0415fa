#pragma once
// wx strings are Unicode; the program below the user interface speaks narrow text, UTF-8.

#include <wx/string.h>

#include <string>

wxString FromNarrow(const std::string& narrow);
