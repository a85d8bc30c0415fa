#pragma once
// The about box: icon, product name and version, a link to the home page, OK.

#include <wx/dialog.h>

class wxHyperlinkEvent;

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

private:
    void OnHomePageLink(wxHyperlinkEvent& event);
};
