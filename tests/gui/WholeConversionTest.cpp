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
#include <unistd.h>

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
    EXPECT_TRUE(answers.seen.empty()) << answers.seen.front().message;
    EXPECT_EQ(opened, std::vector<std::string>{helpFile.string()});
    EXPECT_NE(ReadPage(helpFile, "/0.html").find("Intro body two."), std::string::npos);
    EXPECT_NE(ReadPage(helpFile, "/2.html").find("Usage body."), std::string::npos);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(root);
}
