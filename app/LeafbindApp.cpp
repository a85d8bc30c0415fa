#include "LeafbindApp.h"

#include "LeafbindDlg.h"
#include "UiTexts.h"
#include "WorkerLink.h"
#include "automation/ComRuntime.h"
#include "docserver/DocumentServer.h"

#include <cstdio>
#include <cstdlib>

wxIMPLEMENT_APP(CLeafbindApp);

bool CLeafbindApp::OnInit() {
    if (!wxApp::OnInit())
        return false;
    SetAppName(wxString::FromUTF8(ui::kAppTitle));
    // The key name the program was given; nothing is ever stored under it.
    SetVendorName(wxString::FromUTF8("应用程序向导生成的本地应用程序"));
    CoInitialize(nullptr);
    RegisterDocumentServer();
    return true;
}

int CLeafbindApp::OnRun() {
    std::shared_ptr<WorkerLink> link;
    {
        CLeafbindDlg dialog(nullptr, ProgramFolder());
        SetTopWindow(&dialog);
        dialog.ShowModal();
        SetTopWindow(nullptr);
        link = dialog.Link();
    }
    // The user chose to quit during a conversion. The worker no longer reaches any window, but it may still be in
    // the middle of Word calls: end the process now rather than run static destructors under its feet.
    if (link->WorkerRunning()) {
        std::fflush(nullptr);
        std::quick_exit(0);
    }
    return 0;
}
