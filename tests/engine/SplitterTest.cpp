// The page split and page decoration against the recording server: the calls, their order and their arguments.

#include "FakeWordServer.h"

#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "engine/ChmConverter.h"
#include "engine/ConvertOptions.h"
#include "engine/PageDecoration.h"
#include "word/AutomationError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const std::string M = "&ERROR:0x80020004";

// Filtered HTML, in the help file's code page (936: the fake server declares no language).
std::vector<std::string> SaveAsArgs(const std::string& path) {
    std::vector<std::string> args{"&BSTR:" + path, "&I4:10", M, M, "&I2:0"};
    args.resize(16, M);
    args[11] = "&I4:936";
    return args;
}

class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        server.Register();
    }
    void TearDown() override { job.reset(); }

    // The link fix-up of one page as the split runs it: what it leaves unchanged joins the run's warnings.
    void FixLinks(WordRange pageRange) {
        for (std::string& warning :
             FixPageLinks(pageRange, [this](const std::string& name) { return job->PageFileForBookmark(name); }))
            job->warnings.push_back(std::move(warning));
    }

    int32_t PageOf(WordRange range) {
        std::vector<TopicNode*> topics;
        CollectPreOrder(job->root->firstChild, topics);
        return PageIndexOfPosition(topics, range);
    }

    // Opens the scripted source, builds its tree, and returns the index of the first call after that.
    size_t Prepare(std::vector<ScriptedParagraph> paragraphs) {
        server.SetSourceParagraphs(std::move(paragraphs));
        job = std::make_unique<ChmConverter>("/d/source.docx", "/w", options);
        EXPECT_EQ(job->StartWordAndOpen(), 1);
        job->BuildTopicTree();
        return server.calls.size();
    }

    // Position of the first line equal to text at or after from; npos when absent.
    static size_t Find(const std::vector<std::string>& trace, const std::string& text, size_t from = 0) {
        auto it = std::find(trace.begin() + std::min(from, trace.size()), trace.end(), text);
        return it == trace.end() ? std::string::npos : static_cast<size_t>(it - trace.begin());
    }

    // The calls from first on that change a document, or the clipboard a paste takes from, in the order made;
    // reads are left out.
    std::vector<std::string> Changes(size_t first) const {
        static const std::set<WordMember> kChanging = {WordMember::DocumentsAdd,
                                                       WordMember::RangeCut,
                                                       WordMember::RangeCopy,
                                                       WordMember::RangePaste,
                                                       WordMember::ParagraphsAdd,
                                                       WordMember::HyperlinksAdd,
                                                       WordMember::DocumentSaveAs,
                                                       WordMember::DocumentClose,
                                                       WordMember::ListFormatRemoveNumbers,
                                                       WordMember::InlineShapesAddHorizontalLineStandard};
        const std::vector<std::string> trace = server.Trace(first);
        std::vector<std::string> changes;
        for (size_t i = 0; i < trace.size(); ++i) {
            const RecordedCall& call = server.calls[first + i];
            if (call.kind == DISPATCH_PROPERTYPUT || kChanging.count(call.member))
                changes.push_back(trace[i]);
        }
        return changes;
    }

    FakeWordServer server;
    std::unique_ptr<ChmConverter> job;
    PageOptions options; // the next job's
};

} // namespace

TEST_F(SplitterTest, EachPageIsAssembledDecoratedAndSavedInThisOrder) {
    const size_t first = Prepare({{10, "Title"}, {1, "A"}, {10, "a body"}, {1, "B"}, {10, "b body"}});
    job->SplitPages();
    const std::vector<std::string> trace = server.Trace(first);
    // Each page: the page document is emptied, the heading and its text are copied in, links are fixed (none
    // here), there are no sub-topics, no heading numbers and no copyright text; then the spacing, and the save.
    const std::vector<std::string> pageChanges = {
        "Range.Cut",
        "Range.Copy",
        "Range.Paste",
        "Paragraph.LineSpacingRule=I4:0",
        "Paragraph.SpaceAfterAuto=I4:0",
        "Paragraph.SpaceBeforeAuto=I4:0",
        "Paragraph.SpaceAfter=R4:3",
        "Paragraph.SpaceBefore=R4:3",
        "WebOptions.AllowPNG=BOOL:true",
    };
    std::vector<std::string> expected = {"Documents.Add(" + M + ", &I2:0, " + M + ", &I2:1)"};
    for (const std::string page : {"/w/0.html", "/w/1.html"}) {
        expected.insert(expected.end(), pageChanges.begin(), pageChanges.end());
        std::string saveAs = "Document.SaveAs(";
        for (const std::string& arg : SaveAsArgs(page))
            saveAs += (saveAs.back() == '(' ? "" : ", ") + arg;
        expected.push_back(saveAs + ")");
    }
    expected.push_back("Document.Close(&I2:0, " + M + ", " + M + ")");
    EXPECT_EQ(Changes(first), expected);

    // The first page runs to the paragraph before the next heading, as body text follows it.
    EXPECT_NE(Find(trace, "Document.Range(&I4:6, &I4:15)"), std::string::npos);
    // The last page runs to the end of the document.
    EXPECT_NE(Find(trace, "Document.Range(&I4:15, &I4:24)"), std::string::npos);
    const auto saves = server.CallsOf(WordMember::DocumentSaveAs);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].args, SaveAsArgs("/w/0.html"));
    EXPECT_EQ(saves[1].args, SaveAsArgs("/w/1.html"));
    EXPECT_EQ(trace.back(), "Document.Close(&I2:0, " + M + ", " + M + ")");
    EXPECT_EQ(server.calls.back().objectLabel, "Document#added1") << "the source document is never closed here";
    EXPECT_EQ(job->pageFiles, (std::vector<std::string>{"0.html", "1.html"}));
    EXPECT_EQ(job->root->firstChild->pageName, "0.html");
    EXPECT_EQ(server.CountOf(WordMember::DocumentsAdd), 1) << "one page document serves every page";
}

TEST_F(SplitterTest, HeadingFollowedByAnotherHeadingIsAPageOfItsOwnLine) {
    const size_t first = Prepare({{1, "A"}, {2, "B"}, {10, "b"}, {1, "C"}});
    job->SplitPages();
    const auto trace = server.Trace(first);
    // A: the next paragraph is a heading, so no range is formed; C: the last paragraph, no next at all.
    const auto ranges = server.CallsOf(WordMember::DocumentRange);
    std::vector<std::string> sourceRanges;
    for (const RecordedCall& call : ranges)
        if (call.objectLabel == "Document#source")
            sourceRanges.push_back(call.args[0] + " " + call.args[1]);
    EXPECT_EQ(sourceRanges, std::vector<std::string>{"&I4:2 &I4:6"}) << "only B takes body text";
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "Paragraph.OutlineLevel"), 2)
        << "A's and B's next paragraphs are asked; C has no next paragraph";
}

TEST_F(SplitterTest, HeaderGoesFirstAndFooterAfterTheCopyrightBeforeSpacing) {
    options.showHeader = true;
    options.showFooter = true;
    options.copyrightText = "(c) Leafbind";
    const size_t first = Prepare({{1, "A"}, {10, "a"}});
    job->SplitPages();
    const auto trace = server.Trace(first);
    const size_t headers = Find(trace, "Section.Headers");
    const size_t contentCopy = Find(trace, "Range.Copy", headers + 1);
    const size_t rule = Find(trace, "InlineShapes.AddHorizontalLineStandard(" + M + ")");
    const size_t footers = Find(trace, "Section.Footers");
    const size_t spacing = Find(trace, "Paragraph.LineSpacingRule=I4:0");
    ASSERT_NE(headers, std::string::npos);
    ASSERT_NE(footers, std::string::npos);
    EXPECT_LT(headers, contentCopy);
    EXPECT_LT(rule, footers);
    EXPECT_LT(footers, spacing);
    EXPECT_EQ(std::vector<std::string>(trace.begin() + headers, trace.begin() + headers + 9),
              (std::vector<std::string>{"Section.Headers", "HeadersFooters.Item(I4:1)", "HeaderFooter.Range",
                                        "Range.Copy", "Range.Paste", "Paragraphs.Add(" + M + ")",
                                        "Paragraphs.Add(" + M + ")", "Paragraphs.Add(" + M + ")", "Paragraph.Range"}));
}

TEST_F(SplitterTest, OptionsChangedDuringARunDoNotReachItsLaterPages) {
    ConvertOptions store; // the desktop program's, which a run copies at its start
    options = store.Snapshot();
    const size_t first = Prepare({{1, "A"}, {10, "a"}, {1, "B"}, {10, "b"}});
    std::vector<std::string> seen;
    job->pageObserver = [&](int32_t page, int32_t count, const std::string& title) {
        seen.push_back(std::to_string(page) + "/" + std::to_string(count) + " " + title);
        PageOptions changed = store.Snapshot(); // the dialog changes them while the run goes on
        changed.showNumbering = true;
        changed.pngImages = false;
        store.Store(changed);
    };
    job->SplitPages();
    EXPECT_EQ(seen, (std::vector<std::string>{"0/2 A", "1/2 B"}));
    const auto trace = server.Trace(first);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "Document.ListParagraphs"), 2) << "numbers off on both pages";
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "Document.WebOptions"), 2) << "PNG on both pages";
}

TEST_F(SplitterTest, LinksToBookmarksPointAtTheirPagesAndOthersStayAsTheyAre) {
    // Headings start at 0 (A), 4 (B), 8 (C).
    Prepare({{1, "A"}, {10, "a"}, {1, "B"}, {10, "b"}, {1, "C"}, {10, "c"}});
    server.bookmarks = {{"_Toc1", 0}, {"before", 0}, {"inB", 6}, {"_Ref9", 10}};
    server.links = {{"http://example.com/", ""}, {"", "_Ref9"}, {"", "inB"}, {"", "gone"}};
    const size_t first = server.calls.size();
    FixLinks(WordRange(server.Create(WordObject::Range, "page")));
    std::vector<std::string> puts;
    for (const RecordedCall& call : server.CallsOf(WordMember::HyperlinkSetAddress))
        puts.push_back(call.objectLabel + " " + call.args[0]);
    EXPECT_EQ(puts, (std::vector<std::string>{"Hyperlink#2 BSTR:2.html", "Hyperlink#3 BSTR:1.html"}));
    EXPECT_EQ(job->warnings.size(), 1u) << "the missing bookmark is reported";
    const auto trace = server.Trace(first);
    EXPECT_NE(Find(trace, "Bookmarks.ShowHidden=BOOL:true"), std::string::npos);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "Hyperlinks.Count"), 5) << "the count is read before every pass";
}

TEST_F(SplitterTest, AFailingLinkIsSkippedAndTheRestAreStillFixed) {
    Prepare({{1, "A"}, {10, "a"}, {1, "B"}, {10, "b"}});
    server.bookmarks = {{"inB", 5}}; // B starts at 4
    server.links = {{"", "inB"}, {"", "inB"}};
    server.FailWith(WordMember::HyperlinkAddress, DISP_E_EXCEPTION, "The link is damaged.", 0, 1);
    FixLinks(WordRange(server.Create(WordObject::Range, "page")));
    const auto puts = server.CallsOf(WordMember::HyperlinkSetAddress);
    ASSERT_EQ(puts.size(), 1u) << "the loop went on after the failing link";
    EXPECT_EQ(puts[0].objectLabel, "Hyperlink#2");
    EXPECT_EQ(puts[0].args[0], "BSTR:1.html");
    EXPECT_EQ(job->warnings.size(), 1u);

    // A failure while getting the collection itself is not swallowed.
    server.FailWith(WordMember::RangeHyperlinks, DISP_E_EXCEPTION, "No links today.");
    EXPECT_THROW(FixLinks(WordRange(server.Create(WordObject::Range, "page"))), DispatchError);
}

TEST_F(SplitterTest, PositionsMapToTheLastHeadingAtOrBeforeThem) {
    // Headings start at 3 (A), 5 (B), 9 (C).
    Prepare({{10, "tt"}, {1, "A"}, {1, "B"}, {10, "b"}, {1, "C"}});
    auto at = [&](int position) {
        FakeWordObject* range = server.Create(WordObject::Range, "probe");
        range->start = position;
        return PageOf(WordRange(range));
    };
    EXPECT_EQ(at(0), 0) << "before the first heading";
    EXPECT_EQ(at(2), 0);
    EXPECT_EQ(at(3), 0);
    EXPECT_EQ(at(4), 0);
    EXPECT_EQ(at(5), 1);
    EXPECT_EQ(at(8), 1);
    EXPECT_EQ(at(9), 2);
    EXPECT_EQ(at(500), 2) << "after the last heading";
}

// Large manuals have thousands of links and headings: the bookmarks are walked once per split, not once per
// link, and a position's page is found by halving, not by reading every heading.
TEST_F(SplitterTest, LinkTargetsCostOneBookmarkWalkPerSplitAndFewHeadingReads) {
    std::vector<ScriptedParagraph> paragraphs;
    for (int i = 0; i < 64; ++i) {
        paragraphs.push_back({1, "H" + std::to_string(i)});
        paragraphs.push_back({10, "body"});
    }
    Prepare(paragraphs);
    server.bookmarks = {{"inFirst", 1}, {"late", 400}, {"last", 100000}};
    server.links = {{"", "late"}, {"", "inFirst"}, {"", "late"}, {"", "last"}, {"", "late"}, {"", "gone"}};
    const size_t bookmarkReadsBefore = server.CallsOf(WordMember::BookmarksItem).size();
    FixLinks(WordRange(server.Create(WordObject::Range, "page 1")));
    FixLinks(WordRange(server.Create(WordObject::Range, "page 2")));
    EXPECT_EQ(server.CallsOf(WordMember::BookmarksItem).size() - bookmarkReadsBefore, 3u);

    std::vector<std::string> targets;
    for (const RecordedCall& call : server.CallsOf(WordMember::HyperlinkSetAddress))
        targets.push_back(call.args[0]);
    // "Hi" plus its body take 8 positions below ten, 9 from there: heading 45 starts at 395, so position 400
    // is on page 45; position 1 on page 0, and anything past the last heading on the last page.
    const std::vector<std::string> perPage = {"BSTR:45.html", "BSTR:0.html", "BSTR:45.html", "BSTR:63.html",
                                              "BSTR:45.html"};
    std::vector<std::string> expected = perPage;
    expected.insert(expected.end(), perPage.begin(), perPage.end());
    EXPECT_EQ(targets, expected);
    EXPECT_EQ(job->warnings.size(), 2u) << "the missing bookmark, once per page";

    const size_t headingReadsBefore = server.CallsOf(WordMember::ParagraphRange).size();
    FakeWordObject* probe = server.Create(WordObject::Range, "probe");
    probe->start = 200;
    PageOf(WordRange(probe));
    EXPECT_LE(server.CallsOf(WordMember::ParagraphRange).size() - headingReadsBefore, 8u);
}

TEST_F(SplitterTest, RelatedTopicsListTheDirectChildrenWithLinksToTheirPages) {
    Prepare({{1, "Parent"}, {2, "One\r"}, {3, "Grandchild"}, {2, "Two"}, {1, "Other"}});
    const size_t first = server.calls.size();
    WordDocument page(server.Create(WordObject::Document, "page"));
    AppendRelatedTopics(*job->root->firstChild, page);
    const auto trace = server.Trace(first);
    const std::vector<std::string> expected = {
        "Document.Paragraphs", "Document.Hyperlinks", "Paragraphs.Add(" + M + ")",
        // first child
        "Paragraphs.Add(" + M + ")", "Paragraph.Range", "Range.Text", "Paragraph.Range", "Range.Text=BSTR:One",
        "Range.ListFormat", "ListFormat.RemoveNumbers(" + M + ")",
        "Hyperlinks.Add(DISPATCH:Range#" + std::to_string(0) + ", &BSTR:1.html, " + M + ", " + M + ", " + M + ", " + M +
            ")",
        "Paragraphs.Add(" + M + ")"};
    ASSERT_GE(trace.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].rfind("Hyperlinks.Add", 0) == 0)
            EXPECT_EQ(trace[i].substr(0, 23), "Hyperlinks.Add(DISPATCH") << i;
        else
            EXPECT_EQ(trace[i], expected[i]) << i;
    }
    std::vector<std::string> targets;
    for (const RecordedCall& call : server.CallsOf(WordMember::HyperlinksAdd))
        targets.push_back(call.args[1]);
    EXPECT_EQ(targets, (std::vector<std::string>{"&BSTR:1.html", "&BSTR:3.html"})) << "grandchildren are not listed";

    // A leaf gets nothing.
    const size_t before = server.calls.size();
    std::vector<TopicNode*> nodes;
    CollectPreOrder(job->root->firstChild, nodes);
    AppendRelatedTopics(*nodes.back(), page);
    EXPECT_EQ(server.calls.size(), before);
}

TEST_F(SplitterTest, HyperlinkStylesLoseTheirUnderlineWhateverTheirCase) {
    server.styleNames = {"Normal", "HyperLink", "FollowedHyperlink", "超链接", "已访问的超链接", "Heading 1"};
    WordDocument page(server.Create(WordObject::Document, "page"));
    RemoveLinkUnderline(page);
    std::vector<std::string> fonts;
    for (const RecordedCall& call : server.CallsOf(WordMember::StyleFont))
        fonts.push_back(call.objectLabel);
    EXPECT_EQ(fonts, (std::vector<std::string>{"Style#2", "Style#3", "Style#4", "Style#5"}));
    EXPECT_EQ(server.CountOf(WordMember::FontUnderline), 4);
    EXPECT_EQ(server.CountOf(WordMember::StylesCount), 7) << "the count is read before every pass";
}

TEST_F(SplitterTest, OnlyHeadingsLoseTheirListNumbers) {
    server.listParagraphLevels = {1, 10, 3, 10};
    WordDocument page(server.Create(WordObject::Document, "page"));
    RemoveHeadingNumbers(page);
    std::vector<std::string> removed;
    for (const RecordedCall& call : server.CallsOf(WordMember::ParagraphRange))
        removed.push_back(call.objectLabel);
    EXPECT_EQ(removed, (std::vector<std::string>{"ListParagraph#1", "ListParagraph#3"}));
    EXPECT_EQ(server.CountOf(WordMember::ListFormatRemoveNumbers), 2);
}

TEST_F(SplitterTest, CopyrightBlockIsARuleAndTheTextInGreyOnlyWhenThereIsText) {
    WordDocument page(server.Create(WordObject::Document, "page"));
    AppendCopyrightNotice(page, "");
    EXPECT_TRUE(server.calls.empty()) << "no text, no block";

    AppendCopyrightNotice(page, "版权所有");
    const std::vector<std::string> expected = {
        "Document.Paragraphs",
        "Paragraphs.Add(" + M + ")",
        "Paragraphs.Add(" + M + ")",
        "Paragraphs.Add(" + M + ")",
        "Paragraph.Range",
        "Range.InlineShapes",
        "InlineShapes.AddHorizontalLineStandard(" + M + ")",
        "InlineShape.HorizontalLineFormat",
        "HorizontalLineFormat.PercentWidth=R4:100",
        "Paragraphs.Add(" + M + ")",
        "Paragraph.Range",
        "Range.Text=BSTR:版权所有",
        "Range.Font",
        "Font.Size=R4:10",
        "Font.Color=I4:" + std::to_string(0xA8A8A8),
    };
    EXPECT_EQ(server.Trace(), expected);
    // The font is taken from the rule's range, not the text's.
    EXPECT_EQ(server.CallsOf(WordMember::RangeFont).front().objectLabel,
              server.CallsOf(WordMember::RangeInlineShapes).front().objectLabel);
}
