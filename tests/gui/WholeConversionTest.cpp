// A whole conversion through the dialog with the document server, the real help compiler and a generated .docx:
// the help file exists afterwards, chmlib reads its pages back, and the shell is asked to open it.

#include "GuiTestSupport.h"
#include "ModalAnswers.h"

#include "ControlIds.h"
#include "LeafbindDlg.h"
#include "ShellOpen.h"
#include "WorkerLink.h"
#include "automation/ComRuntime.h"
#include "docbuilder/DocxBuilder.h"
#include "docserver/DocumentServer.h"

#include <chm_lib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>
#include <wx/richmsgdlg.h>

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
    answers.Answer(wxID_OK); // the title line before the first heading is on no page, and the user is told
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
    EXPECT_NE(answers.seen[0].message.find("1 条警告"), std::string::npos) << answers.seen[0].message;
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

TEST_F(RealConversion, WarningsAreCountedAndListedInTheDetails) {
    docx::DocxBuilder document;
    document.AddHeading(1, "Intro")
        .AddParagraph({docx::Text("See "), docx::AnchorLink("gone", "_Missing1"), docx::Text(" and "),
                       docx::AnchorLink("also", "_Missing2")})
        .AddHeading(1, "Usage")
        .AddParagraph("Usage.");
    Save(document, root / "docs" / "Links.docx");
    std::string details;
    answers.AnswerWith([&details](wxDialog& box) {
        if (auto* rich = dynamic_cast<wxRichMessageDialog*>(&box))
            details = rich->GetDetailedText().utf8_string();
        return wxID_OK;
    });
    Convert(root / "docs" / "Links.docx");
    EXPECT_EQ(answers.Messages(), std::vector<std::string>{"转换完成，有 2 条警告。"});
    EXPECT_NE(details.find("_Missing1"), std::string::npos) << details;
    EXPECT_NE(details.find("_Missing2"), std::string::npos) << details;
    EXPECT_EQ(std::count(details.begin(), details.end(), '\n'), 2) << details;
    EXPECT_EQ(opened.size(), 1u) << "the help file is opened after the warnings";
}
