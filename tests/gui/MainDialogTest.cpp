#include "FakeWordServer.h"
#include "GuiTestSupport.h"
#include "ModalAnswers.h"

#include "AboutDlg.h"
#include "AdvanceDlg.h"
#include "ControlIds.h"
#include "LeafbindDlg.h"
#include "ShellOpen.h"
#include "StartupFile.h"
#include "WorkerLink.h"
#include "automation/ComRuntime.h"
#include "automation/HResult.h"

#include "LastFolder.h"

#include <gtest/gtest.h>
#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kDots[] = {"正在转换",        "正在转换.",         "正在转换. .",         "正在转换. . .",
                             "正在转换. . . .", "正在转换. . . . .", "正在转换. . . . . .", "正在转换."};

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "old";
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        static int caseNumber = 0;
        root = fs::temp_directory_path() /
               ("leafbind-gui-" + std::to_string(::getpid()) + "-" + std::to_string(++caseNumber));
        programFolder = root / "program";
        fs::create_directories(programFolder);
        previousShell = SetShellOpenHandler([this](const wxString& target) { opened.push_back(target.utf8_string()); });
        // The user's settings go to a file of this case's own.
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        delete wxConfigBase::Set(OpenUserSettings().release());
        OpenDialog();
    }

    void OpenDialog() {
        dialog = new CLeafbindDlg(nullptr, wxString::FromUTF8(programFolder.string()));
        desktopSourceChooser = dialog->chooseSourceFile;
        dialog->chooseSourceFile = [this](wxWindow*, const wxString& startFolder) {
            startFolders.push_back(startFolder.utf8_string());
            return wxString::FromUTF8(nextSource);
        };
        dialog->chooseOutputFile = [this](wxWindow*, const wxString& startFolder) {
            startFolders.push_back(startFolder.utf8_string());
            return wxString::FromUTF8(nextOutput);
        };
        dialog->Show();
        PumpPending();
    }

    void TearDown() override {
        if (dialog)
            CloseDialog();
        SetShellOpenHandler(previousShell);
        delete wxConfigBase::Set(nullptr);
        ::unsetenv("XDG_CONFIG_HOME");
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(root);
        EXPECT_TRUE(answers.AllAnswered()) << "a scripted answer was never asked for";
    }

    // Destroys the dialog, then lets any worker end: it must not reach the dialog any more.
    void CloseDialog() {
        auto link = dialog->Link();
        delete dialog;
        dialog = nullptr;
        link->WaitUntilNoWorker();
        PumpPending();
    }

    void ChooseSource(const std::string& path) {
        nextSource = path;
        Click(dialog, kIdBrowseSource);
    }
    void ChooseOutput(const std::string& path) {
        nextOutput = path;
        Click(dialog, kIdBrowseOutput);
    }
    std::string Value(int id) { return static_cast<wxTextCtrl*>(dialog->FindWindow(id))->GetValue().utf8_string(); }
    void Type(int id, const std::string& text) {
        static_cast<wxTextCtrl*>(dialog->FindWindow(id))->SetValue(wxString::FromUTF8(text));
    }
    std::string ProgressShown() {
        return static_cast<wxStaticText*>(dialog->FindWindow(kIdProgressText))->GetLabel().utf8_string();
    }
    bool Enabled(int id) { return dialog->FindWindow(id)->IsEnabled(); }
    void Tick() {
        wxTimerEvent tick(dialog->ProgressTimer());
        dialog->GetEventHandler()->ProcessEvent(tick);
    }
    bool FinishConversion() {
        return PumpUntil([this] { return dialog->IsIdle(); });
    }
    // Source chosen, old output and old working files in place, a fake Word that knows the document.
    void PrepareConversion(std::vector<ScriptedParagraph> paragraphs) {
        server.Register();
        server.SetSourceParagraphs(std::move(paragraphs));
        Touch(root / "docs" / "Guide.docx");
        ChooseSource((root / "docs" / "Guide.docx").string());
        Touch(root / "docs" / "Guide.chm");
    }
    void ExpectIdleState() {
        EXPECT_TRUE(dialog->IsIdle());
        EXPECT_TRUE(Enabled(kIdGenerate));
        EXPECT_TRUE(Enabled(kIdView));
        EXPECT_FALSE(dialog->ProgressTimer().IsRunning());
        EXPECT_EQ(ProgressShown(), "");
    }

    ModalAnswers answers;
    FakeWordServer server;
    fs::path root;
    fs::path programFolder;
    CLeafbindDlg* dialog = nullptr;
    std::string nextSource;
    std::string nextOutput;
    std::vector<std::string> opened;
    std::vector<std::string> startFolders;
    CLeafbindDlg::FileChooser desktopSourceChooser;
    ShellOpenHandler previousShell;
};

} // namespace

TEST_F(MainDialogTest, BrowsingProposesOutputAndTitleAndKeepsAChmExtension) {
    ChooseSource("/D/Docs/Guide.docx");
    EXPECT_EQ(Value(kIdSourcePath), "/D/Docs/Guide.docx");
    EXPECT_EQ(Value(kIdOutputPath), "/D/Docs/Guide.chm");
    EXPECT_EQ(Value(kIdHelpTitle), "Guide");

    // A second source replaces both, also a title the user typed.
    Type(kIdHelpTitle, "手册");
    ChooseSource("/D/其他/说明书.doc");
    EXPECT_EQ(Value(kIdOutputPath), "/D/其他/说明书.chm");
    EXPECT_EQ(Value(kIdHelpTitle), "说明书");

    const std::pair<std::string, std::string> outputs[] = {
        {"/out/Out.CHM", "/out/Out.CHM"}, {"/out/Out", "/out/Out.chm"}, {"/out/Out.txt", "/out/Out.txt.chm"}};
    for (const auto& [chosen, expected] : outputs) {
        ChooseOutput(chosen);
        EXPECT_EQ(Value(kIdOutputPath), expected) << chosen;
    }

    // Cancelled choosers change nothing.
    ChooseSource("");
    ChooseOutput("");
    EXPECT_EQ(Value(kIdSourcePath), "/D/其他/说明书.doc");
    EXPECT_EQ(Value(kIdOutputPath), "/out/Out.txt.chm");
    EXPECT_TRUE(answers.seen.empty());
}

TEST_F(MainDialogTest, NothingIsMadeBesideTheProgramAndTheCurrentFolderStays) {
    EXPECT_TRUE(fs::is_empty(programFolder));
    EXPECT_NE(fs::current_path(), programFolder / "Temp");
}

TEST_F(MainDialogTest, GenerateWithoutSourceAsksForOneAndTouchesNothing) {
    Touch(programFolder / "Temp" / "0.html");
    answers.Answer(wxID_OK);
    Click(dialog, kIdGenerate);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].message, "请选择Word文件!");
    EXPECT_EQ(answers.seen[0].caption, "Leafbind");
    EXPECT_TRUE(fs::exists(programFolder / "Temp" / "0.html"));
    ExpectIdleState();
}

TEST_F(MainDialogTest, DocumentWithoutHeadingsSaysSoAndOpensNothing) {
    PrepareConversion({{10, "Only body text"}, {10, "More body text"}});
    answers.Answer(wxID_OK);
    Click(dialog, kIdGenerate);

    EXPECT_FALSE(Enabled(kIdGenerate));
    EXPECT_FALSE(Enabled(kIdView));
    EXPECT_TRUE(dialog->ProgressTimer().IsRunning());
    EXPECT_FALSE(dialog->IsIdle());

    ASSERT_TRUE(FinishConversion());
    EXPECT_EQ(answers.Messages(), std::vector<std::string>{"word文档中没有大纲样式!"});
    ExpectIdleState();
    EXPECT_TRUE(opened.empty());
    std::ifstream old(root / "docs" / "Guide.chm");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old") << "a failed run keeps the old help file";
    EXPECT_EQ(server.CountOf(WordMember::ApplicationQuit), 1) << "Word is quit";
}

TEST_F(MainDialogTest, ProgressTextCyclesOnAcrossTwoConversions) {
    PrepareConversion({{10, "Body"}});
    answers.Answer(wxID_OK);
    answers.Answer(wxID_OK);

    Click(dialog, kIdGenerate);
    EXPECT_EQ(ProgressShown(), "") << "nothing before the first tick";
    // The dots on the first line; the phase under them (the scripted source has no page to make).
    const std::string reading = "\n读取Word文件";
    for (int tick = 0; tick < 3; ++tick) {
        Tick();
        EXPECT_EQ(ProgressShown(), kDots[tick] + reading);
    }
    ASSERT_TRUE(FinishConversion());
    EXPECT_EQ(ProgressShown(), "");

    // The count is not reset: the second conversion goes on with three dots, through six, back to one.
    Click(dialog, kIdGenerate);
    for (int tick = 3; tick < 8; ++tick) {
        Tick();
        EXPECT_EQ(ProgressShown(), kDots[tick] + reading);
    }
    ASSERT_TRUE(FinishConversion());
    ExpectIdleState();
}

TEST_F(MainDialogTest, MissingHelpFileIsReportedInsteadOfOpened) {
    PrepareConversion({{1, "Intro"}, {10, "Body"}});
    // A title the file system cannot hold: the project file is never written, so no help file can come out.
    Type(kIdHelpTitle, "no/such/folder");
    answers.Answer(wxID_OK);
    Click(dialog, kIdGenerate);
    ASSERT_TRUE(FinishConversion());

    const std::vector<std::string> messages = answers.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("没有生成CHM文件: " + (root / "docs" / "Guide.chm").string(), 0), 0u) << messages[0];
    EXPECT_TRUE(opened.empty());
    ExpectIdleState();
}

TEST_F(MainDialogTest, WordErrorsOfBothKindsEndTheConversionInOrder) {
    struct Case {
        HRESULT status;
        std::string description;
        std::string expected;
    };
    const Case cases[] = {
        {DISP_E_EXCEPTION, "文档已损坏。", "文档已损坏。"},
        {E_FAIL, "", "自动化调用失败 (0x80004005): "},
    };
    PrepareConversion({{1, "Intro"}, {10, "Body"}});
    for (const Case& item : cases) {
        server.FailWith(WordMember::DocumentsOpen, item.status, item.description);
        answers.Answer(wxID_OK);
        Click(dialog, kIdGenerate);
        ASSERT_TRUE(FinishConversion());
        const std::vector<std::string> messages = answers.Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().rfind(item.expected, 0), 0u) << messages.back();
        ExpectIdleState();
        // The error came while Word opened the document: nothing to open.
        EXPECT_TRUE(opened.empty());
    }
    EXPECT_EQ(answers.Messages().size(), 2u);
}

TEST_F(MainDialogTest, WordThatCannotStartIsReportedBeforeTheWorkersOwnMessage) {
    // Nobody registered as "Word.Application": the creation's report comes from the worker's thread.
    Touch(root / "Guide.docx");
    ChooseSource((root / "Guide.docx").string());
    answers.Answer(wxID_OK);
    answers.Answer(wxID_OK);
    Click(dialog, kIdGenerate);
    ASSERT_TRUE(FinishConversion());
    const std::vector<std::string> messages = answers.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0], "启动word失败!");
    EXPECT_EQ(messages[1], "启动word失败!");
    ExpectIdleState();
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainDialogTest, ClosingDuringAConversionAsksAndTheWorkerNeverReachesTheGoneDialog) {
    // Without a registered Word the worker stops at the creation report and waits for it to be shown, which
    // cannot happen while this thread does not pump events: the conversion is surely running.
    Touch(root / "Guide.docx");
    ChooseSource((root / "Guide.docx").string());
    Click(dialog, kIdGenerate);
    ASSERT_FALSE(dialog->IsIdle());

    answers.Answer(wxID_NO);
    dialog->Close();
    EXPECT_TRUE(dialog->IsShown()) << "No keeps the dialog";
    answers.Answer(wxID_NO);
    Click(dialog, kIdOk);
    EXPECT_TRUE(dialog->IsShown());

    answers.Answer(wxID_YES);
    dialog->Close();
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(dialog->GetReturnCode(), wxID_CANCEL);
    const std::shared_ptr<WorkerLink> link = dialog->Link();
    CloseDialog();

    EXPECT_FALSE(link->WorkerRunning());
    ASSERT_EQ(answers.seen.size(), 3u) << "only the three questions; the worker's messages were dropped";
    for (const SeenDialog& seen : answers.seen) {
        EXPECT_EQ(seen.message, "正在进行转换，你确实要退出？");
        EXPECT_EQ(seen.caption, "警告");
    }
    EXPECT_TRUE(opened.empty());
}

TEST_F(MainDialogTest, OkAndCloseEndTheDialogWithoutAQuestionWhenIdle) {
    Type(kIdHelpTitle, "Typed");
    Click(dialog, kIdOk);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
    EXPECT_TRUE(answers.seen.empty());
}

TEST_F(MainDialogTest, EnterInTheTitleBoxPressesTheDefaultButton) {
    wxWindow* title = dialog->FindWindow(kIdHelpTitle);
    title->SetFocus();
    PumpUntil([title] { return wxWindow::FindFocus() == title; });
    ASSERT_EQ(wxWindow::FindFocus(), title);
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    enter.SetEventObject(title);
    dialog->ProcessWindowEvent(enter);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
}

TEST_F(MainDialogTest, ViewAndHelpOpenExistingFilesAndReportMissingOnes) {
    answers.Answer(wxID_OK);
    Click(dialog, kIdView);
    EXPECT_EQ(answers.Messages(), std::vector<std::string>{"请选择Word文件转换!"});

    // Chosen but not converted yet: said so, instead of a viewer that opens nothing.
    const fs::path output = root / "docs" / "Guide.chm";
    ChooseSource((root / "docs" / "Guide.docx").string());
    answers.Answer(wxID_OK);
    Click(dialog, kIdView);
    EXPECT_EQ(answers.Messages().back(), "文件不存在: " + output.string());
    Touch(output);
    Click(dialog, kIdView);

    // The help file: beside the program as the build leaves it, else in the installed tree's share/leafbind.
    answers.Answer(wxID_OK);
    Click(dialog, kIdHelp);
    EXPECT_EQ(answers.Messages().back(), "找不到帮助文件: " + (programFolder / "leafbind.chm").string());
    Touch(root / "share" / "leafbind" / "leafbind.chm");
    Click(dialog, kIdHelp);
    Touch(programFolder / "leafbind.chm");
    Click(dialog, kIdHelp);
    EXPECT_EQ(opened,
              (std::vector<std::string>{output.string(), (root / "share" / "leafbind" / "leafbind.chm").string(),
                                        (programFolder / "leafbind.chm").string()}));
    EXPECT_EQ(answers.Messages().size(), 3u);
}

TEST_F(MainDialogTest, AboutAndAdvancedButtonsOpenTheirDialogs) {
    answers.AnswerWith([](wxDialog& about) {
        EXPECT_EQ(about.GetTitle().utf8_string(), "关于 Leafbind");
        return wxID_OK;
    });
    Click(dialog, kIdAbout);
    answers.Answer(wxID_CANCEL);
    Click(dialog, kIdAdvanced);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].kind, "CAboutDlg");
    EXPECT_EQ(answers.seen[1].kind, "CAdvanceDlg");
    EXPECT_EQ(answers.seen[1].caption, "高级");
}

TEST_F(MainDialogTest, FileNamedOnTheCommandLineIsTheSourceAsIfBrowsed) {
    const fs::path document = root / "docs" / "用户手册.docx";
    Touch(document);
    fs::current_path(root);
    const char* argv[] = {"leafbind", "docs/用户手册.docx"};
    wxCmdLineParser parser(2, const_cast<char**>(argv));
    DescribeCommandLine(parser);
    ASSERT_EQ(parser.Parse(false), 0);
    const wxString file = StartupFile(parser);
    EXPECT_EQ(file.utf8_string(), document.string()) << "taken from the folder the program started in";

    EXPECT_TRUE(dialog->OpenSource(file));
    EXPECT_EQ(Value(kIdSourcePath), document.string());
    EXPECT_EQ(Value(kIdOutputPath), (root / "docs" / "用户手册.chm").string());
    EXPECT_EQ(Value(kIdHelpTitle), "用户手册");
    EXPECT_TRUE(answers.seen.empty());

    const char* bare[] = {"leafbind"};
    wxCmdLineParser noFile(1, const_cast<char**>(bare));
    DescribeCommandLine(noFile);
    ASSERT_EQ(noFile.Parse(false), 0);
    EXPECT_TRUE(StartupFile(noFile).empty());

    // A missing file and a file that is no Word document are reported and leave the source as it was.
    Touch(root / "notes.txt");
    answers.Answer(wxID_OK);
    answers.Answer(wxID_OK);
    EXPECT_FALSE(dialog->OpenSource(wxString::FromUTF8((root / "gone.docx").string())));
    EXPECT_FALSE(dialog->OpenSource(wxString::FromUTF8((root / "notes.txt").string())));
    EXPECT_EQ(answers.Messages(),
              (std::vector<std::string>{"文件不存在: " + (root / "gone.docx").string(),
                                        "不是Word文件(*.doc;*.docx): " + (root / "notes.txt").string()}));
    EXPECT_EQ(Value(kIdSourcePath), document.string());
}

TEST_F(MainDialogTest, DroppedWordFileIsTheSourceWhereverItLands) {
    Touch(root / "a" / "notes.txt");
    Touch(root / "a" / "Old.DOC");
    Touch(root / "b" / "Guide.docx");
    auto drop = [this](int id, std::vector<fs::path> files) {
        wxWindow* target = id == 0 ? static_cast<wxWindow*>(dialog) : dialog->FindWindow(id);
        auto* files_target = dynamic_cast<wxFileDropTarget*>(target->GetDropTarget());
        EXPECT_NE(files_target, nullptr) << id;
        wxArrayString names;
        for (const fs::path& file : files)
            names.push_back(wxString::FromUTF8(file.string()));
        return files_target && files_target->OnDropFiles(5, 5, names);
    };

    // Several files: the first Word file among them.
    EXPECT_TRUE(drop(0, {root / "a" / "notes.txt", root / "a" / "Old.DOC", root / "b" / "Guide.docx"}));
    EXPECT_EQ(Value(kIdSourcePath), (root / "a" / "Old.DOC").string());
    EXPECT_EQ(Value(kIdOutputPath), (root / "a" / "Old.chm").string());
    EXPECT_EQ(Value(kIdHelpTitle), "Old");

    // The boxes take a drop too: the read-only ones would refuse it, the title box would paste its address.
    for (int box : {kIdSourcePath, kIdOutputPath, kIdHelpTitle}) {
        EXPECT_TRUE(drop(box, {root / "b" / "Guide.docx"})) << box;
        EXPECT_EQ(Value(kIdSourcePath), (root / "b" / "Guide.docx").string());
        EXPECT_EQ(Value(kIdHelpTitle), "Guide");
        Type(kIdHelpTitle, "typed");
    }

    answers.Answer(wxID_OK);
    EXPECT_FALSE(drop(0, {root / "a" / "notes.txt"}));
    EXPECT_EQ(answers.Messages(),
              std::vector<std::string>{"不是Word文件(*.doc;*.docx): " + (root / "a" / "notes.txt").string()});
    EXPECT_EQ(Value(kIdSourcePath), (root / "b" / "Guide.docx").string());
}

TEST_F(MainDialogTest, ChoosersStartInTheFolderRememberedFromTheLastRun) {
    const std::string home = wxGetHomeDir().utf8_string();
    fs::create_directories(root / "docs");
    fs::create_directories(root / "out");
    ChooseSource((root / "docs" / "Guide.docx").string());
    ChooseOutput((root / "out" / "Guide").string());
    EXPECT_EQ(startFolders, (std::vector<std::string>{home, (root / "docs").string()}));

    // The next run: new settings read from the file, a new dialog.
    CloseDialog();
    delete wxConfigBase::Set(OpenUserSettings().release());
    EXPECT_TRUE(fs::exists(root / "config" / "leafbind" / "leafbind.conf"));
    OpenDialog();
    startFolders.clear();
    ChooseSource("");
    EXPECT_EQ(startFolders, std::vector<std::string>{(root / "out").string()}) << "the output was chosen last";
    ChooseSource((root / "docs" / "Guide.docx").string());
    ChooseOutput("");
    EXPECT_EQ(startFolders.back(), (root / "docs").string()) << "a chosen source's folder comes first";

    // A remembered folder that is gone: home, as the first time.
    CloseDialog();
    fs::remove_all(root / "docs");
    OpenDialog();
    startFolders.clear();
    ChooseSource("");
    EXPECT_EQ(startFolders, std::vector<std::string>{home});

    // The desktop's own chooser has a title and opens where the rule says.
    dialog->chooseSourceFile = desktopSourceChooser;
    answers.AnswerWith([home](wxDialog& chooser) {
        EXPECT_EQ(static_cast<wxFileDialog&>(chooser).GetMessage().utf8_string(), "选择Word文件");
        EXPECT_EQ(static_cast<wxFileDialog&>(chooser).GetDirectory().utf8_string(), home);
        return wxID_CANCEL;
    });
    Click(dialog, kIdBrowseSource);
    EXPECT_EQ(Value(kIdSourcePath), "");
}

TEST_F(MainDialogTest, FocusStartsInTheFirstControlAndPathsShowInFullInTooltips) {
    EXPECT_EQ(native::FocusId(dialog), kIdSourcePath);
    wxWindow* source = dialog->FindWindow(kIdSourcePath);

    const std::string folder = "/home/user/" + std::string(20, 'x') + "/项目文档/第二版/" + std::string(40, 'y');
    ChooseSource(folder + "/用户手册.docx");
    EXPECT_EQ(source->GetToolTipText().utf8_string(), folder + "/用户手册.docx");
    EXPECT_EQ(dialog->FindWindow(kIdOutputPath)->GetToolTipText().utf8_string(), folder + "/用户手册.chm");
    ChooseOutput("/tmp/short");
    EXPECT_EQ(dialog->FindWindow(kIdOutputPath)->GetToolTipText().utf8_string(), "/tmp/short.chm");
}
