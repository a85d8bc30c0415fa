#pragma once
// The advanced options dialog: the page switches, the copyright text and the help file's language of the program's
// ConvertOptions, and whether the program also writes web help and where. Only OK changes them; every opening shows
// their current values.

#include "OptionsForm.h"
#include "WebHelpChoice.h"

#include "engine/ConvertOptions.h"

#include <wx/dialog.h>

#include <functional>

class wxChoice;
class wxKeyEvent;
class wxTextCtrl;

class CAdvanceDlg : public wxDialog {
public:
    CAdvanceDlg(wxWindow* parent, ConvertOptions& options, WebHelpChoice& webHelp);

    // The web folder's chooser, opening in startFolder; an empty result means the user cancelled. Tests replace it.
    std::function<wxString(wxWindow* parent, const wxString& startFolder)> chooseWebFolder = ChooseFolderWithDialog;

private:
    static wxString ChooseFolderWithDialog(wxWindow* parent, const wxString& startFolder);
    void OnOk(wxCommandEvent& event);
    void OnBrowseWebFolder(wxCommandEvent& event);
    void OnCopyrightKeyDown(wxKeyEvent& event);

    ConvertOptions& options;
    WebHelpChoice& webHelp;
    OptionsForm form;
    wxString copyrightText; // the edit box's text, exchanged by its validator
    wxTextCtrl* copyrightEdit = nullptr;
    wxChoice* languageChoice = nullptr; // "from the document", then every language a help file may be in
    bool webHelpWanted;                 // the web help check box and folder box, exchanged by their validators
    wxString webFolder;
    wxTextCtrl* webFolderEdit = nullptr;
};
