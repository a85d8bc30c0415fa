// Copying a range finds its spans by binary search over the story's sorted span tables: every range of a story
// full of overlapping, nested and empty spans must copy exactly the spans a look at every span would.
#include "docserver/model/Fragment.h"
#include "docbuilder/DocxBuilder.h"
#include "docserver/docx/DocxReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace docx;

namespace {

constexpr int32_t kLength = 60;

template <typename Span> std::vector<std::pair<int32_t, int32_t>> Positions(const std::vector<Span>& spans) {
    std::vector<std::pair<int32_t, int32_t>> positions;
    for (const Span& span : spans)
        positions.emplace_back(span.start, span.end);
    return positions;
}

// What a copy of [start, end) must hold of spans, relative to start: those overlapping the range (clipped), or
// those wholly inside it (a collapsed one may sit at its end), or those whose start is in it.
enum class Rule { Overlap, Inside, StartIn };

template <typename Span>
std::vector<std::pair<int32_t, int32_t>> Expected(const std::vector<Span>& spans, int32_t start, int32_t end,
                                                  Rule rule) {
    std::vector<std::pair<int32_t, int32_t>> expected;
    for (const Span& span : spans) {
        const bool taken = rule == Rule::Overlap ? span.start < end && span.end > start
                           : rule == Rule::Inside
                               ? span.start >= start && span.end <= end && (span.start < end || span.start == span.end)
                               : span.start >= start && span.start < end;
        if (!taken)
            continue;
        if (rule == Rule::Overlap)
            expected.emplace_back(std::max(span.start, start) - start, std::min(span.end, end) - start);
        else
            expected.emplace_back(span.start - start, span.end - start);
    }
    return expected;
}

TableSpan Table(int32_t start, int32_t end, int depth) {
    TableSpan table;
    table.start = start;
    table.end = end;
    table.depth = depth;
    TableRow row;
    ::TableCell cell;
    cell.start = start;
    cell.end = end;
    row.cells.push_back(cell);
    table.rows.push_back(row);
    return table;
}

// A story of 60 characters, ten paragraphs, with spans of every kind in the order the reader leaves them.
Document StoryFullOfSpans() {
    Document document;
    Story story;
    story.text = std::u16string(kLength, u'x');
    for (int32_t end = 6; end <= kLength; end += 6) {
        story.text[static_cast<size_t>(end - 1)] = kParagraphMark;
        story.paragraphs.push_back(ParagraphEntry{end, SharedFormat<ParagraphFormat>(), 0});
    }
    for (int32_t start = 0; start < kLength; start += 7)
        story.runs.push_back(RunSpan{start, std::min(start + 7, kLength), SharedFormat<RunFormat>()});
    for (auto [start, end] : {std::pair{2, 9}, {12, 13}, {20, 40}, {44, 47}, {50, 59}})
        story.links.push_back(LinkSpan{start, end, 0, u"x.html", {}, {}});
    // Bookmarks overlap and nest; some are collapsed, one at a paragraph's start, one at the story's end.
    for (auto [start, end] :
         {std::pair{0, 30}, {3, 3}, {5, 12}, {6, 6}, {10, 50}, {18, 24}, {24, 24}, {36, 59}, {59, 59}})
        story.bookmarks.push_back(BookmarkSpan{start, end, u"b"});
    for (auto [start, end] : {std::pair{1, 40}, {8, 12}, {14, 14}, {30, 31}, {42, 54}, {42, 48}})
        story.fields.push_back(FieldSpan{start, end, u"REF x"});
    for (int32_t start : {4, 17, 17, 36, 58}) {
        PictureSpan picture;
        picture.start = start;
        picture.end = start + 1;
        story.pictures.push_back(picture);
    }
    for (auto [start, end] : {std::pair{9, 10}, {33, 34}})
        story.equations.push_back(EquationSpan{start, end, "<m:oMath/>"});
    // Outer tables with nested ones, and a short outer table between them.
    story.tables = {Table(6, 30, 1),  Table(8, 12, 2),  Table(9, 11, 3), Table(20, 24, 2),
                    Table(31, 35, 1), Table(36, 58, 1), Table(40, 44, 2)};
    document.stories.push_back(std::move(story));
    return document;
}

TEST(Fragment, EveryRangeCopiesWhatALookAtEverySpanWouldFind) {
    const Document document = StoryFullOfSpans();
    const Story& story = document.stories[0];
    for (int32_t start = 0; start <= kLength; ++start)
        for (int32_t end = start; end <= kLength; ++end) {
            const Fragment fragment = ExtractFragment(document, story, start, end);
            const Story& out = fragment.story;
            const std::string range = std::to_string(start) + ".." + std::to_string(end);
            EXPECT_EQ(Positions(out.runs), Expected(story.runs, start, end, Rule::Overlap)) << "runs " << range;
            EXPECT_EQ(Positions(out.links), Expected(story.links, start, end, Rule::Overlap)) << "links " << range;
            EXPECT_EQ(Positions(out.bookmarks), Expected(story.bookmarks, start, end, Rule::Inside))
                << "bookmarks " << range;
            EXPECT_EQ(Positions(out.fields), Expected(story.fields, start, end, Rule::Inside)) << "fields " << range;
            EXPECT_EQ(Positions(out.equations), Expected(story.equations, start, end, Rule::Inside))
                << "equations " << range;
            EXPECT_EQ(Positions(out.pictures), Expected(story.pictures, start, end, Rule::StartIn))
                << "pictures " << range;
            EXPECT_EQ(Positions(out.tables), Expected(story.tables, start, end, Rule::Overlap)) << "tables " << range;
        }
}

template <typename Span> bool SortedByStart(const std::vector<Span>& spans) {
    return std::is_sorted(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
}

TEST(Fragment, TheReaderLeavesNestedFieldsAndTablesSortedByStart) {
    DocxBuilder builder;
    // A field whose result holds another field, and a table whose cell holds another table: the inner ones end
    // first.
    builder.AddParagraph({Text("see "),
                          RawXml("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
                                 "<w:r><w:instrText> QUOTE </w:instrText></w:r>"
                                 "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
                                 "<w:r><w:t>a </w:t></w:r>"),
                          Field("PAGE", "1"),
                          RawXml("<w:r><w:t> b</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")});
    docx::TableCell outer;
    outer.paragraphs = {"outer"};
    outer.nestedTableXml = "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";
    builder.AddTable({{outer}});
    builder.AddParagraph("after");
    const DocxReadResult read = ReadDocx(builder.Build());
    ASSERT_TRUE(read.status.ok()) << read.status.message;
    const Story& story = read.document.stories[kMainStory];
    ASSERT_EQ(story.fields.size(), 2u);
    EXPECT_LT(story.fields[0].start, story.fields[1].start);
    EXPECT_GT(story.fields[0].end, story.fields[1].end); // the outer field first
    ASSERT_EQ(story.tables.size(), 2u);
    EXPECT_EQ(story.tables[0].depth, 1);
    EXPECT_EQ(story.tables[1].depth, 2);
    EXPECT_TRUE(SortedByStart(story.bookmarks) && SortedByStart(story.links) && SortedByStart(story.pictures));
}

// A package read part by part from its file gives the document its bytes give, pictures included; a file that is
// no package says so as the bytes do.
TEST(Fragment, APackageReadFromItsFileIsTheDocumentItsBytesGive) {
    DocxBuilder builder;
    const std::vector<uint8_t> picture = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3};
    builder.AddHeading(1, "Heading").AddParagraph({Text("a picture "), Picture(picture)}).AddParagraph("after");
    const std::string bytes = builder.Build();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("leafbind-fragment-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.docx", std::ios::binary) << bytes;
    std::ofstream(folder / "text.docx", std::ios::binary) << "plain text, no zip";
    std::ofstream(folder / "half.docx", std::ios::binary) << bytes.substr(0, bytes.size() / 2);

    const DocxReadResult fromBytes = ReadDocx(bytes);
    const DocxReadResult fromFile = ReadDocxFile(folder / "a.docx");
    ASSERT_TRUE(fromBytes.status.ok() && fromFile.status.ok()) << fromFile.status.message;
    const Story& expected = fromBytes.document.stories[kMainStory];
    const Story& story = fromFile.document.stories[kMainStory];
    EXPECT_EQ(story.text, expected.text);
    EXPECT_EQ(story.paragraphs.size(), expected.paragraphs.size());
    ASSERT_EQ(story.pictures.size(), 1u);
    EXPECT_EQ(*story.pictures[0].bytes.Read().bytes, picture);
    EXPECT_EQ(ReadDocxFile(folder / "text.docx").status.code, StatusCode::NotThisFormat);
    const DocxReadResult half = ReadDocxFile(folder / "half.docx");
    EXPECT_EQ(half.status.code, StatusCode::Damaged);
    EXPECT_EQ(half.status.message, ReadDocx(bytes.substr(0, bytes.size() / 2)).status.message);
    std::filesystem::remove_all(folder);
}

} // namespace
