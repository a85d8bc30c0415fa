// The converter's heading walk over every document of the shared development corpus, through the real document
// server, compared with the manifest's heading count.
#include "docserver/DocumentServer.h"
#include "engine/ChmConverter.h"
#include "engine/LanguageChoice.h"
#include "engine/TopicTree.h"
#include "word/AutomationError.h"
#include "word/WordObjects.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/HeadingText.h"
#include "automation/Variant.h"
#include "automation/WordConventions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The development set, where CI checks it out beside the source folder.
const fs::path kCorpus = LEAFBIND_CORPUS_DIR;

// The manifest sits in the set's folder or the one above it.
fs::path Manifest() {
    return fs::exists(kCorpus / "MANIFEST.tsv") ? kCorpus / "MANIFEST.tsv" : kCorpus.parent_path() / "MANIFEST.tsv";
}

// file -> manifest total of headings_by_outline_level, for the dev set's files with the given extension.
std::map<std::string, int> ManifestTotals(const std::string& extension) {
    std::map<std::string, int> totals;
    std::ifstream in(Manifest());
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t'))
            fields.push_back(cell);
        if (fields.size() < 9 || fields[1] != "dev" || !fields[0].ends_with(extension))
            continue;
        std::smatch match;
        totals[fields[0]] = std::regex_search(fields[8], match, std::regex(R"(total (\d+))")) ? std::stoi(match[1]) : 0;
    }
    return totals;
}

// What the walk made of the document's outline paragraphs, each found by where it starts in the source.
struct Walk {
    int outlineParagraphs = 0; // levels 1 to 9, as the manifest counts them
    int topics = 0;
    std::vector<std::string> skippedWithText; // outline paragraphs the walk left out although they show something
    int notOutline = 0;                       // topics whose paragraph is no outline paragraph
};

Walk WalkOf(ChmConverter& converter) {
    converter.BuildTopicTree();
    std::vector<TopicNode*> topics;
    CollectPreOrder(converter.root->firstChild, topics);
    std::set<int32_t> topicStarts;
    for (const TopicNode* topic : topics)
        if (!topic->paragraph.empty()) // the front page has no heading
            topicStarts.insert(topic->paragraph.Range().Start());

    Walk walk;
    walk.topics = static_cast<int>(topicStarts.size());
    std::set<int32_t> outlineStarts;
    const WordParagraphs paragraphs = converter.document.Paragraphs();
    const int32_t count = paragraphs.Count();
    for (int32_t i = 1; i <= count; ++i) {
        const WordParagraph paragraph = paragraphs.Item(i);
        if (paragraph.OutlineLevel() >= kBodyTextLevel)
            continue;
        ++walk.outlineParagraphs;
        const WordRange range = paragraph.Range();
        outlineStarts.insert(range.Start());
        if (topicStarts.contains(range.Start()))
            continue;
        // Only a heading with nothing to show (a page break, spaces) is no topic.
        const std::string text = range.Text();
        if (!IsBlankHeading(PlainHeadingText(NarrowToWide(text).value_or(u"x"))))
            walk.skippedWithText.push_back(text);
    }
    for (const int32_t start : topicStarts)
        walk.notOutline += outlineStarts.contains(start) ? 0 : 1;
    return walk;
}

class CorpusHeadingWalk : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(kCorpus))
            GTEST_SKIP() << "no development corpus at " << kCorpus;
        ASSERT_TRUE(fs::exists(Manifest())) << "the corpus at " << kCorpus << " has no MANIFEST.tsv";
        CoInitialize(nullptr);
        RegisterDocumentServer();
    }
};

void ExpectManifestCounts(const std::map<std::string, int>& totals) {
    ASSERT_FALSE(totals.empty());
    for (const auto& [file, expected] : totals) {
        SCOPED_TRACE(file);
        const std::optional<std::string> path = PathToNarrow(kCorpus / file);
        ASSERT_TRUE(path);
        try {
            ChmConverter converter(*path, (fs::temp_directory_path() / "leafbind-corpus-walk").string());
            ASSERT_EQ(converter.StartWordAndOpen(), 1);
            const Walk walk = WalkOf(converter);
            std::cout << "[ corpus   ] " << file << ": " << walk.topics << " topics of " << walk.outlineParagraphs
                      << " outline paragraphs (manifest " << expected << ")\n";
            EXPECT_EQ(walk.outlineParagraphs, expected);
            EXPECT_EQ(walk.notOutline, 0);
            EXPECT_TRUE(walk.skippedWithText.empty()) << walk.skippedWithText.size() << " headings with text left out";
        } catch (const AutomationError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST_F(CorpusHeadingWalk, EveryDevDocxHasTheManifestHeadingCount) {
    ExpectManifestCounts(ManifestTotals(".docx"));
}

// The manifest counted these after the same LibreOffice conversion the server makes.
TEST_F(CorpusHeadingWalk, EveryDevDocHasTheManifestHeadingCountAfterConversion) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    ExpectManifestCounts(ManifestTotals(".doc"));
}

// A document of the dev set, opened read-only.
WordDocument OpenCorpusDocument(WordApplication& word, const std::string& file) {
    ScopedVariant name = ScopedVariant::Bstr(std::filesystem::path(kCorpus / file).u16string());
    ScopedVariant missing = ScopedVariant::Missing();
    ScopedVariant readOnly = ScopedVariant::I2(1);
    return word.Documents().Open(&name, &missing, &readOnly, &missing, &missing, &missing, &missing, &missing, &missing,
                                 &missing, &missing, &missing, &missing, &missing, &missing);
}

// Every .docx of the dev set saved as one page in the code page its conversion chooses: python's strict codec of
// the charset the page declares reads all of it (xchm and other strict readers show nothing of a page that fails).
TEST_F(CorpusHeadingWalk, EveryDevDocxPageIsStrictInItsDeclaredCharset) {
    if (std::system("python3 -c pass >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
    WordApplication word;
    ASSERT_TRUE(word.CreateDispatch("Word.Application"));
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("leafbind-corpus-pages-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::map<std::string, int> totals = ManifestTotals(".docx");
    ASSERT_FALSE(totals.empty());
    int saved = 0;
    for (const auto& [file, headings] : totals) {
        SCOPED_TRACE(file);
        ScopedVariant missing = ScopedVariant::Missing();
        try {
            WordDocument document = OpenCorpusDocument(word, file);
            const WordRange whole = document.Range(&missing, &missing);
            const LanguageChoice choice =
                ChooseHelpLanguage("", static_cast<uint32_t>(std::max(whole.LanguageID(), 0)),
                                   static_cast<uint32_t>(std::max(whole.LanguageIDFarEast(), 0)), whole.Text());
            ScopedVariant page = ScopedVariant::Bstr((folder / (std::to_string(saved++) + ".html")).u16string());
            ScopedVariant format = ScopedVariant::I4(kFilteredHtmlFormat);
            ScopedVariant encoding = ScopedVariant::I4(static_cast<int32_t>(choice.language.codePage));
            document.SaveAs(&page, &format, &missing, &missing, &missing, &missing, &missing, &missing, &missing,
                            &missing, &missing, &encoding, &missing, &missing, &missing, &missing);
            document.Close(&missing, &missing, &missing);
        } catch (const AutomationError& error) {
            ADD_FAILURE() << error.what();
        }
    }
    const std::string check = "python3 -c \"import glob, re, sys\n"
                              "for name in sorted(glob.glob(sys.argv[1] + '/*.html')):\n"
                              "    data = open(name, 'rb').read()\n"
                              "    charset = re.search(rb'charset=([A-Za-z0-9_-]+)', data).group(1).decode()\n"
                              "    try:\n"
                              "        data.decode(charset, 'strict')\n"
                              "    except UnicodeDecodeError as error:\n"
                              "        print(name, charset, error)\n"
                              "        sys.exit(1)\n\" " +
                              folder.string();
    EXPECT_EQ(std::system(check.c_str()), 0);
    std::filesystem::remove_all(folder);
}

} // namespace
