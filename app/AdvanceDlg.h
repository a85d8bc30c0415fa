#pragma once
// The advanced options dialog: the page switches and the copyright text of the program's ConvertOptions. Only OK
// changes them; every opening shows their current values.

#include "OptionsForm.h"

#include "engine/ConvertOptions.h"

#include <wx/dialog.h>

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
};
