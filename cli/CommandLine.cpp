#include "CommandLine.h"

#include "base/HelpLanguage.h"
#include "base/MessageCatalogue.h"

namespace {

// One option of the help text: the option at column 7, its text at column 25 (or on the next line when the option
// is longer), continuation lines at column 25.
std::string HelpLine(const std::string& option, const std::string& text) {
    const std::string indent(24, ' ');
    std::string line = "      " + option;
    line += line.size() < indent.size() ? std::string(indent.size() - line.size(), ' ') : "\n" + indent;
    for (const char c : text)
        line += c == '\n' ? "\n" + indent : std::string(1, c);
    return line + "\n";
}

const PageSwitch* SwitchNamed(const std::string& flag) {
    for (const PageSwitch& option : PageSwitches())
        if (flag == option.flag)
            return &option;
    return nullptr;
}

} // namespace

std::string UsageText(UserLanguage language) {
    const bool chinese = language == UserLanguage::Chinese;
    std::string text = chinese
                           ? "用法: leafbind-cli INPUT.docx [选项]\n"
                             "把Word文件转换为CHM帮助文件：每个标题一个主题。\n"
                             "\n"
                             "  -o, --output FILE     要生成的CHM文件（默认: 在 INPUT 旁边，扩展名为 .chm）\n"
                             "      --title TEXT      帮助标题（默认: INPUT 的文件名，不含扩展名）\n"
                           : "Usage: leafbind-cli INPUT.docx [options]\n"
                             "Turns a Word document into a compiled HTML Help file: one topic per heading.\n"
                             "\n"
                             "  -o, --output FILE     the help file to write (default: beside INPUT, ending in .chm)\n"
                             "      --title TEXT      the help title (default: INPUT's base name)\n";
    for (const PageSwitch& option : PageSwitches())
        text += HelpLine(option.flag, chinese ? option.chineseHelp : option.help);
    if (chinese)
        return text + "      --copyright TEXT  每个页面底部的版权信息\n"
                      "      --language LANG   帮助文件的语言，语言标记（de-DE、ja-JP）或 LCID（0x407）；\n"
                      "                        页面、标题和搜索都使用它的代码页（默认: 文档声明的语言，\n"
                      "                        并以文档的文字核对）\n"
                      "      --keep DIR        把页面和项目文件保留在 DIR 中（新的或空的文件夹）\n"
                      "      --web DIR         同时把网页帮助写入 DIR（新的或空的文件夹）: 在浏览器中\n"
                      "                        打开 DIR/index.html\n"
                      "      --no-chm          只生成网页帮助，不生成CHM文件\n"
                      "      --map-header FILE.h\n"
                      "                        按 C 头文件 FILE.h 为帮助 ID 编号（#define IDH_X 1234）\n"
                      "      --write-map-header FILE.h\n"
                      "                        把用到的帮助 ID 及其编号写成 C 头文件\n"
                      "      --quiet           只显示错误\n"
                      "      --help            显示本说明\n"
                      "      --version         显示版本\n"
                      "\n"
                      "帮助 ID: 名为 IDH_... 的书签标记它所在的主题（及其在主题中的位置），应用程序\n"
                      "可以按编号打开它。没有 --map-header 时，帮助 ID 按出现的顺序从 1000 开始编号。\n"
                      "\n"
                      "退出状态: 0 已生成CHM文件；1 转换失败；2 用法错误；3 无法读取文档；\n"
                      "4 文档中没有标题；5 编译没有生成文件。\n";
    text += "      --copyright TEXT  a copyright line at the foot of every page\n"
            "      --language LANG   the help file's language, a tag (de-DE, ja-JP) or an LCID (0x407);\n"
            "                        its code page holds the pages, titles and search (default: the\n"
            "                        document's declared language, checked against its text)\n"
            "      --keep DIR        keep the pages and project files in DIR (new or empty)\n"
            "      --web DIR         also write web help into DIR (new or empty): open DIR/index.html\n"
            "                        in a browser\n"
            "      --no-chm          write only the web help, no help file\n"
            "      --map-header FILE.h\n"
            "                        number the help IDs as the C header FILE.h does (#define IDH_X 1234)\n"
            "      --write-map-header FILE.h\n"
            "                        write the help IDs used, with their numbers, as a C header\n"
            "      --quiet           print nothing but errors\n"
            "      --help            show this text\n"
            "      --version         show the version\n"
            "\n"
            "Help IDs: a bookmark named IDH_... marks its topic (and its place in the topic) for an\n"
            "application to open by number. Without --map-header the IDs are numbered from 1000 in the\n"
            "order they appear.\n"
            "\n"
            "Exit status: 0 the help file was written; 1 the conversion failed; 2 usage error;\n"
            "3 the document cannot be read; 4 the document has no headings; 5 the compile produced nothing.\n";
    return text;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    auto fail = [&](std::string message) {
        parsed.action = ParsedCommandLine::Action::Error;
        parsed.error = std::move(message);
        return parsed;
    };
    CliOptions& options = parsed.options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= args.size())
                return false;
            target = args[++i];
            return true;
        };
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!options.input.empty())
                return fail("more than one input document: " + arg);
            options.input = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            parsed.action = ParsedCommandLine::Action::Help;
            return parsed;
        } else if (arg == "--version") {
            parsed.action = ParsedCommandLine::Action::Version;
            return parsed;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.output) || options.output.empty())
                return fail(arg + " needs a file name");
        } else if (arg == "--title") {
            std::string title;
            if (!value(title))
                return fail(arg + " needs a text");
            options.title = title;
        } else if (arg == "--copyright") {
            if (!value(options.copyright))
                return fail(arg + " needs a text");
        } else if (arg == "--language") {
            if (!value(options.page.language) || options.page.language.empty())
                return fail("--language needs a language tag or LCID");
            if (!FindHelpLanguage(options.page.language))
                return fail("--language " + options.page.language +
                            ": not a language a help file can be in (a tag such as de-DE or an LCID such as 0x407)");
        } else if (arg == "--keep") {
            if (!value(options.keepFolder) || options.keepFolder.empty())
                return fail(arg + " needs a folder");
        } else if (arg == "--web") {
            if (!value(options.webFolder) || options.webFolder.empty())
                return fail(arg + " needs a folder");
        } else if (arg == "--no-chm") {
            options.noHelpFile = true;
        } else if (arg == "--map-header") {
            if (!value(options.mapHeader) || options.mapHeader.empty())
                return fail(arg + " needs a file name");
        } else if (arg == "--write-map-header") {
            if (!value(options.writeMapHeader) || options.writeMapHeader.empty())
                return fail(arg + " needs a file name");
        } else if (const PageSwitch* option = SwitchNamed(arg)) {
            options.page.*option->field = !DefaultValue(*option);
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else {
            return fail("unknown option: " + arg);
        }
    }
    if (options.input.empty())
        return fail("no input document given");
    if (options.noHelpFile && options.webFolder.empty())
        return fail("--no-chm needs --web DIR: there would be nothing to write");
    if (options.noHelpFile && !options.output.empty())
        return fail("--no-chm writes no help file, so --output has nothing to name");
    parsed.action = ParsedCommandLine::Action::Convert;
    return parsed;
}
