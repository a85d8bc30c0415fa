#pragma once
// The advanced options dialog: the page switches, the copyright text and the help file's language of the program's
// ConvertOptions. Only OK changes them; every opening shows their current values.

#include "OptionsForm.h"

#include "engine/ConvertOptions.h"

#include <wx/dialog.h>

class wxChoice;
class wxKeyEvent;
class wxTextCtrl;

class CAdvanceDlg : public wxDialog {
public:
    CAdvanceDlg(wxWindow* parent, ConvertOptions& options);

private:
    void OnOk(wxCommandEvent& event);
    void OnCopyrightKeyDown(wxKeyEvent& event);

    ConvertOptions& options;
    OptionsForm form;
    wxString copyrightText; // the edit box's text, exchanged by its validator
    wxTextCtrl* copyrightEdit = nullptr;
    wxChoice* languageChoice = nullptr; // "from the document", then every language a help file may be in
};
