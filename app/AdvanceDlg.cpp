#include "AdvanceDlg.h"

#include "ControlIds.h"
#include "DialogUnits.h"
#include "UiTexts.h"

#include "base/HelpLanguage.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dirdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valgen.h>
#include <wx/valtext.h>

#include <algorithm>
#include <optional>

namespace {

// The dialog template's places of the original five check boxes; a switch added later goes into a row of its own
// below them, at the first one's left edge and size.
DialogRect SwitchRect(int controlId, int addedBefore) {
    switch (controlId) {
    case kIdShowHeader:
        return {19, 23, 48, 10};
    case kIdShowFooter:
        return {73, 23, 48, 10};
    case kIdPngImages:
        return {249, 23, 69, 10};
    case kIdRelatedTopics:
        return {186, 23, 56, 10};
    case kIdShowNumbering:
        return {129, 23, 48, 10};
    default:
        return {19, 37 + 14 * addedBefore, 48, 10};
    }
}

// The lowest edge of these controls, in pixels.
int BottomOf(const wxWindowList& controls) {
    int bottom = 0;
    for (const wxWindow* control : controls)
        bottom = std::max(bottom, control->GetRect().GetBottom() + 1);
    return bottom;
}

} // namespace

wxString CAdvanceDlg::ChooseFolderWithDialog(wxWindow* parent, const wxString& startFolder) {
    wxDirDialog dialog(parent, wxString::FromUTF8(ui::kChooseWebFolderTitle), startFolder, wxDD_DEFAULT_STYLE);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

CAdvanceDlg::CAdvanceDlg(wxWindow* parent, ConvertOptions& options, WebHelpChoice& webHelp)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(ui::kAdvanced), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      options(options), webHelp(webHelp), form(OptionsForm::From(options.Snapshot())),
      copyrightText(wxString::FromUTF8(form.copyrightText)), webHelpWanted(webHelp.wanted), webFolder(webHelp.folder) {
    SetFont(wxFontInfo(8));
    SetClientSize(ConvertDialogToPixels(wxSize(375, 124)));

    // Created in tab order: the copyright box first, so it has the focus when the dialog opens.
    const DialogRect editRect{15, 60, 341, 41};
    copyrightEdit =
        new wxTextCtrl(this, kIdCopyright, wxString(), DialogPosition(this, editRect), DialogSize(this, editRect),
                       wxTE_MULTILINE | wxHSCROLL, wxTextValidator(wxFILTER_NONE, &copyrightText));
    const DialogRect labelRect{17, 51, 36, 8};
    auto* copyrightLabel = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kCopyrightLabel),
                                            DialogPosition(this, labelRect), DialogSize(this, labelRect));
    WidenToFit(copyrightLabel);
    const DialogRect okRect{262, 103, 50, 14};
    auto* ok =
        new wxButton(this, kIdOk, wxString::FromUTF8(ui::kOk), DialogPosition(this, okRect), DialogSize(this, okRect));
    ok->SetDefault();
    const DialogRect cancelRect{318, 103, 50, 14};
    auto* cancel = new wxButton(this, kIdCancel, wxString::FromUTF8(ui::kCancel), DialogPosition(this, cancelRect),
                                DialogSize(this, cancelRect));

    // The rows above the copyright box, as they are made.
    wxWindowList rows;
    const bool chinese = UserReadsChinese();
    int added = 0;
    for (const PageSwitch& option : PageSwitches()) {
        const bool original = option.controlId <= kIdShowNumbering;
        const DialogRect rect = SwitchRect(option.controlId, original ? 0 : added++);
        auto* box = new wxCheckBox(
            this, option.controlId, wxString::FromUTF8(chinese ? option.caption : option.englishCaption),
            DialogPosition(this, rect), DialogSize(this, rect), 0, wxGenericValidator(&(form.switches.*option.field)));
        WidenToFit(box);
        rows.push_back(box);
    }

    // The language: from the document, or one the help file is made in whatever the document declares.
    const DialogRect languageLabelRect{129, 38, 36, 8};
    auto* languageLabel =
        new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kLanguageLabel),
                         DialogPosition(this, languageLabelRect), DialogSize(this, languageLabelRect));
    const DialogRect languageRect{168, 36, 120, 60};
    languageChoice = new wxChoice(this, kIdLanguage, DialogPosition(this, languageRect),
                                  wxSize(DialogSize(this, languageRect).GetWidth(), -1));
    languageChoice->Append(wxString::FromUTF8(ui::kLanguageFromDocument));
    languageChoice->SetSelection(0);
    const std::optional<HelpLanguage> chosen = FindHelpLanguage(form.switches.language);
    for (const HelpLanguage& language : HelpLanguages()) {
        languageChoice->Append(wxString::FromUTF8(language.tag + " " + language.name));
        if (chosen && chosen->lcid == language.lcid)
            languageChoice->SetSelection(static_cast<int>(languageChoice->GetCount()) - 1);
    }
    // The label beside the choice, whatever heights the toolkit gives them.
    WidenToFit(languageLabel, languageChoice->GetPosition().x);
    languageLabel->Move(languageLabel->GetPosition().x,
                        languageChoice->GetPosition().y +
                            (languageChoice->GetSize().y - languageLabel->GetSize().y) / 2);

    rows.push_back(languageLabel);
    rows.push_back(languageChoice);

    // Web help: a row of its own under the language, its folder box filling the row up to its browse button.
    const int webTop = BottomOf(rows) + ConvertDialogToPixels(wxSize(0, 3)).y;
    const DialogRect webRect{19, 0, 48, 10};
    auto* webCheck = new wxCheckBox(this, kIdWebHelp, wxString::FromUTF8(ui::kWebHelp),
                                    wxPoint(DialogPosition(this, webRect).x, webTop), DialogSize(this, webRect), 0,
                                    wxGenericValidator(&webHelpWanted));
    WidenToFit(webCheck);
    const DialogRect browseRect{306, 0, 50, 14};
    const int gap = ConvertDialogToPixels(wxSize(4, 0)).x;
    const int folderLeft = std::max(DialogPosition(this, {73, 0, 0, 0}).x, webCheck->GetRect().GetRight() + gap);
    const int browseLeft = DialogPosition(this, browseRect).x;
    webFolderEdit =
        new wxTextCtrl(this, kIdWebFolder, wxString(), wxPoint(folderLeft, webTop),
                       wxSize(browseLeft - gap - folderLeft, -1), 0, wxTextValidator(wxFILTER_NONE, &webFolder));
    auto* browse = new wxButton(this, kIdBrowseWebFolder, wxString::FromUTF8(ui::kBrowse), wxPoint(browseLeft, webTop),
                                wxSize(DialogSize(this, browseRect).x, -1));
    const int rowHeight = std::max({webCheck->GetSize().y, webFolderEdit->GetSize().y, browse->GetSize().y});
    for (wxWindow* control :
         {static_cast<wxWindow*>(webCheck), static_cast<wxWindow*>(webFolderEdit), static_cast<wxWindow*>(browse)})
        control->Move(control->GetPosition().x, webTop + (rowHeight - control->GetSize().y) / 2);

    const DialogRect hintRect{21, 104, 57, 8};
    auto* hint = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kNewLineHint), DialogPosition(this, hintRect),
                                  DialogSize(this, hintRect));
    WidenToFit(hint);

    // The rows above the copyright box grew past the template's room for them: the box, its label, its hint and the
    // buttons move down by as much, and the dialog grows with them.
    const int lowerTop = webTop + rowHeight + ConvertDialogToPixels(wxSize(0, 4)).y;
    const int shift = std::max(0, lowerTop - copyrightLabel->GetPosition().y);
    for (wxWindow* control : {static_cast<wxWindow*>(copyrightLabel), static_cast<wxWindow*>(copyrightEdit),
                              static_cast<wxWindow*>(ok), static_cast<wxWindow*>(cancel), static_cast<wxWindow*>(hint)})
        control->Move(control->GetPosition().x, control->GetPosition().y + shift);
    // The hint and the buttons share a row: the hint centred on the buttons' height.
    hint->Move(hint->GetPosition().x, ok->GetPosition().y + (ok->GetSize().y - hint->GetSize().y) / 2);
    SetClientSize(GetClientSize().x,
                  std::max(GetClientSize().y + shift, BottomOf(GetChildren()) + ConvertDialogToPixels(wxSize(0, 4)).y));

    Bind(wxEVT_BUTTON, &CAdvanceDlg::OnOk, this, kIdOk);
    Bind(wxEVT_BUTTON, &CAdvanceDlg::OnBrowseWebFolder, this, kIdBrowseWebFolder);
    copyrightEdit->Bind(wxEVT_KEY_DOWN, &CAdvanceDlg::OnCopyrightKeyDown, this);
    // Set before the dialog shows: otherwise GTK gives the focus to the control nearest the top left, a check box,
    // and text typed at once goes nowhere.
    copyrightEdit->SetFocus();
}

void CAdvanceDlg::OnBrowseWebFolder(wxCommandEvent&) {
    const wxString chosen = chooseWebFolder(this, webFolderEdit->GetValue());
    if (chosen.empty())
        return;
    webFolderEdit->SetValue(chosen);
    static_cast<wxCheckBox*>(FindWindow(kIdWebHelp))->SetValue(true);
}

void CAdvanceDlg::OnOk(wxCommandEvent&) {
    TransferDataFromWindow();
    form.copyrightText = copyrightText.utf8_string();
    const int language = languageChoice->GetSelection();
    form.switches.language = language > 0 ? HelpLanguages()[static_cast<size_t>(language - 1)].tag : std::string();
    options.Store(form.ToOptions());
    webHelp.wanted = webHelpWanted;
    webHelp.folder = webFolder.Strip(wxString::both);
    RememberWebHelp(webHelp);
    SetReturnCode(wxID_OK);
    EndDialog(wxID_OK);
}

void CAdvanceDlg::OnCopyrightKeyDown(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER) {
        event.Skip();
        return;
    }
    // Enter confirms the dialog like the default button; Ctrl+Enter is the way to a new line.
    if (event.ControlDown())
        copyrightEdit->WriteText("\n");
    else
        EmulateButtonClickIfPresent(kIdOk);
}
