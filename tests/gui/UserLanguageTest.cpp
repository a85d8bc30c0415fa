// The toolkit's own words under the user's language: run by the gui_tests_zh entry under a Chinese locale, skipped
// in the plain run.

#include "UserLanguage.h"

#include <gtest/gtest.h>
#include <wx/stockitem.h>

#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <string>

namespace {

bool ChineseEnvironment() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return std::string(value).rfind("zh_CN", 0) == 0;
    return false;
}

// The labels GTK puts on the stock buttons of a message box, in the user's language.
std::string StockLabel(const char* label) {
    return dgettext("gtk30", (std::string("Stock label\004") + label).c_str());
}

} // namespace

TEST(UserLanguageTest, StockButtonsAndToolkitTextsSpeakTheUsersLanguage) {
    if (!ChineseEnvironment())
        GTEST_SKIP() << "needs a Chinese locale: the gui_tests_zh entry runs it";
    UseUserLanguage();
    ASSERT_EQ(std::string(std::setlocale(LC_MESSAGES, nullptr)).rfind("zh_CN", 0), 0u)
        << "the zh_CN.UTF-8 locale is not installed (scripts/setup.sh makes it)";
    EXPECT_EQ(StockLabel("_OK"), "确定(_O)");
    EXPECT_EQ(StockLabel("_Yes"), "是(_Y)");
    EXPECT_EQ(StockLabel("_No"), "否(_N)");
    // The toolkit's own catalogue, for the texts it draws itself.
    EXPECT_EQ(wxGetStockLabel(wxID_CANCEL, wxSTOCK_NOFLAGS).utf8_string(), "取消");
    // Numbers keep the point whatever the language: pages and styles are read and written with it.
    EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
    EXPECT_EQ(std::strtod("12.5", nullptr), 12.5);
}
