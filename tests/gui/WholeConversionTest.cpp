// A whole conversion through the dialog with the document server, the real help compiler and a generated .docx:
// the help file exists afterwards, chmlib reads its pages back, and the shell is asked to open it.

#include "GuiTestSupport.h"
#include "ModalAnswers.h"

#include "ControlIds.h"
#include "LeafbindDlg.h"
#include "ShellOpen.h"
#include "WarningsDlg.h"
#include "WorkerLink.h"
#include "automation/ComRuntime.h"
#include "base/MessageCatalogue.h"
#include "docbuilder/DocxBuilder.h"
#include "docserver/DocumentServer.h"

#include <chm_lib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>
#include <wx/checkbox.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace fs = std::filesystem;

namespace {

// The text of one page of the help file, read with chmlib; empty when the page is missing.
std::string ReadPage(const fs::path& helpFile, const std::string& page) {
    chmFile* file = chm_open(helpFile.c_str());
    if (!file)
        return {};
    std::string text;
    chmUnitInfo unit{};
    if (chm_resolve_object(file, page.c_str(), &unit) == CHM_RESOLVE_SUCCESS) {
        text.resize(unit.length);
        const LONGINT64 read =
            chm_retrieve_object(file, &unit, reinterpret_cast<unsigned char*>(text.data()), 0, unit.length);
        text.resize(read > 0 ? static_cast<size_t>(read) : 0);
    }
    chm_close(file);
    return text;
}

} // namespace

TEST(WholeConversionTest, GeneratedDocumentBecomesAnOpenedHelpFile) {
    CoInitialize(nullptr);
    RegisterDocumentServer();
    const fs::path root = fs::temp_directory_path() / ("leafbind-gui-whole-" + std::to_string(::getpid()));
    fs::create_directories(root / "program");
    const fs::path source = root / "docs" / "Guide.docx";
    fs::create_directories(source.parent_path());
    docx::DocxBuilder document;
    document.AddParagraph("Title line")
        .AddHeading(1, "Intro")
        .AddParagraph("Intro body one.")
        .AddParagraph("Intro body two.")
        .AddHeading(2, "Scope")
        .AddParagraph("范围说明。")
        .AddHeading(1, "Usage")
        .AddParagraph("Usage body.");
    document.Save(source);

    std::vector<std::string> opened;
    const ShellOpenHandler previous =
        SetShellOpenHandler([&opened](const wxString& target) { opened.push_back(target.utf8_string()); });
    ModalAnswers answers;
    // The title line before the first heading is on no page, and the user is told.
    std::string summary;
    answers.AnswerWith([&summary](wxDialog& box) {
        if (auto* list = dynamic_cast<CWarningsDlg*>(&box))
            summary = list->Summary().utf8_string();
        return wxID_OK;
    });
    {
        auto* dialog = new CLeafbindDlg(nullptr, wxString::FromUTF8((root / "program").string()));
        dialog->chooseSourceFile = [&source](wxWindow*, const wxString&) {
            return wxString::FromUTF8(source.string());
        };
        dialog->Show();
        Click(dialog, kIdBrowseSource);
        Click(dialog, kIdGenerate);
        ASSERT_TRUE(PumpUntil([dialog] { return dialog->IsIdle(); }));
        auto link = dialog->Link();
        delete dialog;
        link->WaitUntilNoWorker();
    }
    SetShellOpenHandler(previous);
    UnregisterAutomationClass("Word.Application");

    const fs::path helpFile = root / "docs" / "Guide.chm";
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].kind, "CWarningsDlg");
    EXPECT_NE(summary.find("1 条警告"), std::string::npos) << summary;
    EXPECT_EQ(opened, std::vector<std::string>{helpFile.string()});
    EXPECT_NE(ReadPage(helpFile, "/0.html").find("Intro body two."), std::string::npos);
    EXPECT_NE(ReadPage(helpFile, "/2.html").find("Usage body."), std::string::npos);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(root);
}

namespace {

// Every file under root with its bytes: equal before and after means untouched.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    std::error_code code;
    for (fs::recursive_directory_iterator it(root, code), end; !code && it != end; it.increment(code)) {
        std::ifstream in(it->path(), std::ios::binary);
        files[fs::relative(it->path(), root).string()] =
            it->is_regular_file() ? std::string(std::istreambuf_iterator<char>(in), {}) : "folder";
    }
    return files;
}

void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

void Save(const docx::DocxBuilder& document, const fs::path& file) {
    fs::create_directories(file.parent_path());
    document.Save(file);
}

docx::DocxBuilder TwoTopics(const std::string& word) {
    docx::DocxBuilder document;
    document.AddHeading(1, "Intro").AddParagraph("Intro " + word + ".").AddHeading(1, "Usage").AddParagraph("Usage.");
    return document;
}

// Dialogs on the real document server; the shell's "open" recorded.
class RealConversion : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        RegisterDocumentServer();
        root = fs::temp_directory_path() / ("leafbind-gui-real-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "program");
        previous = SetShellOpenHandler([this](const wxString& target) { opened.push_back(target.utf8_string()); });
    }
    void TearDown() override {
        SetShellOpenHandler(previous);
        UnregisterAutomationClass("Word.Application");
        fs::remove_all(root);
    }
    CLeafbindDlg* OpenDialog(const fs::path& source, const fs::path& output = {}) {
        auto* dialog = new CLeafbindDlg(nullptr, wxString::FromUTF8((root / "program").string()));
        dialog->chooseSourceFile = [source](wxWindow*, const wxString&) { return wxString::FromUTF8(source.string()); };
        dialog->chooseOutputFile = [output](wxWindow*, const wxString&) { return wxString::FromUTF8(output.string()); };
        dialog->Show();
        Click(dialog, kIdBrowseSource);
        if (!output.empty())
            Click(dialog, kIdBrowseOutput);
        return dialog;
    }
    void Close(CLeafbindDlg* dialog) {
        auto link = dialog->Link();
        delete dialog;
        link->WaitUntilNoWorker();
    }
    void Convert(const fs::path& source, const fs::path& output = {}) {
        CLeafbindDlg* dialog = OpenDialog(source, output);
        Click(dialog, kIdGenerate);
        EXPECT_TRUE(PumpUntil([dialog] { return dialog->IsIdle(); }));
        Close(dialog);
    }

    fs::path root;
    ModalAnswers answers;
    std::vector<std::string> opened;
    ShellOpenHandler previous;
};

} // namespace

TEST_F(RealConversion, NamesWithWildcardsAndAFolderBesideTheProgramAreNeverEmptied) {
    // A user's own Temp folder beside the program, a source whose name holds "*.*", and an output whose name
    // would once have been taken for "everything in docs/victim".
    Write(root / "program" / "Temp" / "notes.txt", "my notes");
    Write(root / "program" / "Temp" / "photos" / "a.jpg", "jpeg");
    Write(root / "docs" / "keep.txt", "keep");
    Write(root / "docs" / "victim" / "precious.txt", "precious");
    Save(TwoTopics("wild"), root / "docs" / "*.*.docx");
    const auto before = Snapshot(root);

    Convert(root / "docs" / "*.*.docx");
    Convert(root / "docs" / "*.*.docx", root / "docs" / "victim*.*.chm");

    EXPECT_TRUE(answers.seen.empty()) << answers.seen.front().message;
    auto after = Snapshot(root);
    ASSERT_EQ(after.erase("docs/*.*.chm"), 1u) << "the first help file";
    ASSERT_EQ(after.erase("docs/victim*.*.chm"), 1u) << "the second help file";
    EXPECT_EQ(after, before);
    EXPECT_NE(ReadPage(root / "docs" / "victim*.*.chm", "/0.html").find("Intro wild."), std::string::npos);
}

TEST_F(RealConversion, AFailedConversionKeepsTheOldHelpFile) {
    docx::DocxBuilder bodyOnly;
    bodyOnly.AddParagraph("Only body text.");
    Save(bodyOnly, root / "docs" / "Plain.docx");
    Write(root / "docs" / "Plain.chm", "the old help file");
    answers.Answer(wxID_OK);
    Convert(root / "docs" / "Plain.docx");
    EXPECT_EQ(answers.Messages(), std::vector<std::string>{"word文档中没有大纲样式!"});
    EXPECT_EQ(Snapshot(root / "docs")["Plain.chm"], "the old help file");
    EXPECT_TRUE(opened.empty());
}

TEST_F(RealConversion, TwoDialogsConvertingAtOnceBothSucceed) {
    Save(TwoTopics("first"), root / "one" / "First.docx");
    Save(TwoTopics("second"), root / "two" / "Second.docx");
    CLeafbindDlg* first = OpenDialog(root / "one" / "First.docx");
    CLeafbindDlg* second = OpenDialog(root / "two" / "Second.docx");
    Click(first, kIdGenerate);
    Click(second, kIdGenerate);
    EXPECT_FALSE(first->IsIdle() && second->IsIdle());
    EXPECT_TRUE(PumpUntil([&] { return first->IsIdle() && second->IsIdle(); }));
    Close(first);
    Close(second);
    EXPECT_TRUE(answers.seen.empty()) << answers.seen.front().message;
    EXPECT_NE(ReadPage(root / "one" / "First.chm", "/0.html").find("Intro first."), std::string::npos);
    EXPECT_NE(ReadPage(root / "two" / "Second.chm", "/0.html").find("Intro second."), std::string::npos);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(RealConversion, WarningsAreCountedAndListedInAListNoLargerThanTheScreenThatCanBeSaved) {
    // Sixty dead links, one of them with a very long name: sixty warnings, one very wide.
    std::vector<docx::Inline> links;
    for (int i = 0; i < 60; ++i)
        links.push_back(
            docx::AnchorLink("gone", "_Missing" + std::to_string(i) + (i == 7 ? std::string(300, 'x') : "")));
    docx::DocxBuilder document;
    document.AddHeading(1, "Intro").AddParagraph(links).AddHeading(1, "Usage").AddParagraph("Usage.");
    Save(document, root / "docs" / "Links.docx");
    std::string summary;
    std::string listed;
    wxSize size;
    std::string saved;
    answers.AnswerWith([&](wxDialog& box) {
        auto* list = dynamic_cast<CWarningsDlg*>(&box);
        if (!list)
            return wxID_CANCEL;
        summary = list->Summary().utf8_string();
        listed = list->ListText().utf8_string();
        size = list->GetSize();
        const fs::path target = root / "warnings.txt";
        list->chooseSaveFile = [&target](wxWindow*) { return wxString::FromUTF8(target.string()); };
        Click(list, kIdSaveWarnings);
        std::ifstream in(target, std::ios::binary);
        saved.assign(std::istreambuf_iterator<char>(in), {});
        return wxID_OK;
    });
    Convert(root / "docs" / "Links.docx");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].kind, "CWarningsDlg");
    EXPECT_EQ(summary, "转换完成，有 60 条警告。");
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 60) << listed;
    EXPECT_NE(listed.find("_Missing59"), std::string::npos);
    EXPECT_EQ(saved, listed) << "the saved list is the list shown";
    const wxRect screen = wxDisplay(0u).GetClientArea();
    EXPECT_LE(size.x, screen.width);
    EXPECT_LE(size.y, screen.height);
    EXPECT_EQ(opened.size(), 1u) << "the help file is opened after the warnings";
}

TEST_F(RealConversion, StopEndsTheRunWithNothingLeftAndTheOldHelpFileKept) {
    docx::DocxBuilder document;
    for (int i = 0; i < 40; ++i)
        document.AddHeading(1, "Topic " + std::to_string(i)).AddParagraph("Body " + std::to_string(i) + ".");
    Save(document, root / "docs" / "Long.docx");
    Write(root / "docs" / "Long.chm", "the old help file");
    const fs::path cache = root / "cache";
    const char* previousCache = std::getenv("XDG_CACHE_HOME");
    const std::string restore = previousCache ? previousCache : "";
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    CLeafbindDlg* dialog = OpenDialog(root / "docs" / "Long.docx");
    Click(dialog, kIdGenerate);
    EXPECT_TRUE(dialog->FindWindow(kIdStop)->IsShown());
    Click(dialog, kIdStop); // before the first page is done: the run ends after it
    EXPECT_TRUE(PumpUntil([dialog] { return dialog->IsIdle(); }));
    PumpPending();
    EXPECT_FALSE(dialog->FindWindow(kIdStop)->IsShown());
    EXPECT_TRUE(dialog->FindWindow(kIdGenerate)->IsEnabled());
    EXPECT_EQ(native::FocusId(dialog), kIdGenerate) << "the focus is back where the next press goes";
    EXPECT_TRUE(static_cast<wxStaticText*>(dialog->FindWindow(kIdProgressText))->GetLabel().empty());
    Close(dialog);
    if (previousCache)
        ::setenv("XDG_CACHE_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_CACHE_HOME");

    EXPECT_TRUE(answers.seen.empty()) << "a stop is the user's own doing: nothing to tell";
    EXPECT_TRUE(opened.empty());
    const auto docs = Snapshot(root / "docs");
    EXPECT_EQ(docs.at("Long.chm"), "the old help file");
    EXPECT_EQ(docs.size(), 2u) << "nothing beside the document and the old help file";
    bool runFolderLeft = false;
    std::error_code code;
    for (fs::recursive_directory_iterator it(cache, code), end; !code && it != end; it.increment(code))
        runFolderLeft |= it->path().filename().string().rfind("run-", 0) == 0;
    EXPECT_FALSE(runFolderLeft);
}

namespace {

// Web help chosen in the advanced dialog, as a user does it, then converted on the real document server.
class WebHelpConversion : public RealConversion {
protected:
    void TearDown() override {
        SetHelpViewerQuery(nullptr);
        RealConversion::TearDown();
    }
    // Opens the dialog on the source, ticks web help with this folder in the advanced dialog, and converts; the
    // message boxes after the advanced dialog get the answers given.
    void ConvertWithWebHelp(const fs::path& source, const fs::path& webFolder, const std::vector<int>& later = {}) {
        CLeafbindDlg* dialog = OpenDialog(source);
        answers.AnswerWith([webFolder](wxDialog& box) {
            static_cast<wxCheckBox*>(box.FindWindow(kIdWebHelp))->SetValue(true);
            static_cast<wxTextCtrl*>(box.FindWindow(kIdWebFolder))->SetValue(wxString::FromUTF8(webFolder.string()));
            Click(&box, kIdOk);
            return wxID_OK;
        });
        for (const int answer : later)
            answers.Answer(answer);
        Click(dialog, kIdAdvanced);
        Click(dialog, kIdGenerate);
        EXPECT_TRUE(PumpUntil([dialog] { return dialog->IsIdle(); }));
        Close(dialog);
    }
    static bool Chinese() { return CurrentUserLanguage() == UserLanguage::Chinese; }
};

} // namespace

TEST_F(WebHelpConversion, TheRunWritesWebHelpBesideTheHelpFile) {
    Save(TwoTopics("web"), root / "docs" / "Guide.docx");
    ConvertWithWebHelp(root / "docs" / "Guide.docx", root / "docs" / "web");
    ASSERT_EQ(answers.seen.size(), 1u) << answers.seen.back().message;
    EXPECT_EQ(answers.seen[0].kind, "CAdvanceDlg");
    EXPECT_TRUE(fs::is_regular_file(root / "docs" / "web" / "index.html"));
    EXPECT_NE(ReadPage(root / "docs" / "Guide.chm", "/0.html").find("Intro web."), std::string::npos);
    EXPECT_EQ(opened, std::vector<std::string>{(root / "docs" / "Guide.chm").string()}) << "the viewer opens the file";
}

TEST_F(WebHelpConversion, WithoutAHelpViewerTheWebHelpIsOffered) {
    Save(TwoTopics("web"), root / "docs" / "Guide.docx");
    SetHelpViewerQuery([] { return false; });
    ConvertWithWebHelp(root / "docs" / "Guide.docx", root / "docs" / "web", {wxID_YES});
    const fs::path index = root / "docs" / "web" / "index.html";
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0],
              (Chinese() ? "没有找到打开CHM文件的程序（例如 xchm）。\n是否在浏览器中打开网页帮助？\n"
                         : "No program that opens CHM files was found (for example xchm).\n"
                           "Open the web help in the browser instead?\n") +
                  index.string());
    EXPECT_EQ(opened, std::vector<std::string>{index.string()});
}

TEST_F(WebHelpConversion, AFolderThatHoldsFilesIsRefusedAndLeftAlone) {
    Save(TwoTopics("web"), root / "docs" / "Guide.docx");
    Write(root / "docs" / "Guide.chm", "the old help file");
    Write(root / "mine" / "notes.txt", "my notes");
    const auto before = Snapshot(root);
    ConvertWithWebHelp(root / "docs" / "Guide.docx", root / "mine", {wxID_OK});
    ASSERT_EQ(answers.Messages().size(), 1u);
    EXPECT_EQ(answers.Messages()[0],
              (Chinese() ? "网页帮助文件夹必须是新的或空的: " : "the web folder must be new or empty: ") +
                  (root / "mine").string());
    EXPECT_EQ(Snapshot(root), before) << "nothing written, nothing deleted";
    EXPECT_TRUE(opened.empty());
}

TEST_F(WebHelpConversion, WebHelpWithoutAFolderAsksForOne) {
    Save(TwoTopics("web"), root / "docs" / "Guide.docx");
    ConvertWithWebHelp(root / "docs" / "Guide.docx", fs::path(), {wxID_OK});
    EXPECT_EQ(answers.Messages(), std::vector<std::string>{Chinese() ? "请选择网页帮助文件夹!"
                                                                     : "Please choose a folder for the web help!"});
    EXPECT_FALSE(fs::exists(root / "docs" / "Guide.chm"));
}
