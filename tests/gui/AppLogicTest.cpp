// The rules of the desktop program that need no window.

#include "InstanceMarker.h"
#include "OptionsForm.h"
#include "PathChoices.h"
#include "ProgressText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
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

// Other instances are counted by their marks while their processes run; a mark of an ended process is removed, and
// an instance leaves nothing behind.
TEST(InstanceMarkerTest, CountsRunningInstancesAndLeavesNothingBehind) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("leafbind-marks-" + std::to_string(::getpid())) / "leafbind";
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    {
        InstanceMarker first(folder);
        EXPECT_EQ(first.OthersRunning(), 0);
        std::filesystem::create_directory(folder / ("window-" + std::to_string(::getppid()))); // one that runs
        std::filesystem::create_directory(folder / ("window-" + std::to_string(ended)));       // one killed outright
        EXPECT_TRUE(std::filesystem::is_directory(folder / ("window-" + std::to_string(::getpid()))));
        std::ofstream(folder / "notes.txt"); // not a mark
        EXPECT_EQ(first.OthersRunning(), 1);
        EXPECT_FALSE(std::filesystem::exists(folder / ("window-" + std::to_string(ended))));
        EXPECT_TRUE(std::filesystem::exists(folder / "notes.txt"));
        std::filesystem::remove(folder / ("window-" + std::to_string(::getppid())));
        std::filesystem::remove(folder / "notes.txt");
        EXPECT_EQ(first.OthersRunning(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(folder)) << "the mark and its folder go with the instance";
    std::filesystem::remove_all(folder.parent_path());

    InstanceMarker none{std::filesystem::path()};
    EXPECT_EQ(none.OthersRunning(), 0);
}

TEST(InstanceMarkerTest, EachOtherInstanceMovesTheWindowOneStepOn) {
    const wxPoint alone(100, 50);
    EXPECT_EQ(OffsetForOthers(alone, 0, 24), alone);
    EXPECT_EQ(OffsetForOthers(alone, 1, 24), wxPoint(124, 74));
    EXPECT_EQ(OffsetForOthers(alone, 3, 24), wxPoint(172, 122));
    EXPECT_EQ(OffsetForOthers(alone, 8, 24), alone) << "back to the start after eight";
}
