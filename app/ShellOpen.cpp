#include "ShellOpen.h"

#include <wx/arrstr.h>
#include <wx/utils.h>

namespace {

ShellOpenHandler& CurrentHandler() {
    static ShellOpenHandler handler;
    return handler;
}

HelpViewerQuery& CurrentQuery() {
    static HelpViewerQuery query;
    return query;
}

bool IsAddress(const wxString& target) {
    return target.StartsWith("http://") || target.StartsWith("https://");
}

} // namespace

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
    std::swap(CurrentHandler(), handler);
    return handler;
}

void ShellOpen(const wxString& target) {
    if (CurrentHandler()) {
        CurrentHandler()(target);
        return;
    }
    if (IsAddress(target))
        wxLaunchDefaultBrowser(target);
    else
        wxLaunchDefaultApplication(target);
}

HelpViewerQuery SetHelpViewerQuery(HelpViewerQuery query) {
    std::swap(CurrentQuery(), query);
    return query;
}

bool DesktopOpensHelpFiles() {
    if (CurrentQuery())
        return CurrentQuery()();
    if (CurrentHandler())
        return true;
    wxArrayString output;
    wxArrayString errors;
    // xdg-mime answers with the desktop entry of the default program, or nothing when there is none.
    const long status =
        wxExecute("xdg-mime query default application/vnd.ms-htmlhelp", output, errors, wxEXEC_SYNC | wxEXEC_NODISABLE);
    if (status != 0)
        return status == -1 || status == 127 ? true : !output.empty();
    return !output.empty() && !output[0].Trim().empty();
}
