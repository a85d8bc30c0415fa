#include "FakeWordServer.h"

#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "engine/ChmConverter.h"
#include "word/AutomationError.h"

#include <gtest/gtest.h>

namespace {

// "A(B,C),D": each topic's heading text, its children in brackets.
std::string Shape(const TopicNode* first) {
    std::string out;
    for (const TopicNode* node = first; node; node = node->nextSibling) {
        std::string text = node->paragraph.Range().Text();
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        out += text;
        if (node->firstChild)
            out += "(" + Shape(node->firstChild) + ")";
        if (node->nextSibling)
            out += ",";
    }
    return out;
}

class TopicTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        server.Register();
        job = std::make_unique<ChmConverter>("/docs/source.docx", "/tmp/leafbind-work");
    }
    void TearDown() override { job.reset(); }

    // Builds the tree of a document whose paragraphs are given as (level, text); body text is level 10.
    std::string BuildShape(std::vector<ScriptedParagraph> paragraphs) {
        server.SetSourceParagraphs(std::move(paragraphs));
        EXPECT_EQ(converter().StartWordAndOpen(), 1);
        converter().BuildTopicTree();
        return Shape(converter().root->firstChild);
    }

    std::vector<TopicNode*> PreOrder() {
        std::vector<TopicNode*> nodes;
        CollectPreOrder(converter().root->firstChild, nodes);
        return nodes;
    }

    FakeWordServer server; // outlives the converter's references
    std::unique_ptr<ChmConverter> job;
    ChmConverter& converter() { return *job; }
};

} // namespace

TEST_F(TopicTreeTest, LevelsGiveTheOutlineShape) {
    struct Case {
        std::vector<int> levels;
        std::string shape;
    };
    const Case cases[] = {
        {{1, 2, 2, 1}, "A(B,C),D"},
        {{1, 3, 2}, "A(B,C)"},      // the shallower heading becomes the deeper one's sibling
        {{2, 1}, "A,B"},            // a document may start deeper than level 1
        {{1, 4}, "A(B)"},           // a jump of several levels nests once
        {{1, 3, 2, 1}, "A(B,C),D"}, // walks up from C, stops at A's level
        {{1, 2, 3, 3, 2, 1, 2}, "A(B(C,D),E),F(G)"},
        {{1}, "A"},
    };
    for (const Case& c : cases) {
        FakeWordServer caseServer;
        caseServer.Register();
        std::vector<ScriptedParagraph> paragraphs{{10, "title page"}};
        for (size_t i = 0; i < c.levels.size(); ++i) {
            paragraphs.push_back({c.levels[i], std::string(1, char('A' + i))});
            paragraphs.push_back({10, "body"});
        }
        caseServer.SetSourceParagraphs(paragraphs);
        ChmConverter job("/docs/source.docx", "/tmp/leafbind-work");
        ASSERT_EQ(job.StartWordAndOpen(), 1);
        job.BuildTopicTree();
        EXPECT_EQ(Shape(job.root->firstChild), c.shape);

        std::vector<TopicNode*> nodes;
        CollectPreOrder(job.root->firstChild, nodes);
        ASSERT_EQ(nodes.size(), c.levels.size());
        for (size_t i = 0; i < nodes.size(); ++i) {
            EXPECT_EQ(nodes[i]->pageNumber, static_cast<int>(i)) << "page numbers follow document order";
            EXPECT_NE(nodes[i]->parent, nullptr);
        }
        EXPECT_EQ(nodes.front()->parent, job.root.get());
    }
}

TEST_F(TopicTreeTest, AcceptsHeadingsByLevelAloneButNotPageBreaksOrEmptyOnes) {
    EXPECT_EQ(
        BuildShape(
            {{10, "Title"}, {1, "A"}, {1, "\f"}, {2, ""}, {2, " \x0b\x07"}, {9, "B"}, {10, "x"}, {11, "not a level"}}),
        "A(B)")
        << "neither the page-break-only heading nor the empty ones are topics";
    const std::vector<std::string>& warnings = converter().warnings;
    ASSERT_EQ(warnings.size(), 3u) << ::testing::PrintToString(warnings);
    EXPECT_NE(warnings[0].find("empty heading after \"A\""), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("empty heading after \"A\""), std::string::npos) << warnings[1];
    EXPECT_NE(warnings[2].find("1 paragraph(s) before the first heading"), std::string::npos) << warnings[2];
}

TEST_F(TopicTreeTest, NoHeadingLeavesTheTreeEmpty) {
    EXPECT_EQ(BuildShape({{10, "only"}, {10, "body"}}), "");
    EXPECT_EQ(converter().root->firstChild, nullptr);
    EXPECT_TRUE(PreOrder().empty());
    converter().ClearTopics(); // nothing to clear
    EXPECT_EQ(converter().root->firstChild, nullptr);
}

TEST_F(TopicTreeTest, LevelsAreAskedOfWordAtEveryComparison) {
    server.SetSourceParagraphs({{1, "A"}, {2, "B"}, {3, "C"}});
    ASSERT_EQ(converter().StartWordAndOpen(), 1);
    WordParagraphs paragraphs = converter().document.Paragraphs();
    auto node = [&](int index) {
        auto* n = new TopicNode;
        n->paragraph = paragraphs.Item(index);
        return n;
    };
    TopicNode* root = converter().root.get();
    TopicNode* a = node(1);
    AttachTopic(root, root, a);
    // A's level changes in Word after it was attached: the next comparison must see the new value.
    server.SetLevel(1, 3);
    TopicNode* b = node(2);
    AttachTopic(root, a, b);
    EXPECT_EQ(b->parent, root) << "B (level 2) is not below A (now level 3)";
    EXPECT_EQ(a->nextSibling, b);
}

TEST_F(TopicTreeTest, ClearingDetachesHeadingsWithoutCallingWord) {
    BuildShape({{1, "A"}, {2, "B"}, {1, "C"}});
    ASSERT_EQ(PreOrder().size(), 3u);
    const size_t callsBefore = server.calls.size();
    const int releasesBefore = server.releases;
    converter().ClearTopics();
    EXPECT_EQ(converter().root->firstChild, nullptr);
    EXPECT_EQ(server.calls.size(), callsBefore);
    EXPECT_EQ(server.releases, releasesBefore);

    // A new walk over a document without headings leaves it empty.
    server.SetSourceParagraphs({{10, "body"}});
    converter().BuildTopicTree();
    EXPECT_EQ(converter().root->firstChild, nullptr);
}

TEST_F(TopicTreeTest, AFailingLevelReadEndsTheWalkKeepingWhatWasLinked) {
    server.SetSourceParagraphs({{1, "A"}, {2, "B"}, {2, "C"}});
    ASSERT_EQ(converter().StartWordAndOpen(), 1);
    // The walk reads each level once, then AttachTopic reads two per comparison: fail inside the third attach.
    server.FailWith(WordMember::ParagraphOutlineLevel, DISP_E_EXCEPTION, "Word stopped answering.", 5);
    EXPECT_THROW(converter().BuildTopicTree(), DispatchError);
    EXPECT_EQ(PreOrder().size(), 2u);
}
