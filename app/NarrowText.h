#pragma once
// wx strings are Unicode; the program below the user interface speaks its narrow code page (GB18030).

#include <wx/string.h>

#include <string>

wxString FromNarrow(const std::string& narrow);
