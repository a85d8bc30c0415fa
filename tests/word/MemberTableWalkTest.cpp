// Every row of the Word member table, called through its wrapper against the recording server: the call that
// reaches Word carries the row's DISPID, kind and argument types, and the values the callers pass.

#include "FakeWordServer.h"

#include "automation/Variant.h"
#include "word/WordObjects.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>

namespace {

struct MemberCase {
    WordMember member;
    std::function<void(FakeWordServer&)> call;
    std::vector<std::string> expectedArgs;
};

template <typename Wrapper> Wrapper Make(FakeWordServer& server, WordObject kind) {
    return Wrapper(server.Create(kind, "subject"));
}

const std::string kMissing = "&ERROR:0x80020004";

// Word's own DISPIDs of the members called, written out here and not read from the member table, so a wrong
// number in the table fails the walk. One object a line: its members, each followed by its DISPID.
const char* const kWordDispidText = R"(
Application: Visible 23 Documents 6 Quit 1105
Documents: Open 18 Add 14
Document: Bookmarks 4 Paragraphs 16 Styles 22 Hyperlinks 61 ListParagraphs 84 WebOptions 330 SaveAs 376 Close 1105
Document: Range 2000 Fields 20 Footnotes 7 Endnotes 8
Paragraphs: Count 2 Item 0 Add 5
Paragraph: Range 0 OutlineLevel 202 Next 324 Previous 325 LineSpacingRule 110 SpaceBefore 111 SpaceAfter 112
Paragraph: SpaceBeforeAuto 132 SpaceAfterAuto 133
Range: Text 0 Start 3 End 4 Font 5 Sections 58 ListFormat 68 Hyperlinks 156 InlineShapes 319 SetRange 100 Cut 119
Range: Copy 120 Paste 121 Fields 64 LanguageID 153 LanguageIDFarEast 321
Sections: Item 0
Section: Headers 121 Footers 122
HeadersFooters: Item 0
HeaderFooter: Range 0
Hyperlinks: Count 1 Item 0 Add 101
Hyperlink: Name 1003 Address 1100
Bookmarks: ShowHidden 4 Count 2 Item 0 Add 5
Bookmark: Name 0 Range 1
Styles: Count 1 Item 0
Style: NameLocal 0 Font 10
Font: Underline 140 Size 141 Color 159
ListFormat: ListString 75 RemoveNumbers 185
ListParagraphs: Count 2 Item 0
InlineShapes: AddHorizontalLineStandard 105
InlineShape: HorizontalLineFormat 119
HorizontalLineFormat: PercentWidth 2
WebOptions: AllowPNG 7
Fields: Count 1 Item 0
Field: Code 0 Type 1 Delete 107
Footnotes: Count 2 Item 0
Footnote: Range 4 Reference 5
Endnotes: Count 2 Item 0
Endnote: Range 4 Reference 5)";

std::map<std::string, DISPID> WordDispids() {
    std::map<std::string, DISPID> dispids;
    std::istringstream lines(kWordDispidText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string object, member;
        DISPID dispid = 0;
        words >> object;
        while (words >> member >> dispid)
            dispids[object.substr(0, object.size() - 1) + "." + member] = dispid;
    }
    return dispids;
}

std::vector<MemberCase> Cases() {
    using W = WordObject;
    using M = WordMember;
    auto missing = [] { return ScopedVariant::Missing(); };
    return {
        {M::ApplicationVisible,
         [](auto& s) { Make<WordApplication>(s, W::Application).SetVisible(false); },
         {"BOOL:false"}},
        {M::ApplicationDocuments, [](auto& s) { Make<WordApplication>(s, W::Application).Documents(); }, {}},
        {M::ApplicationQuit,
         [](auto& s) {
             auto no = ScopedVariant::I2(0), original = ScopedVariant::I2(1), route = ScopedVariant::I2(0);
             Make<WordApplication>(s, W::Application).Quit(&no, &original, &route);
         },
         {"&I2:0", "&I2:1", "&I2:0"}},
        {M::DocumentsOpen,
         [missing](auto& s) {
             auto name = ScopedVariant::Bstr(u"/docs/手册.docx");
             auto yes = ScopedVariant::I2(1), no = ScopedVariant::I2(0);
             auto none = missing();
             Make<WordDocuments>(s, W::Documents)
                 .Open(&name, &no, &yes, &no, &none, &none, &no, &none, &none, &none, &none, &yes, &none, &none, &none);
         },
         {"&BSTR:/docs/手册.docx", "&I2:0", "&I2:1", "&I2:0", kMissing, kMissing, "&I2:0", kMissing, kMissing, kMissing,
          kMissing, "&I2:1", kMissing, kMissing, kMissing}},
        {M::DocumentsAdd,
         [missing](auto& s) {
             auto none = missing();
             auto no = ScopedVariant::I2(0), yes = ScopedVariant::I2(1);
             Make<WordDocuments>(s, W::Documents).Add(&none, &no, &none, &yes);
         },
         {kMissing, "&I2:0", kMissing, "&I2:1"}},
        {M::DocumentBookmarks, [](auto& s) { Make<WordDocument>(s, W::Document).Bookmarks(); }, {}},
        {M::DocumentParagraphs, [](auto& s) { Make<WordDocument>(s, W::Document).Paragraphs(); }, {}},
        {M::DocumentStyles, [](auto& s) { Make<WordDocument>(s, W::Document).Styles(); }, {}},
        {M::DocumentHyperlinks, [](auto& s) { Make<WordDocument>(s, W::Document).Hyperlinks(); }, {}},
        {M::DocumentListParagraphs, [](auto& s) { Make<WordDocument>(s, W::Document).ListParagraphs(); }, {}},
        {M::DocumentWebOptions, [](auto& s) { Make<WordDocument>(s, W::Document).WebOptions(); }, {}},
        {M::DocumentSaveAs,
         [missing](auto& s) {
             auto name = ScopedVariant::Bstr(u"/work/Temp/0.html");
             auto format = ScopedVariant::I4(10), no = ScopedVariant::I2(0);
             auto m = missing();
             Make<WordDocument>(s, W::Document)
                 .SaveAs(&name, &format, &m, &m, &no, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m, &m);
         },
         {"&BSTR:/work/Temp/0.html", "&I4:10", kMissing, kMissing, "&I2:0", kMissing, kMissing, kMissing, kMissing,
          kMissing, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing}},
        {M::DocumentClose,
         [missing](auto& s) {
             auto no = ScopedVariant::I2(0);
             auto m = missing();
             Make<WordDocument>(s, W::Document).Close(&no, &m, &m);
         },
         {"&I2:0", kMissing, kMissing}},
        {M::DocumentRange,
         [](auto& s) {
             auto start = ScopedVariant::I4(5), end = ScopedVariant::I4(90);
             Make<WordDocument>(s, W::Document).Range(&start, &end);
         },
         {"&I4:5", "&I4:90"}},
        {M::ParagraphsCount, [](auto& s) { Make<WordParagraphs>(s, W::Paragraphs).Count(); }, {}},
        {M::ParagraphsItem, [](auto& s) { Make<WordParagraphs>(s, W::Paragraphs).Item(3); }, {"I4:3"}},
        {M::ParagraphsAdd,
         [missing](auto& s) {
             auto m = missing();
             Make<WordParagraphs>(s, W::Paragraphs).Add(&m);
         },
         {kMissing}},
        {M::ParagraphRange, [](auto& s) { Make<WordParagraph>(s, W::Paragraph).Range(); }, {}},
        {M::ParagraphOutlineLevel, [](auto& s) { Make<WordParagraph>(s, W::Paragraph).OutlineLevel(); }, {}},
        {M::ParagraphNext,
         [missing](auto& s) {
             auto m = missing();
             Make<WordParagraph>(s, W::Paragraph).Next(&m);
         },
         {kMissing}},
        {M::ParagraphPrevious,
         [missing](auto& s) {
             auto m = missing();
             Make<WordParagraph>(s, W::Paragraph).Previous(&m);
         },
         {kMissing}},
        {M::ParagraphLineSpacingRule,
         [](auto& s) { Make<WordParagraph>(s, W::Paragraph).SetLineSpacingRule(0); },
         {"I4:0"}},
        {M::ParagraphSpaceBefore, [](auto& s) { Make<WordParagraph>(s, W::Paragraph).SetSpaceBefore(3.0f); }, {"R4:3"}},
        {M::ParagraphSpaceAfter, [](auto& s) { Make<WordParagraph>(s, W::Paragraph).SetSpaceAfter(3.0f); }, {"R4:3"}},
        {M::ParagraphSpaceBeforeAuto,
         [](auto& s) { Make<WordParagraph>(s, W::Paragraph).SetSpaceBeforeAuto(0); },
         {"I4:0"}},
        {M::ParagraphSpaceAfterAuto,
         [](auto& s) { Make<WordParagraph>(s, W::Paragraph).SetSpaceAfterAuto(0); },
         {"I4:0"}},
        {M::RangeText, [](auto& s) { Make<WordRange>(s, W::Range).Text(); }, {}},
        {M::RangeSetText, [](auto& s) { Make<WordRange>(s, W::Range).SetText("版权"); }, {"BSTR:版权"}},
        {M::RangeStart, [](auto& s) { Make<WordRange>(s, W::Range).Start(); }, {}},
        {M::RangeEnd, [](auto& s) { Make<WordRange>(s, W::Range).End(); }, {}},
        {M::RangeLanguageID, [](auto& s) { Make<WordRange>(s, W::Range).LanguageID(); }, {}},
        {M::RangeLanguageIDFarEast, [](auto& s) { Make<WordRange>(s, W::Range).LanguageIDFarEast(); }, {}},
        {M::RangeFont, [](auto& s) { Make<WordRange>(s, W::Range).Font(); }, {}},
        {M::RangeSections, [](auto& s) { Make<WordRange>(s, W::Range).Sections(); }, {}},
        {M::RangeListFormat, [](auto& s) { Make<WordRange>(s, W::Range).ListFormat(); }, {}},
        {M::RangeHyperlinks, [](auto& s) { Make<WordRange>(s, W::Range).Hyperlinks(); }, {}},
        {M::RangeInlineShapes, [](auto& s) { Make<WordRange>(s, W::Range).InlineShapes(); }, {}},
        {M::RangeFields, [](auto& s) { Make<WordRange>(s, W::Range).Fields(); }, {}},
        {M::RangeSetRange, [](auto& s) { Make<WordRange>(s, W::Range).SetRange(0, 17); }, {"I4:0", "I4:17"}},
        {M::RangeCut, [](auto& s) { Make<WordRange>(s, W::Range).Cut(); }, {}},
        {M::RangeCopy, [](auto& s) { Make<WordRange>(s, W::Range).Copy(); }, {}},
        {M::RangePaste, [](auto& s) { Make<WordRange>(s, W::Range).Paste(); }, {}},
        {M::SectionsItem, [](auto& s) { Make<WordSections>(s, W::Sections).Item(1); }, {"I4:1"}},
        {M::SectionHeaders, [](auto& s) { Make<WordSection>(s, W::Section).Headers(); }, {}},
        {M::SectionFooters, [](auto& s) { Make<WordSection>(s, W::Section).Footers(); }, {}},
        {M::HeadersFootersItem, [](auto& s) { Make<WordHeadersFooters>(s, W::HeadersFooters).Item(1); }, {"I4:1"}},
        {M::HeaderFooterRange, [](auto& s) { Make<WordHeaderFooter>(s, W::HeaderFooter).Range(); }, {}},
        {M::HyperlinksCount, [](auto& s) { Make<WordHyperlinks>(s, W::Hyperlinks).Count(); }, {}},
        {M::HyperlinksItem,
         [](auto& s) {
             auto index = ScopedVariant::I4(2);
             Make<WordHyperlinks>(s, W::Hyperlinks).Item(&index);
         },
         {"&I4:2"}},
        {M::HyperlinksAdd,
         [missing](auto& s) {
             WordRange anchor(s.Create(WordObject::Range, "anchor"));
             auto address = ScopedVariant::Bstr(u"1.html");
             auto m = missing();
             Make<WordHyperlinks>(s, W::Hyperlinks).Add(anchor, &address, &m, &m, &m, &m);
         },
         {"DISPATCH:anchor", "&BSTR:1.html", kMissing, kMissing, kMissing, kMissing}},
        {M::HyperlinkName, [](auto& s) { Make<WordHyperlink>(s, W::Hyperlink).Name(); }, {}},
        {M::HyperlinkAddress, [](auto& s) { Make<WordHyperlink>(s, W::Hyperlink).Address(); }, {}},
        {M::HyperlinkSetAddress,
         [](auto& s) { Make<WordHyperlink>(s, W::Hyperlink).SetAddress("2.html"); },
         {"BSTR:2.html"}},
        {M::BookmarksShowHidden,
         [](auto& s) { Make<WordBookmarks>(s, W::Bookmarks).SetShowHidden(true); },
         {"BOOL:true"}},
        {M::BookmarksCount, [](auto& s) { Make<WordBookmarks>(s, W::Bookmarks).Count(); }, {}},
        {M::BookmarksItem,
         [](auto& s) {
             auto index = ScopedVariant::I4(1);
             Make<WordBookmarks>(s, W::Bookmarks).Item(&index);
         },
         {"&I4:1"}},
        {M::BookmarksAdd,
         [](auto& s) {
             WordRange place(s.Create(WordObject::Range, "place"));
             Make<WordBookmarks>(s, W::Bookmarks).Add("_Idx1", place);
         },
         {"BSTR:_Idx1", "DISPATCH:place"}},
        {M::BookmarkName, [](auto& s) { Make<WordBookmark>(s, W::Bookmark).Name(); }, {}},
        {M::BookmarkRange, [](auto& s) { Make<WordBookmark>(s, W::Bookmark).Range(); }, {}},
        {M::StylesCount, [](auto& s) { Make<WordStyles>(s, W::Styles).Count(); }, {}},
        {M::StylesItem,
         [](auto& s) {
             auto index = ScopedVariant::I4(4);
             Make<WordStyles>(s, W::Styles).Item(&index);
         },
         {"&I4:4"}},
        {M::StyleNameLocal, [](auto& s) { Make<WordStyle>(s, W::Style).NameLocal(); }, {}},
        {M::StyleFont, [](auto& s) { Make<WordStyle>(s, W::Style).Font(); }, {}},
        {M::FontUnderline, [](auto& s) { Make<WordFont>(s, W::Font).SetUnderline(0); }, {"I4:0"}},
        {M::FontSize, [](auto& s) { Make<WordFont>(s, W::Font).SetSize(10.0f); }, {"R4:10"}},
        {M::FontColor,
         [](auto& s) { Make<WordFont>(s, W::Font).SetColor(0xA8A8A8); },
         {"I4:" + std::to_string(0xA8A8A8)}},
        {M::ListFormatListString, [](auto& s) { Make<WordListFormat>(s, W::ListFormat).ListString(); }, {}},
        {M::ListFormatRemoveNumbers,
         [missing](auto& s) {
             auto m = missing();
             Make<WordListFormat>(s, W::ListFormat).RemoveNumbers(&m);
         },
         {kMissing}},
        {M::ListParagraphsCount, [](auto& s) { Make<WordListParagraphs>(s, W::ListParagraphs).Count(); }, {}},
        {M::ListParagraphsItem, [](auto& s) { Make<WordListParagraphs>(s, W::ListParagraphs).Item(2); }, {"I4:2"}},
        {M::InlineShapesAddHorizontalLineStandard,
         [missing](auto& s) {
             auto m = missing();
             Make<WordInlineShapes>(s, W::InlineShapes).AddHorizontalLineStandard(&m);
         },
         {kMissing}},
        {M::InlineShapeHorizontalLineFormat,
         [](auto& s) { Make<WordInlineShape>(s, W::InlineShape).HorizontalLineFormat(); },
         {}},
        {M::HorizontalLineFormatPercentWidth,
         [](auto& s) { Make<WordHorizontalLineFormat>(s, W::HorizontalLineFormat).SetPercentWidth(100.0f); },
         {"R4:100"}},
        {M::WebOptionsAllowPNG,
         [](auto& s) { Make<WordWebOptions>(s, W::WebOptions).SetAllowPNG(true); },
         {"BOOL:true"}},
        {M::DocumentFields, [](auto& s) { Make<WordDocument>(s, W::Document).Fields(); }, {}},
        {M::DocumentFootnotes, [](auto& s) { Make<WordDocument>(s, W::Document).Footnotes(); }, {}},
        {M::FieldsCount, [](auto& s) { Make<WordFields>(s, W::Fields).Count(); }, {}},
        {M::FieldsItem, [](auto& s) { Make<WordFields>(s, W::Fields).Item(3); }, {"I4:3"}},
        {M::FieldCode, [](auto& s) { Make<WordField>(s, W::Field).Code(); }, {}},
        {M::FieldType, [](auto& s) { Make<WordField>(s, W::Field).Type(); }, {}},
        {M::FieldDelete, [](auto& s) { Make<WordField>(s, W::Field).Delete(); }, {}},
        {M::FootnotesCount, [](auto& s) { Make<WordFootnotes>(s, W::Footnotes).Count(); }, {}},
        {M::FootnotesItem, [](auto& s) { Make<WordFootnotes>(s, W::Footnotes).Item(1); }, {"I4:1"}},
        {M::FootnoteRange, [](auto& s) { Make<WordFootnote>(s, W::Footnote).Range(); }, {}},
        {M::FootnoteReference, [](auto& s) { Make<WordFootnote>(s, W::Footnote).Reference(); }, {}},
        {M::DocumentEndnotes, [](auto& s) { Make<WordDocument>(s, W::Document).Endnotes(); }, {}},
        {M::EndnotesCount, [](auto& s) { Make<WordEndnotes>(s, W::Endnotes).Count(); }, {}},
        {M::EndnotesItem, [](auto& s) { Make<WordEndnotes>(s, W::Endnotes).Item(2); }, {"I4:2"}},
        {M::EndnoteRange, [](auto& s) { Make<WordEndnote>(s, W::Endnote).Range(); }, {}},
        {M::EndnoteReference, [](auto& s) { Make<WordEndnote>(s, W::Endnote).Reference(); }, {}},
    };
}

} // namespace

TEST(MemberTableWalk, EveryMemberReachesWordWithItsDispidKindTypesAndValues) {
    std::set<WordMember> covered;
    const std::map<std::string, DISPID> wordDispids = WordDispids();
    for (const MemberCase& c : Cases()) {
        const WordMemberInfo& row = MemberInfo(c.member);
        const std::string name = std::string(WordObjectName(row.object)) + "." + std::string(row.name);
        SCOPED_TRACE(name);
        FakeWordServer server;
        server.links = {{"http://example.com/", ""}, {"", "_Toc1"}};
        server.bookmarks = {{"_Toc1", 0}};
        server.styleNames = {"Normal", "Heading 1", "Hyperlink", "FollowedHyperlink"};
        server.listParagraphLevels = {1, 10};
        c.call(server);
        ASSERT_EQ(server.calls.size(), 1u);
        const RecordedCall& call = server.calls.front();
        EXPECT_EQ(call.member, c.member);
        EXPECT_EQ(call.objectLabel, "subject");
        EXPECT_EQ(call.dispid, row.dispid);
        const auto known = wordDispids.find(name);
        ASSERT_NE(known, wordDispids.end()) << "no DISPID of Word's own to compare with";
        EXPECT_EQ(call.dispid, known->second);
        EXPECT_EQ(call.kind, row.kind);
        EXPECT_EQ(call.namedPut, row.kind == DISPATCH_PROPERTYPUT);
        ASSERT_EQ(call.argTypes.size(), row.params.size());
        for (size_t i = 0; i < row.params.size(); ++i)
            EXPECT_EQ(call.argTypes[i], ParamVarType(row.params[i])) << "argument " << i + 1;
        EXPECT_EQ(call.args, c.expectedArgs);
        EXPECT_EQ(server.LiveReferences(), 0) << "every reference the call produced was released";
        covered.insert(c.member);
    }
    EXPECT_EQ(covered.size(), kWordMembers.size()) << "a member of the table has no case here";
}
