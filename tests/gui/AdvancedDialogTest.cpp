#include "GuiTestSupport.h"

#include "AdvanceDlg.h"
#include "ControlIds.h"
#include "LastFolder.h"
#include "LeafbindDlg.h"
#include "ModalAnswers.h"
#include "WebHelpChoice.h"
#include "WorkerLink.h"
#include "automation/CodePage.h"
#include "base/HelpLanguage.h"
#include "engine/ConvertOptions.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <map>
#include <unistd.h>
#include <wx/config.h>

namespace fs = std::filesystem;

namespace {

const int kSwitches[] = {kIdShowHeader, kIdShowFooter, kIdPngImages, kIdRelatedTopics, kIdShowNumbering, kIdFrontPage};

class AdvancedDialogTest : public ::testing::Test {
protected:
    ConvertOptions options; // the main dialog's
    WebHelpChoice webHelp;  // the main dialog's web help choice

    // Opens a fresh dialog as the advanced button does and reports what its controls show.
    struct Shown {
        std::map<int, bool> switches;
        std::string copyright;
    };
    Shown Open() {
        CAdvanceDlg dialog(nullptr, options, webHelp);
        dialog.InitDialog();
        Shown shown;
        for (int id : kSwitches)
            shown.switches[id] = CheckBox(dialog, id)->GetValue();
        shown.copyright = Edit(dialog)->GetValue().utf8_string();
        return shown;
    }
    static wxCheckBox* CheckBox(wxDialog& dialog, int id) { return static_cast<wxCheckBox*>(dialog.FindWindow(id)); }
    static wxTextCtrl* Edit(wxDialog& dialog) { return static_cast<wxTextCtrl*>(dialog.FindWindow(kIdCopyright)); }
    static void Press(wxTextCtrl* edit, bool control) {
        wxKeyEvent key(wxEVT_KEY_DOWN);
        key.m_keyCode = WXK_RETURN;
        key.SetControlDown(control);
        key.SetEventObject(edit);
        edit->ProcessWindowEvent(key);
    }
};

} // namespace

TEST_F(AdvancedDialogTest, FirstOpeningShowsTheDefaults) {
    const Shown shown = Open();
    EXPECT_EQ(shown.switches, (std::map<int, bool>{{kIdShowHeader, false},
                                                   {kIdShowFooter, false},
                                                   {kIdPngImages, true},
                                                   {kIdRelatedTopics, true},
                                                   {kIdShowNumbering, false},
                                                   {kIdFrontPage, false}}));
    EXPECT_EQ(shown.copyright, "");
}

TEST_F(AdvancedDialogTest, OkStoresTheSwitchesAndCancelKeepsThem) {
    {
        CAdvanceDlg dialog(nullptr, options, webHelp);
        dialog.InitDialog();
        for (int id : kSwitches)
            CheckBox(dialog, id)->SetValue(id == kIdShowFooter);
        Click(&dialog, kIdOk);
        EXPECT_FALSE(dialog.IsShown());
    }
    const PageOptions stored = options.Snapshot();
    EXPECT_FALSE(stored.showHeader);
    EXPECT_TRUE(stored.showFooter);
    EXPECT_FALSE(stored.pngImages);
    EXPECT_FALSE(stored.relatedTopics);
    EXPECT_FALSE(stored.showNumbering);
    EXPECT_FALSE(stored.frontPage);
    {
        CAdvanceDlg dialog(nullptr, options, webHelp);
        dialog.InitDialog();
        for (int id : kSwitches)
            CheckBox(dialog, id)->SetValue(true);
        Edit(dialog)->SetValue("discarded");
        Click(&dialog, kIdCancel);
    }
    const Shown reopened = Open();
    for (int id : kSwitches)
        EXPECT_EQ(reopened.switches.at(id), id == kIdShowFooter) << id;
    EXPECT_EQ(reopened.copyright, "");
}

// The help file's language: from the document until one is chosen, kept as its tag, shown again on reopening.
TEST_F(AdvancedDialogTest, TheLanguageIsFromTheDocumentUntilOneIsChosen) {
    {
        CAdvanceDlg dialog(nullptr, options, webHelp);
        dialog.InitDialog();
        auto* choice = static_cast<wxChoice*>(dialog.FindWindow(kIdLanguage));
        ASSERT_NE(choice, nullptr);
        EXPECT_EQ(choice->GetSelection(), 0);
        EXPECT_EQ(static_cast<size_t>(choice->GetCount()), HelpLanguages().size() + 1);
        const int german = choice->FindString(wxString::FromUTF8("de-DE German (Germany)"));
        ASSERT_GT(german, 0);
        choice->SetSelection(german);
        EXPECT_TRUE(options.Snapshot().language.empty()) << "nothing stored before OK";
        Click(&dialog, kIdOk);
    }
    EXPECT_EQ(options.Snapshot().language, "de-DE");
    CAdvanceDlg reopened(nullptr, options, webHelp);
    reopened.InitDialog();
    auto* choice = static_cast<wxChoice*>(reopened.FindWindow(kIdLanguage));
    EXPECT_EQ(choice->GetStringSelection().utf8_string(), "de-DE German (Germany)");
    choice->SetSelection(0);
    Click(&reopened, kIdOk);
    EXPECT_TRUE(options.Snapshot().language.empty());
}

TEST_F(AdvancedDialogTest, CtrlEnterBreaksTheLineAndEnterConfirms) {
    CAdvanceDlg dialog(nullptr, options, webHelp);
    dialog.InitDialog();
    wxTextCtrl* edit = Edit(dialog);
    edit->SetValue(wxString::FromUTF8("© 2024 叶装订"));
    edit->SetInsertionPointEnd();
    Press(edit, true);
    edit->WriteText(wxString::FromUTF8("保留所有权利"));
    EXPECT_TRUE(options.Snapshot().copyrightText.empty()) << "nothing stored before OK";
    Press(edit, false);

    EXPECT_FALSE(dialog.IsShown());
    // Stored as narrow text (UTF-8), the line break as CR LF.
    EXPECT_EQ(options.Snapshot().copyrightText, *Utf8ToNarrow("© 2024 叶装订\r\n保留所有权利"));
    EXPECT_EQ(Open().copyright, "© 2024 叶装订\n保留所有权利");
}

TEST_F(AdvancedDialogTest, OpensWithTheFocusInTheCopyrightBoxAndTabsInTemplateOrder) {
    CAdvanceDlg dialog(nullptr, options, webHelp);
    dialog.InitDialog();
    dialog.Show();
    PumpPending();
    // GTK's own choice would be the control nearest the top left, the first check box.
    EXPECT_EQ(native::FocusId(&dialog), kIdCopyright);

    // The toolkit's Tab follows the order the controls were made in: the template's, not the order on screen.
    std::vector<int> order;
    for (wxWindow* child : dialog.GetChildren())
        if (child->AcceptsFocusFromKeyboard())
            order.push_back(child->GetId());
    EXPECT_EQ(order, (std::vector<int>{kIdCopyright, kIdOk, kIdCancel, kIdShowHeader, kIdShowFooter, kIdPngImages,
                                       kIdRelatedTopics, kIdShowNumbering, kIdFrontPage, kIdLanguage, kIdWebHelp,
                                       kIdWebFolder, kIdBrowseWebFolder}));
    dialog.Hide();
}

// Web help: the check box and its folder, stored on OK only, remembered in the user's settings for the next start;
// the browse button fills the folder and ticks the box.
TEST_F(AdvancedDialogTest, WebHelpIsChosenWithItsFolderAndRemembered) {
    const fs::path config = fs::temp_directory_path() / ("leafbind-gui-web-" + std::to_string(::getpid()));
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    delete wxConfigBase::Set(OpenUserSettings().release());
    {
        CAdvanceDlg dialog(nullptr, options, webHelp);
        dialog.InitDialog();
        EXPECT_FALSE(CheckBox(dialog, kIdWebHelp)->GetValue());
        std::vector<std::string> startFolders;
        dialog.chooseWebFolder = [&startFolders](wxWindow*, const wxString& start) {
            startFolders.push_back(start.utf8_string());
            return wxString::FromUTF8("/home/user/网页帮助");
        };
        Click(&dialog, kIdBrowseWebFolder);
        EXPECT_TRUE(CheckBox(dialog, kIdWebHelp)->GetValue());
        EXPECT_EQ(startFolders, std::vector<std::string>{""});
        EXPECT_FALSE(webHelp.wanted) << "nothing stored before OK";
        Click(&dialog, kIdOk);
    }
    EXPECT_TRUE(webHelp.wanted);
    EXPECT_EQ(webHelp.folder.utf8_string(), "/home/user/网页帮助");
    const WebHelpChoice remembered = RememberedWebHelp();
    EXPECT_TRUE(remembered.wanted);
    EXPECT_EQ(remembered.folder.utf8_string(), "/home/user/网页帮助");
    {
        CAdvanceDlg dialog(nullptr, options, webHelp);
        dialog.InitDialog();
        EXPECT_TRUE(CheckBox(dialog, kIdWebHelp)->GetValue());
        EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(kIdWebFolder))->GetValue().utf8_string(),
                  "/home/user/网页帮助");
        CheckBox(dialog, kIdWebHelp)->SetValue(false);
        Click(&dialog, kIdCancel);
    }
    EXPECT_TRUE(webHelp.wanted) << "cancel keeps the choice";

    // The program started again shows the remembered choice in its advanced dialog.
    {
        ModalAnswers answers;
        bool shownWanted = false;
        std::string shownFolder;
        answers.AnswerWith([&](wxDialog& box) {
            box.InitDialog(); // as showing it does, after the hook's turn
            shownWanted = CheckBox(box, kIdWebHelp)->GetValue();
            shownFolder = static_cast<wxTextCtrl*>(box.FindWindow(kIdWebFolder))->GetValue().utf8_string();
            return wxID_CANCEL;
        });
        auto* main = new CLeafbindDlg(nullptr, wxString::FromUTF8(config.string()));
        Click(main, kIdAdvanced);
        auto link = main->Link();
        delete main;
        link->WaitUntilNoWorker();
        EXPECT_TRUE(shownWanted);
        EXPECT_EQ(shownFolder, "/home/user/网页帮助");
    }
    delete wxConfigBase::Set(nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(config);
}
