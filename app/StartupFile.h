#pragma once
// The command line of the desktop program: `leafbind [FILE]`, FILE the Word document to start with.

#include <wx/string.h>

class wxCmdLineParser;

// Adds the optional FILE parameter to the toolkit's own options.
void DescribeCommandLine(wxCmdLineParser& parser);
// FILE of a parsed command line as an absolute path (a relative one is taken from the current folder); empty when
// none was given.
wxString StartupFile(const wxCmdLineParser& parser);
