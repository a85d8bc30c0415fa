// The program's own texts in the user's language: run by gui_tests under a Chinese locale and by gui_tests_en under
// an English one. Under Chinese the captions are the dialog templates' own; under English every one has its English
// form, and nothing Chinese is left. Dialog layouts hold in both: no two controls overlap, none leaves the window.

#include "GuiTestSupport.h"
#include "ModalAnswers.h"

#include "AboutDlg.h"
#include "AdvanceDlg.h"
#include "ControlIds.h"
#include "LeafbindDlg.h"
#include "ProgressText.h"
#include "ShellOpen.h"
#include "WarningsDlg.h"
#include "WorkerLink.h"
#include "automation/ComRuntime.h"
#include "base/MessageCatalogue.h"
#include "engine/ConvertOptions.h"
#include "word/MessageBox.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/hyperlink.h>
#include <wx/stattext.h>

#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool Chinese() {
    return CurrentUserLanguage() == UserLanguage::Chinese;
}

bool HoldsBeyondAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// The labels of the dialog's buttons, check boxes and static texts, by control (static texts by their label alone).
std::multiset<std::string> Labels(wxWindow* dialog) {
    std::multiset<std::string> labels;
    for (wxWindow* child : dialog->GetChildren())
        if (dynamic_cast<wxButton*>(child) || dynamic_cast<wxCheckBox*>(child) || dynamic_cast<wxStaticText*>(child) ||
            dynamic_cast<wxHyperlinkCtrl*>(child))
            if (!child->GetLabel().empty())
                labels.insert(child->GetLabel().utf8_string());
    return labels;
}

// Every pair of shown controls that overlap, and every control that reaches past the dialog's client area.
std::vector<std::string> LayoutFaults(wxWindow* dialog) {
    std::vector<wxWindow*> shown;
    for (wxWindow* child : dialog->GetChildren())
        if (child->IsShown())
            shown.push_back(child);
    std::vector<std::string> faults;
    auto name = [](wxWindow* control) {
        return std::to_string(control->GetId()) + " \"" + control->GetLabel().utf8_string() + "\"";
    };
    const wxRect client(wxPoint(0, 0), dialog->GetClientSize());
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!client.Contains(shown[i]->GetRect()))
            faults.push_back(name(shown[i]) + " leaves the window");
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (shown[i]->GetRect().Intersects(shown[j]->GetRect()))
                faults.push_back(name(shown[i]) + " overlaps " + name(shown[j]));
    }
    return faults;
}

class DialogTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        root = fs::temp_directory_path() / ("leafbind-gui-texts-" + std::to_string(::getpid()));
        fs::create_directories(root / "program");
        previousShell = SetShellOpenHandler([](const wxString&) {});
    }
    void TearDown() override {
        SetShellOpenHandler(previousShell);
        fs::remove_all(root);
    }

    fs::path root;
    ModalAnswers answers;
    ShellOpenHandler previousShell;
};

} // namespace

TEST_F(DialogTextsTest, TheMainDialogSpeaksTheUsersLanguage) {
    auto* dialog = new CLeafbindDlg(nullptr, wxString::FromUTF8((root / "program").string()));
    const std::multiset<std::string> expected =
        Chinese()
            ? std::multiset<std::string>{"原始Word文件:", "浏览", "输出CHM文件:", "浏览", "CHM文件标题:", "生成CHM文件",
                                         "查看CHM文件",   "停止", "高级",         "帮助", "关于",         "确定"}
            : std::multiset<std::string>{"Word file:", "Browse", "CHM file:", "Browse", "CHM title:", "Generate CHM",
                                         "View CHM",   "Stop",   "Advanced",  "Help",   "About",      "OK"};
    EXPECT_EQ(Labels(dialog), expected);
    EXPECT_EQ(dialog->GetTitle().utf8_string(), "Leafbind(1.5.3)");

    // A message of the dialog itself, and one of the layers below that reaches it through the message box.
    answers.Answer(wxID_OK);
    answers.Answer(wxID_OK);
    Click(dialog, kIdGenerate);
    ShowMessageBox("the output folder does not exist: /nowhere");
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].message, Chinese() ? "请选择Word文件!" : "Please choose a Word file!");
    EXPECT_EQ(answers.seen[1].message,
              Chinese() ? "输出文件夹不存在: /nowhere" : "the output folder does not exist: /nowhere");
    auto link = dialog->Link();
    delete dialog;
    link->WaitUntilNoWorker();
}

TEST_F(DialogTextsTest, TheOtherDialogsAndTheProgressSpeakTheUsersLanguage) {
    CAboutDlg about(nullptr);
    EXPECT_EQ(about.GetTitle().utf8_string(), Chinese() ? "关于 Leafbind" : "About Leafbind");
    using Texts = std::multiset<std::string>;
    const Texts aboutTexts = Chinese() ? Texts{"Leafbind，v 1.5.3", "访问主页", "确定"}
                                       : Texts{"Leafbind, v 1.5.3", "Visit the home page", "OK"};
    EXPECT_EQ(Labels(&about), aboutTexts);

    ConvertOptions options;
    WebHelpChoice webHelp;
    CAdvanceDlg advanced(nullptr, options, webHelp);
    EXPECT_EQ(advanced.GetTitle().utf8_string(), Chinese() ? "高级" : "Advanced");
    const std::multiset<std::string> labels = Labels(&advanced);
    for (const char* caption : Chinese()
                                   ? std::vector<const char*>{"显示页眉", "显示页脚", "PNG高质量图片", "相关联主题",
                                                              "显示编号", "版权信息:", "Ctrl + Enter 换行"}
                                   : std::vector<const char*>{"Header", "Footer", "PNG pictures", "Related topics",
                                                              "Numbering", "Copyright:", "Ctrl + Enter for a new line"})
        EXPECT_EQ(labels.count(caption), 1u) << caption;
    for (const std::string& label : labels)
        EXPECT_EQ(HoldsBeyondAscii(label), Chinese() && label != "OK") << label;

    CWarningsDlg warnings(nullptr, {ForUser("A link to the missing bookmark \"_Gone\" was left unchanged.")});
    EXPECT_EQ(warnings.Summary().utf8_string(),
              Chinese() ? "转换完成，有 1 条警告。" : "Conversion done, with 1 warning(s).");
    EXPECT_EQ(warnings.ListText().utf8_string(),
              Chinese() ? "指向不存在的书签“_Gone”的链接保持原样。\n"
                        : "A link to the missing bookmark \"_Gone\" was left unchanged.\n");

    ProgressText progress;
    progress.SetPhase(ProgressText::PagePhase(2, 10));
    EXPECT_EQ(progress.NextTick(), Chinese() ? "正在转换\n第 3 页，共 10 页" : "Converting\nPage 3 of 10");
}

// Captions of different lengths in the two languages and the toolkit's own heights: the layout holds in both.
TEST_F(DialogTextsTest, NoTwoControlsOverlapInAnyDialog) {
    auto* main = new CLeafbindDlg(nullptr, wxString::FromUTF8((root / "program").string()));
    main->FindWindow(kIdStop)->Show(); // shown while a conversion runs
    EXPECT_EQ(LayoutFaults(main), std::vector<std::string>{});
    auto link = main->Link();
    delete main;
    link->WaitUntilNoWorker();

    ConvertOptions options;
    WebHelpChoice webHelp;
    CAdvanceDlg advanced(nullptr, options, webHelp);
    advanced.Show();
    PumpPending();
    EXPECT_EQ(LayoutFaults(&advanced), std::vector<std::string>{});
    // The web help row lies under the language and above the copyright box.
    EXPECT_GT(advanced.FindWindow(kIdWebFolder)->GetRect().GetTop(),
              advanced.FindWindow(kIdLanguage)->GetRect().GetBottom());
    EXPECT_LT(advanced.FindWindow(kIdWebFolder)->GetRect().GetBottom(),
              advanced.FindWindow(kIdCopyright)->GetRect().GetTop());
    advanced.Hide();

    CAboutDlg about(nullptr);
    EXPECT_EQ(LayoutFaults(&about), std::vector<std::string>{});
}
