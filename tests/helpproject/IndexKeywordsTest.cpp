// The index file's lines for the document's own entries: nesting, topic lists, See Also, order.
#include "helpproject/IndexKeywords.h"

#include "automation/CodePage.h"

#include <gtest/gtest.h>

namespace {

std::string Joined(const LineList& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST(IndexKeywords, EqualPathsMakeOneKeywordWithItsTopicsByTitle) {
    LineList lines;
    AppendIndexKeywords(lines,
                        {{{"Installing", "from disc"}, "", "Setup again", "3.html#_Idx4"},
                         {{"Installing", "from disc"}, "", "Installing", "0.html#_Idx1"},
                         {{"Installing", "from disc"}, "", "Installing", "0.html#_Idx1"},
                         {{"Installing", "over a network"}, "", "Networks", "1.html#_Idx2"}},
                        936);
    EXPECT_EQ(Joined(lines), "<LI> <OBJECT type=\"text/sitemap\">\n"
                             "<param name=\"Name\" value=\"Installing\">\n"
                             "<param name=\"See Also\" value=\"Installing\">\n"
                             "</OBJECT>\n"
                             "<UL>\n"
                             "<LI> <OBJECT type=\"text/sitemap\">\n"
                             "<param name=\"Name\" value=\"from disc\">\n"
                             "<param name=\"Name\" value=\"Installing\">\n"
                             "<param name=\"Local\" value=\"0.html#_Idx1\">\n"
                             "<param name=\"Name\" value=\"Setup again\">\n"
                             "<param name=\"Local\" value=\"3.html#_Idx4\">\n"
                             "</OBJECT>\n"
                             "<LI> <OBJECT type=\"text/sitemap\">\n"
                             "<param name=\"Name\" value=\"over a network\">\n"
                             "<param name=\"Local\" value=\"1.html#_Idx2\">\n"
                             "</OBJECT>\n"
                             "</UL>\n");
}

TEST(IndexKeywords, ACrossReferenceIsASeeAlsoOrASubKeywordBesideTopics) {
    LineList onlyReference;
    AppendIndexKeywords(onlyReference, {{{"setup"}, "Installing", "", ""}}, 936);
    EXPECT_EQ(Joined(onlyReference), "<LI> <OBJECT type=\"text/sitemap\">\n"
                                     "<param name=\"Name\" value=\"setup\">\n"
                                     "<param name=\"See Also\" value=\"Installing\">\n"
                                     "</OBJECT>\n");
    LineList both;
    AppendIndexKeywords(both, {{{"setup"}, "Installing", "", ""}, {{"setup"}, "", "Usage", "2.html"}}, 936);
    const std::string text = Joined(both);
    EXPECT_NE(text.find("<param name=\"Name\" value=\"setup\">\n<param name=\"Local\" value=\"2.html\">"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<UL>\n<LI> <OBJECT type=\"text/sitemap\">\n<param name=\"Name\" value=\"Installing\">\n"
                        "<param name=\"See Also\" value=\"Installing\">"),
              std::string::npos)
        << text;
}

TEST(IndexKeywords, KeywordsSortAsTheViewerListsThem) {
    // Case does not count, an accented letter sorts beside its letter, Chinese after the Latin letters by its
    // code page's order (安 an before 中 zhong).
    std::vector<std::string> sorted;
    for (const char* utf8 :
         {"apple", "\xC3\x84rger", "Banana", "zebra", "\xE5\xAE\x89\xE8\xA3\x85", "\xE4\xB8\xAD\xE6\x96\x87"})
        sorted.push_back(Utf8ToNarrow(utf8).value_or(""));
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        EXPECT_TRUE(IndexKeywordLess(sorted[i], sorted[i + 1])) << sorted[i] << " < " << sorted[i + 1];
        EXPECT_FALSE(IndexKeywordLess(sorted[i + 1], sorted[i])) << sorted[i + 1] << " !< " << sorted[i];
    }
    LineList lines;
    AppendIndexKeywords(lines, {{{"zebra"}, "", "T", "0.html"}, {{"Apple"}, "", "T", "0.html"}}, 936);
    EXPECT_LT(Joined(lines).find("Apple"), Joined(lines).find("zebra"));
}
