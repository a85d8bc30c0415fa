#include "FakeWordServer.h"

#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "engine/ChmConverter.h"
#include "engine/ConvertOptions.h"
#include "helpproject/ChmOutput.h"
#include "word/AutomationError.h"
#include "word/MessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string kMissing = "&ERROR:0x80020004";

class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        previousHandler = SetMessageBoxHandler([this](const std::string& text) { messages.push_back(text); });
        workFolder = fs::temp_directory_path() / ("leafbind-converter-" + std::to_string(::getpid()));
        fs::remove_all(workFolder);
        fs::create_directories(workFolder);
    }
    void TearDown() override {
        SetMessageBoxHandler(previousHandler);
        fs::remove_all(workFolder);
    }

    FakeWordServer server;
    std::vector<std::string> messages;
    MessageBoxHandler previousHandler;
    fs::path workFolder;
};

} // namespace

TEST_F(ConverterTest, StartsWordHiddenAndOpensTheSourceReadOnly) {
    server.Register();
    server.SetSourceParagraphs({{1, "A"}});
    {
        ChmConverter converter("/docs/手册.docx", workFolder.string());
        EXPECT_TRUE(server.calls.empty()) << "construction makes no Word call";
        ASSERT_EQ(converter.StartWordAndOpen(), 1);
        ASSERT_EQ(server.calls.size(), 3u);
        EXPECT_EQ(server.calls[0].member, WordMember::ApplicationVisible);
        EXPECT_EQ(server.calls[0].args, std::vector<std::string>{"BOOL:false"});
        EXPECT_EQ(server.calls[1].member, WordMember::ApplicationDocuments);
        EXPECT_EQ(server.calls[2].member, WordMember::DocumentsOpen);
        EXPECT_EQ(
            server.calls[2].args,
            (std::vector<std::string>{"&BSTR:/docs/手册.docx", "&I2:0", "&I2:1", "&I2:0", kMissing, kMissing, "&I2:0",
                                      kMissing, kMissing, kMissing, kMissing, "&I2:1", kMissing, kMissing, kMissing}));
        EXPECT_FALSE(converter.document.empty());
        server.calls.clear();
    }
    // Teardown: close without saving, then quit without saving.
    ASSERT_EQ(server.calls.size(), 2u);
    EXPECT_EQ(server.calls[0].member, WordMember::DocumentClose);
    EXPECT_EQ(server.calls[0].objectLabel, "Document#source");
    EXPECT_EQ(server.calls[0].args, (std::vector<std::string>{"&I2:0", kMissing, kMissing}));
    EXPECT_EQ(server.calls[1].member, WordMember::ApplicationQuit);
    EXPECT_EQ(server.calls[1].args, (std::vector<std::string>{"&I2:0", "&I2:1", "&I2:0"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConverterTest, UnknownServerIsReportedOnceAndTeardownMakesNoCall) {
    // Nothing registered under "Word.Application".
    {
        ChmConverter converter("/docs/a.docx", workFolder.string());
        EXPECT_EQ(converter.StartWordAndOpen(), 0);
        EXPECT_TRUE(converter.wordApp.empty());
        EXPECT_TRUE(converter.document.empty());
    }
    EXPECT_EQ(messages, std::vector<std::string>{DescribeHResult(CO_E_CLASSSTRING)});
    EXPECT_TRUE(server.calls.empty());
}

TEST_F(ConverterTest, DocumentWithoutHeadingsConvertsToNothing) {
    server.Register();
    server.SetSourceParagraphs({{10, "body"}, {10, "more body"}});
    ChmConverter converter("/docs/a.docx", workFolder.string());
    ASSERT_EQ(converter.StartWordAndOpen(), 1);
    EXPECT_EQ(converter.Convert("Manual", (workFolder / "Manual.chm").string()), 0);
    EXPECT_EQ(converter.title, "doc");
    EXPECT_TRUE(converter.pageFiles.empty());
    EXPECT_TRUE(fs::is_empty(workFolder));
}

TEST_F(ConverterTest, ASecondConversionStartsFromAnEmptyTree) {
    server.Register();
    server.SetSourceParagraphs({{1, "A"}, {2, "B"}, {1, "C"}});
    ChmConverter converter("/docs/a.docx", workFolder.string());
    ASSERT_EQ(converter.StartWordAndOpen(), 1);
    converter.Convert("First", "/out/First.chm");
    converter.Convert("A.B", "/out/A.B.chm");
    std::vector<TopicNode*> nodes;
    CollectPreOrder(converter.root->firstChild, nodes);
    EXPECT_EQ(nodes.size(), 3u);
    EXPECT_EQ(converter.title, "A.B") << "the title is kept whole";
}

TEST_F(ConverterTest, AOneOffRunLetsWordGoBeforeTheCompileAndTeardownAsksNoMore) {
    server.Register();
    server.SetSourceParagraphs({{1, "A"}, {10, "text"}, {1, "B"}});
    auto sourceCloses = [this] {
        int count = 0;
        for (const RecordedCall& call : server.CallsOf(WordMember::DocumentClose))
            count += call.objectLabel == "Document#source" ? 1 : 0;
        return count;
    };
    std::vector<int> seenAtCompile; // source closes and quits when the compiler reports its first file
    {
        ChmConverter converter("/docs/a.docx", workFolder.string());
        converter.quitWordBeforeOutputs = true;
        ChmOutput output((workFolder / "T.chm").string());
        output.compileObserver = [&](const std::string&) {
            if (seenAtCompile.empty())
                seenAtCompile = {sourceCloses(), server.CountOf(WordMember::ApplicationQuit)};
        };
        ASSERT_EQ(converter.StartWordAndOpen(), 1);
        BookOutput* const outputs[] = {&output};
        EXPECT_EQ(converter.Convert("T", (workFolder / "T.chm").string(), outputs), 1);
        EXPECT_EQ(seenAtCompile, (std::vector<int>{1, 1})) << "the compile starts after Word is gone";
        EXPECT_EQ(converter.pageFiles.size(), 2u);
    }
    EXPECT_EQ(sourceCloses(), 1);
    EXPECT_EQ(server.CountOf(WordMember::ApplicationQuit), 1);
}

TEST_F(ConverterTest, WordsRefusalToOpenTravelsAndWordIsStillQuit) {
    server.Register();
    server.FailWith(WordMember::DocumentsOpen, DISP_E_EXCEPTION, "This file could not be found.");
    try {
        ChmConverter converter("/docs/gone.docx", workFolder.string());
        converter.StartWordAndOpen();
        FAIL() << "the open failure was swallowed";
    } catch (const DispatchError& error) {
        EXPECT_EQ(error.description(), "This file could not be found.");
    }
    EXPECT_EQ(server.CountOf(WordMember::DocumentClose), 0) << "no document to close";
    EXPECT_EQ(server.CountOf(WordMember::ApplicationQuit), 1);
    EXPECT_EQ(server.LiveReferences(), 0);
}

TEST_F(ConverterTest, TeardownFailureDuringAnotherErrorKeepsTheFirstError) {
    server.Register();
    server.SetSourceParagraphs({{1, "A"}});
    server.FailWith(WordMember::DocumentParagraphs, DISP_E_EXCEPTION, "The walk failed.");
    server.FailWith(WordMember::DocumentClose, DISP_E_EXCEPTION, "The close failed.");
    server.FailWith(WordMember::ApplicationQuit, E_FAIL);
    try {
        ChmConverter converter("/docs/a.docx", workFolder.string());
        ASSERT_EQ(converter.StartWordAndOpen(), 1);
        converter.Convert("T", "/out/T.chm");
        FAIL() << "no error raised";
    } catch (const DispatchError& error) {
        EXPECT_EQ(error.description(), "The walk failed.");
    }
    EXPECT_EQ(server.CountOf(WordMember::ApplicationQuit), 1);
}

TEST_F(ConverterTest, TeardownFailureOnTheNormalPathReachesTheCallerAfterWordIsQuit) {
    server.Register();
    server.SetSourceParagraphs({{1, "A"}});
    server.FailWith(WordMember::DocumentClose, DISP_E_EXCEPTION, "The close failed.");
    try {
        ChmConverter converter("/docs/a.docx", workFolder.string());
        ASSERT_EQ(converter.StartWordAndOpen(), 1);
    } catch (const DispatchError& error) {
        EXPECT_EQ(error.description(), "The close failed.");
    }
    EXPECT_EQ(server.CountOf(WordMember::ApplicationQuit), 1) << "a failed close does not leave Word running";
    EXPECT_EQ(server.LiveReferences(), 0);
}

TEST(ConvertOptionsTest, AWholeCopyIsNeverSeenHalfStored) {
    ConvertOptions options;
    PageOptions first;
    first.copyrightText = std::string(4096, 'a');
    PageOptions second;
    second.copyrightText = std::string(8192, 'b');
    second.showHeader = true;
    second.pngImages = false;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            options.Store(i % 2 ? first : second);
        stop = true;
    });
    int torn = 0;
    while (!stop) {
        const PageOptions seen = options.Snapshot();
        const bool isFirst = seen.copyrightText == first.copyrightText && !seen.showHeader && seen.pngImages;
        const bool isSecond = seen.copyrightText == second.copyrightText && seen.showHeader && !seen.pngImages;
        const bool isDefault = seen.copyrightText.empty() && !seen.showHeader && seen.pngImages;
        if (!isFirst && !isSecond && !isDefault)
            ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}
