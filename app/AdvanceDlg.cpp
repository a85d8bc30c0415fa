#include "AdvanceDlg.h"

#include "ControlIds.h"
#include "DialogUnits.h"
#include "UiTexts.h"
#include "engine/ConvertOptions.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valgen.h>
#include <wx/valtext.h>

CAdvanceDlg::CAdvanceDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(ui::kAdvanced), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      form(OptionsForm::From(ConvertOptions::Instance())), copyrightText(wxString::FromUTF8(form.copyrightText)) {
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

    struct Switch {
        ControlId id;
        const char* caption;
        DialogRect rect;
        bool* value;
    };
    const Switch switches[] = {
        {kIdShowHeader, ui::kShowHeader, {19, 23, 48, 10}, &form.showHeader},
        {kIdShowFooter, ui::kShowFooter, {73, 23, 48, 10}, &form.showFooter},
        {kIdPngImages, ui::kPngImages, {249, 23, 69, 10}, &form.pngImages},
        {kIdRelatedTopics, ui::kRelatedTopics, {186, 23, 56, 10}, &form.relatedTopics},
        {kIdShowNumbering, ui::kShowNumbering, {129, 23, 48, 10}, &form.showNumbering},
    };
    for (const Switch& item : switches)
        WidenToFit(new wxCheckBox(this, item.id, wxString::FromUTF8(item.caption), DialogPosition(this, item.rect),
                                  DialogSize(this, item.rect), 0, wxGenericValidator(item.value)));

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
    form.StoreTo(ConvertOptions::Instance());
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
