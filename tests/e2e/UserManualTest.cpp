// The program's own help file, as the build leaves it where the help button looks: read back with chmlib.

#include "ChmReader.h"
#include "app/UiTexts.h"

#include "engine/PageOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <map>
#include <regex>
#include <set>

namespace {

// The contents file is written in the Chinese code page the viewers read; the expectations are UTF-8.
std::string FromGb18030(const std::string& text) {
    iconv_t converter = iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string input = text;
    std::string output(text.size() * 2 + 16, '\0');
    char* in = input.data();
    char* out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1))
        return {};
    output.resize(output.size() - outLeft);
    return output;
}

class UserManual : public ::testing::Test {
protected:
    void SetUp() override {
        chm = ChmReader::Open(std::string(LEAFBIND_BIN) + "/" + ui::kHelpFileName);
        ASSERT_TRUE(chm) << "no help file beside the program";
        names = chm->List();
        const auto hhc =
            std::find_if(names.begin(), names.end(), [](const std::string& name) { return name.ends_with(".hhc"); });
        ASSERT_NE(hhc, names.end());
        contents = FromGb18030(chm->Read(*hhc).value_or(""));
        const std::regex entry("<param name=\"Name\" value=\"([^\"]*)\">\\s*<param name=\"Local\" value=\"([^\"]*)\">");
        for (std::sregex_iterator it(contents.begin(), contents.end(), entry), end; it != end; ++it)
            pageOf[(*it)[1]] = "/" + (*it)[2].str();
    }

    // The text of the topic with this title, UTF-8; fails the test when there is no such topic.
    std::string Page(const std::string& title) {
        const auto found = pageOf.find(title);
        if (found == pageOf.end()) {
            ADD_FAILURE() << "no topic " << title << " in the contents:\n" << contents;
            return {};
        }
        return FromGb18030(chm->Read(found->second).value_or("")); // pages are in the help file's code page
    }

    std::unique_ptr<ChmReader> chm;
    std::vector<std::string> names;
    std::string contents;
    std::map<std::string, std::string> pageOf; // topic title to page name
};

} // namespace

TEST_F(UserManual, EveryTopicInTheContentsHasItsPage) {
    EXPECT_GE(pageOf.size(), 25u) << contents;
    for (const auto& [title, page] : pageOf) {
        const auto text = chm->Read(page);
        ASSERT_TRUE(text) << title << " -> " << page;
        EXPECT_GT(text->size(), 300u) << title;
    }
}

TEST_F(UserManual, TheMainDialogTopicsNameEveryButton) {
    const std::string page = Page("主对话框");
    for (const char* caption : {ui::kSourceLabel, ui::kOutputLabel, ui::kTitleLabel, ui::kGenerate, ui::kView,
                                ui::kAdvanced, ui::kHelp, ui::kAbout, ui::kOk})
        EXPECT_NE(page.find(caption), std::string::npos) << caption;
    for (const char* topic : {"选择原始Word文件", "选择输出CHM文件", "CHM文件标题", "生成CHM文件", "进度显示",
                              "转换结束后", "查看CHM文件", "高级、帮助、关于和确定"})
        EXPECT_FALSE(Page(topic).empty()) << topic;
    EXPECT_NE(Page("高级、帮助、关于和确定").find(ui::kHelpFileName), std::string::npos);
}

TEST_F(UserManual, TheAdvancedDialogTopicNamesEveryOption) {
    EXPECT_FALSE(Page("高级选项对话框").empty());
    const std::string options = Page("页面选项");
    for (const PageSwitch& option : PageSwitches())
        EXPECT_NE(options.find(option.caption), std::string::npos) << option.caption;
    EXPECT_NE(Page("版权信息").find(ui::kNewLineHint), std::string::npos);
}

TEST_F(UserManual, TheMessagesTopicQuotesTheProgramsMessages) {
    const std::string page = Page("消息");
    for (const char* message : {ui::kChooseWordFile, ui::kChooseWordFileToConvert, ui::kWordStartFailed,
                                ui::kNoOutlineStyles, ui::kQuitDuringConversion, ui::kHelpFileNotProduced})
        EXPECT_NE(page.find(message), std::string::npos) << message;
}

TEST_F(UserManual, TheCommandLineTopicShowsTheUsage) {
    const std::string page = Page("命令行 (leafbind-cli)");
    EXPECT_NE(page.find("Usage: leafbind-cli INPUT.docx [options]"), std::string::npos) << page;
    EXPECT_NE(page.find("--copyright"), std::string::npos);
    EXPECT_FALSE(Page("故障排除").empty());
}

TEST_F(UserManual, TheContentsListOnTheFirstPageLinksToPagesThatExist) {
    const std::string page = Page("概述");
    std::set<std::string> targets;
    const std::regex link("href=\"([0-9]+\\.html)#_Toc[0-9]+\"");
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it)
        targets.insert("/" + (*it)[1].str());
    EXPECT_GE(targets.size(), 15u) << page;
    for (const std::string& target : targets)
        EXPECT_NE(std::find(names.begin(), names.end(), target), names.end()) << target;
}

TEST_F(UserManual, TheCrossReferenceLeadsToTheAdvancedDialogPage) {
    const auto advanced = pageOf.find("高级选项对话框");
    ASSERT_NE(advanced, pageOf.end());
    const std::string target = advanced->second.substr(1) + "#_RefAdvanced";
    EXPECT_NE(Page("生成CHM文件").find(target), std::string::npos) << target;
}

TEST_F(UserManual, TheHelpIdsTopicShowsAHeaderAndItsOwnIdOpensIt) {
    const std::string page = Page("Help IDs");
    EXPECT_NE(page.find("#define IDH_PRINT 2001"), std::string::npos) << page;
    EXPECT_NE(page.find("--map-header"), std::string::npos);
    // The manual's own bookmark IDH_MANUAL_EXAMPLE: number 1000 leads to that page, at the bookmark.
    const std::string ivb = chm->Read("/#IVB").value_or("");
    const std::string strings = chm->Read("/#STRINGS").value_or("");
    ASSERT_EQ(ivb.size(), 12u);
    std::uint32_t number = 0;
    std::uint32_t offset = 0;
    std::memcpy(&number, ivb.data() + 4, 4);
    std::memcpy(&offset, ivb.data() + 8, 4);
    EXPECT_EQ(number, 1000u);
    ASSERT_LT(offset, strings.size());
    EXPECT_EQ("/" + std::string(strings.c_str() + offset), pageOf["Help IDs"] + "#IDH_MANUAL_EXAMPLE");
    EXPECT_NE(page.find("<a name=\"IDH_MANUAL_EXAMPLE\">"), std::string::npos);
}
