// ListFormat.ListString: the number Word shows, for every numbering format and the counter rules.
#include "ServerFixture.h"

using namespace docx;

namespace {

std::vector<std::string> ListStrings(const WordDocument& document) {
    std::vector<std::string> strings;
    const WordParagraphs paragraphs = document.Paragraphs();
    for (int32_t i = 1; i <= paragraphs.Count(); ++i)
        strings.push_back(paragraphs.Item(i).Range().ListFormat().ListString());
    return strings;
}

struct FormatCase {
    std::string format;
    int start;
    std::vector<std::string> expected; // UTF-8, for start, start + 1, start + 2
};

TEST_F(ServerTest, ListStringInEveryNumberFormat) {
    const std::vector<FormatCase> cases = {
        {"decimal", 1, {"1.", "2.", "3."}},
        {"decimal", 9, {"9.", "10.", "11."}},
        {"upperLetter", 25, {"Y.", "Z.", "AA."}},
        {"lowerLetter", 1, {"a.", "b.", "c."}},
        {"upperRoman", 3, {"III.", "IV.", "V."}},
        {"lowerRoman", 8, {"viii.", "ix.", "x."}},
        {"decimalZero", 9, {"09.", "10.", "11."}},
        {"chineseCounting", 9, {"九.", "十.", "十一."}},
        {"chineseCountingThousand", 19, {"十九.", "二十.", "二十一."}},
        {"chineseCountingThousand", 100, {"一百.", "一百零一.", "一百零二."}},
        {"chineseLegalSimplified", 1, {"壹.", "贰.", "叁."}},
        {"ideographTraditional", 1, {"甲.", "乙.", "丙."}},
        {"decimalEnclosedCircle", 1, {"①.", "②.", "③."}},
        {"decimalFullWidth", 1, {"１.", "２.", "３."}},
        {"ordinal", 1, {"1st.", "2nd.", "3rd."}},
        {"bullet", 1, {".", ".", "."}},
        {"none", 1, {".", ".", "."}},
    };
    DocxBuilder doc;
    for (size_t i = 0; i < cases.size(); ++i) {
        const int id = static_cast<int>(i) + 1;
        doc.AddAbstractList(id, {{.format = cases[i].format, .text = "%1.", .start = cases[i].start}}).AddList(id, id);
        for (int n = 0; n < 3; ++n)
            doc.AddParagraph("item", {.numId = id});
    }
    const std::vector<std::string> strings = ListStrings(Open(doc));
    for (size_t i = 0; i < cases.size(); ++i)
        for (size_t n = 0; n < 3; ++n)
            EXPECT_EQ(strings[i * 3 + n], Narrow(cases[i].expected[n])) << cases[i].format << " item " << n;
}

TEST_F(ServerTest, ListStringLevelsRestartsOverridesAndLegalNumbering) {
    DocxBuilder doc;
    const std::vector<ListLevel> outline = {{.format = "upperRoman", .text = "%1."},
                                            {.format = "decimal", .text = "%1.%2"},
                                            {.format = "lowerLetter", .text = "%1.%2.%3)", .legal = true},
                                            {.format = "decimal", .text = "(%4)", .restartAfter = 0}};
    doc.AddAbstractList(1, outline).AddList(1, 1).AddList(2, 1).AddList(3, 1, {{0, 5}});
    doc.AddStyle({.id = "ListHeading", .name = "List heading", .basedOn = "Heading1", .numId = 1});
    const std::vector<std::pair<int, int>> items = {{1, 0}, {1, 1}, {1, 1}, {1, 2}, {1, 3}, {1, 0},
                                                    {1, 1}, {1, 3}, {2, 1}, {3, 0}, {3, 1}};
    for (const auto& [numId, level] : items)
        doc.AddParagraph("item", {.numId = numId, .numLevel = level});
    doc.AddParagraph("plain").AddParagraph("from style", {.style = "ListHeading"});
    EXPECT_EQ(ListStrings(Open(doc)), (std::vector<std::string>{"I.", "I.1", "I.2", "1.2.1)", "(1)", "II.", "II.1",
                                                                "(2)",  // lvlRestart 0: never restarts
                                                                "II.2", // another list on the same definition continues
                                                                "V.", "V.1", // a start override restarts its list
                                                                "", "VI."}));
}

// w:lvlRestart counts levels from 1: a third level with lvlRestart 1 starts again only after a first-level item,
// with 2 after a first- or second-level one, with 0 never, and without it after any item above it.
TEST_F(ServerTest, ListStringRestartsALevelAfterTheLevelsItsRestartNames) {
    const std::pair<int, std::vector<std::string>> rows[] = {
        {-1, {"1.", "1)", "2)", "1.1", "1)", "2)", "2.", "1)"}},
        {0, {"1.", "1)", "2)", "1.1", "3)", "4)", "2.", "5)"}},
        {1, {"1.", "1)", "2)", "1.1", "3)", "4)", "2.", "1)"}},
        {2, {"1.", "1)", "2)", "1.1", "1)", "2)", "2.", "1)"}},
    };
    const int levels[] = {0, 2, 2, 1, 2, 2, 0, 2};
    for (const auto& [restartAfter, expected] : rows) {
        DocxBuilder doc;
        doc.AddAbstractList(1, {{.text = "%1."}, {.text = "%1.%2"}, {.text = "%3)", .restartAfter = restartAfter}})
            .AddList(1, 1);
        for (const int level : levels)
            doc.AddParagraph("item", {.numId = 1, .numLevel = level});
        EXPECT_EQ(ListStrings(Open(doc)), expected) << "lvlRestart " << restartAfter;
    }
}

TEST_F(ServerTest, RemoveNumbersTakesAParagraphOutOfItsList) {
    DocxBuilder doc;
    doc.AddAbstractList(1, {{.text = "%1."}}).AddList(1, 1);
    doc.AddParagraph("a", {.numId = 1}).AddParagraph("b", {.numId = 1}).AddParagraph("c", {.numId = 1});
    const WordDocument document = Open(doc);
    EXPECT_EQ(document.ListParagraphs().Count(), 3);
    document.Paragraphs().Item(2).Range().ListFormat().RemoveNumbers(&missing);
    EXPECT_EQ(ListStrings(document), (std::vector<std::string>{"1.", "", "2."}));
    EXPECT_EQ(document.ListParagraphs().Count(), 2);
    EXPECT_EQ(document.ListParagraphs().Item(2).Range().Text(), "c\r");
}

} // namespace
