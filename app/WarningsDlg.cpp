#include "WarningsDlg.h"

#include "ControlIds.h"
#include "UiTexts.h"

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/display.h>
#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

wxString Text(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

wxString ChooseSaveFileWithDialog(wxWindow* parent) {
    wxFileDialog dialog(parent, Text(ui::kSaveWarningsTitle), wxString(), "leafbind-warnings.txt",
                        Text(ui::kTextFilter), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

} // namespace

CWarningsDlg::CWarningsDlg(wxWindow* parent, const std::vector<std::string>& warnings)
    : wxDialog(parent, wxID_ANY, Text(ui::kAppTitle), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER),
      chooseSaveFile(ChooseSaveFileWithDialog) {
    wxString lines;
    for (const std::string& warning : warnings)
        lines += wxString::FromUTF8(warning) + "\n";
    summary_ = wxString::FromUTF8(std::string(ui::kWarningsBefore) + std::to_string(warnings.size()) +
                                  std::string(ui::kWarningsAfter));

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, summary_), 0, wxALL, 10);
    // Read-only but selectable, without wrapping: a long warning scrolls sideways instead of widening the window.
    list_ = new wxTextCtrl(this, kIdWarningsList, lines, wxDefaultPosition, wxDefaultSize,
                           wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
    column->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, kIdCopyWarnings, Text(ui::kCopyWarnings)), 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, kIdSaveWarnings, Text(ui::kSaveWarnings)), 0, wxRIGHT, 6);
    buttons->AddStretchSpacer();
    auto* ok = new wxButton(this, kIdOk, Text(ui::kOk));
    ok->SetDefault();
    buttons->Add(ok);
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizer(column);

    // Room for about a dozen lines of 90 characters, but never more than most of the screen.
    const wxRect screen = wxDisplay(parent ? parent : static_cast<wxWindow*>(this)).GetClientArea();
    const wxSize wanted(list_->GetCharWidth() * 90, list_->GetCharHeight() * 12 + 120);
    const wxSize largest(screen.width * 4 / 5, screen.height * 4 / 5);
    SetMinSize(wxSize(std::min(360, largest.x), std::min(220, largest.y)));
    SetMaxSize(largest);
    SetSize(wxSize(std::min(wanted.x, largest.x), std::min(wanted.y, largest.y)));
    CentreOnParent();

    Bind(wxEVT_BUTTON, &CWarningsDlg::OnCopy, this, kIdCopyWarnings);
    Bind(wxEVT_BUTTON, &CWarningsDlg::OnSave, this, kIdSaveWarnings);
    ok->SetFocus();
}

wxString CWarningsDlg::Summary() const {
    return summary_;
}

wxString CWarningsDlg::ListText() const {
    return list_->GetValue();
}

void CWarningsDlg::OnCopy(wxCommandEvent&) {
    wxClipboardLocker locker;
    if (!locker)
        return;
    wxTheClipboard->SetData(new wxTextDataObject(ListText()));
}

void CWarningsDlg::OnSave(wxCommandEvent&) {
    const wxString path = chooseSaveFile(this);
    if (path.empty())
        return;
    // Written as UTF-8 text; a file that cannot be written is said so, and the list stays open.
    wxFFile file;
    const std::string bytes = ListText().utf8_string(); // a copy: the list's buffer is not ours to keep
    if (!file.Open(path, "wb") || !file.Write(bytes.data(), bytes.size()) || !file.Close())
        wxMessageBox(Text(ui::kCannotSaveWarnings) + path, Text(ui::kAppTitle), wxOK | wxICON_ERROR, this);
}
