#pragma once
// The shell's "open": hands a file or address to the program the desktop associates with it. Replaceable, so tests
// record what would have been opened instead of starting a viewer.

#include <wx/string.h>

#include <functional>

using ShellOpenHandler = std::function<void(const wxString& target)>;

// Returns the handler it replaces; an empty handler restores the desktop's.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);
// The result is ignored, as the program never reports a missing viewer or file.
void ShellOpen(const wxString& target);
// Replaces the question below (tests ask for a desktop without a viewer); an empty query restores the desktop's.
using HelpViewerQuery = std::function<bool()>;
HelpViewerQuery SetHelpViewerQuery(HelpViewerQuery query);
// Whether the desktop has a program for compiled help files. Without one, its open would hand them to a web
// browser, which shows nothing and saves a download. True when a handler was set (tests), and when the desktop
// cannot be asked.
bool DesktopOpensHelpFiles();
