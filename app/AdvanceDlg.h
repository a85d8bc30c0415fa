#pragma once
// The advanced options dialog: five page switches and the copyright text of the process-wide ConvertOptions.
// Only OK changes them; every opening shows their current values.

#include "OptionsForm.h"

#include <wx/dialog.h>

class wxKeyEvent;
class wxTextCtrl;

class CAdvanceDlg : public wxDialog {
public:
    explicit CAdvanceDlg(wxWindow* parent);

private:
    void OnOk(wxCommandEvent& event);
    void OnCopyrightKeyDown(wxKeyEvent& event);

    OptionsForm form;
    wxString copyrightText; // the edit box's text, exchanged by its validator
    wxTextCtrl* copyrightEdit = nullptr;
};
