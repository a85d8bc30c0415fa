#include "GuiTestSupport.h"

#include "AdvanceDlg.h"
#include "ControlIds.h"
#include "automation/CodePage.h"
#include "engine/ConvertOptions.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <map>

namespace {

const int kSwitches[] = {kIdShowHeader, kIdShowFooter, kIdPngImages, kIdRelatedTopics, kIdShowNumbering, kIdFrontPage};

class AdvancedDialogTest : public ::testing::Test {
protected:
    ConvertOptions options; // the main dialog's

    // Opens a fresh dialog as the advanced button does and reports what its controls show.
    struct Shown {
        std::map<int, bool> switches;
        std::string copyright;
    };
    Shown Open() {
        CAdvanceDlg dialog(nullptr, options);
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
        CAdvanceDlg dialog(nullptr, options);
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
        CAdvanceDlg dialog(nullptr, options);
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

TEST_F(AdvancedDialogTest, CtrlEnterBreaksTheLineAndEnterConfirms) {
    CAdvanceDlg dialog(nullptr, options);
    dialog.InitDialog();
    wxTextCtrl* edit = Edit(dialog);
    edit->SetValue(wxString::FromUTF8("© 2024 叶装订"));
    edit->SetInsertionPointEnd();
    Press(edit, true);
    edit->WriteText(wxString::FromUTF8("保留所有权利"));
    EXPECT_TRUE(options.Snapshot().copyrightText.empty()) << "nothing stored before OK";
    Press(edit, false);

    EXPECT_FALSE(dialog.IsShown());
    // Stored in the program's code page, the line break as CR LF.
    EXPECT_EQ(options.Snapshot().copyrightText, *Utf8ToNarrow("© 2024 叶装订\r\n保留所有权利"));
    EXPECT_EQ(Open().copyright, "© 2024 叶装订\n保留所有权利");
}

TEST_F(AdvancedDialogTest, OpensWithTheFocusInTheCopyrightBoxAndTabsInTemplateOrder) {
    CAdvanceDlg dialog(nullptr, options);
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
                                       kIdRelatedTopics, kIdShowNumbering, kIdFrontPage}));
    dialog.Hide();
}
