// Markup characters written as references, for element content and for attribute values, and every other byte
// left as it is.

#include "base/HtmlEscape.h"

#include <gtest/gtest.h>

TEST(HtmlEscape, MarkupCharactersBecomeReferencesAndOtherBytesStay) {
    const struct {
        std::string text, asText, asAttribute;
    } cases[] = {
        {"", "", ""},
        {"plain words", "plain words", "plain words"},
        {"a & b", "a &amp; b", "a &amp; b"},
        {"<b>", "&lt;b&gt;", "&lt;b&gt;"},
        {"say \"hi\"", "say \"hi\"", "say &quot;hi&quot;"},
        {"it's", "it's", "it's"},
        {"&amp;", "&amp;amp;", "&amp;amp;"},
        {"\"<&>\"", "\"&lt;&amp;&gt;\"", "&quot;&lt;&amp;&gt;&quot;"},
        {"中文 <é>", "中文 &lt;é&gt;", "中文 &lt;é&gt;"},
        {"\xD6\xD0\xCE\xC4 & \x81\x40", "\xD6\xD0\xCE\xC4 &amp; \x81\x40", "\xD6\xD0\xCE\xC4 &amp; \x81\x40"},
        {std::string("a\0b", 3), std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(EscapedHtmlText(test.text), test.asText) << test.text;
        EXPECT_EQ(EscapedHtmlAttribute(test.text), test.asAttribute) << test.text;
    }
}
