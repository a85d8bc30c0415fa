// Documents built here go through leafbind-cli; the help file is read back with chmlib.

#include "ChmReader.h"
#include "CliRun.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-e2e-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

} // namespace

TEST_F(CliEndToEnd, TheWorkedExampleGivesThreeTopicsNestedAsTheHeadings) {
    DocxBuilder doc;
    doc.AddParagraph("A title line in body text")
        .AddHeading(1, "Intro")
        .AddParagraph("Intro one.")
        .AddParagraph("Intro two.")
        .AddHeading(2, "Scope")
        .AddParagraph("Scope only.")
        .AddHeading(1, "Usage")
        .AddParagraph("Usage one.")
        .AddParagraph("Usage two.")
        .AddParagraph("Usage three.");
    doc.Save(folder / "worked.docx");

    const CliRun run = RunCli(
        {(folder / "worked.docx").string(), "-o", (folder / "Manual.chm").string(), "--title", "Manual", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.output;
    auto chm = ChmReader::Open((folder / "Manual.chm").string());
    ASSERT_TRUE(chm);

    const std::string contents = chm->Read("/Manual.hhc").value_or("");
    const std::regex nested(
        "value=\"Intro\">\r\n<param name=\"Local\" value=\"0.html\">\r\n</OBJECT>\r\n<UL>\r\n<LI> <OBJECT "
        "type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"Scope\">");
    EXPECT_TRUE(std::regex_search(contents, nested)) << contents;
    const std::string index = chm->Read("/Manual.hhk").value_or("");
    EXPECT_EQ(Count(index, "<param name=\"Name\""), 3);
    EXPECT_EQ(Count(index, "<UL>"), 1);

    const std::string page0 = chm->Read("/0.html").value_or("");
    const std::string page1 = chm->Read("/1.html").value_or("");
    const std::string page2 = chm->Read("/2.html").value_or("");
    EXPECT_NE(page0.find("Intro two."), std::string::npos);
    EXPECT_EQ(page0.find("Scope only."), std::string::npos) << "a parent's page ends at its first child";
    EXPECT_NE(page0.find("href=\"1.html\""), std::string::npos) << "the related topics link to the child";
    EXPECT_NE(page1.find("Scope only."), std::string::npos);
    EXPECT_NE(page2.find("Usage three."), std::string::npos) << "the last page runs to the end";
    for (const std::string& page : {page0, page1, page2})
        EXPECT_EQ(page.find("A title line"), std::string::npos) << "the title line is in no page";
    EXPECT_FALSE(chm->Read("/3.html"));
}

TEST_F(CliEndToEnd, TheExampleDocumentKeepsItsLinksPicturesAndChinese) {
    const fs::path docx = folder / "Example.docx";
    ASSERT_EQ(std::system((Quote(LEAFBIND_EXAMPLE) + " " + Quote(docx.string())).c_str()), 0);
    const CliRun run = RunCli({docx.string(), "-o", (folder / "Example.chm").string(), "--title", "Example"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("6 topics"), std::string::npos) << run.output;
    auto chm = ChmReader::Open((folder / "Example.chm").string());
    ASSERT_TRUE(chm);

    // The heading "中文说明" in the contents, in the code page the viewer reads (GB2312).
    EXPECT_NE(chm->Read("/Example.hhc").value_or("").find("\xD6\xD0\xCE\xC4\xCB\xB5\xC3\xF7"), std::string::npos);
    // The cross-reference on page 0 lands on the page of "Requirements" (page 3), at its bookmark.
    const std::string page0 = chm->Read("/0.html").value_or("");
    EXPECT_NE(page0.find("3.html#_Ref100"), std::string::npos) << page0;
    // The link back from the Chinese page lands on page 0.
    EXPECT_NE(chm->Read("/5.html").value_or("").find("0.html#_Toc001"), std::string::npos);

    // Every picture a page shows is in the help file.
    const std::string page1 = chm->Read("/1.html").value_or("");
    std::smatch image;
    ASSERT_TRUE(std::regex_search(page1, image, std::regex("<img[^>]*src=\"([^\"]+)\""))) << page1;
    const auto picture = chm->Read("/" + image[1].str());
    ASSERT_TRUE(picture) << image[1];
    EXPECT_EQ(picture->substr(1, 3), "PNG");
}

TEST_F(CliEndToEnd, FailuresHaveTheirOwnExitStatusAndLeaveNoHelpFile) {
    DocxBuilder bodyOnly;
    bodyOnly.AddParagraph("Only body text.").AddParagraph("More of it.");
    bodyOnly.Save(folder / "plain.docx");
    std::ofstream(folder / "fake.docx") << "this is not a zip";

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const std::string out = (folder / "out.chm").string();
    const Case cases[] = {
        {{}, 2, "no input document"},
        {{(folder / "plain.docx").string(), "--bogus"}, 2, "unknown option"},
        {{(folder / "missing.docx").string(), "-o", out}, 3, "no such file"},
        {{(folder / "fake.docx").string(), "-o", out}, 3, ""},
        {{(folder / "plain.docx").string(), "-o", out}, 4, "word文档中没有大纲样式!"},
        {{(folder / "plain.docx").string(), "-o", (folder / "nowhere" / "x.chm").string()}, 2, "does not exist"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.output.find(c.says), std::string::npos);
        EXPECT_FALSE(fs::exists(out));
    }
}
