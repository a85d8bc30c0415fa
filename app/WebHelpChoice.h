#pragma once
// Whether the desktop program also writes web help, and into which folder: set in the advanced dialog, kept between
// runs in the user's settings file beside the last folder.

#include <wx/string.h>

struct WebHelpChoice {
    bool wanted = false;
    wxString folder; // new or empty when a run starts; the run refuses any other and deletes nothing in it
};

// The remembered choice; none when no settings are open (wxConfigBase::Get(false) is null).
WebHelpChoice RememberedWebHelp();
// Remembers it and writes the settings at once.
void RememberWebHelp(const WebHelpChoice& choice);
