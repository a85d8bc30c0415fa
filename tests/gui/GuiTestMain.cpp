// One process for all GUI cases: wx is started once on the Xvfb display, with an event loop the cases can yield to.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdio>

namespace {

// A failed wx assertion would open a dialog nobody answers: it fails the running case instead.
void FailOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line) << "wx assertion in " << function.utf8_string() << ": "
                                                     << condition.utf8_string() << " " << message.utf8_string();
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxSetAssertHandler(FailOnAssert);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: is there a display (run under xvfb-run)?\n");
        return 2;
    }
    wxTheApp->CallOnInit();
    int result = 0;
    {
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
