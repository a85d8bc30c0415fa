// The heading walk over every .docx of the shared development corpus, compared with the manifest's heading count.
#include "docserver/DocumentServer.h"
#include "engine/LanguageChoice.h"
#include "word/AutomationError.h"
#include "word/WordObjects.h"

#include "automation/ComRuntime.h"
#include "automation/Variant.h"
#include "automation/WordConventions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(LEAFBIND_SOURCE_DIR) / ".." / "shared" / "corpus";

// file -> manifest total of headings_by_outline_level, for the dev set's files with the given extension.
std::map<std::string, int> ManifestTotals(const std::string& extension) {
    std::map<std::string, int> totals;
    std::ifstream in(kCorpus / "MANIFEST.tsv");
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

struct Walk {
    int headings = 0;
    int pageBreakHeadings = 0; // outline-level paragraphs holding only a page break: the walk skips them
};

// The splitter's walk: levels 1 to 9, a paragraph that is only a page break skipped.
Walk WalkHeadings(const WordDocument& document) {
    const WordParagraphs paragraphs = document.Paragraphs();
    const int32_t count = paragraphs.Count();
    Walk walk;
    for (int32_t i = 1; i <= count; ++i) {
        const WordParagraph paragraph = paragraphs.Item(i);
        if (paragraph.OutlineLevel() >= 10)
            continue;
        if (paragraph.Range().Text() == "\f")
            ++walk.pageBreakHeadings;
        else
            ++walk.headings;
    }
    return walk;
}

class CorpusHeadingWalk : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCorpus / "MANIFEST.tsv"))
            GTEST_SKIP() << "the shared corpus is not beside the source folder";
        CoInitialize(nullptr);
        RegisterDocumentServer();
        ASSERT_TRUE(word.CreateDispatch("Word.Application"));
    }
    WordApplication word;
};

// A document of the dev set, opened read-only.
WordDocument OpenCorpusDocument(WordApplication& word, const std::string& file) {
    ScopedVariant name = ScopedVariant::Bstr(std::filesystem::path(kCorpus / "dev" / file).u16string());
    ScopedVariant missing = ScopedVariant::Missing();
    ScopedVariant readOnly = ScopedVariant::I2(1);
    return word.Documents().Open(&name, &missing, &readOnly, &missing, &missing, &missing, &missing, &missing, &missing,
                                 &missing, &missing, &missing, &missing, &missing, &missing);
}

void ExpectManifestCounts(WordApplication& word, const std::map<std::string, int>& totals) {
    ASSERT_FALSE(totals.empty());
    for (const auto& [file, expected] : totals) {
        SCOPED_TRACE(file);
        ScopedVariant missing = ScopedVariant::Missing();
        try {
            WordDocument document = OpenCorpusDocument(word, file);
            const Walk walk = WalkHeadings(document);
            std::cout << "[ corpus   ] " << file << ": " << walk.headings << " headings, " << walk.pageBreakHeadings
                      << " page-break-only heading paragraphs skipped (manifest " << expected << ")\n";
            // The manifest counts outline-level paragraphs, page-break-only ones included.
            EXPECT_EQ(walk.headings + walk.pageBreakHeadings, expected);
            document.Close(&missing, &missing, &missing);
        } catch (const AutomationError& error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST_F(CorpusHeadingWalk, EveryDevDocxHasTheManifestHeadingCount) {
    ExpectManifestCounts(word, ManifestTotals(".docx"));
}

// The manifest counted these after the same LibreOffice conversion the server makes.
TEST_F(CorpusHeadingWalk, EveryDevDocHasTheManifestHeadingCountAfterConversion) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    ExpectManifestCounts(word, ManifestTotals(".doc"));
}

// Every .docx of the dev set saved as one page in the code page its conversion chooses: python's strict codec of
// the charset the page declares reads all of it (xchm and other strict readers show nothing of a page that fails).
TEST_F(CorpusHeadingWalk, EveryDevDocxPageIsStrictInItsDeclaredCharset) {
    if (std::system("python3 -c pass >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 is not installed";
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
