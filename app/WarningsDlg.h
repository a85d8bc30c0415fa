#pragma once
// The warnings of a finished run: how many, and the list itself in a box that scrolls, to read, copy or save. The
// window can be resized and is never larger than the screen, however many or how long the warnings are.

#include <wx/dialog.h>

#include <functional>
#include <string>
#include <vector>

class wxTextCtrl;

class CWarningsDlg : public wxDialog {
public:
    // warnings: UTF-8, one per line of the list.
    CWarningsDlg(wxWindow* parent, const std::vector<std::string>& warnings);

    // The count, as the line above the list says it.
    wxString Summary() const;
    // The list as the box holds it, one warning a line; what Copy and Save take.
    wxString ListText() const;
    // Where Save writes; an empty result means the user cancelled. A file chooser unless a test replaces it.
    std::function<wxString(wxWindow* parent)> chooseSaveFile;

private:
    void OnCopy(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);

    wxString summary_;
    wxTextCtrl* list_ = nullptr;
};
