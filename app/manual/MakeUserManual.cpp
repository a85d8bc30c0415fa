// Writes the user manual the build turns into leafbind.chm, the file the desktop program's help button opens.
// Captions and messages come from the program's own text table and the usage text from the command line's own
// code, so the manual quotes exactly what the user sees.

#include "app/UiTexts.h"
#include "base/HtmlEscape.h"
#include "cli/CommandLine.h"
#include "docbuilder/DocxBuilder.h"
#include "engine/PageOptions.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace docx;

constexpr int kHeadingList = 1;
constexpr int kBulletList = 2;

// The manual is written in Chinese whatever the language of the machine that builds it.
std::string Zh(const UiText& text) {
    return text.chinese;
}
std::string Zh(const char* text) {
    return text;
}

std::string Quoted(const std::string& text) {
    return "“" + text + "”";
}

// An index entry of this manual, as Word's "Mark Entry" writes it: entry text with ":" before a sub-entry, and
// switches such as \t for a cross-reference.
Inline Entry(const std::string& code) {
    return RawXml(IndexEntryXml(" XE " + code + " "));
}

class Manual {
public:
    Manual() {
        doc_.AddAbstractList(kHeadingList, {{"decimal", "%1", 1}, {"decimal", "%1.%2", 1}, {"decimal", "%1.%2.%3", 1}});
        doc_.AddList(kHeadingList, kHeadingList);
        doc_.AddAbstractList(kBulletList, {{"bullet", "•", 1}});
        doc_.AddList(kBulletList, kBulletList);
    }

    // A heading carries a "_Toc" bookmark for the contents list; a "_Ref" one as well when the text refers to it.
    void Heading(int level, const std::string& bookmark, const std::string& text, const std::string& reference = {}) {
        ParagraphOptions options;
        options.style = "Heading" + std::to_string(level);
        options.numId = kHeadingList;
        options.numLevel = level - 1;
        std::vector<Inline> content{BookmarkStart(bookmark)};
        if (!reference.empty())
            content.push_back(BookmarkStart(reference));
        content.push_back(Text(text));
        if (!reference.empty())
            content.push_back(BookmarkEnd(reference));
        content.push_back(BookmarkEnd(bookmark));
        doc_.AddParagraph(content, options);
    }

    void Para(const std::string& text) { doc_.AddParagraph(text); }
    void Para(const std::vector<Inline>& content) { doc_.AddParagraph(content); }

    void Bullet(const std::string& text) { Bullet(std::vector<Inline>{Text(text)}); }
    void Bullet(const std::vector<Inline>& content) {
        ParagraphOptions options;
        options.numId = kBulletList;
        doc_.AddParagraph(content, options);
    }

    void Table(const std::vector<std::vector<std::string>>& rows) {
        std::vector<std::vector<TableCell>> cells;
        for (const auto& row : rows) {
            cells.emplace_back();
            for (const std::string& text : row)
                cells.back().push_back(TableCell{{text}});
        }
        doc_.AddTable(cells);
    }

    // Terminal text in a fixed-width font, one paragraph a line, so the columns of the usage text stay lined up.
    void Terminal(const std::string& text) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            // Spaces that line up columns become no-break spaces, which a page does not fold into one.
            std::string spaced;
            for (size_t i = 0; i < line.size(); ++i) {
                const bool aligning =
                    line[i] == ' ' && (i == 0 || line[i - 1] == ' ' || (i + 1 < line.size() && line[i + 1] == ' '));
                spaced += aligning ? std::string("\xC2\xA0") : std::string(1, line[i]);
            }
            doc_.AddParagraph({RawXml("<w:r><w:rPr><w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\"/>"
                                      "</w:rPr><w:t xml:space=\"preserve\">" +
                                      EscapedHtmlText(spaced) + "</w:t></w:r>")});
        }
    }

    // Entries link to the headings' "_Toc" bookmarks, as a table of contents Word makes does.
    void ContentsHere(const std::vector<std::pair<std::string, std::string>>& entries) {
        for (const auto& [bookmark, text] : entries)
            doc_.AddParagraph({Field("HYPERLINK \\l \"" + bookmark + "\"", text)});
    }

    DocxBuilder& Doc() { return doc_; }

private:
    DocxBuilder doc_;
};

void TitlePage(Manual& m) {
    // Plain large text, not the Title style: that style has an outline level and would become a topic of its own.
    RunStyle big;
    big.bold = true;
    big.sizeHalfPoints = 44;
    m.Para({Text("Leafbind 用户手册", big)});
    m.Para(Zh(ui::kAboutProduct));
}

void Overview(Manual& m) {
    m.Heading(1, "_Toc01", "概述");
    m.Para(
        "Leafbind 把一个 Word 文档（.docx 或 .doc）转换成一个编译的 HTML 帮助文件（.chm）。文档中的每个标题成为帮助文件"
        "中的一个主题页面，标题的层次成为目录树，标题文字成为索引中的关键词。");
    m.Para("Leafbind 有两个前端：桌面程序 leafbind（一个对话框）和命令行工具 leafbind-cli。两者的转换完全相同，"
           "本手册就是用 leafbind-cli 从一个 Word 文档生成的。");
    m.Para("本手册的内容：");
    m.ContentsHere({{"_Toc01", "概述"},
                    {"_Toc02", "准备 Word 文档"},
                    {"_Toc03", "转换的过程"},
                    {"_Toc10", "主对话框"},
                    {"_Toc11", "选择原始Word文件"},
                    {"_Toc12", "选择输出CHM文件"},
                    {"_Toc13", "CHM文件标题"},
                    {"_Toc14", "生成CHM文件"},
                    {"_Toc17", "查看CHM文件"},
                    {"_Toc18", "高级、帮助、关于和确定"},
                    {"_Toc20", "高级选项对话框"},
                    {"_Toc21", "页面选项"},
                    {"_Toc22", "版权信息"},
                    {"_Toc23", "选项的有效期"},
                    {"_Toc30", "命令行 (leafbind-cli)"},
                    {"_Toc31", "Options"},
                    {"_Toc32", "Exit status"},
                    {"_Toc33", "Help IDs"},
                    {"_Toc40", "消息"},
                    {"_Toc50", "故障排除"}});

    m.Heading(2, "_Toc02", "准备 Word 文档");
    m.Para("Leafbind 按标题划分页面：使用“标题 1”到“标题 9”样式的段落，或者设置了大纲级别的段落，都是标题。"
           "正文级别的段落属于它前面最近的标题。");
    m.Bullet("第一个标题之前的内容（例如封面和目录）不属于任何主题，不会出现在帮助文件中。");
    m.Bullet("图片、表格、脚注和超链接随所在的页面一起转换。");
    m.Bullet("文档内部的超链接和交叉引用（指向书签）在帮助文件中变成页面之间的链接。");
    m.Bullet("文档中至少要有一个标题，否则转换会报告" + Quoted(Zh(ui::kNoOutlineStyles)) + "。");
    m.Bullet({Text("用 Word 标记的索引项（XE 域，“引用 → 标记条目”）成为帮助文件索引中的关键词，排在标题关键词之后："
                   "“主索引项:次索引项”中的次索引项嵌套在主索引项之下；同一个索引项出现在几个主题中时，查看器列出"
                   "这些主题供选择；交叉引用（“请参阅”）成为索引中指向另一个关键词的条目。关键词的链接落在索引项"
                   "所在的位置，而不是页面的顶部。没有文字的索引项和指向不存在的书签的索引项会给出警告。"),
              Entry("\"索引:索引项\""), Entry("\"XE 域\" \\t \"请参阅 索引\""), Entry("\"索引:关键词\"")});
    m.Bullet({Text("文档末尾由 Word 生成的索引（INDEX 域）不会作为文字复制到页面上：它只是上次更新时的页码列表，在帮助"
                   "文件中没有意义，它的条目已经在帮助文件的索引中。"),
              Entry("\"索引:Word 的索引\"")});

    m.Heading(2, "_Toc03", "转换的过程");
    m.Para("转换在一个工作文件夹中进行：程序所在文件夹下的 Temp 文件夹；程序文件夹不可写时（例如安装在系统目录中），"
           "使用用户缓存目录下的 leafbind/Temp。每次生成之前，工作文件夹中的内容都会被清空，页面和项目文件在生成之后"
           "保留在那里，直到下一次生成。");
    m.Para("转换依次完成：读取标题、拆分页面、写入目录文件和索引文件、写入项目文件，最后编译成 CHM 文件。");
}

void MainDialog(Manual& m) {
    m.Heading(1, "_Toc10", "主对话框");
    m.Para("启动 leafbind 后出现主对话框，标题栏显示" + Quoted(Zh(ui::kMainCaption)) +
           "。在这里选择要转换的 Word 文件、输出的 CHM 文件和帮助文件的标题，然后生成。");
    m.Table({{"控件", "作用"},
             {Zh(ui::kSourceLabel), "要转换的 Word 文件；只能用右边的" + Quoted(Zh(ui::kBrowse)) + "按钮选择"},
             {Zh(ui::kOutputLabel), "要生成的 CHM 文件；只能用右边的" + Quoted(Zh(ui::kBrowse)) + "按钮选择"},
             {Zh(ui::kTitleLabel), "帮助文件的标题，可以直接输入"},
             {Zh(ui::kGenerate), "开始转换"},
             {Zh(ui::kView), "打开生成的 CHM 文件"},
             {Zh(ui::kAdvanced), "打开高级选项对话框"},
             {Zh(ui::kHelp), "打开本帮助文件"},
             {Zh(ui::kAbout), "显示版本信息"},
             {Zh(ui::kOk), "关闭程序"}});

    m.Heading(2, "_Toc11", "选择原始Word文件");
    m.Para("按" + Quoted(Zh(ui::kSourceLabel)) + "右边的" + Quoted(Zh(ui::kBrowse)) +
           "按钮，在打开文件对话框中选择一个 .doc 或 .docx 文件。选择之后：");
    m.Bullet("输出CHM文件被设为同一文件夹中、同名、扩展名为 .chm 的文件，例如 /home/user/Docs/Guide.docx 对应 "
             "/home/user/Docs/Guide.chm；");
    m.Bullet("CHM文件标题被设为文件名（不含扩展名），例如 Guide。之前输入的标题会被替换。");
    m.Para(".doc 文件需要安装 LibreOffice（soffice 命令）才能读取。");

    m.Heading(2, "_Toc12", "选择输出CHM文件");
    m.Para("按" + Quoted(Zh(ui::kOutputLabel)) + "右边的" + Quoted(Zh(ui::kBrowse)) +
           "按钮可以另选保存位置。扩展名为 chm "
           "（不分大小写）的名字保持不变，其他名字后面会加上 .chm：Out.CHM 保持为 Out.CHM，Out 变为 Out.chm，Out.txt "
           "变为 Out.txt.chm。");
    m.Para("选择已有的文件时不会询问是否覆盖：生成时旧文件会先被删除。");

    m.Heading(2, "_Toc13", "CHM文件标题");
    m.Para("标题显示在帮助查看器的标题栏中，也用作项目文件的名字。标题中不要使用文件名中不允许的字符，例如 / 。"
           "重新选择原始Word文件或输出CHM文件时，输入框会显示保存的标题，尚未生成时输入的文字会被替换。");

    m.Heading(2, "_Toc14", "生成CHM文件");
    m.Para("按" + Quoted(Zh(ui::kGenerate)) + "开始转换。没有选择原始Word文件时，程序显示" +
           Quoted(Zh(ui::kChooseWordFile)) + "。");
    m.Para({Text("转换使用当时的高级选项（见"), Field("REF _RefAdvanced \\h", "高级选项对话框"),
            Text("）。转换进行时仍可以打开高级选项对话框，确定的修改对之后生成的页面有效。")});

    m.Heading(3, "_Toc15", "进度显示");
    m.Para("转换期间" + Quoted(Zh(ui::kGenerate)) + "和" + Quoted(Zh(ui::kView)) +
           "两个按钮不可用，按钮左边每秒更新一次进度文字" + Quoted(Zh(ui::kConverting)) +
           "，后面跟着一到六个点。一秒之内完成的转换不显示进度文字。");

    m.Heading(3, "_Toc16", "转换结束后");
    m.Para("转换结束时，如果有需要报告的情况，程序先显示消息（见“消息”一章），然后两个按钮恢复可用，进度文字消失。"
           "成功生成后，程序用系统中 .chm 文件的默认查看器打开新的帮助文件。");

    m.Heading(2, "_Toc17", "查看CHM文件");
    m.Para("按" + Quoted(Zh(ui::kView)) + "用系统的查看器打开输出CHM文件。还没有选择文件时，程序显示" +
           Quoted(Zh(ui::kChooseWordFileToConvert)) + "。");

    m.Heading(2, "_Toc18", "高级、帮助、关于和确定");
    m.Bullet(Quoted(Zh(ui::kAdvanced)) + "：打开高级选项对话框（见下一章）。");
    m.Bullet(Quoted(Zh(ui::kHelp)) + "：打开程序文件夹中的帮助文件 " + Zh(ui::kHelpFileName) + "，也就是本手册。");
    m.Bullet(Quoted(Zh(ui::kAbout)) + "：显示" + Quoted(Zh(ui::kAboutCaption)) + "对话框，其中有版本" +
             Quoted(Zh(ui::kAboutProduct)) + "和" + Quoted(Zh(ui::kVisitHomePage)) + "链接。");
    m.Bullet(Quoted(Zh(ui::kOk)) + "或关闭窗口：退出程序。转换进行时，程序先询问" +
             Quoted(Zh(ui::kQuitDuringConversion)) + "，回答“否”则继续转换。");
}

void AdvancedDialog(Manual& m) {
    m.Heading(1, "_Toc20", "高级选项对话框", "_RefAdvanced");
    m.Para("在主对话框中按" + Quoted(Zh(ui::kAdvanced)) + "打开标题为" + Quoted(Zh(ui::kAdvanced)) +
           "的对话框。这里的选项决定生成的页面的样子，按" + Quoted(Zh(ui::kOk)) + "保存，按" + Quoted(Zh(ui::kCancel)) +
           "放弃修改。");

    m.Heading(2, "_Toc21", "页面选项");
    m.Para({Text("页面选项决定每个页面带哪些内容。"), Entry("\"选项:页面选项\"")});
    std::vector<std::vector<std::string>> switches{{"选项", "默认", "作用"}};
    for (const PageSwitch& option : PageSwitches())
        switches.push_back({option.caption, DefaultValue(option) ? "选中" : "不选", option.effect});
    m.Table(switches);

    m.Heading(2, "_Toc22", "版权信息");
    m.Para({Entry("\"选项:版权信息\""), Entry("\"版权信息\""),
            Text(Quoted(Zh(ui::kCopyrightLabel)) +
                 "下面的文本框中的文字会放在每个页面的末尾；留空则不加版权信息。按 Ctrl + Enter "
                 "换行（对话框中的提示" +
                 Quoted(Zh(ui::kNewLineHint)) + "），按 Enter 相当于按" + Quoted(Zh(ui::kOk)) + "。")});

    m.Heading(2, "_Toc24", "帮助语言");
    m.Para(Quoted(Zh(ui::kLanguageLabel)) + "帮助文件只用一个代码页：页面、目录、索引、标题和全文搜索都在其中。选" +
           Quoted(Zh(ui::kLanguageFromDocument)) +
           "时按文档声明的语言，并以文档的文字核对：能容纳大部分文字的代码页胜出，中文或未声明语言的文档仍用代码页 "
           "936。代码页没有的字符在页面中写成字符引用，在标题、目录和索引中写成相近的字符或“?”，并给出一次警告。");

    m.Heading(2, "_Toc23", "选项的有效期");
    m.Para("选项只在程序运行期间有效，不保存到磁盘：每次启动程序都恢复默认值。");
}

void CommandLine(Manual& m) {
    m.Heading(1, "_Toc30", "命令行 (leafbind-cli)");
    m.Para("leafbind-cli converts a document from a terminal or a script, with the same conversion as the dialog. "
           "Its options match the advanced dialog's check boxes. The text of leafbind-cli --help:");
    m.Terminal(UsageText(UserLanguage::English)); // the chapter on the command line is in English
    m.Para({Text("The summary line it prints at the end counts the topics, pages, pictures and index entries."),
            Entry("\"leafbind-cli\""), Entry("\"command line\" \\t \"See leafbind-cli\"")});

    m.Heading(2, "_Toc31", "Options");
    std::vector<std::vector<std::string>> options{{"Option", "In the dialog"},
                                                  {"-o, --output FILE", Zh(ui::kOutputLabel)},
                                                  {"--title TEXT", Zh(ui::kTitleLabel)}};
    for (const PageSwitch& option : PageSwitches())
        options.push_back({option.flag, std::string(option.caption) + (DefaultValue(option) ? " (cleared)" : "")});
    options.push_back({"--copyright TEXT", Zh(ui::kCopyrightLabel)});
    options.push_back({"--language LANG", Zh(ui::kLanguageLabel)});
    options.push_back({"--map-header FILE.h", "(command line only; see Help IDs)"});
    options.push_back({"--write-map-header FILE.h", "(command line only; see Help IDs)"});
    options.push_back({"--web DIR", "(command line only; see Web help)"});
    options.push_back({"--no-chm", "(command line only; see Web help)"});
    m.Table(options);
    m.Para("Example: leafbind-cli Guide.docx -o Guide.chm --title \"User Guide\" --numbering");

    m.Heading(2, "_Toc32", "Exit status");
    m.Para("Errors are printed as lines beginning with error:. The exit status tells a script what "
           "happened: 0 the help file was written; 1 the conversion failed; 2 a usage error; 3 the document cannot be "
           "read; 4 the document has no headings; 5 the compile produced nothing.");

    m.Heading(2, "_Toc33", "Help IDs");
    m.Para("An application opens a topic of its help file by number, for example when F1 is pressed in one of its "
           "dialogs. Mark the topic in Word with a bookmark whose name starts with IDH_ (in any case), such as "
           "IDH_PRINT: the help file then maps the ID's number to that topic. A bookmark in the heading opens the "
           "top of the page; a bookmark further down opens the page at the bookmark.");
    m.Para({BookmarkStart("IDH_MANUAL_EXAMPLE"),
            Text("This paragraph carries the bookmark IDH_MANUAL_EXAMPLE, so number 1000 in this help file opens "
                 "the page here."),
            BookmarkEnd("IDH_MANUAL_EXAMPLE")});
    m.Para("Without a header the IDs are numbered from 1000 in the order they appear in the document. "
           "--write-map-header FILE.h writes the IDs and numbers used, for the application to include. An "
           "application that already keeps its numbers passes its header with --map-header FILE.h; lines such as "
           "these are read, other defines are passed over:");
    m.Terminal("// resource.h of the application\n"
               "#define IDD_PRINT_DIALOG 101\n"
               "#define IDH_PRINT 2001\n"
               "#define IDH_PRINT_SETUP 0x7D2\n");
    m.Para("Example: leafbind-cli Guide.docx --map-header resource.h --write-map-header helpids.h");
    m.Bullet("An ID in the header without a bookmark, or an IDH_ bookmark without a number in the header, is a "
             "warning naming it.");
    m.Bullet("A bookmark before the first heading is in no topic and gets no ID (a warning).");
    m.Bullet("Names that are not C identifiers (letters A-Z, digits and _ only), an ID defined twice (in any case), "
             "two IDs with the same number and numbers outside 0 to 4294967295 are errors: the run stops before "
             "any page is made, with exit status 1.");

    m.Heading(2, "_Toc34", "Web help");
    m.Para("--web DIR writes, from the same run, the help book as a folder any browser opens: the same pages and "
           "pictures as the help file, in UTF-8, each with its place in the contents. With --no-chm only the web "
           "help is written. DIR must be new or empty; what is in it is never deleted. The web help is made in a "
           "folder beside DIR and takes DIR's place only when it is complete, so a failed run leaves no half-written "
           "web help.");
    m.Bullet("DIR/index.html: the contents (expand and collapse; the topic shown is marked), the index and a search "
             "box beside the home topic (the front page when there is one). It works from the disk, with no server "
             "and nothing from outside DIR, on a phone too, and with the keyboard (Tab, Enter; / goes to the search "
             "box).");
    m.Bullet("DIR/search.html?q=WORDS: the topics holding all the words, best first, each with a line of context; "
             "the words are marked on the topic opened. English words are found whole and by their beginning, in "
             "any case; Chinese, Japanese and Korean by any run of characters, with no dictionary.");
    m.Bullet("DIR/open.html?id=IDH_NAME or ?id=NUMBER: the topic of a help ID at its place, with the numbers of the "
             "help file (and of --map-header). An unknown ID opens the home page, which says so.");
    m.Para("Example: leafbind-cli Guide.docx --web /srv/www/guide");
}

void Messages(Manual& m) {
    m.Heading(1, "_Toc40", "消息");
    m.Para("下表列出程序显示的消息、它们的含义和处理方法。");
    m.Table({{"消息", "含义", "怎么办"},
             {Zh(ui::kChooseWordFile), "按了" + Quoted(Zh(ui::kGenerate)) + "，但还没有选择原始Word文件",
              "用" + Quoted(Zh(ui::kBrowse)) + "选择一个 Word 文件，再生成"},
             {Zh(ui::kChooseWordFileToConvert), "按了" + Quoted(Zh(ui::kView)) + "，但还没有输出CHM文件",
              "先选择原始Word文件并生成"},
             {Zh(ui::kWordStartFailed), "读取 Word 文档的文档服务无法启动", "重新启动程序再试；命令行会说明原因"},
             {Zh(ui::kNoOutlineStyles), "文档中没有任何标题，无法划分页面",
              "在 Word 中给章节标题使用“标题 1”等样式或设置大纲级别，保存后重新生成"},
             {Zh(ui::kQuitDuringConversion), "（标题" + Quoted(Zh(ui::kWarningCaption)) + "）转换进行时要退出程序",
              "选“是”退出程序，这次转换不会完成；选“否”继续转换"},
             {"cannot delete file: 文件名", "旧的帮助文件或工作文件夹中的文件无法删除，通常是因为正在被查看器打开",
              "关闭查看器；转换仍会继续，但可能无法写入新文件"},
             {Zh(ui::kHelpFileNotProduced) + "路径", "转换完成了，但没有生成帮助文件；后面附有编译器的消息",
              "检查输出文件夹是否存在、可写，标题中是否有不允许的字符"},
             {Zh(ui::kAutomationFailed) + " (0x…): …", "与文档服务的通信失败，括号中是错误代码",
              "重新生成；问题持续时重新启动程序"},
             {"文档服务报告的错误", "例如文档损坏或不是 Word 文件，无法打开",
              "用 Word 或 LibreOffice 检查并重新保存文档"}});
}

void Troubleshooting(Manual& m) {
    m.Heading(1, "_Toc50", "故障排除");
    m.Heading(2, "_Toc51", "按帮助按钮没有反应");
    m.Para("帮助文件 " + Zh(ui::kHelpFileName) +
           " 必须在 leafbind 程序所在的文件夹中，系统中还要有 .chm "
           "文件的查看器（例如 xchm）。程序本身不报告打不开的帮助文件。");
    m.Heading(2, "_Toc52", "中文显示为方框");
    m.Para("系统中缺少中文字体。安装一种中文字体（例如 fonts-noto-cjk 或 fonts-wqy-zenhei）后重新启动程序和查看器。");
    m.Heading(2, "_Toc53", "生成后没有打开帮助文件");
    m.Para("成功生成后，程序请系统打开新文件；系统中没有 .chm 文件的默认查看器时什么也不会发生。"
           "可以在文件管理器中为 .chm 文件选择查看器，或者在查看器中打开输出的文件。");
    m.Heading(2, "_Toc54", "页面中缺少内容");
    m.Para("第一个标题之前的内容不属于任何页面。把需要的内容移到某个标题之下。");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.docx\n", argv[0]);
        return 2;
    }
    Manual manual;
    TitlePage(manual);
    Overview(manual);
    MainDialog(manual);
    AdvancedDialog(manual);
    CommandLine(manual);
    Messages(manual);
    Troubleshooting(manual);
    manual.Doc().Save(argv[1]);
    return 0;
}
