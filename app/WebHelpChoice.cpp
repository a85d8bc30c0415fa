#include "WebHelpChoice.h"

#include "LastFolder.h"

#include <wx/config.h>

namespace {

constexpr const char* kWantedKey = "/WebHelp/Wanted";
constexpr const char* kFolderKey = "/WebHelp/Folder";

} // namespace

WebHelpChoice RememberedWebHelp() {
    WebHelpChoice choice;
    if (wxConfigBase* config = wxConfigBase::Get(false)) {
        choice.wanted = config->ReadBool(kWantedKey, false);
        choice.folder = config->Read(kFolderKey, wxString());
    }
    return choice;
}

void RememberWebHelp(const WebHelpChoice& choice) {
    wxConfigBase* config = wxConfigBase::Get(false);
    if (!config)
        return;
    config->Write(kWantedKey, choice.wanted);
    config->Write(kFolderKey, choice.folder);
    SaveUserSettings(*config);
}
