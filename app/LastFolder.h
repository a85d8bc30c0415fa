#pragma once
// The folder the user last took a file from or saved one to, kept between runs in the user's settings file, so the
// file choosers start there.

#include <wx/string.h>

#include <filesystem>
#include <memory>

class wxConfigBase;

// $XDG_CONFIG_HOME/leafbind/leafbind.conf, or ~/.config/leafbind/leafbind.conf when that variable is not an
// absolute path.
std::filesystem::path UserSettingsFile();
// The settings in that file; nothing is written before something is remembered. The program makes this the
// global wxConfigBase.
std::unique_ptr<wxConfigBase> OpenUserSettings();

// Writes the settings at once, creating their folder. Settings that cannot be written are not reported.
void SaveUserSettings(wxConfigBase& config);

// The remembered folder; empty when none is remembered, when it no longer exists, or when no settings are open
// (wxConfigBase::Get(false) is null).
wxString RememberedFolder();
// Remembers the folder holding this file and writes the settings at once, so a program ended during a conversion
// keeps it too. Settings that cannot be written are not reported: the choosers then start elsewhere next time.
void RememberFolderOf(const wxString& file);
