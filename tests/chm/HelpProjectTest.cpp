#include <gtest/gtest.h>

#include "HelpProject.h"

namespace {

// The project as the project writer produces it; the two Chinese lines are GB2312 bytes.
const std::string kProject = "[OPTIONS]\r\nCompatibility=1.1 Or later\r\nCompiled file=D:\\out\\Manual.chm\r\n"
                             "Default Window=Main\r\nDefault topic=0.html\r\nDisplay compile progress=No\r\n"
                             "Enhanced decompilation=Yes\r\nFull-text search=Yes\r\nTitle=Manual\r\n"
                             "Contents file=Manual.hhc\r\nIndex file=Manual.hhk\r\n"
                             "Default font=\xCB\xCE\xCC\xE5,9,1\r\n"
                             "Language=0x804 \xD6\xD0\xCE\xC4(\xD6\xD0\xB9\xFA)\r\n[WINDOWS]\r\n"
                             "Main=\"Manual\",\"Manual.hhc\",\"Manual.hhk\",\"0.html\",,,,,,0x62520,,0x300e,"
                             "[135,50,1015,730],0x1030000,,,,,,0\r\n"
                             "[FILES]\r\n0.html\r\n1.html\r\n0.files\\image001.png\r\n";

TEST(HelpProject, ReadsWhatTheProjectWriterWrites) {
    const ProjectParseResult result = ParseHelpProject(kProject);
    ASSERT_TRUE(result.status.ok()) << result.status.message;
    const HelpProject& project = result.project;
    EXPECT_EQ(project.compiledFile, "D:\\out\\Manual.chm");
    EXPECT_EQ(project.title, "Manual");
    EXPECT_EQ(project.contentsFile, "Manual.hhc");
    EXPECT_EQ(project.indexFile, "Manual.hhk");
    EXPECT_EQ(project.defaultTopic, "0.html");
    EXPECT_EQ(project.lcid, 0x804u);
    EXPECT_EQ(project.codePage, 936u);
    EXPECT_TRUE(project.fullTextSearch);
    EXPECT_EQ(project.files, (std::vector<std::string>{"0.html", "1.html", "0.files/image001.png"}));
    ASSERT_EQ(project.windows.size(), 1u);
    const WindowDefinition& window = project.windows[0];
    EXPECT_EQ(window.name, "Main");
    EXPECT_EQ(window.caption, "Manual");
    EXPECT_EQ(window.indexFile, "Manual.hhk");
    EXPECT_EQ(window.navigationStyle, 0x62520u);
    EXPECT_EQ(window.buttons, 0x300Eu);
    EXPECT_EQ(window.rect[2], 1015);
    EXPECT_EQ(window.windowStyle, 0x1030000u);
    EXPECT_FALSE(window.hasNavigationWidth);
}

TEST(HelpProject, FontCharsetGivesTheCodePageWithoutALanguage) {
    const auto result = ParseHelpProject("[OPTIONS]\nDefault Font=SimSun,9,134\nBinary Index=No\n");
    ASSERT_TRUE(result.status.ok());
    EXPECT_EQ(result.project.codePage, 936u);
    EXPECT_FALSE(result.project.binaryIndex);
}

TEST(HelpProject, OptionsItDoesNotBuildAreWarnedAbout) {
    const auto asked = ParseHelpProject("[OPTIONS]\nBinary TOC=Yes\nAuto Index=Yes\n");
    ASSERT_TRUE(asked.status.ok());
    ASSERT_EQ(asked.project.warnings.size(), 2u);
    EXPECT_NE(asked.project.warnings[0].find("Binary TOC"), std::string::npos);
    EXPECT_NE(asked.project.warnings[1].find("Auto Index"), std::string::npos);
    EXPECT_TRUE(ParseHelpProject("[OPTIONS]\nBinary TOC=No\nAuto Index=No\n").project.warnings.empty());
}

TEST(HelpProject, RefusesAbsurdlyLongLines) {
    const auto result = ParseHelpProject("[OPTIONS]\r\nTitle=" + std::string(100000, 'x') + "\r\n");
    EXPECT_FALSE(result.status.ok());
    EXPECT_NE(result.status.message.find("line 2"), std::string::npos);
}

TEST(HelpProject, RefusesMalformedWindows) {
    EXPECT_FALSE(ParseHelpProject("[WINDOWS]\nMain=\"a\",,,,,,,,,,,,[1,2,3],0\n").status.ok());
    EXPECT_FALSE(ParseHelpProject("[WINDOWS]\nMain=" + std::string(25, ',') + "\n").status.ok());
}

} // namespace

TEST(HelpProject, TitlesDecodeTheirCharacterReferencesInTheProjectsCodePage) {
    const auto result = ParseHelpProject("[OPTIONS]\r\nTitle=A &quot;Q&quot; &#231; &amp;\r\nLanguage=0x804\r\n"
                                         "[WINDOWS]\r\nMain=\"A &quot;Q&quot;\",\"T.hhc\",,\"0.html\"\r\n");
    ASSERT_TRUE(result.status.ok()) << result.status.message;
    // The title is shown by a viewer decoding code page 936, which has no ç: it stays a reference.
    EXPECT_EQ(result.project.title, "A \"Q\" &#231; &");
    ASSERT_EQ(result.project.windows.size(), 1u);
    EXPECT_EQ(result.project.windows[0].caption, "A \"Q\"");
    EXPECT_EQ(result.project.windows[0].contentsFile, "T.hhc");
}

// 誠 is D5 5C in code page 936: its trail byte is a backslash, which must not become a separator.
TEST(HelpProject, PathsAreReadCharacterByCharacterInTheCodePage) {
    const std::string cheng = "\xD5\x5C";
    const auto result = ParseHelpProject("[FILES]\r\n" + cheng + "\\" + cheng + ".html\r\n[ALIAS]\r\nIDH_A=" + cheng +
                                         "\\a.html\r\n#include " + cheng + "\\" + cheng +
                                         ".h\r\n"
                                         "[OPTIONS]\r\nLanguage=0x804\r\n");
    ASSERT_TRUE(result.status.ok()) << result.status.message;
    EXPECT_EQ(result.project.files, std::vector<std::string>{cheng + "/" + cheng + ".html"});
    ASSERT_EQ(result.project.contextAliases.size(), 1u);
    EXPECT_EQ(result.project.contextAliases[0].file, cheng + "/a.html");
    ASSERT_EQ(result.project.contextIncludes.size(), 1u);
    EXPECT_EQ(result.project.contextIncludes[0].file, cheng + "/" + cheng + ".h");
    // A header file read later is split the same way.
    HelpProject project = result.project;
    ParseContextFile("IDH_B=" + cheng + "\\b.html\r\n", false, project);
    EXPECT_EQ(project.contextAliases.back().file, cheng + "/b.html");
    // In a single-byte code page every backslash is one.
    EXPECT_EQ(ParseHelpProject("[FILES]\r\n\xD5\\x.html\r\n").project.files[0], "\xD5/x.html");
}
