#include "LeafbindDlg.h"

#include "AboutDlg.h"
#include "AdvanceDlg.h"
#include "AppIcon.h"
#include "ControlIds.h"
#include "DialogUnits.h"
#include "FileDrop.h"
#include "LastFolder.h"
#include "NarrowText.h"
#include "PathChoices.h"
#include "ShellOpen.h"
#include "UiTexts.h"
#include "WarningsDlg.h"
#include "WorkerLink.h"
#include "base/MessageCatalogue.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/thread.h>
#include <wx/valtext.h>

#include <cinttypes>
#include <cstdio>
#include <thread>

namespace {

wxString Text(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

wxString ChooseSourceWithDialog(wxWindow* parent, const wxString& startFolder) {
    wxFileDialog dialog(parent, Text(ui::kChooseSourceTitle), startFolder, wxString(), Text(ui::kSourceFilter),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

wxString ChooseOutputWithDialog(wxWindow* parent, const wxString& startFolder) {
    // No overwrite prompt: the generate button deletes the old help file anyway.
    wxFileDialog dialog(parent, Text(ui::kChooseOutputTitle), startFolder, wxString(), Text(ui::kOutputFilter),
                        wxFD_SAVE);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

// What the user is told when a run ends without a help file; empty when it made one.
std::string FailureMessage(const ConversionResult& result, const std::string& outputPath) {
    switch (result.status) {
    case RunStatus::Done:
        return {};
    case RunStatus::WordNotStarted:
        return std::string(ui::kWordStartFailed);
    case RunStatus::NoHeadings:
        return std::string(ui::kNoOutlineStyles);
    case RunStatus::NothingCompiled: {
        std::string message = std::string(ui::kHelpFileNotProduced) + outputPath;
        for (const std::string& line : result.compilerMessages)
            message += "\n" + ForUser(line);
        return message;
    }
    case RunStatus::Stopped:
        return {}; // the user's own doing: the window already shows it is idle again
    case RunStatus::BadRequest:
    case RunStatus::UnreadableDocument:
    case RunStatus::ConversionFailed:
        break;
    }
    if (!result.automationFault)
        return ForUser(result.message);
    char status[32];
    std::snprintf(status, sizeof status, " (0x%08" PRIX32 "): ", result.automationStatus);
    return std::string(ui::kAutomationFailed) + status + ForUser(result.message);
}

} // namespace

std::vector<std::string> ConversionNotes(const ConversionResult& result) {
    std::vector<std::string> notes;
    for (const std::string& warning : result.warnings)
        notes.push_back(ForUser(warning));
    if (result.status == RunStatus::Done)
        for (const std::string& message : result.compilerMessages)
            notes.push_back(ForUser(message));
    return notes;
}

wxString ProgramFolder() {
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
}

CLeafbindDlg::CLeafbindDlg(wxWindow* parent, const wxString& programFolder)
    : wxDialog(parent, wxID_ANY, Text(ui::kMainCaption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      chooseSourceFile(ChooseSourceWithDialog), chooseOutputFile(ChooseOutputWithDialog), programFolder(programFolder),
      progressTimer(this, kProgressTimerId), link(std::make_shared<WorkerLink>(this)) {
    SetIcon(AppIcon());
    SetFont(wxFontInfo(9));
    SetClientSize(ConvertDialogToPixels(wxSize(363, 144)));
    CreateControls();

    // Messages of the layers below: shown at once on this thread, handed over by a worker.
    previousMessageBoxHandler = SetMessageBoxHandler([this, link = link](const std::string& narrow) {
        const wxString text = wxString::FromUTF8(ForUser(FromNarrow(narrow).utf8_string()));
        if (wxThread::IsMain())
            ShowAppMessage(text);
        else
            link->ShowMessageAndWait(text.utf8_string());
    });

    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnGenerate, this, kIdGenerate);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnOk, this, kIdOk);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnView, this, kIdView);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnBrowseSource, this, kIdBrowseSource);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnBrowseOutput, this, kIdBrowseOutput);
    Bind(wxEVT_TIMER, &CLeafbindDlg::OnProgressTimer, this, kProgressTimerId);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnAbout, this, kIdAbout);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnHelp, this, kIdHelp);
    Bind(wxEVT_CLOSE_WINDOW, &CLeafbindDlg::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &CLeafbindDlg::OnCharHook, this);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnAdvanced, this, kIdAdvanced);
    Bind(wxEVT_BUTTON, &CLeafbindDlg::OnStop, this, kIdStop);

    // A file manager's drop lands on the window or on one of its boxes; each takes it as the source. GTK entries
    // would otherwise refuse it (read-only) or paste its address (the title).
    for (wxWindow* target :
         {static_cast<wxWindow*>(this), FindWindow(kIdSourcePath), FindWindow(kIdOutputPath), FindWindow(kIdHelpTitle)})
        target->SetDropTarget(new FileDrop([this](const wxArrayString& files) { return OnDropFiles(files); }));
    // The first control in tab order has the focus when the dialog opens, set before it shows, so that neither GTK's
    // choice by position nor the default button takes it.
    FindWindow(kIdSourcePath)->SetFocus();
}

CLeafbindDlg::~CLeafbindDlg() {
    progressTimer.Stop();
    // From here on a worker's hand-overs are dropped and a worker waiting for a message box goes on.
    link->DialogGone();
    SetMessageBoxHandler(previousMessageBoxHandler);
}

void CLeafbindDlg::CreateControls() {
    // Each label stands left of its edit box, which starts at the same place in all three rows.
    const int editLeft = DialogPosition(this, {58, 0, 0, 0}).x;
    auto label = [this, editLeft](const char* caption, DialogRect rect) {
        WidenToFit(new wxStaticText(this, wxID_ANY, Text(caption), DialogPosition(this, rect), DialogSize(this, rect)),
                   editLeft);
    };
    auto edit = [this](ControlId id, DialogRect rect, long style, wxString* value) {
        new wxTextCtrl(this, id, wxString(), DialogPosition(this, rect), DialogSize(this, rect), style,
                       wxTextValidator(wxFILTER_NONE, value));
    };
    auto button = [this](ControlId id, const char* caption, DialogRect rect) {
        return new wxButton(this, id, Text(caption), DialogPosition(this, rect), DialogSize(this, rect));
    };

    // In tab order.
    label(ui::kSourceLabel, {7, 22, 51, 11});
    edit(kIdSourcePath, {58, 21, 243, 15}, wxTE_READONLY, &sourcePath);
    button(kIdBrowseSource, ui::kBrowse, {302, 21, 50, 14});
    label(ui::kOutputLabel, {10, 44, 44, 11});
    edit(kIdOutputPath, {58, 42, 243, 15}, wxTE_READONLY, &outputPath);
    button(kIdBrowseOutput, ui::kBrowse, {302, 42, 50, 14});
    label(ui::kTitleLabel, {11, 65, 44, 11});
    edit(kIdHelpTitle, {59, 63, 243, 15}, 0, &helpTitle);
    const DialogRect progressRect{58, 89, 91, 18};
    progressText = new wxStaticText(this, kIdProgressText, wxString(), DialogPosition(this, progressRect),
                                    DialogSize(this, progressRect), wxST_NO_AUTORESIZE);
    generateButton = button(kIdGenerate, ui::kGenerate, {159, 89, 71, 14});
    viewButton = button(kIdView, ui::kView, {231, 89, 71, 14});
    // Our own: shown only while a conversion runs, under the generate button.
    stopButton = button(kIdStop, ui::kStop, {159, 105, 71, 14});
    stopButton->Hide();
    button(kIdAdvanced, ui::kAdvanced, {150, 121, 50, 14});
    button(kIdHelp, ui::kHelp, {201, 121, 50, 14});
    button(kIdAbout, ui::kAbout, {252, 121, 50, 14});
    button(kIdOk, ui::kOk, {302, 121, 50, 14})->SetDefault();
}

bool CLeafbindDlg::IsIdle() const {
    return link->idle != 0;
}

void CLeafbindDlg::ShowAppMessage(const wxString& text) {
    wxMessageBox(text, Text(ui::kAppTitle), wxOK, this);
}

bool CLeafbindDlg::ConfirmQuitDuringConversion() {
    // Kept while it is open, so a run that ends meanwhile can take the question back: it no longer applies.
    wxMessageDialog question(this, Text(ui::kQuitDuringConversion), Text(ui::kWarningCaption), wxYES_NO);
    quitQuestion = &question;
    const int answer = question.ShowModal();
    quitQuestion = nullptr;
    return answer == wxID_YES && !IsIdle();
}

void CLeafbindDlg::OnGenerate(wxCommandEvent&) {
    // The stored value, not the control's: the source box is read-only, so it is what the last browse chose.
    if (sourcePath.empty()) {
        ShowAppMessage(Text(ui::kChooseWordFile));
        return;
    }
    if (webHelp.wanted && webHelp.folder.empty()) {
        ShowAppMessage(Text(ui::kChooseWebFolder));
        return;
    }
    TransferDataFromWindow();
    generateButton->Disable();
    viewButton->Disable();
    stopAsked->store(false);
    stopButton->Enable();
    stopButton->Show();
    progress.SetPhase(std::string(ui::kPhaseReading));
    progressTimer.Start(kProgressTimerMilliseconds);

    // Everything the run uses is taken now, the page options too, so the user may change them while it runs.
    ConversionRequest request;
    request.sourcePath = sourcePath.utf8_string();
    request.outputPath = outputPath.utf8_string();
    request.title = helpTitle.utf8_string();
    request.options = pageOptions.Snapshot();
    // The same rule as the command line's: a new or empty folder; the run refuses any other and says why.
    if (webHelp.wanted)
        request.webFolder = webHelp.folder.utf8_string();
    // What the run is doing reaches the progress text through the user-interface thread.
    request.pageObserver = [this, link = link](int32_t page, int32_t count, const std::string&) {
        link->PostToDialog([this, page, count] { progress.SetPhase(ProgressText::PagePhase(page, count)); });
        if (page + 1 == count)
            link->PostToDialog([this] { progress.SetPhase(std::string(ui::kPhaseCompiling)); });
    };
    request.stopRequested = [stopAsked = stopAsked] { return stopAsked->load(); };
    const wxString resultPath = outputPath;
    // Busy from the press on, so closing at once already asks.
    link->idle = 0;
    link->WorkerStarted();
    std::thread([this, link = link, request, resultPath] {
        link->idle = 0;
        const ConversionResult result = RunConversion(request);
        // The whole end of the conversion is one step on the user-interface thread; `this` is only used there,
        // and the step is dropped if the dialog is gone.
        link->PostToDialog([this, result, resultPath] { FinishConversion(result, resultPath); });
        link->WorkerFinished();
    }).detach();
}

void CLeafbindDlg::FinishConversion(const ConversionResult& result, const wxString& resultPath) {
    // The window is idle again before anything is said: no progress moving behind the messages, the buttons back,
    // and the focus where the next press goes (it was on the generate button, which was disabled).
    progressTimer.Stop();
    progress.SetPhase({});
    progressText->SetLabel(wxString());
    stopButton->Hide();
    generateButton->Enable();
    viewButton->Enable();
    generateButton->SetFocus();
    link->idle = 1;
    // A quit question still open asked about a conversion that is over.
    if (quitQuestion)
        quitQuestion->EndModal(wxID_NO);
    if (const std::string failure = FailureMessage(result, resultPath.utf8_string()); !failure.empty())
        ShowAppMessage(wxString::FromUTF8(failure));
    ShowConversionNotes(ConversionNotes(result));
    if (result.status == RunStatus::Done)
        OpenResult(resultPath, wxString::FromUTF8(result.webFolder));
}

void CLeafbindDlg::OpenHelpFile(const wxString& path) {
    OpenResult(path, wxString());
}

void CLeafbindDlg::OpenResult(const wxString& helpFile, const wxString& webFolder) {
    if (DesktopOpensHelpFiles()) {
        ShellOpen(helpFile);
        return;
    }
    // A browser shows the web help where it cannot show the help file.
    const wxString webIndex = webFolder.empty() ? wxString() : wxFileName(webFolder, "index.html").GetFullPath();
    if (!webIndex.empty() && wxFileName::FileExists(webIndex)) {
        if (wxMessageBox(Text(ui::kNoHelpViewerWebHelp) + webIndex, Text(ui::kAppTitle), wxYES_NO | wxICON_INFORMATION,
                         this) == wxYES)
            ShellOpen(webIndex);
        return;
    }
    if (wxMessageBox(Text(ui::kNoHelpViewer) + helpFile, Text(ui::kAppTitle), wxYES_NO | wxICON_INFORMATION, this) ==
        wxYES)
        ShellOpen(wxFileName(helpFile).GetPath());
}

void CLeafbindDlg::ShowConversionNotes(const std::vector<std::string>& notes) {
    if (notes.empty())
        return;
    CWarningsDlg box(this, notes);
    box.ShowModal();
}

void CLeafbindDlg::OnStop(wxCommandEvent&) {
    // The run stops after the page it is making; until then the button shows the request was taken.
    stopAsked->store(true);
    stopButton->Disable();
}

void CLeafbindDlg::OnProgressTimer(wxTimerEvent&) {
    progressText->SetLabel(wxString::FromUTF8(progress.NextTick()));
}

void CLeafbindDlg::OnOk(wxCommandEvent&) {
    if (!IsIdle() && !ConfirmQuitDuringConversion())
        return;
    TransferDataFromWindow();
    SetReturnCode(wxID_OK);
    EndDialog(wxID_OK);
}

void CLeafbindDlg::OnClose(wxCloseEvent& event) {
    if (event.CanVeto() && !IsIdle() && !ConfirmQuitDuringConversion()) {
        event.Veto();
        return;
    }
    SetReturnCode(wxID_CANCEL);
    EndDialog(wxID_CANCEL);
}

void CLeafbindDlg::OnCharHook(wxKeyEvent& event) {
    // Enter in one of the three boxes presses the default button, which closes the program (asking first while a
    // conversion runs); GTK entries leave Enter to themselves.
    const int key = event.GetKeyCode();
    const wxWindow* focus = FindFocus();
    const bool inEditBox =
        focus && (focus->GetId() == kIdSourcePath || focus->GetId() == kIdOutputPath || focus->GetId() == kIdHelpTitle);
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && inEditBox)
        EmulateButtonClickIfPresent(kIdOk);
    else
        event.Skip();
}

void CLeafbindDlg::OnView(wxCommandEvent&) {
    if (outputPath.empty())
        ShowAppMessage(Text(ui::kChooseWordFileToConvert));
    else if (!wxFileName::FileExists(outputPath))
        ShowAppMessage(Text(ui::kFileMissing) + outputPath);
    else
        OpenHelpFile(outputPath);
}

void CLeafbindDlg::OnBrowseSource(wxCommandEvent&) {
    const wxString chosen = chooseSourceFile(this, ChooserStartFolder());
    if (!chosen.empty())
        TakeSource(chosen);
}

void CLeafbindDlg::OnBrowseOutput(wxCommandEvent&) {
    const wxString chosen = chooseOutputFile(this, ChooserStartFolder());
    if (chosen.empty())
        return;
    outputPath = wxString::FromUTF8(WithChmExtension(chosen.utf8_string()));
    RememberFolderOf(outputPath);
    ShowValues();
}

bool CLeafbindDlg::OpenSource(const wxString& path) {
    if (!wxFileName::FileExists(path)) {
        ShowAppMessage(Text(ui::kFileMissing) + path);
        return false;
    }
    if (!IsWordFileName(path.utf8_string())) {
        ShowAppMessage(Text(ui::kNotAWordFile) + path);
        return false;
    }
    TakeSource(path);
    return true;
}

bool CLeafbindDlg::OnDropFiles(const wxArrayString& files) {
    // Several files at once: the first Word file among them, as only one document is converted.
    for (const wxString& file : files)
        if (IsWordFileName(file.utf8_string()))
            return OpenSource(file);
    if (!files.empty())
        ShowAppMessage(Text(ui::kNotAWordFile) + files[0]);
    return false;
}

void CLeafbindDlg::TakeSource(const wxString& path) {
    sourcePath = path;
    outputPath = wxString::FromUTF8(OutputPathForSource(path.utf8_string()));
    helpTitle = wxString::FromUTF8(TitleForSource(path.utf8_string()));
    RememberFolderOf(path);
    ShowValues();
}

void CLeafbindDlg::ShowValues() {
    TransferDataToWindow();
    // The boxes are narrower than most paths: the whole path shows when the pointer rests on one.
    for (const auto& [id, path] : {std::pair{kIdSourcePath, &sourcePath}, std::pair{kIdOutputPath, &outputPath}}) {
        if (path->empty())
            FindWindow(id)->UnsetToolTip();
        else
            FindWindow(id)->SetToolTip(*path);
    }
}

wxString CLeafbindDlg::ChooserStartFolder() const {
    return wxString::FromUTF8(
        ::ChooserStartFolder(sourcePath.utf8_string(), RememberedFolder().utf8_string(), wxGetHomeDir().utf8_string()));
}

void CLeafbindDlg::OnAbout(wxCommandEvent&) {
    CAboutDlg about(this);
    about.ShowModal();
}

void CLeafbindDlg::OnHelp(wxCommandEvent&) {
    // No quotes around the path: the desktop's open takes a file name, not a command line.
    const std::vector<std::string> candidates = HelpFileCandidates(programFolder.utf8_string(), ui::kHelpFileName);
    for (const std::string& candidate : candidates) {
        const wxString path = wxString::FromUTF8(candidate);
        if (wxFileName::FileExists(path)) {
            ShellOpen(wxFileName(path).GetAbsolutePath());
            return;
        }
    }
    ShowAppMessage(Text(ui::kHelpFileMissing) + wxString::FromUTF8(candidates.front()));
}

void CLeafbindDlg::OnAdvanced(wxCommandEvent&) {
    CAdvanceDlg advanced(this, pageOptions, webHelp);
    advanced.ShowModal();
}
