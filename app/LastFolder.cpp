#include "LastFolder.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kLastFolderKey = "/Folders/Last";

} // namespace

fs::path UserSettingsFile() {
    fs::path folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && fs::path(config).is_absolute()) {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = fs::path(home ? home : "/tmp") / ".config";
    }
    return folder / "leafbind" / "leafbind.conf";
}

std::unique_ptr<wxConfigBase> OpenUserSettings() {
    const wxLogNull quiet; // an unreadable file gives empty settings, not a log window
    return std::make_unique<wxFileConfig>(wxString(), wxString(), wxString::FromUTF8(UserSettingsFile().string()),
                                          wxString(), wxCONFIG_USE_LOCAL_FILE);
}

wxString RememberedFolder() {
    wxConfigBase* config = wxConfigBase::Get(false);
    if (!config)
        return {};
    const wxString folder = config->Read(kLastFolderKey, wxString());
    return !folder.empty() && wxFileName::DirExists(folder) ? folder : wxString();
}

void RememberFolderOf(const wxString& file) {
    wxConfigBase* config = wxConfigBase::Get(false);
    const wxString folder = wxFileName(file).GetPath();
    if (!config || folder.empty())
        return;
    config->Write(kLastFolderKey, folder);
    SaveUserSettings(*config);
}

void SaveUserSettings(wxConfigBase& config) {
    // The file config writes into an existing folder only.
    std::error_code ignored;
    fs::create_directories(UserSettingsFile().parent_path(), ignored);
    const wxLogNull quiet;
    config.Flush();
}
