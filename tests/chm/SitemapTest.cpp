#include <gtest/gtest.h>

#include "Sitemap.h"

namespace {

std::string Entry(const std::string& name, const std::string& local) {
    return "<LI> <OBJECT type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"" + name +
           "\">\r\n<param name=\"Local\" value=\"" + local + "\">\r\n</OBJECT>\r\n";
}

TEST(Sitemap, NestsListsUnderThePrecedingEntry) {
    const std::string text = "<HTML><BODY><OBJECT type=\"text/site properties\">\t<param name=\"Window Styles\" "
                             "value=\"0x800235\"></OBJECT><UL>" +
                             Entry("A", "0.html") + "<UL>" + Entry("A1", "1.html") + Entry("A2", "2.html") + "</UL>" +
                             Entry("B", "3.html") + "</UL></BODY></HTML>";
    const SitemapParseResult result = ParseSitemap(text);
    ASSERT_TRUE(result.status.ok()) << result.status.message;
    const auto& entries = result.sitemap.entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "A");
    ASSERT_EQ(entries[0].children.size(), 2u);
    EXPECT_EQ(entries[0].children[1].local, "2.html");
    EXPECT_EQ(entries[1].local, "3.html");
    ASSERT_EQ(result.sitemap.properties.size(), 1u);
    EXPECT_EQ(result.sitemap.properties[0].second, "0x800235");
}

TEST(Sitemap, ReadsVariantsOtherGeneratorsWrite) {
    // Lower case, single quotes, bare values, entities, Keyword instead of Name, several topics per keyword.
    const std::string text = "<ul><li><object type='text/sitemap'><param name=keyword value='a &amp; b'>"
                             "<param name='Name' value='T1'><param name='Local' value='x.htm'>"
                             "<param name='Name' value='T2'><param name='Local' value='y.htm#top'></object></ul>";
    const auto result = ParseSitemap(text);
    ASSERT_TRUE(result.status.ok()) << result.status.message;
    ASSERT_EQ(result.sitemap.entries.size(), 1u);
    const auto& entry = result.sitemap.entries[0];
    EXPECT_EQ(entry.keyword, "a & b");
    ASSERT_EQ(entry.targets.size(), 2u);
    EXPECT_EQ(entry.targets[1], std::make_pair(std::string("T2"), std::string("y.htm#top")));
}

TEST(Sitemap, RefusesMalformedFiles) {
    const std::vector<std::string> malformed = {
        "<UL>" + Entry("A", "0.html") + "</UL></UL>",
        "<UL><LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\">",
        "<UL><LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A",
        "<UL><LI> <OBJECT type=\"text/sitemap\"><OBJECT type=\"text/sitemap\"></OBJECT></OBJECT></UL>",
        "<UL><!-- never closed",
        "<UL><LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + std::string(10000, 'x') +
            "\"></OBJECT></UL>",
    };
    for (const std::string& text : malformed) {
        const auto result = ParseSitemap(text);
        EXPECT_FALSE(result.status.ok()) << text.substr(0, 60);
        EXPECT_NE(result.status.message.find("line"), std::string::npos);
    }
    std::string deep;
    for (int i = 0; i < 100; ++i)
        deep += "<UL>" + Entry("x", "0.html");
    EXPECT_FALSE(ParseSitemap(deep).status.ok());
}

} // namespace

TEST(Sitemap, CharacterReferencesBecomeCharactersOfTheProjectsCodePage) {
    const std::string text = "<UL>" +
                             Entry("Say &quot;hi&quot; &amp; &lt;b&gt; M&#220;ller &#x20AC; &#20013;", "0.html") +
                             Entry("kept: &#0; &#55296; &#99999999; &bogus; &#12", "1.html") + "</UL>";
    const auto result = ParseSitemap(text, 936);
    ASSERT_TRUE(result.status.ok()) << result.status.message;
    ASSERT_EQ(result.sitemap.entries.size(), 2u);
    // Names are shown by viewers decoding code page 936: what it cannot hold (four-byte GB18030, or the euro sign
    // whose GBK byte differs) stays a reference; the index's UTF-16 keyword has every character.
    EXPECT_EQ(result.sitemap.entries[0].name, "Say \"hi\" & <b> M&#220;ller &#x20AC; \xD6\xD0");
    EXPECT_EQ(result.sitemap.entries[0].keywordText, u"Say \"hi\" & <b> M\u00DCller \u20AC \u4E2D");
    EXPECT_EQ(result.sitemap.entries[1].name, "kept: &#0; &#55296; &#99999999; &bogus; &#12");
    // A path has every reference decoded: GB18030 holds every character, so it converts to the file's UTF-8 name.
    const auto path = ParseSitemap("<UL>" + Entry("&#220;", "&#220;ber &amp; \xD5\x5C.html") + "</UL>", 936);
    EXPECT_EQ(path.sitemap.entries[0].local, "\x81\x30\x89\x35"
                                             "ber & \xD5\x5C.html");
    EXPECT_EQ(path.sitemap.entries[0].keywordText, u"\u00DC");
    // A code page without the character keeps the reference.
    EXPECT_EQ(ParseSitemap("<UL>" + Entry("&#20013;&#252;", "0.html") + "</UL>", 1252).sitemap.entries[0].name,
              "&#20013;\xFC");
}
