#include "StartupFile.h"

#include <wx/cmdline.h>
#include <wx/filename.h>

void DescribeCommandLine(wxCmdLineParser& parser) {
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
}

wxString StartupFile(const wxCmdLineParser& parser) {
    if (parser.GetParamCount() == 0)
        return {};
    wxFileName file(parser.GetParam(0));
    file.MakeAbsolute();
    return file.GetFullPath();
}
