#pragma once
// The main dialog: source Word file, output help file and title; the buttons that convert, view the result, open
// the advanced options, the help file and the about box. The conversion runs on a worker thread that reaches the
// dialog only through its WorkerLink.

#include "ProgressText.h"
#include "WebHelpChoice.h"
#include "engine/ConversionRun.h"
#include "engine/ConvertOptions.h"
#include "word/MessageBox.h"

#include <wx/dialog.h>
#include <wx/timer.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class WorkerLink;
class wxButton;
class wxStaticText;

class CLeafbindDlg : public wxDialog {
public:
    // programFolder: where the program lives; the working folder and the help file are found from it.
    explicit CLeafbindDlg(wxWindow* parent, const wxString& programFolder);
    ~CLeafbindDlg() override;

    // The file choosers of the two browse buttons, opening in startFolder; an empty result means the user
    // cancelled. Tests replace them.
    using FileChooser = std::function<wxString(wxWindow* parent, const wxString& startFolder)>;
    FileChooser chooseSourceFile;
    FileChooser chooseOutputFile;

    // Takes a file named outside the chooser (on the command line, or dropped) as the source, as browsing would.
    // A file that does not exist or is not a Word file is reported and changes nothing.
    bool OpenSource(const wxString& path);

    bool IsIdle() const;
    wxTimer& ProgressTimer() { return progressTimer; }
    std::shared_ptr<WorkerLink> Link() const { return link; }

private:
    void CreateControls();
    bool ConfirmQuitDuringConversion();
    void FinishConversion(const ConversionResult& result, const wxString& resultPath);
    // Opens the help file with the desktop's viewer; with none, offers the run's web help (webFolder, may be empty)
    // or else the help file's folder.
    void OpenResult(const wxString& helpFile, const wxString& webFolder);
    // After a run with warnings: how many, with the list behind a details button.
    void ShowConversionNotes(const std::vector<std::string>& notes);
    void OpenHelpFile(const wxString& path);
    void ShowAppMessage(const wxString& text);
    void TakeSource(const wxString& path);
    void ShowValues();
    wxString ChooserStartFolder() const;
    bool OnDropFiles(const wxArrayString& files);

    void OnGenerate(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnView(wxCommandEvent& event);
    void OnBrowseSource(wxCommandEvent& event);
    void OnBrowseOutput(wxCommandEvent& event);
    void OnProgressTimer(wxTimerEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnAdvanced(wxCommandEvent& event);
    void OnStop(wxCommandEvent& event);

    const wxString programFolder;
    wxString sourcePath;
    wxString outputPath;
    wxString helpTitle;
    wxButton* generateButton = nullptr;
    wxButton* viewButton = nullptr;
    wxButton* stopButton = nullptr;
    // Set by the stop button, read by the run between pages; shared, as a worker may outlive the dialog.
    std::shared_ptr<std::atomic<bool>> stopAsked = std::make_shared<std::atomic<bool>>(false);
    wxDialog* quitQuestion = nullptr; // the quit question while it is open
    wxStaticText* progressText = nullptr;
    wxTimer progressTimer;
    ProgressText progress;
    std::shared_ptr<WorkerLink> link;
    MessageBoxHandler previousMessageBoxHandler;
    // The advanced dialog's page options, kept while the program runs; each conversion takes a copy at its start.
    ConvertOptions pageOptions;
    // Whether runs also write web help, and where; remembered between runs of the program.
    WebHelpChoice webHelp = RememberedWebHelp();
};

// What a run has to tell besides its outcome (UTF-8): the converter's warnings, and the compiler's warnings when it
// made a help file (when it made none, they are part of the failure's message).
std::vector<std::string> ConversionNotes(const ConversionResult& result);

// The folder of the running executable.
wxString ProgramFolder();
