#pragma once
// The application: runs the main dialog modally; when it ends, the program ends. A Word file named on the command
// line (as a file manager's "Open with" passes it) is the dialog's source from the start.

#include <wx/app.h>

class CLeafbindApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;

private:
    wxString startSource;
};
