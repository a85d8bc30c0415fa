#pragma once
// The application: runs the main dialog modally; when it ends, the program ends.

#include <wx/app.h>

class CLeafbindApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;
};
