#include "AboutDlg.h"

#include "AppIcon.h"
#include "ControlIds.h"
#include "DialogUnits.h"
#include "ShellOpen.h"
#include "UiTexts.h"

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <string>

namespace {
// The project has no public home page yet: the link stays without a target until it has one.
constexpr const char* kHomePage = "";
} // namespace

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(ui::kAboutCaption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetFont(wxFontInfo(9));
    SetClientSize(ConvertDialogToPixels(wxSize(231, 80)));

    const DialogRect iconRect{14, 14, 20, 20};
    new wxStaticBitmap(this, wxID_ANY, AppIcon(), DialogPosition(this, iconRect), DialogSize(this, iconRect));
    const DialogRect productRect{42, 14, 114, 8};
    WidenToFit(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(ui::kAboutProduct),
                                DialogPosition(this, productRect), DialogSize(this, productRect)));
    const DialogRect linkRect{41, 50, 37, 14};
    auto* link = new wxHyperlinkCtrl(this, kIdHomePageLink, wxString::FromUTF8(ui::kVisitHomePage), kHomePage,
                                     DialogPosition(this, linkRect), DialogSize(this, linkRect), wxHL_DEFAULT_STYLE);
    // A link that leads nowhere is shown as one that cannot be followed, rather than one that silently fails.
    if (std::string(kHomePage).empty())
        link->Disable();
    const DialogRect okRect{167, 52, 50, 14};
    auto* ok =
        new wxButton(this, kIdOk, wxString::FromUTF8(ui::kOk), DialogPosition(this, okRect), DialogSize(this, okRect));
    ok->SetDefault();

    Bind(wxEVT_HYPERLINK, &CAboutDlg::OnHomePageLink, this, kIdHomePageLink);
}

void CAboutDlg::OnHomePageLink(wxHyperlinkEvent&) {
    // Handled here, not by the control: the box stays open and the shell's open is the one tests record.
    const wxString address = kHomePage;
    if (!address.empty())
        ShellOpen(address);
}
