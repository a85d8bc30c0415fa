// Not a test: shows each dialog of the program in the states the documentation pictures, on the X display it is
// given, and saves the screen trimmed to the window into the folder named by its argument (make_screenshots.sh).

#include "AboutDlg.h"
#include "AdvanceDlg.h"
#include "ControlIds.h"
#include "LeafbindDlg.h"
#include "UserLanguage.h"
#include "WarningsDlg.h"
#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "base/MessageCatalogue.h"

#include <fstream>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <string>

namespace fs = std::filesystem;

namespace {

// Message boxes the states below raise are closed at once: only the dialogs themselves are pictured.
class CloseEveryBox : public wxModalDialogHook {
protected:
    int Enter(wxDialog*) override { return wxID_OK; }
    void Exit(wxDialog*) override {}
};

void PumpFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxMilliSleep(10);
    }
}

bool Capture(const fs::path& file) {
    const std::string command = "import -window root png:- | convert - -trim +repage '" + file.string() + "'";
    return std::system(command.c_str()) == 0;
}

void Click(wxWindow* dialog, int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(dialog->FindWindow(id));
    dialog->FindWindow(id)->ProcessWindowEvent(event);
}

// Opens a box of the desktop's own (message box, file chooser) for real, pictures it once it is drawn and closes it
// with Escape, as a user would.
bool CaptureModal(const fs::path& file, const std::function<void()>& open) {
    bool saved = false;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        saved = Capture(file);
        wxUIActionSimulator().Char(WXK_ESCAPE);
    });
    timer.StartOnce(1500);
    open();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_screenshots <output folder>\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    // The Chinese pictures keep their names; the English ones end in "-en".
    const bool chinese = CurrentUserLanguage() == UserLanguage::Chinese;
    auto picture = [&out, chinese](const std::string& name) { return out / (name + (chinese ? "" : "-en") + ".png"); };
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1; // the folder is ours, not an option for wx
    if (!wxEntryStart(wxArgc, argv))
        return 2;
    wxTheApp->CallOnInit();
    UseUserLanguage();
    CoInitialize(nullptr);
    CloseEveryBox closer;
    closer.Register();

    // A Word that takes its time to start: the conversion stays running until it is let go.
    std::promise<void> letWordGo;
    std::shared_future<void> wordMayStart = letWordGo.get_future().share();
    RegisterAutomationClass("Word.Application", [wordMayStart](IDispatch**) {
        wordMayStart.wait();
        return CO_E_SERVER_EXEC_FAILURE;
    });

    const fs::path programFolder = fs::temp_directory_path() / "leafbind-screenshots";
    fs::create_directories(programFolder);
    bool saved = true;
    {
        wxEventLoop loop;
        wxEventLoopActivator active(&loop);

        auto* main = new CLeafbindDlg(nullptr, wxString::FromUTF8(programFolder.string()));
        const CLeafbindDlg::FileChooser desktopChooser = main->chooseSourceFile;
        // A file must be there for the run to get as far as Word's start; what it holds is never read.
        const fs::path source =
            chinese ? programFolder / "文档" / "用户手册.docx" : programFolder / "Documents" / "User manual.docx";
        fs::create_directories(source.parent_path());
        std::ofstream(source, std::ios::binary) << "PK";
        main->chooseSourceFile = [source](wxWindow*, const wxString&) { return wxString::FromUTF8(source.string()); };
        main->Centre();
        main->Show();
        Click(main, kIdBrowseSource);
        PumpFor(std::chrono::milliseconds(800));
        saved &= Capture(picture("main-idle"));

        Click(main, kIdGenerate);
        PumpFor(std::chrono::milliseconds(3500)); // three ticks of the progress timer
        saved &= Capture(picture("main-converting"));
        // Closing during the conversion asks, with the stock buttons in the user's language; Escape answers No.
        closer.Unregister();
        saved &= CaptureModal(picture("main-quit-question"), [main] { Click(main, kIdOk); });
        closer.Register();
        letWordGo.set_value();
        // The worker hands its messages to this thread, so it ends only while this thread handles events.
        while (!main->IsIdle())
            PumpFor(std::chrono::milliseconds(50));
        main->chooseSourceFile = desktopChooser;
        closer.Unregister();
        saved &= CaptureModal(picture("source-chooser"), [main] { Click(main, kIdBrowseSource); });
        closer.Register();
        main->Hide();

        ConvertOptions options;
        WebHelpChoice webHelp{
            true, wxString::FromUTF8(chinese ? "/home/user/文档/网页帮助" : "/home/user/Documents/web help")};
        CAdvanceDlg advanced(nullptr, options, webHelp);
        advanced.Centre();
        advanced.Show();
        advanced.InitDialog();
        static_cast<wxTextCtrl*>(advanced.FindWindow(kIdCopyright))
            ->SetValue(wxString::FromUTF8(chinese ? "版权所有 © 2024 Leafbind" : "Copyright © 2024 Leafbind"));
        PumpFor(std::chrono::milliseconds(800));
        saved &= Capture(picture("advanced"));
        advanced.Hide();

        CAboutDlg about(nullptr);
        about.Centre();
        about.Show();
        PumpFor(std::chrono::milliseconds(800));
        saved &= Capture(picture("about"));
        about.Hide();

        std::vector<std::string> warnings;
        for (int page = 0; page < 60; ++page)
            warnings.push_back(ForUser("page " + std::to_string(page) + ".html \"" +
                                       (chinese ? "安装与配置 " : "Installation and setup ") + std::to_string(page) +
                                       "\": A link to the missing bookmark \"_Ref" + std::to_string(4200 + page) +
                                       "\" was left unchanged."));
        CWarningsDlg list(nullptr, warnings);
        list.Show();
        PumpFor(std::chrono::milliseconds(800));
        saved &= Capture(picture("warnings"));
        list.Hide();
        delete main;
    }
    fs::remove_all(programFolder);
    std::fflush(nullptr);
    std::quick_exit(saved ? 0 : 1);
}
