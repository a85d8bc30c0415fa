// The contents, index and project files byte for byte, and the working-folder cleanup.

#include "FakeWordServer.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "engine/ChmConverter.h"
#include "helpproject/GeneratedFile.h"
#include "helpproject/ProjectWriter.h"
#include "helpproject/SitemapWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Compares with tests/helpproject/golden/<name>; LEAFBIND_UPDATE_GOLDEN=1 rewrites the golden file instead.
void ExpectGolden(const std::string& name, const std::string& actual) {
    const fs::path golden = fs::path(LEAFBIND_GOLDEN_DIR) / name;
    if (std::getenv("LEAFBIND_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(actual, ReadFile(golden)) << "differs from " << golden;
}

class HelpProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        server.Register();
        work = fs::temp_directory_path() / ("leafbind-help-" + std::to_string(::getpid()));
        fs::remove_all(work);
        fs::create_directories(work);
    }
    void TearDown() override {
        job.reset();
        fs::remove_all(work);
    }

    // A converted tree without pages: page names as the splitter gives them.
    void Prepare(std::vector<ScriptedParagraph> paragraphs) {
        server.SetSourceParagraphs(std::move(paragraphs));
        job = std::make_unique<ChmConverter>("/d/source.docx", work.string(), options);
        ASSERT_EQ(job->StartWordAndOpen(), 1);
        job->BuildTopicTree();
        std::vector<TopicNode*> nodes;
        CollectPreOrder(job->root->firstChild, nodes);
        for (TopicNode* node : nodes) {
            node->pageName = std::to_string(node->pageNumber) + ".html";
            job->pageFiles.push_back(node->pageName);
        }
    }

    std::string Path(const std::string& name) const { return (work / name).string(); }

    // The help project's files as the help file's output writes them from the job's help book.
    bool WriteContents(const std::string& name) {
        return WriteContentsFile(job->MakeHelpBook().topics, 936, work.string(), Path(name));
    }
    bool WriteIndex(const std::string& name) {
        const HelpBook book = job->MakeHelpBook();
        return WriteIndexFile(book.topics, book.keywords, 936, work.string(), Path(name));
    }
    bool WriteProject(const std::string& name, const std::string& contents, const std::string& index,
                      const std::string& compiled) {
        const HelpBook book = job->MakeHelpBook();
        return WriteProjectFile({book.title, contents, index, compiled, book.helpIds, book.language}, book.pageFiles,
                                work.string(), Path(name), &pictureFiles);
    }

    size_t pictureFiles = 0; // as the last project written counted them

    PageOptions options; // the next job's

    FakeWordServer server;
    std::unique_ptr<ChmConverter> job;
    fs::path work;
};

} // namespace

TEST_F(HelpProjectTest, ContentsNestTheTreeAndIndexListsItFlat) {
    Prepare({{1, "A"}, {2, "A1"}, {2, "A2"}, {1, "B"}});
    ASSERT_TRUE(WriteContents("Manual.hhc"));
    ASSERT_TRUE(WriteIndex("Manual.hhk"));
    ExpectGolden("tree.hhc", ReadFile(work / "Manual.hhc"));
    ExpectGolden("tree.hhk", ReadFile(work / "Manual.hhk"));
}

TEST_F(HelpProjectTest, OneHeadingMakesTheSmallestFiles) {
    Prepare({{10, "title"}, {1, "Only"}});
    ASSERT_TRUE(WriteContents("One.hhc"));
    ASSERT_TRUE(WriteIndex("One.hhk"));
    const std::string index = ReadFile(work / "One.hhk");
    EXPECT_EQ(std::count(index.begin(), index.end(), '\n'), 16) << "seven head lines, <UL>, five, three tail";
    ExpectGolden("one.hhc", ReadFile(work / "One.hhc"));
}

TEST_F(HelpProjectTest, TitlesAreOnePlainLineEscapedForTheCodePage) {
    options.showNumbering = true;
    Prepare({{1, "Intro", "1.1"},
             {1, "Say \"hi\" <b>&amp;", ""},
             {1, "Two\rlines\x0bhere\tand\x0c tab\x07\x01", "2"},
             {1,
              "non\x1e"
              "breaking soft\x1fhyphen",
              ""},
             {1, "M\xC3\x9Cller \xC3\x9F \xE2\x82\xAC \xD8\xB9 \xE4\xB8\xAD \xF0\x9F\x98\x80", ""}});
    ASSERT_TRUE(WriteContents("T.hhc"));
    job->title = Utf8ToNarrow("A \"Q\" \xC3\xA7").value();
    ASSERT_TRUE(WriteProject("T.hhp", "T.hhc", "T.hhk", "D:\\out\\T.chm"));
    const std::string contents = ReadFile(work / "T.hhc");
    for (const std::string line : {"value=\"1.1 Intro\">\r\n", "value=\"Say &quot;hi&quot; &lt;b&gt;&amp;amp;\">\r\n",
                                   "value=\"2 Twolines here and tab\">\r\n", "value=\"non-breaking softhyphen\">\r\n",
                                   "value=\"MUller ss EUR ? \xD6\xD0 ?\">\r\n"})
        EXPECT_NE(contents.find(line), std::string::npos) << line << "\n" << contents;
    EXPECT_EQ(contents.find("\r\r"), std::string::npos);
    EXPECT_NE(contents.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
    const std::string project = ReadFile(work / "T.hhp");
    EXPECT_NE(project.find("Title=A &quot;Q&quot; c\r\n"), std::string::npos) << project;
    EXPECT_NE(project.find("Main=\"A &quot;Q&quot; c\",\"T.hhc\""), std::string::npos) << project;
    EXPECT_EQ(contents.find("&#"), std::string::npos) << "a viewer shows contents names as plain text";
}

TEST_F(HelpProjectTest, ProjectNamesEveryPageAndEveryPictureByPage) {
    Prepare({{1, "A"}, {1, "B"}, {1, "C"}});
    job->title = "Manual";
    fs::create_directories(work / "0.files");
    std::ofstream(work / "0.files" / "image001.png") << "png";
    fs::create_directories(work / "2.files" / "nested");
    std::ofstream(work / "2.files" / "image002.png") << "png";
    std::ofstream(work / "2.files" / "nested" / "deep.png") << "png";
    ASSERT_TRUE(WriteProject("Manual.hhp", "Manual.hhc", "Manual.hhk", "D:\\out\\Manual.chm"));
    ExpectGolden("manual.hhp", ReadFile(work / "Manual.hhp"));
    EXPECT_EQ(pictureFiles, 2u) << "the files listed, not the folder inside a picture folder";
}

// Each language's project: its Language line and default font, every name in its code page; names it lacks are
// references (which the compiler reads back), titles a look-alike.
TEST_F(HelpProjectTest, TheProjectIsInTheLanguageOfTheBook) {
    Prepare({{1, "A"}});
    job->title = "Übersicht Ελλάδα";
    struct Case {
        const char* tag;
        std::string lines;
    };
    const Case cases[] = {
        {"de-DE", "Compiled file=D:\\\xDC/\xE4.chm\r\nDefault Window=Main\r\n"},
        {"de-DE", "Title=\xDC"
                  "bersicht ??????\r\nContents file=\xDC.hhc\r\nIndex file=\xDC.hhk\r\n"
                  "Default font=Tahoma,8,0\r\nLanguage=0x407 German (Germany)\r\n"},
        {"el-GR", "Title=Ubersicht \xC5\xEB\xEB\xDC\xE4\xE1\r\n"},
        {"el-GR", "Contents file=&#220;.hhc\r\n"},
        {"el-GR", "Default font=Tahoma,8,161\r\nLanguage=0x408 Greek (Greece)\r\n"},
        {"ko-KR", "Default font=Gulim,9,129\r\nLanguage=0x412 Korean (Korea)\r\n"},
        {"zh-TW", "Language=0x404 Chinese (Taiwan)\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        HelpBook book = job->MakeHelpBook();
        book.language = *FindHelpLanguage(c.tag);
        ASSERT_TRUE(WriteProjectFile({book.title, "Ü.hhc", "Ü.hhk", "D:\\Ü/ä.chm", {}, book.language}, book.pageFiles,
                                     work.string(), Path("L.hhp")));
        const std::string project = ReadFile(work / "L.hhp");
        EXPECT_NE(project.find(c.lines), std::string::npos) << project;
    }
}

TEST_F(HelpProjectTest, TitlesThatAreNoFileNameWriteNothing) {
    Prepare({{1, "A"}});
    for (const std::string title : {"a/b", "../escape", "what?", "x\\y", "con:"}) {
        SCOPED_TRACE(title);
        job->title = title;
        EXPECT_FALSE(WriteContents(title + ".hhc"));
        EXPECT_FALSE(WriteProject(title + ".hhp", title + ".hhc", title + ".hhk", "/o.chm"));
    }
    EXPECT_TRUE(fs::is_empty(work));
    EXPECT_FALSE(fs::exists(work.parent_path() / "escape.hhc"));
    EXPECT_FALSE(IsPortableFileName("表\\")) << "a backslash of its own is a separator";
    EXPECT_TRUE(IsPortableFileName("表")) << "a character whose GBK bytes end in a backslash";
    EXPECT_FALSE(IsPortableFileName("\x81\x5C")) << "narrow text is UTF-8: GBK bytes are no name";
    EXPECT_TRUE(IsPortableFileName(".hhc")) << "an empty title still names files";
}

TEST_F(HelpProjectTest, ConvertWritesTheThreeFilesNamedAfterTheWholeTitle) {
    server.SetSourceParagraphs({{1, "A"}, {10, "a"}});
    job = std::make_unique<ChmConverter>("/d/source.docx", work.string());
    ASSERT_EQ(job->StartWordAndOpen(), 1);
    EXPECT_EQ(job->Convert("A.B", Path("A.B.chm")), 1);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(work))
        names.insert(entry.path().filename().string());
    // The fake server writes no pages; the project files are ours.
    EXPECT_EQ(names, (std::set<std::string>{"A.B.hhc", "A.B.hhk", "A.B.hhp"}));
    EXPECT_EQ(job->Convert("", Path(".chm")), 1);
    EXPECT_TRUE(fs::exists(work / "help.hhp")) << "an empty title names its files with a fallback";
}

TEST(GeneratedFile, AnyTitleGivesAPortableStem) {
    struct Case {
        std::string title, stem;
    };
    const Case cases[] = {
        {"Manual", "Manual"},
        {"Report: Q3", "Report_ Q3"},
        {"TCP/IP Guide", "TCP_IP Guide"},
        {"Guide: part 1/2", "Guide_ part 1_2"},
        {" \tLeading", "_Leading"},
        {"\nNew line", "_New line"},
        {"", "help"},
        {"  ..  ", "help"},
        {"表", "表"}, // in code page 936 its second byte is a backslash; it stays whole
        {std::string(300, 'x'), std::string(60, 'x')},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(PortableFileStem(item.title), item.stem) << item.title;
        EXPECT_TRUE(IsPortableFileName(PortableFileStem(item.title) + ".hhp")) << item.title;
    }
}
