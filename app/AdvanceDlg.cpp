#include "AdvanceDlg.h"

#include "ControlIds.h"
#include "DialogUnits.h"
#include "UiTexts.h"

#include "base/HelpLanguage.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valgen.h>
#include <wx/valtext.h>

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

} // namespace

CAdvanceDlg::CAdvanceDlg(wxWindow* parent, ConvertOptions& options)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(ui::kAdvanced), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      options(options), form(OptionsForm::From(options.Snapshot())),
      copyrightText(wxString::FromUTF8(form.copyrightText)) {
    SetFont(wxFontInfo(8));
    SetClientSize(ConvertDialogToPixels(wxSize(375, 124)));

    // Created in tab order: the copyright box first, so it has the focus when the dialog opens.
    const DialogRect editRect{15, 60, 341, 41};
    copyrightEdit =
        new wxTextCtrl(this, kIdCopyright, wxString(), DialogPosition(this, editRect), DialogSize(this, editRect),
                       wxTE_MULTILINE | wxHSCROLL, wxTextValidator(wxFILTER_NONE, &copyrightText));
    const DialogRect labelRect{17, 51, 36, 8};
    WidenToFit(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kCopyrightLabel),
                                DialogPosition(this, labelRect), DialogSize(this, labelRect)));
    const DialogRect okRect{262, 103, 50, 14};
    auto* ok =
        new wxButton(this, kIdOk, wxString::FromUTF8(ui::kOk), DialogPosition(this, okRect), DialogSize(this, okRect));
    ok->SetDefault();
    const DialogRect cancelRect{318, 103, 50, 14};
    new wxButton(this, kIdCancel, wxString::FromUTF8(ui::kCancel), DialogPosition(this, cancelRect),
                 DialogSize(this, cancelRect));

    int added = 0;
    for (const PageSwitch& option : PageSwitches()) {
        const bool original = option.controlId <= kIdShowNumbering;
        const DialogRect rect = SwitchRect(option.controlId, original ? 0 : added++);
        WidenToFit(new wxCheckBox(this, option.controlId, wxString::FromUTF8(option.caption),
                                  DialogPosition(this, rect), DialogSize(this, rect), 0,
                                  wxGenericValidator(&(form.switches.*option.field))));
    }

    // The language: from the document, or one the help file is made in whatever the document declares.
    const DialogRect languageLabelRect{129, 38, 36, 8};
    WidenToFit(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kLanguageLabel),
                                DialogPosition(this, languageLabelRect), DialogSize(this, languageLabelRect)));
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

    const DialogRect hintRect{21, 104, 57, 8};
    WidenToFit(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kNewLineHint), DialogPosition(this, hintRect),
                                DialogSize(this, hintRect)));

    Bind(wxEVT_BUTTON, &CAdvanceDlg::OnOk, this, kIdOk);
    copyrightEdit->Bind(wxEVT_KEY_DOWN, &CAdvanceDlg::OnCopyrightKeyDown, this);
    // Set before the dialog shows: otherwise GTK gives the focus to the control nearest the top left, a check box,
    // and text typed at once goes nowhere.
    copyrightEdit->SetFocus();
}

void CAdvanceDlg::OnOk(wxCommandEvent&) {
    TransferDataFromWindow();
    form.copyrightText = copyrightText.utf8_string();
    const int language = languageChoice->GetSelection();
    form.switches.language = language > 0 ? HelpLanguages()[static_cast<size_t>(language - 1)].tag : std::string();
    options.Store(form.ToOptions());
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
