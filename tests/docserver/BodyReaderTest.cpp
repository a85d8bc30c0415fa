// The main body's blocks leave the parsed tree as they are read, apart from those the reader comes back to: a block
// holding section properties or a text box.

#include "docserver/docx/BodyReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kBody =
    "<w:document xmlns:w='w' xmlns:v='v'><w:body>"
    "<w:p><w:r><w:t>one</w:t></w:r></w:p>"
    "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>two</w:t></w:r></w:p>"
    "<w:p><w:r><w:pict><v:textbox><w:txbxContent><w:p><w:r><w:t>boxed</w:t></w:r></w:p></w:txbxContent>"
    "</v:textbox></w:pict></w:r></w:p>"
    "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
    "<w:p><w:r><w:t>four</w:t></w:r></w:p>"
    "<w:sectPr/>"
    "</w:body></w:document>";

// The texts of the body's blocks still in the tree ("" for one without text).
std::vector<std::string> BlocksLeft(const pugi::xml_node& body) {
    std::vector<std::string> left;
    for (pugi::xml_node block = body.first_child(); block; block = block.next_sibling()) {
        std::string text;
        for (const pugi::xpath_node& t : block.select_nodes(".//*[local-name()='t']"))
            text += t.node().text().get();
        left.push_back(text);
    }
    return left;
}

} // namespace

TEST(BodyReader, BlocksLeaveTheTreeOnceReadButThoseReadAgainStay) {
    for (const bool freeing : {false, true}) {
        SCOPED_TRACE(freeing ? "freeing" : "keeping");
        pugi::xml_document xml;
        ASSERT_TRUE(xml.load_string(kBody));
        const pugi::xml_node body = xml.document_element().first_child();
        Document document;
        Story story;
        BodyReader reader(document, story, PartContext{});
        if (freeing)
            reader.FreeBlocksAsRead();
        ASSERT_TRUE(reader.Read(body));
        const std::u16string text = story.text;
        for (const std::u16string& part : {u"one", u"two", u"cell", u"four"})
            EXPECT_NE(text.find(part), std::u16string::npos);
        EXPECT_EQ(text.find(u"boxed"), std::u16string::npos) << "a text box's text is a story of its own";
        ASSERT_EQ(reader.sectionProperties().size(), 2u);
        ASSERT_EQ(reader.textBoxes().size(), 1u);
        EXPECT_STREQ(reader.textBoxes()[0].content.first_child().first_child().child("w:t").text().get(), "boxed");
        const std::vector<std::string> expected =
            freeing ? std::vector<std::string>{"two", "boxed", ""}
                    : std::vector<std::string>{"one", "two", "boxed", "cell", "four", ""};
        EXPECT_EQ(BlocksLeft(body), expected);
    }
}
