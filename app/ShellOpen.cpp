#include "ShellOpen.h"

#include <wx/utils.h>

namespace {

ShellOpenHandler& CurrentHandler() {
    static ShellOpenHandler handler;
    return handler;
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
