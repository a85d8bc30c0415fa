// Documents in every language a help file may be in go through leafbind-cli; the help file is read back with
// python3-chm: the search with the query in the code page, the titles from #STRINGS, and every page decoded
// strictly with the charset it declares.

#include "CliRun.h"
#include "docbuilder/DocxBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

bool HavePython3Chm() {
    return std::system("/usr/bin/python3 -I -c 'import chm.chm' >/dev/null 2>&1") == 0;
}

// Prints one line per fault: a page that is not strict in its declared charset, a title missing from #STRINGS or
// shown as a reference, a query that finds nothing.
constexpr const char* kReadBack = R"(import html, re, sys
from chm import chm
path, codec, heading, query = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
f = chm.CHMFile()
f.LoadCHM(path.encode())
names = []
def walk(c, ui, ctx):
    names.append(ui.path.decode('latin-1'))
    return chm.chmlib.CHM_ENUMERATOR_CONTINUE
chm.chmlib.chm_enumerate(f.file, chm.chmlib.CHM_ENUMERATE_ALL, walk, None)
def read(name):
    status, ui = chm.chmlib.chm_resolve_object(f.file, name.encode('latin-1'))
    if status != chm.chmlib.CHM_RESOLVE_SUCCESS:
        return None
    size, data = chm.chmlib.chm_retrieve_object(f.file, ui, 0, ui.length)
    return data
pages = [n for n in names if n.endswith('.html')]
if not pages:
    print('no pages')
found_heading = False
for name in pages:
    data = read(name)
    declared = re.search(rb'charset=([A-Za-z0-9_-]+)', data)
    if not declared or declared.group(1).decode().lower() != codec:
        print(name, 'declares', declared.group(1) if declared else None)
        continue
    try:
        text = html.unescape(data.decode(codec, 'strict'))
    except UnicodeDecodeError as error:
        print(name, 'is not strict', codec, error)
        continue
    found_heading = found_heading or heading in text
if not found_heading:
    print('no page holds', heading)
strings = read('/#STRINGS') or b''
title = heading.encode(codec)
if title not in strings:
    print('#STRINGS lacks the title', strings)
if b'&#' in strings:
    print('#STRINGS shows a reference', strings)
# East Asian text is indexed as runs: the query is a prefix of one, as a viewer looks it up.
result = f.Search(query.encode(codec), 0, 0)
if not result or '0.html' not in [u.decode().lstrip('/') for u in result[1].values()]:
    print('search for', query, 'finds', result)
)";

struct LanguageCase {
    const char* lang;     // w:lang w:val
    const char* eastAsia; // w:lang w:eastAsia
    const char* charset;  // the page charset, as python names the codec
    const char* heading;
    const char* body;
    const char* query; // a word of the body
};

const LanguageCase kCases[] = {
    {"de-DE", "zh-CN", "windows-1252", "Übersicht", "Die Änderungen sind möglich.", "Änderungen"},
    {"pl-PL", "", "windows-1250", "Przegląd", "Zmiany w Łódź są gotowe.", "Łódź"},
    {"ru-RU", "", "windows-1251", "Обзор", "Изменения в этой версии.", "Изменения"},
    {"el-GR", "", "windows-1253", "Επισκόπηση", "Οι αλλαγές είναι έτοιμες.", "αλλαγές"},
    {"tr-TR", "", "windows-1254", "Genel bakış", "Değişiklikler hazır.", "Değişiklikler"},
    {"lt-LT", "", "windows-1257", "Apžvalga", "Pakeitimai ąžuolas.", "ąžuolas"},
    {"en-US", "ja-JP", "shift_jis", "概要", "変更の一覧です。", "変更"},
    {"en-US", "zh-CN", "gb2312", "概述", "修改记录在这里。", "修改"},
    {"en-US", "ko-KR", "ks_c_5601-1987", "개요", "변경 사항 목록.", "변경"},
    {"en-US", "zh-TW", "big5", "概觀", "變更記錄在這裡。", "變更"},
};

class LanguageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-language-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / "read.py") << kReadBack;
    }
    void TearDown() override { fs::remove_all(folder); }

    // What the reader found wrong with the help file; empty when all is well.
    std::string ReadBack(const fs::path& chm, const LanguageCase& c) {
        const std::string command = "/usr/bin/python3 -I " + Quote((folder / "read.py").string()) + " " +
                                    Quote(chm.string()) + " " + c.charset + " " + Quote(c.heading) + " " +
                                    Quote(c.query) + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string output;
        char buffer[4096];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        const int status = pipe ? ::pclose(pipe) : -1;
        return status == 0 ? output : "the reader failed: " + output;
    }

    fs::path folder;
};

} // namespace

// Each document declares its language as Word writes it (w:lang, the East Asian one in w:eastAsia); the help file
// comes out in that language's code page, and an independent reader finds its words and titles.
TEST_F(LanguageEndToEnd, EachCoveredCodePageFromTheDeclaredLanguage) {
    if (!HavePython3Chm())
        GTEST_SKIP() << "python3-chm is not installed";
    int number = 0;
    for (const LanguageCase& c : kCases) {
        SCOPED_TRACE(c.charset);
        const std::string name = "doc" + std::to_string(++number);
        DocxBuilder doc;
        std::string lang = std::string("<w:lang w:val=\"") + c.lang + "\"";
        if (*c.eastAsia)
            lang += std::string(" w:eastAsia=\"") + c.eastAsia + "\"";
        doc.SetDocumentDefaults(lang + "/>", "");
        doc.AddHeading(1, c.heading).AddParagraph(c.body).AddHeading(1, "Zwei 2").AddParagraph("Second page.");
        doc.Save(folder / (name + ".docx"));
        const fs::path chm = folder / (name + ".chm");
        const CliRun run =
            RunCli({(folder / (name + ".docx")).string(), "-o", chm.string(), "--title", c.heading, "--quiet"});
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(ReadBack(chm, c), "");
    }
}

// --language overrides what the document declares; a character its code page lacks is named once.
TEST_F(LanguageEndToEnd, TheOptionOverridesAndWhatTheCodePageLacksIsNamedOnce) {
    if (!HavePython3Chm())
        GTEST_SKIP() << "python3-chm is not installed";
    DocxBuilder doc;
    doc.AddHeading(1, "Übersicht").AddParagraph("Die Änderungen: 中文 und 中文.").AddHeading(1, "Ende");
    doc.Save(folder / "mixed.docx");
    const fs::path chm = folder / "mixed.chm";
    const CliRun run = RunCli({(folder / "mixed.docx").string(), "-o", chm.string(), "--language", "de-DE"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(ReadBack(chm, {"de-DE", "", "windows-1252", "Übersicht", "", "Änderungen"}), "");
    size_t named = 0;
    for (size_t at = run.output.find("中 文"); at != std::string::npos; at = run.output.find("中 文", at + 1))
        ++named;
    EXPECT_EQ(named, 1u) << run.output;

    const CliRun refused = RunCli({(folder / "mixed.docx").string(), "-o", chm.string(), "--language", "xx-YY"});
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.output.find("--language xx-YY"), std::string::npos) << refused.output;
}
