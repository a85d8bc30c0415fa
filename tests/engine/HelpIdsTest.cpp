// Help IDs without Word: the header an application keeps, the numbering, and the header written back.

#include "engine/HelpIds.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Ids = std::vector<std::pair<std::string, std::uint32_t>>;

Ids Pairs(const std::vector<HeaderId>& ids) {
    Ids pairs;
    for (const HeaderId& id : ids)
        pairs.emplace_back(id.name, id.number);
    return pairs;
}

// The problems of a header that is refused, or none when it is taken.
std::vector<std::string> HeaderProblems(const std::string& text) {
    try {
        ParseMapHeader(text, "ids.h");
    } catch (const HelpIdError& error) {
        return error.problems();
    }
    return {};
}

std::vector<std::string> AssignProblems(const std::vector<HelpIdBookmark>& bookmarks, std::uint32_t first = 1000) {
    std::vector<std::string> warnings;
    try {
        AssignHelpIds(bookmarks, std::nullopt, "", first, warnings);
    } catch (const HelpIdError& error) {
        return error.problems();
    }
    return {};
}

bool Mentions(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(HelpIds, AHeaderGivesNumbersInTheFormsApplicationsWriteThem) {
    const std::string header = "// resource.h\n"
                               "#pragma once\n"
                               "#define IDD_ABOUT 100 // not a help ID\n"
                               "#define IDH_PRINT 1001\n"
                               "  #  define   idh_Save\t0x3EA /* hex */\n"
                               "#define IDH_OPEN (1003U)\n"
                               "/* #define IDH_GONE 9\n"
                               "   #define IDH_GONE2 10 */\n"
                               "#define IDH_OCTAL 017\n"
                               "#define IDH_ZERO 0\n"
                               "#define IDH_MAX 4294967295\n"
                               "#define TITLE \"a /* not a comment\"\n"
                               "#define IDH_AFTER_STRING 5\n";
    EXPECT_EQ(Pairs(ParseMapHeader(header, "resource.h")), (Ids{{"IDH_PRINT", 1001},
                                                                {"idh_Save", 1002},
                                                                {"IDH_OPEN", 1003},
                                                                {"IDH_OCTAL", 15},
                                                                {"IDH_ZERO", 0},
                                                                {"IDH_MAX", 4294967295u},
                                                                {"IDH_AFTER_STRING", 5}}));
}

TEST(HelpIds, EveryFaultOfAHeaderIsNamedWithItsLine) {
    const auto problems = HeaderProblems("#define IDH_A 1\n"
                                         "#define IDH_a 2\n"
                                         "#define IDH_B 1\n"
                                         "#define IDH_C 4294967296\n"
                                         "#define IDH_D -3\n"
                                         "#define IDH_E (IDH_BASE + 1)\n"
                                         "#define IDH_F(x) 7\n"
                                         "#define IDH_G\n"
                                         "#define IDH_OK 8\n");
    ASSERT_EQ(problems.size(), 7u);
    EXPECT_EQ(problems[0], "ids.h:2: IDH_a is defined again (first as IDH_A on line 1)");
    EXPECT_EQ(problems[1], "ids.h:3: IDH_B has the number 1, as IDH_A on line 1 does");
    EXPECT_EQ(problems[2], "ids.h:4: IDH_C = 4294967296 is out of range (0 to 4294967295)");
    EXPECT_EQ(problems[3], "ids.h:5: IDH_D = -3 is out of range (0 to 4294967295)");
    EXPECT_TRUE(Mentions({problems[4]}, "ids.h:6: IDH_E is defined as \"(IDH_BASE + 1)\", which is not a number"));
    EXPECT_EQ(problems[5], "ids.h:7: IDH_F is not a valid C identifier");
    EXPECT_TRUE(Mentions({problems[6]}, "ids.h:8: IDH_G"));
    EXPECT_TRUE(HeaderProblems("#define IDH_ONE 1\n#define IDH_TWO 2\n").empty());
}

// A digit is a digit of its base only below the base: 8 is not octal, a is not decimal, g is not hexadecimal.
TEST(HelpIds, ADigitOfAnotherBaseMakesNoNumber) {
    const std::pair<const char*, std::optional<std::uint32_t>> rows[] = {
        {"018", std::nullopt},  {"08", std::nullopt}, {"0777", 511}, {"07", 7},
        {"12a", std::nullopt},  {"9A", std::nullopt}, {"129", 129},  {"10", 10},
        {"0x1g", std::nullopt}, {"0xfU", 15},         {"0x10", 16},  {"(0x1F)", 31}};
    for (const auto& [value, number] : rows) {
        const std::string header = std::string("#define IDH_X ") + value + "\n";
        if (number)
            EXPECT_EQ(Pairs(ParseMapHeader(header, "ids.h")), (Ids{{"IDH_X", *number}})) << value;
        else
            EXPECT_TRUE(
                Mentions(HeaderProblems(header), std::string("is defined as \"") + value + "\", which is not a number"))
                << value;
    }
}

TEST(HelpIds, WithoutAHeaderBookmarksAreNumberedInDocumentOrder) {
    std::vector<std::string> warnings;
    const auto ids = AssignHelpIds({{"IDH_COVER", -1, false}, {"IDH_Intro", 0, true}, {"idh_detail", 2, false}},
                                   std::nullopt, "", 1000, warnings);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[0].name, "IDH_Intro");
    EXPECT_EQ(ids[0].number, 1000u);
    EXPECT_EQ(HelpIdTarget(ids[0]), "0.html");
    EXPECT_EQ(ids[1].number, 1001u);
    EXPECT_EQ(HelpIdTarget(ids[1]), "2.html#idh_detail");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(Mentions(warnings, "IDH_COVER lies before the first heading"));
}

TEST(HelpIds, BookmarksThatCannotBeIdsAreRefusedTogether) {
    const auto problems = AssignProblems({{"IDH_Print", 0, false},
                                          {"IDH_帮助", 1, false}, // a Chinese name
                                          {"IDH_PRINT", 2, false}});
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(Mentions(problems, "IDH_帮助 cannot be a help ID"));
    EXPECT_TRUE(Mentions(problems, "IDH_Print and IDH_PRINT are the same help ID"));
    EXPECT_TRUE(Mentions(AssignProblems({{"IDH_A", 0, false}, {"IDH_B", 1, false}}, 4294967295u), "no room for 2"));
    EXPECT_TRUE(AssignProblems({{"IDH_A", 0, false}}, 4294967295u).empty());
}

TEST(HelpIds, AHeaderNumbersBookmarksInAnyCaseAndWarnsAboutWhatDoesNotMatch) {
    const std::vector<HeaderId> header{{"IDH_PRINT", 7}, {"IDH_UNUSED", 8}, {"IDH_SAVE", 9}};
    std::vector<std::string> warnings;
    const auto ids = AssignHelpIds({{"idh_save", 1, false}, {"IDH_NEW", 2, false}, {"IDH_Print", 3, true}}, header,
                                   "app.h", 1000, warnings);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[0].name, "IDH_PRINT");
    EXPECT_EQ(HelpIdTarget(ids[0]), "3.html");
    EXPECT_EQ(ids[1].page, -1);
    EXPECT_EQ(ids[2].name, "IDH_SAVE");
    EXPECT_EQ(ids[2].number, 9u);
    EXPECT_EQ(HelpIdTarget(ids[2]), "1.html#idh_save") << "the anchor is spelt as the page has it";
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(Mentions(warnings, "IDH_NEW has no number in app.h"));
    EXPECT_TRUE(Mentions(warnings, "IDH_UNUSED (8) in app.h has no bookmark"));

    // The header written back is one the reader takes, with the same numbers; the unused ID stays in it.
    EXPECT_EQ(Pairs(ParseMapHeader(MapHeaderText(ids), "written.h")),
              (Ids{{"IDH_PRINT", 7}, {"IDH_UNUSED", 8}, {"IDH_SAVE", 9}}));
}
