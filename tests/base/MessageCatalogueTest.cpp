#include "base/MessageCatalogue.h"

#include "base/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

// The numbers of the places a pattern names, "{1}" to "{9}".
std::multiset<char> Places(const std::string& pattern) {
    std::multiset<char> places;
    for (size_t i = 0; i + 2 < pattern.size(); ++i)
        if (pattern[i] == '{' && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' && pattern[i + 2] == '}')
            places.insert(pattern[i + 1]);
    return places;
}

bool HoldsChinese(const std::string& text) {
    for (const char16_t c : Utf8ToUtf16(text))
        if (c >= 0x4E00 && c <= 0x9FFF)
            return true;
    return false;
}

bool HoldsFullWidth(const std::string& text) {
    for (const char16_t c : Utf8ToUtf16(text))
        if ((c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x3000 && c <= 0x303F))
            return true;
    return false;
}

// Sets the environment variables for one case and puts back what was there.
class Environment {
public:
    Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            if (value)
                ::setenv(name, value, 1);
            else
                ::unsetenv(name);
        }
    }
    ~Environment() {
        for (const auto& [name, value] : saved_)
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace

TEST(MessageCatalogue, EveryEntryHasBothFormsWithTheSamePlaces) {
    std::set<std::string> english;
    for (const CatalogueEntry& entry : MessageCatalogue()) {
        SCOPED_TRACE(entry.english);
        ASSERT_NE(entry.english, nullptr);
        ASSERT_NE(entry.chinese, nullptr);
        EXPECT_FALSE(std::string(entry.english).empty());
        EXPECT_FALSE(HoldsChinese(entry.english));
        // Chinese words, or at least Chinese punctuation where the message is all values.
        EXPECT_TRUE(HoldsChinese(entry.chinese) || HoldsFullWidth(entry.chinese)) << entry.chinese;
        EXPECT_NE(std::string(entry.english), entry.chinese);
        EXPECT_EQ(Places(entry.english), Places(entry.chinese));
        // Each place once in the English form: the value it takes has one source.
        const std::multiset<char> places = Places(entry.english);
        EXPECT_EQ(std::set<char>(places.begin(), places.end()).size(), places.size());
        EXPECT_TRUE(english.insert(entry.english).second) << "twice in the catalogue";
    }
    EXPECT_GT(english.size(), 50u);
}

TEST(MessageCatalogue, TranslatesWholeMessagesAndTheMessagesInsideThem) {
    struct Case {
        std::string english;
        std::string chinese;
    };
    const Case cases[] = {
        {"The Word document has no outline styles!", "word文档中没有大纲样式!"},
        {"cannot read /a/b.docx: no such file", "无法读取 /a/b.docx: 文件不存在"},
        // A page's warning, the page's name and heading before it, on the command line's warning line.
        {"warning: page 3.html \"Usage\": a PNG picture (/word/media/image1.png) drew nothing visible: it may be "
         "damaged",
         "警告: 页面 3.html \"Usage\": PNG 图片（/word/media/image1.png）没有画出可见的内容：它可能已损坏"},
        // The more particular of two patterns that both match.
        {"page 2 of 7: Intro", "第 2 页，共 7 页: Intro"},
        // The help compiler's line as the command line shows it.
        {"warning: help compiler: 3.html links to a missing file: gone.html",
         "警告: 帮助编译器: 3.html 链接到不存在的文件: gone.html"},
        {"warning: 3 paragraph(s) before the first heading are on no page (title page, abstract, introduction); the "
         "front page option puts them on a page of their own",
         "警告: 第一个标题之前的 3 个段落（标题页、摘要、前言）不在任何页面上；选中“封面页”可以把它们放在单独的页面上"},
        // Lines that match no whole pattern are translated one by one; what the catalogue lacks stays as it is.
        {"the output folder does not exist: /x\nsomething else entirely\nstopped",
         "输出文件夹不存在: /x\nsomething else entirely\n已停止"},
        {"an unknown message", "an unknown message"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Translated(c.english, UserLanguage::Chinese), c.chinese);
        EXPECT_EQ(Translated(c.english, UserLanguage::English), c.english);
    }
}

TEST(MessageCatalogue, APatternIsTranslatedAsAPatternAndFilledIn) {
    EXPECT_EQ(WithValues(Translated("page {1} of {2}: {3}", UserLanguage::Chinese), {"1", "2", "前言"}),
              "第 1 页，共 2 页: 前言");
    EXPECT_EQ(WithValues("{2} before {1}, {3} missing", {"a", "b"}), "b before a,  missing");
}

TEST(MessageCatalogue, TheLanguageComesFromTheLocaleUnlessAskedFor) {
    struct Case {
        const char* forced;
        const char* all;
        const char* messages;
        const char* lang;
        UserLanguage expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, "zh_CN.UTF-8", UserLanguage::Chinese},
        {nullptr, nullptr, nullptr, "zh_TW.UTF-8", UserLanguage::Chinese},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", UserLanguage::English},
        {nullptr, nullptr, nullptr, nullptr, UserLanguage::English},
        // The first one set wins, as the C library reads them.
        {nullptr, "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", UserLanguage::English},
        {nullptr, "", "zh_CN.UTF-8", "en_US.UTF-8", UserLanguage::Chinese},
        {nullptr, "C", nullptr, "zh_CN.UTF-8", UserLanguage::English},
        {"zh", "C", nullptr, nullptr, UserLanguage::Chinese},
        {"en", "zh_CN.UTF-8", nullptr, nullptr, UserLanguage::English},
    };
    for (const Case& c : cases) {
        const Environment environment{
            {"LEAFBIND_LANGUAGE", c.forced}, {"LC_ALL", c.all}, {"LC_MESSAGES", c.messages}, {"LANG", c.lang}};
        EXPECT_EQ(UserLanguageFromEnvironment(), c.expected)
            << (c.forced ? c.forced : "-") << " " << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-")
            << " " << (c.lang ? c.lang : "-");
    }
    const UserLanguage before = CurrentUserLanguage();
    SetUserLanguage(UserLanguage::Chinese);
    EXPECT_EQ(ForUser("stopped"), "已停止");
    SetUserLanguage(UserLanguage::English);
    EXPECT_EQ(ForUser("stopped"), "stopped");
    SetUserLanguage(before);
}

// The messages of charts, metafiles, package limits, the help compiler and the system, whose reasons are appended
// after ": " or inside a sentence: each piece comes out Chinese, names and numbers as they were.
TEST(MessageCatalogue, MessagesBuiltFromPiecesAreTranslatedPieceByPiece) {
    struct Case {
        std::string english;
        std::string chinese;
    };
    const Case cases[] = {
        {"warning: page 1.html \"Charts\": a chart (/word/charts/chart2.xml) is drawn in part: only its first 64 "
         "series are drawn",
         "警告: 页面 1.html \"Charts\": 图表（/word/charts/chart2.xml）只绘制了一部分: 只绘制前 64 个数据系列"},
        {"a chart (/word/charts/chart3.xml) is shown as its title only: radar charts are not drawn",
         "图表（/word/charts/chart3.xml）只显示标题: 不绘制 radar 类图表"},
        {"a chart (/word/charts/chart3.xml) is shown as its title only: 3D charts are not drawn",
         "图表（/word/charts/chart3.xml）只显示标题: 不绘制三维图表"},
        {"a chart is shown as its title only: its part cannot be read", "图表只显示标题: 无法读取它的部件"},
        {"a WMF picture (/word/media/image2.wmf) is shown as a gap: no WMF converter (wmf2gd from libwmf-bin, or "
         "LibreOffice) is installed",
         "WMF 图片（/word/media/image2.wmf）显示为空白: 没有安装 WMF 转换程序（libwmf-bin 中的 wmf2gd，或 "
         "LibreOffice）"},
        {"/d/a.docx is damaged and cannot be opened: the part /word/document.xml inflates to more than 512 MiB, an "
         "eighth of this machine's memory (a zip bomb or a damaged package).",
         "/d/a.docx 已损坏，无法打开: 部件 /word/document.xml 解压后超过 512 MiB，即本机内存的八分之一（zip "
         "炸弹或已损坏的包）。"},
        {"the package inflates to more than 300 MiB, 100 times its compressed size (a zip bomb or a damaged package)",
         "包解压后超过 300 MiB，即压缩大小的 100 倍（zip 炸弹或已损坏的包）"},
        // The system's reason inside the run's own.
        {"error: cannot write in the output folder: cannot create a folder in /ro: Permission denied",
         "错误: 无法在输出文件夹中写入: 无法在 /ro 中建立文件夹: 权限不够"},
        // The help compiler's reasons, indented under the error they explain.
        {"error:   cannot write the output file /x.chm", "错误:   无法写入输出文件 /x.chm"},
        {"warning: help compiler: 0.html: not a text page (binary data); left out of the search index",
         "警告: 帮助编译器: 0.html: 不是文本页面（二进制数据）；不列入搜索索引"},
        {"warning: help compiler: the contents file names a file that is not in the project: 9.html",
         "警告: 帮助编译器: 目录文件 引用了不在项目中的文件: 9.html"},
        {"map.h:3: IDH_A is defined as \"abc\", which is not a number", "map.h:3: IDH_A 被定义为“abc”，它不是数字"},
        {"the web help could not be written: 2.html: the page is not the UTF-8 it declares",
         "无法写入网页帮助: 2.html: 页面不是它声明的 UTF-8"},
        {"error: the document server could not be started (status 0x80080005)",
         "错误: 无法启动文档服务（状态 0x80080005）"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Translated(c.english, UserLanguage::Chinese), c.chinese);
        EXPECT_EQ(Translated(c.english, UserLanguage::English), c.english);
    }
}
