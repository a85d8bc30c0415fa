// One language per user, as leafbind-cli speaks to a Chinese user: documents and requests that set off the
// warnings and errors of every layer (charts that are not drawn or drawn in part, pictures that cannot be shown,
// hostile packages, help IDs, refused options and paths) leave no English sentence on any line; the help text is
// Chinese too; a chart shown as its title is labelled in the help file's language.

#include "ChmReader.h"
#include "CliRun.h"
#include "docbuilder/DocxBuilder.h"
#include "engine/PageOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace docx;

namespace {

constexpr int64_t kEmuPerPixel = 9525;

// Leaves out what a line may rightly keep in Latin letters: quoted names ("..." and “...”), paths and file names,
// options.
std::string WithoutNames(const std::string& line) {
    std::string unquoted;
    bool inQuotes = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            inQuotes = !inQuotes;
            continue;
        }
        if (line.compare(i, 3, "\xE2\x80\x9C") == 0 || line.compare(i, 3, "\xE2\x80\x9D") == 0) {
            inQuotes = line.compare(i, 3, "\xE2\x80\x9C") == 0;
            i += 2;
            continue;
        }
        if (!inQuotes)
            unquoted += line[i];
    }
    std::istringstream words(unquoted);
    std::string kept;
    for (std::string word; words >> word;) {
        const bool path = word.find('/') != std::string::npos || word.find('\\') != std::string::npos;
        const bool fileName = std::regex_search(word, std::regex("\\.[A-Za-z0-9]"));
        if (!path && !fileName && word[0] != '-')
            kept += word + " ";
    }
    return kept;
}

// The first run of three or more English words left in the line; empty when there is none.
std::string EnglishRun(const std::string& line) {
    static const std::regex run("[A-Za-z]{2,}[,;:()]* +[A-Za-z]{2,}[,;:()]* +[A-Za-z]{2,}");
    std::smatch found;
    const std::string text = WithoutNames(line);
    return std::regex_search(text, found, run) ? found.str() : std::string();
}

std::string OneSeriesChart(const std::string& kind, std::vector<double> values, const std::string& title = "T") {
    ChartDefinition chart;
    chart.kind = kind;
    chart.title = title;
    for (size_t i = 0; i < values.size(); ++i)
        chart.categories.push_back("c" + std::to_string(i));
    chart.series.push_back({"S", std::move(values), {}, ""});
    return ChartXml(chart);
}

std::string Renamed(std::string xml, const std::string& from, const std::string& to) {
    for (size_t at; (at = xml.find(from)) != std::string::npos;)
        xml.replace(at, from.size(), to);
    return xml;
}

Inline ChartOf(std::string xml) {
    return Chart(std::move(xml), 200 * kEmuPerPixel, 100 * kEmuPerPixel);
}

class UserLanguageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("leafbind-user-language-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string In(const std::string& name) const { return (folder / name).string(); }

    fs::path folder;
};

// A document whose pages warn of nearly everything a page can hold and not show whole.
void SaveWarningDocument(const fs::path& path) {
    std::vector<double> many(10500);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = std::sin(static_cast<double>(i));
    ChartDefinition manySeries;
    manySeries.categories = {"a"};
    for (int i = 0; i < 70; ++i)
        manySeries.series.push_back({"S" + std::to_string(i), {1.0 + i}, {}, ""});
    ChartDefinition twoPies;
    twoPies.kind = "pieChart";
    twoPies.categories = {"a", "b"};
    twoPies.series = {{"S1", {1, 2}, {}, ""}, {"S2", {3, 4}, {}, ""}};
    const double none = std::nan("");
    std::vector<uint8_t> brokenPng = TinyPng();
    brokenPng.resize(20);
    std::vector<uint8_t> brokenWmf = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x10, 0, 0x10, 0, 0x60, 0, 0, 0, 0, 0};
    brokenWmf.resize(200, 0x5A);

    DocxBuilder doc;
    doc.AddParagraph({BookmarkStart("IDH_EARLY"), Text("封面的文字"), BookmarkEnd("IDH_EARLY")})
        .AddHeading(1, "概述")
        .AddParagraph({Text("见 "), AnchorLink("书签", "_Missing1"), Text(" 和 "), Link("脚本", "javascript:alert(1)")})
        .AddParagraph({BookmarkStart("IDH_NO_NUMBER"), Text("说明"), BookmarkEnd("IDH_NO_NUMBER")})
        .AddParagraph({RawXml(IndexEntryXml(" XE \"\" "))})
        .AddParagraph({Picture(brokenPng), Picture(brokenWmf, false, "wmf")})
        .AddParagraph({RawXml("<w:hyperlink r:id=\"rIdGone\"><w:r><w:t>gone</w:t></w:r></w:hyperlink>")})
        .AddHeading(1, "图表")
        .AddParagraph({ChartOf(OneSeriesChart("lineChart", many)), ChartOf(ChartXml(manySeries)),
                       ChartOf(Renamed(OneSeriesChart("barChart", {1, 2, 3}), "<c:v>2</c:v>", "<c:v>NaN</c:v>")),
                       ChartOf(OneSeriesChart("pieChart", {-2, 3})), ChartOf(ChartXml(twoPies))})
        .AddParagraph({ChartOf(OneSeriesChart("barChart", {none, none})), ChartOf(OneSeriesChart("pieChart", {0, 0})),
                       ChartOf(Renamed(OneSeriesChart("barChart", {1}), "c:barChart", "c:bar3DChart")),
                       ChartOf(Renamed(OneSeriesChart("barChart", {1}), "c:barChart", "c:radarChart")),
                       ChartOf("<c:chartSpace xmlns:c=\"c\"><c:chart><c:title><c:tx><c:rich><a:p xmlns:a=\"a\"><a:r>"
                               "<a:t>T</a:t></a:r></a:p></c:rich></c:tx></c:title></c:chart></c:chartSpace>")})
        .AddHeading(1, " ")
        .AddParagraph("空标题之后。")
        .AddHeading(1, std::string(300, 'L'))
        .AddParagraph("长标题。");
    doc.Save(path);
}

} // namespace

TEST_F(UserLanguageEndToEnd, NoWarningOrErrorReachesAChineseUserInEnglish) {
    // The check itself: an English sentence is found, names from the document and paths are not.
    EXPECT_EQ(EnglishRun("警告: 图表（/word/c.xml）: only its first 64 series are drawn"), "only its first");
    EXPECT_EQ(EnglishRun("警告: 页面 0.html \"Getting started now\": 无法读取 /a b/c d.docx"), "");
    SaveWarningDocument(folder / "many.docx");
    std::ofstream(folder / "map.h") << "#define IDH_GONE 5\n#define IDH_EARLY 6\n";
    std::ofstream(folder / "bad-map.h") << "#define IDH_A abc\n";

    DocxBuilder newer; // the newer chart kinds come as a chart part of their own kind
    newer.AddHeading(1, "新图表").AddParagraph({ChartOf(OneSeriesChart("barChart", {1}))});
    newer.SetPart("word/document.xml",
                  Renamed(newer.DocumentXml(), "drawingml/2006/chart\"", "drawingml/2006/chartex\""));
    newer.Save(folder / "newer.docx");
    DocxBuilder plain;
    plain.AddHeading(1, "标题").AddParagraph("正文。");
    plain.Save(folder / "plain.docx");
    const std::string valid = plain.Build();
    std::ofstream(folder / "truncated.docx", std::ios::binary) << valid.substr(0, valid.size() / 2);
    std::ofstream(folder / "text.docx") << "Hello, this is not a zip.";
    DocxBuilder bomb; // 80 MiB of spaces deflate to under 100 KiB
    bomb.SetPart("word/document.xml", std::string(80u << 20, ' '));
    bomb.Save(folder / "bomb.docx");
    std::string deep = "<w:document xmlns:w=\"x\"><w:body><w:p>";
    for (int i = 0; i < 1000; ++i)
        deep += "<w:smartTag>";
    for (int i = 0; i < 1000; ++i)
        deep += "</w:smartTag>";
    DocxBuilder nested;
    nested.SetPart("word/document.xml", deep + "</w:p></w:body></w:document>");
    nested.Save(folder / "nested.docx");
    DocxBuilder typed;
    typed.SetPart("word/document.xml", "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"a\">]><w:document "
                                       "xmlns:w=\"x\"><w:body><w:p><w:r><w:t>&a;</w:t></w:r></w:p></w:body>"
                                       "</w:document>");
    typed.Save(folder / "typed.docx");
    DocxBuilder bodyOnly;
    bodyOnly.AddParagraph("只有正文。");
    bodyOnly.Save(folder / "body-only.docx");
    fs::create_directories(folder / "full");
    std::ofstream(folder / "full" / "x.txt") << "x";
    fs::create_directories(folder / "a-folder.chm");

    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool succeeds;
        std::string shown; // a line that shows the case was met, in Chinese
    };
    const Case cases[] = {
        {"warnings",
         {In("many.docx"), "-o", In("many.chm"), "--map-header", In("map.h"), "--title", std::string(300, 'T'), "--web",
          In("web")},
         true,
         "只绘制前 64 个数据系列"},
        {"a code page lacking the text",
         {In("many.docx"), "-o", In("many.chm"), "--language", "de-DE"},
         true,
         "CHM文件使用代码页 1252"},
        {"a newer chart kind", {In("newer.docx"), "-o", In("n.chm")}, true, "不绘制这一类图表"},
        {"not a zip", {In("text.docx"), "-o", In("x.chm")}, false, "不是Word文件"},
        {"truncated", {In("truncated.docx"), "-o", In("x.chm")}, false, "已损坏"},
        {"a zip bomb", {In("bomb.docx"), "-o", In("x.chm")}, false, "解压后超过 64 MiB"},
        {"nested", {In("nested.docx"), "-o", In("x.chm")}, false, "嵌套超过"},
        {"a document type", {In("typed.docx"), "-o", In("x.chm")}, false, "声明了文档类型"},
        {"missing", {In("missing.docx"), "-o", In("x.chm")}, false, "文件不存在"},
        {"no headings", {In("body-only.docx"), "-o", In("x.chm")}, false, "没有大纲样式"},
        {"no output folder", {In("plain.docx"), "-o", In("gone/x.chm")}, false, "输出文件夹不存在"},
        {"the output is a folder", {In("plain.docx"), "-o", In("a-folder.chm")}, false, "输出路径是一个文件夹"},
        {"the output is the input", {In("plain.docx"), "-o", In("plain.docx")}, false, "输出文件就是Word文件本身"},
        {"a kept folder in use",
         {In("plain.docx"), "-o", In("x.chm"), "--keep", In("full")},
         false,
         "保留页面的文件夹必须是新的或空的"},
        {"a web folder in use",
         {In("plain.docx"), "-o", In("x.chm"), "--web", In("full")},
         false,
         "网页帮助文件夹必须是新的或空的"},
        {"a bad map header",
         {In("plain.docx"), "-o", In("x.chm"), "--map-header", In("bad-map.h")},
         false,
         "它不是数字"},
        {"an unknown option", {In("plain.docx"), "--bogus"}, false, "未知选项: --bogus"},
        {"an unknown language", {In("plain.docx"), "--language", "xx-YY"}, false, "不是CHM文件可用的语言"},
        {"nothing to write", {In("plain.docx"), "--no-chm"}, false, "否则没有要生成的内容"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = RunCli(c.args, "zh");
        EXPECT_EQ(run.status == 0, c.succeeds) << run.output;
        EXPECT_NE(run.output.find(c.shown), std::string::npos) << run.output;
        std::istringstream lines(run.output);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(EnglishRun(line), "") << line;
        for (const char* english : {"warning", "error", "Usage"})
            EXPECT_EQ(run.output.find(english), std::string::npos) << run.output;
    }
}

// --help in the user's language: every option of the option table with its Chinese text under a Chinese locale,
// the English text otherwise.
TEST_F(UserLanguageEndToEnd, TheHelpTextSpeaksTheUsersLanguage) {
    const CliRun chinese = RunCli({"--help"}, "zh");
    const CliRun english = RunCli({"--help"}, "en");
    ASSERT_EQ(chinese.status, 0);
    ASSERT_EQ(english.status, 0);
    EXPECT_EQ(chinese.output.rfind("用法: leafbind-cli INPUT.docx [选项]\n", 0), 0u) << chinese.output;
    EXPECT_EQ(english.output.rfind("Usage: leafbind-cli INPUT.docx [options]\n", 0), 0u) << english.output;
    for (const PageSwitch& option : PageSwitches()) {
        const std::string firstLine =
            std::string(option.chineseHelp).substr(0, std::string(option.chineseHelp).find('\n'));
        EXPECT_NE(chinese.output.find(std::string(option.flag) + " "), std::string::npos) << option.flag;
        EXPECT_NE(chinese.output.find(firstLine), std::string::npos) << option.flag;
        EXPECT_EQ(chinese.output.find(option.help), std::string::npos) << option.flag;
    }
    std::istringstream lines(chinese.output);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(EnglishRun(line), "") << line;
    // Every option and value name of the English text in the Chinese one too.
    std::istringstream englishWords(english.output);
    for (std::string word; englishWords >> word;)
        if (word.rfind("-", 0) == 0 || word == "FILE" || word == "DIR" || word == "TEXT" || word == "LANG")
            EXPECT_NE(chinese.output.find(word), std::string::npos) << word;
}

// A chart that is not drawn keeps its title under a label in the help file's language, whoever converts it, as a
// picture's gap does.
TEST_F(UserLanguageEndToEnd, AChartShownAsItsTitleIsLabelledInTheHelpFilesLanguage) {
    DocxBuilder doc;
    doc.AddHeading(1, "Usage")
        .AddParagraph({ChartOf(Renamed(OneSeriesChart("barChart", {1}, "Sales"), "c:barChart", "c:radarChart"))});
    doc.Save(folder / "chart.docx");
    struct Case {
        std::string helpLanguage;
        std::string label; // as the page holds it, in the help file's code page
    };
    const Case cases[] = {
        {"en-US", "[Chart: Sales]"},
        {"zh-CN", "[\xCD\xBC\xB1\xED: Sales]"}, // 图表 in code page 936
        {"zh-TW", "[\xB9\xCF\xAA\xED: Sales]"}, // 圖表 in code page 950
    };
    for (const Case& c : cases)
        for (const std::string language : {"en", "zh"}) {
            SCOPED_TRACE(c.helpLanguage + " " + language);
            fs::remove(folder / "chart.chm");
            const CliRun run =
                RunCli({In("chart.docx"), "-o", In("chart.chm"), "--language", c.helpLanguage}, language);
            ASSERT_EQ(run.status, 0) << run.output;
            auto chm = ChmReader::Open(In("chart.chm"));
            ASSERT_TRUE(chm);
            const std::string page = chm->Read("/0.html").value_or("");
            EXPECT_NE(page.find(c.label), std::string::npos) << page;
        }
}
