// What an XE field's code says, and the keywords entries make once their pages are known.
#include "engine/IndexEntries.h"
#include "helpproject/IndexKeywords.h"

#include <gtest/gtest.h>

namespace {

struct CodeCase {
    std::u16string code;
    std::vector<std::u16string> levels;
    std::u16string seeAlso;
    std::u16string rangeBookmark;
};

} // namespace

TEST(IndexEntryCode, TextLevelsSwitchesAndEscapesAreRead) {
    const CodeCase cases[] = {
        {u" XE \"Installing\" ", {u"Installing"}, u"", u""},
        {u"xe Word", {u"Word"}, u"", u""},
        {u" XE \"Installing:from disc\" ", {u"Installing", u"from disc"}, u"", u""},
        {u" XE \" a : b :c \" \\b \\i ", {u"a", u"b", u"c"}, u"", u""},
        {u" XE \"setup\" \\t \"See Installing\" ", {u"setup"}, u"Installing", u""},
        {u" XE \"setup\" \\t \"see also Installing.\" ", {u"setup"}, u"Installing", u""},
        {u" XE \"\u5B89\u88C5\" \\t \"\u53C2\u89C1\u8BBE\u7F6E\" ", {u"\u5B89\u88C5"}, u"\u8BBE\u7F6E", u""},
        {u" XE \"Ranges\" \\r Chapter2 \\f \"b\" ", {u"Ranges"}, u"", u"Chapter2"},
        {u" XE \"The \\\"quoted\\\" word\" ", {u"The \"quoted\" word"}, u"", u""},
        {u" XE \"Time\\: 12\\:30\" ", {u"Time: 12:30"}, u"", u""},
        {u" XE \"a::b:\" ", {u"a", u"b"}, u"", u""},
        {u" XE \"1:2:3:4:5:6:7:8:9\" ", {u"1", u"2", u"3", u"4", u"5", u"6", u"7:8:9"}, u"", u""},
        {u" XE \"Sorted\" \\y \"reading\" ", {u"Sorted"}, u"", u""},
        {u" XE \"\" ", {}, u"", u""},
        {u" XE ", {}, u"", u""},
        {u" TC \"not an entry\" ", {}, u"", u""},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(std::string(c.code.begin(), c.code.end()));
        const IndexEntryCode code = ParseIndexEntryCode(c.code);
        EXPECT_EQ(code.levels, c.levels);
        EXPECT_EQ(code.seeAlso, c.seeAlso);
        EXPECT_EQ(code.rangeBookmark, c.rangeBookmark);
    }
}

TEST(IndexEntryCode, EntriesBecomeKeywordsLeadingToTheirAnchorOrTheirPage) {
    std::vector<IndexEntry> entries(4);
    entries[0] = {{"Installing", "from disc"}, "", 1, "_Idx1", false};
    entries[1] = {{"Heading term"}, "", 0, "", true};
    entries[2] = {{"Lost anchor"}, "", 2, "_Idx2", true};
    entries[3] = {{"setup"}, "Installing", 1, "", false};
    const std::vector<IndexKeyword> keywords = IndexKeywordsOf(entries, {"Intro", "Install", "Usage"});
    ASSERT_EQ(keywords.size(), 4u);
    EXPECT_EQ(keywords[0].local, "1.html#_Idx1");
    EXPECT_EQ(keywords[0].topicTitle, "Install");
    EXPECT_EQ(keywords[0].path, (std::vector<std::string>{"Installing", "from disc"}));
    EXPECT_EQ(keywords[1].local, "0.html");
    EXPECT_EQ(keywords[2].local, "2.html") << "an anchor the page did not keep is not linked to";
    EXPECT_EQ(keywords[3].seeAlso, "Installing");
}
