// The rules of the desktop program that need no window.

#include "OptionsForm.h"
#include "PathChoices.h"
#include "ProgressText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(PathChoicesTest, SourceGivesOutputBesideItAndTitleFromItsName) {
    struct Case {
        std::string source, output, title;
    };
    const Case cases[] = {
        {"/D/Docs/Guide.docx", "/D/Docs/Guide.chm", "Guide"},
        {"/D/Docs/Guide.doc", "/D/Docs/Guide.chm", "Guide"},
        {"/D/v1.2/Release.Notes.docx", "/D/v1.2/Release.Notes.chm", "Release.Notes"},
        {"/文档/用户手册.docx", "/文档/用户手册.chm", "用户手册"},
        {"/D/NoExtension", "/D/NoExtension.chm", "NoExtension"},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(OutputPathForSource(item.source), item.output) << item.source;
        EXPECT_EQ(TitleForSource(item.source), item.title) << item.source;
    }
}

TEST(PathChoicesTest, OutputKeepsAnyCaseOfChmAndOtherwiseGetsIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"/o/Out.chm", "/o/Out.chm"},
        {"/o/Out.CHM", "/o/Out.CHM"},
        {"/o/Out.ChM", "/o/Out.ChM"},
        {"/o/Out", "/o/Out.chm"},
        {"/o/Out.txt", "/o/Out.txt.chm"},
        {"/o.chm/Out", "/o.chm/Out.chm"},
        {"/o/Out.chm.bak", "/o/Out.chm.bak.chm"},
    };
    for (const auto& [chosen, expected] : cases)
        EXPECT_EQ(WithChmExtension(chosen), expected) << chosen;
}

TEST(ProgressTextTest, NoDotsOnlyOnceThenOneToSixOverAndOver) {
    ProgressText progress;
    std::vector<std::string> shown;
    for (int tick = 0; tick < 9; ++tick)
        shown.push_back(progress.NextTick());
    EXPECT_EQ(shown,
              (std::vector<std::string>{"正在转换", "正在转换.", "正在转换. .", "正在转换. . .", "正在转换. . . .",
                                        "正在转换. . . . .", "正在转换. . . . . .", "正在转换.", "正在转换. ."}));
}

TEST(ProgressTextTest, ThePhaseFollowsOnALineOfItsOwnAndPagesCountFromOne) {
    ProgressText progress;
    progress.NextTick();
    progress.SetPhase(ProgressText::PagePhase(2, 120));
    EXPECT_EQ(progress.NextTick(), "正在转换.\n第 3 页，共 120 页");
    progress.SetPhase("");
    EXPECT_EQ(progress.NextTick(), "正在转换. .") << "no phase, no second line";
}

TEST(PathChoicesTest, ChoosersOpenInTheSourcesFolderWhileItExistsElseAtHome) {
    const fs::path root = fs::temp_directory_path() / ("leafbind-chooser-" + std::to_string(::getpid()));
    fs::create_directories(root / "docs");
    EXPECT_EQ(ChooserStartFolder((root / "docs" / "Guide.docx").string(), "", "/home/u"), (root / "docs").string());
    EXPECT_EQ(ChooserStartFolder((root / "gone" / "Guide.docx").string(), "", "/home/u"), "/home/u");
    EXPECT_EQ(ChooserStartFolder("", "", "/home/u"), "/home/u");
    fs::remove_all(root);
}

TEST(OptionsFormTest, RoundTripKeepsSwitchesAndCrLfText) {
    OptionsForm form = OptionsForm::From(PageOptions{});
    EXPECT_FALSE(form.switches.showHeader);
    EXPECT_TRUE(form.switches.pngImages);
    EXPECT_TRUE(form.switches.relatedTopics);

    form.copyrightText = "版权所有\n第二行\n";
    form.switches.showNumbering = true;
    form.switches.pngImages = false;
    form.switches.frontPage = true;
    const PageOptions options = form.ToOptions();
    EXPECT_EQ(options.copyrightText, "版权所有\r\n第二行\r\n"); // narrow text is UTF-8
    EXPECT_TRUE(options.showNumbering);
    EXPECT_FALSE(options.pngImages);
    EXPECT_TRUE(options.frontPage);

    const OptionsForm back = OptionsForm::From(options);
    EXPECT_EQ(back.copyrightText, "版权所有\n第二行\n");
    EXPECT_TRUE(back.switches.showNumbering);
    EXPECT_TRUE(back.switches.frontPage);
    EXPECT_TRUE(back.switches.copyrightText.empty()) << "the text box holds the text, not the switches";
}
