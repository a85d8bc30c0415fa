// The document's own index entries (XE fields) through leafbind-cli: the index file in the help file, read back
// with chmlib and parsed by our sitemap reader, the anchors on the pages, and the binary keyword index the viewer
// reads, parsed here on its own.

#include "ChmReader.h"
#include "CliRun.h"
#include "Sitemap.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

class IndexEntriesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-xe-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

// GB2312 bytes of the Chinese texts the document holds, as the index file carries them.
const std::string kInstallChinese = "\xB0\xB2\xD7\xB0";          // 安装
const std::string kFromDiscChinese = "\xB4\xD3\xB9\xE2\xC5\xCC"; // 从光盘

const SitemapEntry* Find(const std::vector<SitemapEntry>& entries, const std::string& name, bool withChildren = false) {
    for (const SitemapEntry& entry : entries)
        if (entry.name == name && (!withChildren || !entry.children.empty()))
            return &entry;
    return nullptr;
}

size_t IndexOf(const std::vector<SitemapEntry>& entries, const std::string& name) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == name && !entries[i].children.empty())
            return i;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == name && entries[i].local.find('#') != std::string::npos)
            return i;
    for (size_t i = entries.size(); i-- > 0;)
        if (entries[i].name == name)
            return i;
    return std::string::npos;
}

// The targets that lead somewhere (the first Name of a keyword with several topics names the keyword itself).
std::vector<std::pair<std::string, std::string>> Topics(const SitemapEntry& entry) {
    std::vector<std::pair<std::string, std::string>> topics;
    for (const auto& target : entry.targets)
        if (!target.second.empty())
            topics.push_back(target);
    return topics;
}

// One listing entry of $WWKeywordLinks/BTree, read as the viewer reads it.
struct ListedKeyword {
    std::u16string text;
    uint16_t seeAlso = 0;
    uint16_t depth = 0;
    uint32_t lastLevelStart = 0;
    std::vector<uint32_t> topics;
    std::u16string seeAlsoText;
};

uint16_t U16(const std::string& bytes, size_t at) {
    uint16_t value = 0;
    if (at + 2 <= bytes.size())
        std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    if (at + 4 <= bytes.size())
        std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::u16string Utf16Z(const std::string& bytes, size_t& at) {
    std::u16string text;
    for (; at + 2 <= bytes.size(); at += 2) {
        const char16_t c = U16(bytes, at);
        if (c == 0)
            break;
        text += c;
    }
    at += 2;
    return text;
}

std::vector<ListedKeyword> ReadListing(const std::string& btree) {
    std::vector<ListedKeyword> keywords;
    constexpr size_t kHeader = 0x4C, kBlock = 2048;
    const uint32_t lastListingBlock = U32(btree, 0x1C);
    for (uint32_t block = 0; block <= lastListingBlock; ++block) {
        const size_t start = kHeader + block * kBlock;
        const uint16_t count = U16(btree, start + 2);
        size_t at = start + 12;
        for (uint16_t i = 0; i < count; ++i) {
            ListedKeyword keyword;
            keyword.text = Utf16Z(btree, at);
            keyword.seeAlso = U16(btree, at);
            keyword.depth = U16(btree, at + 2);
            keyword.lastLevelStart = U32(btree, at + 4);
            const uint32_t pairs = U32(btree, at + 12);
            at += 16;
            if (keyword.seeAlso == 2) {
                keyword.seeAlsoText = Utf16Z(btree, at);
            } else {
                for (uint32_t p = 0; p < pairs; ++p, at += 4)
                    keyword.topics.push_back(U32(btree, at));
            }
            at += 8;
            keywords.push_back(std::move(keyword));
        }
    }
    return keywords;
}

} // namespace

TEST_F(IndexEntriesEndToEnd, EntriesBecomeNestedKeywordsLandingWhereTheTermIs) {
    DocxBuilder doc;
    doc.AddHeading(1, "Installing")
        .AddParagraph({Text("Put the disc in."), RawXml(IndexEntryXml(" XE \"Installing:from disc\" ", 3))});
    for (int i = 0; i < 30; ++i)
        doc.AddParagraph("Filler paragraph number " + std::to_string(i) + " of a long topic.");
    doc.AddParagraph({Text("The setup "), RawXml(IndexEntryXml(" XE \"Setup program\" \\b ")), Text("program starts."),
                      RawXml(SimpleIndexEntryXml(" XE \"setup\" \\t \"See Installing\" "))})
        .AddHeading(1, "Networks")
        .AddParagraph(
            {Text("A network share. "), RawXml(SimpleIndexEntryXml(" XE \"Installing:over a network\" \\i "))});
    TableCell cell;
    cell.paragraphs = {"Cell text."};
    cell.paragraphXml = "<w:r><w:t>In the cell.</w:t></w:r>" + IndexEntryXml(" XE \"Tables:cells\" ");
    doc.AddTable({{cell, TableCell{}}});
    doc.AddParagraph({Text("See the note"),
                      FootnoteXml("<w:r><w:t>The note's text.</w:t></w:r>" + IndexEntryXml(" XE \"Footnotes\" ")),
                      Text(" and the endnote"),
                      EndnoteXml("<w:r><w:t>At the end.</w:t></w:r>" + IndexEntryXml(" XE \"Endnotes\" "))})
        .AddParagraph({Text("Odd entries. "), RawXml(IndexEntryXml(" XE \"The \\\"quoted\\\" word\" \\f \"b\" ")),
                       RawXml(IndexEntryXml(" XE \"Time\\: 12\\:30\" ")), RawXml(IndexEntryXml(" XE \"\" ")),
                       RawXml(IndexEntryXml(" XE \"Ranged\" \\r NoSuchMark "))})
        .AddHeading(1, "\xE4\xB8\xAD\xE6\x96\x87") // 中文
        .AddParagraph({Text("\xE5\xAE\x89\xE8\xA3\x85"),
                       RawXml(IndexEntryXml(" XE \"\xE5\xAE\x89\xE8\xA3\x85:\xE4\xBB\x8E\xE5\x85\x89\xE7\x9B\x98\" ")),
                       RawXml(IndexEntryXml(" XE \"\xC3\x84rger\" ")), RawXml(IndexEntryXml(" XE \"Zebra\" "))})
        .AddHeading(1, "Setup again")
        .AddParagraph({BookmarkStart("Marked"), Text("Marked text."), BookmarkEnd("Marked"),
                       RawXml(IndexEntryXml(" XE \"Installing:from disc\" ")),
                       RawXml(IndexEntryXml(" XE \"Bookmarked range\" \\r marked "))})
        .AddHeading(1, "Index")
        .AddParagraph(
            {RawXml("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> INDEX \\e \"	\" "
                    "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
                    "<w:r><w:t>Dead index line, 3</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")});
    doc.Save(folder / "entries.docx");

    const CliRun run = RunCli({(folder / "entries.docx").string(), "-o", (folder / "Manual.chm").string(), "--title",
                               "Manual", "--keep", (folder / "kept").string()});
    ASSERT_EQ(run.status, 0) << run.output;
    // 15 entries: the empty one is left out, the one with a missing bookmark kept at its own place.
    EXPECT_NE(run.output.find("15 index entries"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("an index entry without text"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"Ranged\" names the bookmark NoSuchMark"), std::string::npos) << run.output;

    auto chm = ChmReader::Open((folder / "Manual.chm").string());
    ASSERT_TRUE(chm);
    const std::string hhk = chm->Read("/Manual.hhk").value_or("");
    const SitemapParseResult parsed = ParseSitemap(hhk, 936);
    ASSERT_TRUE(parsed.status.ok()) << parsed.status.message;
    const auto& entries = parsed.sitemap.entries;

    // The headings' keywords come first, as before, in document order.
    ASSERT_GE(entries.size(), 5u);
    EXPECT_EQ(entries[0].name, "Installing");
    EXPECT_EQ(entries[0].local, "0.html");
    EXPECT_EQ(entries[1].name, "Networks");
    EXPECT_EQ(entries[4].name, "Index");

    // A keyword with sub-keywords; one of them leads to two topics, listed by topic title.
    const SitemapEntry* installing = Find(entries, "Installing", true);
    ASSERT_TRUE(installing) << hhk;
    ASSERT_EQ(installing->children.size(), 2u);
    EXPECT_EQ(installing->children[0].name, "from disc");
    const auto fromDisc = Topics(installing->children[0]);
    ASSERT_EQ(fromDisc.size(), 2u) << hhk;
    EXPECT_EQ(fromDisc[0].first, "Installing");
    EXPECT_EQ(fromDisc[0].second.substr(0, 7), "0.html#");
    EXPECT_EQ(fromDisc[1].first, "Setup again");
    EXPECT_EQ(fromDisc[1].second.substr(0, 7), "3.html#");
    EXPECT_EQ(installing->children[1].name, "over a network");
    EXPECT_EQ(installing->children[1].local.substr(0, 7), "1.html#");

    // A cross-reference leads to no page; the keyword it names is there.
    const SitemapEntry* setup = Find(entries, "setup");
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->seeAlso, "Installing");
    EXPECT_TRUE(Topics(*setup).empty());

    // An entry in the middle of a long topic lands after the text before it.
    const SitemapEntry* program = Find(entries, "Setup program");
    ASSERT_TRUE(program);
    const size_t hash = program->local.find('#');
    ASSERT_NE(hash, std::string::npos) << program->local;
    const std::string page0 = chm->Read("/0.html").value_or("");
    const size_t anchor = page0.find("name=\"" + program->local.substr(hash + 1) + "\"");
    ASSERT_NE(anchor, std::string::npos) << page0;
    EXPECT_GT(anchor, page0.find("Filler paragraph number 29")) << page0;
    EXPECT_GT(anchor, page0.find("The setup"));
    EXPECT_LT(anchor, page0.find("program starts."));

    // Entries in a table cell and in notes lead to the page that shows them, at an anchor it carries.
    const std::string page1 = chm->Read("/1.html").value_or("");
    for (const char* name : {"Tables", "Footnotes", "Endnotes"}) {
        const SitemapEntry* entry = Find(entries, name);
        ASSERT_TRUE(entry) << name;
        const SitemapEntry& leaf = entry->children.empty() ? *entry : entry->children[0];
        ASSERT_EQ(leaf.local.substr(0, 7), "1.html#") << name;
        EXPECT_NE(page1.find("name=\"" + leaf.local.substr(7) + "\""), std::string::npos) << name << page1;
    }

    // Quotes and colons written with a backslash are the entry's own text.
    EXPECT_TRUE(Find(entries, "The &quot;quoted&quot; word") || Find(entries, "The \"quoted\" word")) << hhk;
    EXPECT_TRUE(Find(entries, "Time: 12:30")) << hhk;
    // \r: the entry leads to the bookmark's start.
    const SitemapEntry* ranged = Find(entries, "Bookmarked range");
    ASSERT_TRUE(ranged);
    EXPECT_EQ(ranged->local.substr(0, 7), "3.html#");

    // Chinese keywords nest too and sort after the Latin ones; an accented letter sorts beside its letter.
    const SitemapEntry* chinese = Find(entries, kInstallChinese, true);
    ASSERT_TRUE(chinese) << hhk;
    ASSERT_EQ(chinese->children.size(), 1u);
    EXPECT_EQ(chinese->children[0].name, kFromDiscChinese);
    EXPECT_EQ(chinese->children[0].local.substr(0, 7), "2.html#");
    // A help file in code page 936 has no Ä: the index holds its look-alike, never a visible reference.
    EXPECT_EQ(IndexOf(entries, "&#196;rger"), std::string::npos) << hhk;
    const size_t umlaut = IndexOf(entries, "Arger");
    ASSERT_NE(umlaut, std::string::npos) << hhk;
    EXPECT_LT(umlaut, IndexOf(entries, "Footnotes"));
    EXPECT_LT(IndexOf(entries, "Footnotes"), IndexOf(entries, "Zebra"));
    EXPECT_LT(IndexOf(entries, "Zebra"), IndexOf(entries, kInstallChinese));

    // Word's own index is not a page of dead text.
    for (const std::string& name : chm->List())
        if (name.ends_with(".html"))
            EXPECT_EQ(chm->Read(name).value_or("").find("Dead index line"), std::string::npos) << name;

    // The binary index holds the same keywords: sub-keywords under their keyword, several topics, See Also.
    const auto btree = chm->Read("/$WWKeywordLinks/BTree");
    ASSERT_TRUE(btree);
    std::map<std::u16string, ListedKeyword> listed;
    for (ListedKeyword& keyword : ReadListing(*btree))
        listed[keyword.text] = keyword;
    ASSERT_TRUE(listed.contains(u"Installing, from disc"));
    const ListedKeyword& nested = listed[u"Installing, from disc"];
    EXPECT_EQ(nested.depth, 1);
    EXPECT_EQ(nested.lastLevelStart, 12u);
    EXPECT_EQ(nested.topics.size(), 2u);
    ASSERT_TRUE(listed.contains(u"setup"));
    EXPECT_EQ(listed[u"setup"].seeAlso, 2);
    EXPECT_EQ(listed[u"setup"].seeAlsoText, u"Installing");
    ASSERT_TRUE(listed.contains(u"\u5B89\u88C5, \u4ECE\u5149\u76D8"));
    EXPECT_EQ(listed[u"\u5B89\u88C5, \u4ECE\u5149\u76D8"].topics.size(), 1u);
}

TEST_F(IndexEntriesEndToEnd, ADocumentWithoutEntriesKeepsItsIndexOfHeadings) {
    DocxBuilder doc;
    doc.AddHeading(1, "Alpha").AddParagraph("Text.").AddHeading(2, "Beta").AddParagraph("More.");
    doc.Save(folder / "plain.docx");
    const CliRun run =
        RunCli({(folder / "plain.docx").string(), "-o", (folder / "Plain.chm").string(), "--title", "Plain"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("0 index entries"), std::string::npos) << run.output;
    auto chm = ChmReader::Open((folder / "Plain.chm").string());
    ASSERT_TRUE(chm);
    const SitemapParseResult parsed = ParseSitemap(chm->Read("/Plain.hhk").value_or(""), 936);
    ASSERT_TRUE(parsed.status.ok());
    ASSERT_EQ(parsed.sitemap.entries.size(), 2u);
    EXPECT_EQ(parsed.sitemap.entries[0].name, "Alpha");
    EXPECT_EQ(parsed.sitemap.entries[1].name, "Beta");
    EXPECT_TRUE(parsed.sitemap.entries[1].children.empty());
}
