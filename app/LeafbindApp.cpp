#include "LeafbindApp.h"

#include "InstanceMarker.h"
#include "LastFolder.h"
#include "LeafbindDlg.h"
#include "StartupFile.h"
#include "UiTexts.h"
#include "UserLanguage.h"
#include "WorkerLink.h"
#include "automation/ComRuntime.h"
#include "docserver/DocumentServer.h"
#include "engine/WorkFolder.h"

#include <cstdio>
#include <cstdlib>

#include <wx/config.h>

wxIMPLEMENT_APP(CLeafbindApp);

bool CLeafbindApp::OnInit() {
    UseUserLanguage();
    if (!wxApp::OnInit())
        return false;
    SetAppName(wxString::FromUTF8(ui::kAppTitle));
    // The key name the program was given; the settings live in the user's settings file instead.
    SetVendorName(wxString::FromUTF8("应用程序向导生成的本地应用程序"));
    delete wxConfigBase::Set(OpenUserSettings().release());
    CoInitialize(nullptr);
    RemoveWorkFoldersOnSignals();
    RegisterDocumentServer();
    return true;
}

int CLeafbindApp::OnRun() {
    std::shared_ptr<WorkerLink> link;
    {
        // A second instance opens its window beside the first's, not exactly on top of it.
        const InstanceMarker marker(InstanceMarkerFolder());
        CLeafbindDlg dialog(nullptr, ProgramFolder());
        dialog.Centre();
        if (const int others = marker.OthersRunning(); others > 0)
            dialog.Move(OffsetForOthers(dialog.GetPosition(), others, dialog.ConvertDialogToPixels(wxSize(16, 0)).x));
        SetTopWindow(&dialog);
        if (!startSource.empty())
            dialog.OpenSource(startSource);
        dialog.ShowModal();
        SetTopWindow(nullptr);
        link = dialog.Link();
    }
    // The user chose to quit during a conversion. The worker no longer reaches any window, but it may still be in
    // the middle of Word calls: end the process now rather than run static destructors under its feet, and take
    // the run's folders with it.
    if (link->WorkerRunning()) {
        RemoveWorkFoldersNow();
        std::fflush(nullptr);
        std::quick_exit(0);
    }
    return 0;
}

void CLeafbindApp::OnInitCmdLine(wxCmdLineParser& parser) {
    wxApp::OnInitCmdLine(parser);
    DescribeCommandLine(parser);
}

bool CLeafbindApp::OnCmdLineParsed(wxCmdLineParser& parser) {
    startSource = StartupFile(parser);
    return wxApp::OnCmdLineParsed(parser);
}
