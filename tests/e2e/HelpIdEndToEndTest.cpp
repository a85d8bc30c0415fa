// Help IDs from "IDH_" bookmarks, through leafbind-cli, read back with chmlib the way a viewer opens a topic by
// number: the number in #IVB, its #STRINGS entry, the page and the anchor on it.

#include "ChmReader.h"
#include "CliRun.h"
#include "FileText.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Number to the #STRINGS entry #IVB gives it; empty when the help file has no #IVB.
std::map<std::uint32_t, std::string> ContextMap(const ChmReader& chm) {
    const std::string ivb = chm.Read("/#IVB").value_or("");
    const std::string strings = chm.Read("/#STRINGS").value_or("");
    auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, ivb.data() + at, 4);
        return value;
    };
    std::map<std::uint32_t, std::string> map;
    if (ivb.size() < 4 || u32(0) != ivb.size() - 4)
        return map;
    for (std::size_t at = 4; at + 8 <= ivb.size(); at += 8)
        if (u32(at + 4) < strings.size())
            map[u32(at)] = strings.c_str() + u32(at + 4);
    return map;
}

class HelpIds : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-helpids-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        // Three topics; IDs at a heading, in the middle of a topic (one in lower case), before the first heading, and
        // one running on into the next topic, which no page can hold whole.
        DocxBuilder doc;
        doc.AddParagraph({BookmarkStart("IDH_COVER"), Text("Cover text."), BookmarkEnd("IDH_COVER")})
            .AddParagraph({BookmarkStart("IDH_PRINT"), Text("Printing"), BookmarkEnd("IDH_PRINT")},
                          {.style = "Heading1"})
            .AddParagraph("Print one.")
            .AddParagraph("Print two.")
            .AddParagraph({Text("Setup: "), BookmarkStart("IDH_PRINT_SETUP"), Text("choose a printer."),
                           BookmarkEnd("IDH_PRINT_SETUP")})
            .AddHeading(2, "Margins")
            .AddParagraph({BookmarkStart("_Toc5"), Text("Margins "), BookmarkStart("IDH_SPAN"), Text("text."),
                           BookmarkEnd("_Toc5")})
            .AddHeading(1, "Saving")
            .AddParagraph({Text("Save one."), BookmarkEnd("IDH_SPAN")})
            .AddParagraph({BookmarkStart("idh_save"), Text("Save where you like."), BookmarkEnd("idh_save")});
        doc.Save(folder / "app.docx");
    }
    void TearDown() override { fs::remove_all(folder); }

    CliRun Convert(std::vector<std::string> more) {
        std::vector<std::string> args{(folder / "app.docx").string(), "-o", chmPath().string(), "--title", "App"};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    }
    fs::path chmPath() const { return folder / "App.chm"; }

    // Opens every number as a viewer would and checks it lands on the page holding the text, at the anchor.
    void ExpectOpens(const ChmReader& chm, std::uint32_t number, const std::string& target, const std::string& text) {
        SCOPED_TRACE(number);
        const auto map = ContextMap(chm);
        const auto found = map.find(number);
        ASSERT_NE(found, map.end());
        EXPECT_EQ(found->second, target);
        const std::size_t hash = found->second.find('#');
        const auto page = chm.Read("/" + found->second.substr(0, hash));
        ASSERT_TRUE(page) << found->second;
        EXPECT_NE(page->find(text), std::string::npos) << *page;
        if (hash != std::string::npos) {
            const std::string anchor = "<a name=\"" + found->second.substr(hash + 1) + "\">";
            EXPECT_NE(page->find(anchor), std::string::npos) << *page;
        }
    }

    fs::path folder;
};

} // namespace

TEST_F(HelpIds, BookmarksAreNumberedFromAThousandAndOpenTheirPlaceInTheirTopic) {
    const CliRun run =
        Convert({"--write-map-header", (folder / "helpids.h").string(), "--keep", (folder / "work").string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("IDH_COVER lies before the first heading"), std::string::npos) << run.output;

    const auto chm = ChmReader::Open(chmPath().string());
    ASSERT_TRUE(chm);
    EXPECT_NE(run.output.find("IDH_SPAN is not on its page 1.html"), std::string::npos) << run.output;
    EXPECT_EQ(ContextMap(*chm).size(), 4u);
    ExpectOpens(*chm, 1000, "0.html", "Print one.");
    ExpectOpens(*chm, 1001, "0.html#IDH_PRINT_SETUP", "choose a printer.");
    ExpectOpens(*chm, 1002, "1.html", "Margins text.");
    ExpectOpens(*chm, 1003, "2.html#idh_save", "Save where you like.");
    EXPECT_NE(chm->Read("/0.html").value_or("").find("<a name=\"IDH_PRINT\">"), std::string::npos)
        << "the anchor at the heading stays on the page too";

    const std::string project = ReadText(folder / "work" / "App.hhp");
    EXPECT_NE(project.find("[ALIAS]\r\nIDH_PRINT=0.html\r\nIDH_PRINT_SETUP=0.html#IDH_PRINT_SETUP\r\n"
                           "IDH_SPAN=1.html\r\nidh_save=2.html#idh_save\r\n[MAP]\r\n#define IDH_PRINT 1000\r\n"),
              std::string::npos)
        << project;
    const std::string header = ReadText(folder / "helpids.h");
    EXPECT_NE(
        header.find(
            "#define IDH_PRINT 1000\n#define IDH_PRINT_SETUP 1001\n#define IDH_SPAN 1002\n#define idh_save 1003\n"),
        std::string::npos)
        << header;
}

TEST_F(HelpIds, TheApplicationsHeaderGivesTheNumbersAndWhatDoesNotMatchIsNamed) {
    WriteText(folder / "resource.h", "#define IDD_MAIN 101\r\n"
                                     "#define IDH_PRINT 2001\r\n"
                                     "#define IDH_SAVE 0x7D3 // matched to the bookmark idh_save\r\n"
                                     "#define IDH_EXPORT 2100\r\n");
    const CliRun run =
        Convert({"--map-header", (folder / "resource.h").string(), "--write-map-header", (folder / "used.h").string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("warning: The bookmark IDH_PRINT_SETUP has no number in resource.h"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("warning: The help ID IDH_EXPORT (2100) in resource.h has no bookmark"),
              std::string::npos)
        << run.output;

    const auto chm = ChmReader::Open(chmPath().string());
    ASSERT_TRUE(chm);
    EXPECT_EQ(ContextMap(*chm).size(), 2u);
    ExpectOpens(*chm, 2001, "0.html", "Print two.");
    ExpectOpens(*chm, 2003, "2.html#idh_save", "Save one.");

    // The header written back keeps the application's names and numbers and is read again unchanged.
    const std::string used = ReadText(folder / "used.h");
    EXPECT_NE(used.find("#define IDH_PRINT 2001\n#define IDH_SAVE 2003\n#define IDH_EXPORT 2100"), std::string::npos)
        << used;
    fs::remove(chmPath());
    const CliRun again = Convert({"--map-header", (folder / "used.h").string(), "--quiet"});
    ASSERT_EQ(again.status, 0) << again.output;
    const auto reread = ChmReader::Open(chmPath().string());
    ASSERT_TRUE(reread);
    ExpectOpens(*reread, 2003, "2.html#idh_save", "Save one.");
}

TEST_F(HelpIds, FaultyIdsStopTheRunBeforeAnyPageIsMade) {
    WriteText(folder / "twice.h", "#define IDH_PRINT 1\n#define IDH_Print 2\n#define IDH_SAVE 99999999999\n");
    WriteText(folder / "good.h", "#define IDH_PRINT 1\n#define IDD_MAIN 2\n");
    DocxBuilder chinese;
    chinese.AddHeading(1, "Topic").AddParagraph({BookmarkStart("IDH_帮助"), Text("Help."), BookmarkEnd("IDH_帮助")});
    chinese.Save(folder / "chinese.docx");

    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> says;
    };
    const std::string docx = (folder / "app.docx").string();
    const Case cases[] = {
        {{docx, "--map-header", (folder / "twice.h").string()},
         {"error: twice.h:2: IDH_Print is defined again (first as IDH_PRINT on line 1)",
          "error: twice.h:3: IDH_SAVE = 99999999999 is out of range"}},
        {{docx, "--map-header", (folder / "none.h").string()}, {"cannot read the map header"}},
        {{(folder / "chinese.docx").string()}, {"IDH_帮助 cannot be a help ID"}},
        {{docx, "--map-header", (folder / "good.h").string(), "--write-map-header", (folder / "good.h").string()},
         {"would replace an input"}},
        {{docx, "--write-map-header", (folder / "missing" / "ids.h").string()}, {"does not exist"}},
    };
    for (const Case& c : cases) {
        const fs::path work = folder / "work";
        fs::remove_all(work);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", chmPath().string(), "--keep", work.string()});
        const CliRun run = RunCli(args);
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.status, 1);
        for (const std::string& text : c.says)
            EXPECT_NE(run.output.find(text), std::string::npos) << text;
        EXPECT_FALSE(fs::exists(chmPath()));
        EXPECT_FALSE(fs::exists(work / "0.html")) << "no page is made";
    }
    EXPECT_EQ(ReadText(folder / "good.h"), "#define IDH_PRINT 1\n#define IDD_MAIN 2\n") << "the input is untouched";
}
