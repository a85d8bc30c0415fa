#include "MessageCatalogue.h"

#include "base/SystemLanguage.h"

#include <atomic>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

// Where several patterns match a message whole, the most particular is used (Particularity below).
constexpr CatalogueEntry kEntries[] = {
    // The outcomes both front ends report.
    {"The Word document has no outline styles!", "word文档中没有大纲样式!"},
    {"Failed to start Word!", "启动word失败!"},
    {"The document has no headings: no paragraph has an outline level.",
     "文档中没有标题：没有任何段落设置了大纲级别。"},
    {"the document has no headings: no paragraph has an outline level", "文档中没有标题：没有任何段落设置了大纲级别"},
    {"stopped", "已停止"},
    // The request, checked before any work.
    {"no source document given", "没有指定Word文件"},
    {"nothing to write: neither a help file nor a web folder", "没有要生成的内容：既没有CHM文件也没有网页帮助文件夹"},
    {"no help file to write given", "没有指定要生成的CHM文件"},
    {"a path or the title is not valid UTF-8", "路径或标题不是有效的 UTF-8 文本"},
    {"cannot read {1}: {2}", "无法读取 {1}: {2}"},
    {"not a file", "不是文件"},
    {"no such file", "文件不存在"},
    {"the output names a folder: {1}", "输出路径是一个文件夹: {1}"},
    {"the output file name is longer than {1} bytes: {2}", "输出文件名超过 {1} 个字节: {2}"},
    {"the output folder does not exist: {1}", "输出文件夹不存在: {1}"},
    {"the output is the source document itself: {1}", "输出文件就是Word文件本身: {1}"},
    {"the output exists and is not a file: {1}", "输出路径已存在且不是文件: {1}"},
    {"the header to write is not a file name: {1}", "要写入的头文件不是文件名: {1}"},
    {"the header to write would replace an input or the help file: {1}", "要写入的头文件会覆盖输入文件或CHM文件: {1}"},
    {"the header to write is a symbolic link, which is not followed: {1}", "要写入的头文件是符号链接，不会跟随: {1}"},
    {"the header to write exists and is not a regular file: {1}", "要写入的头文件已存在且不是普通文件: {1}"},
    {"the folder of the header to write does not exist: {1}", "要写入的头文件所在的文件夹不存在: {1}"},
    {"the header cannot be written in {1}: {2}", "无法在 {1} 中写入头文件: {2}"},
    {"the web folder must be new or empty: {1}", "网页帮助文件夹必须是新的或空的: {1}"},
    {"the folder to make the web folder in does not exist: {1}", "网页帮助文件夹的上级文件夹不存在: {1}"},
    {"the help file cannot go into the web folder: {1}", "CHM文件不能放在网页帮助文件夹中: {1}"},
    {"the web folder and the folder to keep the pages in must be apart: {1}",
     "网页帮助文件夹和保留页面的文件夹必须分开: {1}"},
    {"the help ID header cannot go into the web folder: {1}", "帮助 ID 头文件不能放在网页帮助文件夹中: {1}"},
    {"cannot move the web help into {1}: {2}", "无法把网页帮助移到 {1}: {2}"},
    {"cannot write in the output folder: {1}", "无法在输出文件夹中写入: {1}"},
    {"cannot write beside the web folder: {1}", "无法在网页帮助文件夹旁写入: {1}"},
    {"a folder's name cannot be used: {1}", "无法使用文件夹名: {1}"},
    {"the document server could not be started", "无法启动文档服务"},
    {"the web help could not be written: {1}", "无法写入网页帮助: {1}"},
    {"the help compiler produced no file at {1}", "帮助编译器没有生成文件 {1}"},
    {"cannot replace {1}: {2}", "无法替换 {1}: {2}"},
    {"The title is longer than {1} characters and was shortened.", "标题超过 {1} 个字符，已被截短。"},
    // Opening the document.
    {"No file name was given to open.", "没有指定要打开的文件名。"},
    {"The file {1} does not exist. Check the name and folder.", "文件 {1} 不存在。请检查文件名和文件夹。"},
    {"{1} is a folder or a device, not a Word document.", "{1} 是文件夹或设备，不是Word文件。"},
    {"{1} is larger than {2} MiB, more than this program opens.", "{1} 大于 {2} MiB，超过了本程序能打开的大小。"},
    {"The file {1} cannot be read. Check that you may read it.", "无法读取文件 {1}。请检查是否有读取权限。"},
    {"Word cannot open {1}: {2}.", "Word 无法打开 {1}: {2}。"},
    {"{1} is not a Word document ({2}). Choose a .docx or .doc file.",
     "{1} 不是Word文件（{2}）。请选择 .docx 或 .doc 文件。"},
    {"{1} is damaged and cannot be opened: {2}.", "{1} 已损坏，无法打开: {2}。"},
    {"it is not a zip package", "它不是 zip 包"},
    {"the zip package is incomplete (truncated) or its directory is damaged", "zip 包不完整（被截断）或其目录已损坏"},
    {"the package holds no main document (it is not a Word document)", "包中没有主文档（不是Word文件）"},
    {"its main part is not a Word document body", "它的主部件不是Word文档正文"},
    {"the part /{1} is missing", "缺少部件 /{1}"},
    {"the part /{1} holds no XML element", "部件 /{1} 中没有 XML 元素"},
    {"the part /{1} is damaged ({2})", "部件 /{1} 已损坏（{2}）"},
    {"the part /{1} is not well-formed XML ({2} at byte {3})", "部件 /{1} 不是格式正确的 XML（第 {3} 字节处：{2}）"},
    {"the part /{1} declares a document type (DTD), which Word documents never do",
     "部件 /{1} 声明了文档类型（DTD），Word文件从不这样做"},
    {"the part /{1} inflates to more than {2} MiB (a zip bomb or a damaged package)",
     "部件 /{1} 解压后超过 {2} MiB（zip 炸弹或已损坏的包）"},
    {"the package inflates to more than {1} MiB (a zip bomb or a damaged package)",
     "包解压后超过 {1} MiB（zip 炸弹或已损坏的包）"},
    {"no temporary folder could be made for converting the .doc file: {1}", "无法为转换 .doc 文件建立临时文件夹: {1}"},
    {"LibreOffice did not finish converting this Word 97-2003 document (.doc) within {1} seconds and was stopped",
     "LibreOffice 没有在 {1} 秒内转换完这个 Word 97-2003 文档（.doc），已被停止"},
    {"LibreOffice could not convert this Word 97-2003 document (.doc): the temporary folder {1} is full (set TMPDIR "
     "to a folder with room)",
     "LibreOffice 无法转换这个 Word 97-2003 文档（.doc）：临时文件夹 {1} 已满（请把 TMPDIR 设为有空间的文件夹）"},
    {"LibreOffice could not convert this Word 97-2003 document (.doc) to .docx",
     "LibreOffice 无法把这个 Word 97-2003 文档（.doc）转换为 .docx"},
    // Writing the pages.
    {"The picture folder for {1} could not be created: {2}.", "无法为 {1} 建立图片文件夹: {2}。"},
    {"The picture {1} of {2} could not be written (is the disk full?).", "无法写入 {2} 的图片 {1}（磁盘满了吗？）。"},
    {"The page {1} could not be written (is the disk full?).", "无法写入页面 {1}（磁盘满了吗？）。"},
    // What the document holds that the pages show only in part.
    {"reading the document: {1}", "读取文档时: {1}"},
    {"page {1} {2}: {3}", "页面 {1} {2}: {3}"},
    {"an empty heading after {1} is left out of the contents and index; what follows it is on that topic's page",
     "{1} 之后的空标题不列入目录和索引；它后面的内容放在该主题的页面上"},
    {"the heading {1} is {2} characters long; the contents, index and page title show its first {3}, its page the "
     "whole heading",
     "标题 {1} 长 {2} 个字符；目录、索引和页面标题显示它的前 {3} 个字符，页面中显示完整的标题"},
    {"{1} paragraph(s) before the first heading are on no page (title page, abstract, introduction); the front page "
     "option puts them on a page of their own",
     "第一个标题之前的 {1} 个段落（标题页、摘要、前言）不在任何页面上；选中“封面页”可以把它们放在单独的页面上"},
    {"A link to the missing bookmark \"{1}\" was left unchanged.", "指向不存在的书签“{1}”的链接保持原样。"},
    {"A link could not be rewritten: {1}", "无法改写链接: {1}"},
    {"an index entry without text (field code \"{1}\") is left out of the index",
     "没有文字的索引项（域代码“{1}”）不列入索引"},
    {"the index entry {1} names the bookmark {2}, which the document does not have: the entry leads to its own place",
     "索引项 {1} 指向文档中没有的书签 {2}：该索引项指向它自己所在的位置"},
    {"the index entry {1} lies before the first heading, in no topic: it is left out of the index",
     "索引项 {1} 位于第一个标题之前，不属于任何主题：不列入索引"},
    {"The bookmark {1} lies before the first heading, in no topic: no help ID was made for it.",
     "书签 {1} 位于第一个标题之前，不属于任何主题：没有为它生成帮助 ID。"},
    {"The bookmark {1} has no number in {2}: no help ID was made for it.",
     "书签 {1} 在 {2} 中没有编号：没有为它生成帮助 ID。"},
    {"The help ID {1} ({2}) in {3} has no bookmark in the document: it opens no topic.",
     "{3} 中的帮助 ID {1}（{2}）在文档中没有书签：它不打开任何主题。"},
    {"The bookmark {1} is not on its page {2} (it reaches past its topic): help ID {3} opens the top of the page.",
     "书签 {1} 不在它的页面 {2} 上（它超出了所在的主题）：帮助 ID {3} 打开页面的顶部。"},
    {"The help file is in code page {1} ({2}), which lacks {3} of the document's characters: {4}. Pages show them "
     "as they are; titles, the contents and the index show a look-alike or \"?\".",
     "CHM文件使用代码页 {1}（{2}），其中缺少文档的 {3} 个字符: "
     "{4}。页面中照原样显示；标题、目录和索引中显示为相似的字符"
     "或“?”。"},
    {"a picture in /{1} names the unknown relationship {2}", "/{1} 中的图片引用了未知的关系 {2}"},
    {"a picture in /{1} lies outside the package: {2}", "/{1} 中的图片位于包之外: {2}"},
    {"a chart or diagram in /{1} names the unknown or outside part {2}", "/{1} 中的图表引用了未知的或包外的部件 {2}"},
    {"the part /{1} of a chart or diagram cannot be read", "无法读取图表的部件 /{1}"},
    {"a chart (/{1}) is shown as its title only: charts are not drawn", "图表（/{1}）只显示标题：不绘制图表"},
    {"a chart is shown as its title only: charts are not drawn", "图表只显示标题：不绘制图表"},
    {"a diagram (/{1}) has no text that could be read and is left out", "图示（/{1}）中没有可读的文字，已略去"},
    {"a diagram has no text that could be read and is left out", "图示中没有可读的文字，已略去"},
    {"a diagram (/{1}) is shown as its text in a box, not drawn", "图示（/{1}）以方框中的文字显示，不绘制"},
    {"a hyperlink in /{1} names the unknown relationship {2}", "/{1} 中的超链接引用了未知的关系 {2}"},
    {"text in /{1} is not valid UTF-8; {2} character(s) are shown as \xEF\xBF\xBD: \"{3}\"",
     "/{1} 中的文字不是有效的 UTF-8；{2} 个字符显示为 \xEF\xBF\xBD: “{3}”"},
    {"a picture has no data in the document (/{1})", "文档中的图片没有数据（/{1}）"},
    {"a picture has no data in the document", "文档中的图片没有数据"},
    {"a {1} picture (/{2}) is shown as a gap: {3}", "{1} 图片（/{2}）显示为空白: {3}"},
    {"a {1} picture (/{2}) was converted to a damaged PNG", "{1} 图片（/{2}）转换成了损坏的 PNG"},
    {"a {1} picture (/{2}) drew nothing visible: it may be damaged",
     "{1} 图片（/{2}）没有画出可见的内容：它可能已损坏"},
    {"a {1} picture is damaged or in a format that cannot be read", "{1} 图片已损坏或格式无法读取"},
    {"a {1} picture is damaged and cannot be read", "{1} 图片已损坏，无法读取"},
    {"a {1} picture is in a format that cannot be read", "{1} 图片的格式无法读取"},
    {"{1} (/{2})", "{1}（/{2}）"}, // a picture's warning followed by its part
    {"a {1} picture is too large to convert ({2})", "{1} 图片太大，无法转换（{2}）"},
    {"a {1} picture is too large to convert", "{1} 图片太大，无法转换"},
    {"a {1} picture could not be read (out of memory)", "无法读取 {1} 图片（内存不足）"},
    {"a {1} picture could not be written as {2}", "{1} 图片无法保存为 {2}"},
    {"a {1} picture too large to show whole ({2}) is shown at {3}", "{1} 图片太大（{2}），无法完整显示，以 {3} 显示"},
    {"{1} x {2} pixels", "{1} x {2} 像素"},
    // The help compiler's.
    {"left out: {1} leads outside the project folder", "已略去: {1} 指向项目文件夹之外"},
    {"left out: {1} is a link that leads outside the project folder", "已略去: {1} 是指向项目文件夹之外的链接"},
    {"context ID {1} has no [ALIAS] entry; left out", "上下文 ID {1} 没有 [ALIAS] 项，已略去"},
    {"context ID {1} names {2}, which is not compiled; left out", "上下文 ID {1} 指向没有编译的 {2}，已略去"},
    {"{1} names a file that is not in the project: {2}", "{1} 引用了不在项目中的文件: {2}"},
    {"{1} links to a missing file: {2}", "{1} 链接到不存在的文件: {2}"},
    {"cannot read the stop list {1}; no words are left out of the search index",
     "无法读取停用词表 {1}；搜索索引不略去任何词"},
    {"the search index could not be built: {1}", "无法建立搜索索引: {1}"},
    {"the default topic {1} is not a file of the project; the first page opens instead",
     "默认主题 {1} 不是项目中的文件；改为打开第一个页面"},
    {"cannot create a file in the output folder {1}", "无法在输出文件夹 {1} 中建立文件"},
    {"cannot write the output file {1}", "无法写入输出文件 {1}"},
    // The command line's own lines.
    {"Reading {1}", "正在读取 {1}"},
    {"compiling {1}", "正在编译 {1}"},
    {"Wrote {1} ({2}, {3})", "已生成 {1}（{2}，{3}）"},
    {"Wrote {1} ({2})", "已生成 {1}（{2}）"},
    {"Web help in {1}: open {2} ({3})", "网页帮助在 {1}: 打开 {2}（{3}）"},
    {"Web help in {1}: open {2}", "网页帮助在 {1}: 打开 {2}"},
    {"Pages and project files kept in {1}", "页面和项目文件保留在 {1}"},
    {"help compiler: {1}", "帮助编译器: {1}"},
    {"{1} topics, {2} pages, {3} pictures, {4} index entries, {5} warnings",
     "{1} 个主题，{2} 个页面，{3} 张图片，{4} 个索引项，{5} 条警告"},
    {"{1} KB, {2} s", "{1} KB，{2} 秒"},
    {"page {1} of {2}: {3}", "第 {1} 页，共 {2} 页: {3}"},
    {"more than one input document: {1}", "输入的Word文件不止一个: {1}"},
    {"{1} needs a file name", "{1} 需要一个文件名"},
    {"{1} needs a text", "{1} 需要一段文字"},
    {"{1} needs a folder", "{1} 需要一个文件夹"},
    {"--language needs a language tag or LCID", "--language 需要语言标记或 LCID"},
    {"--language {1}: not a language a help file can be in (a tag such as de-DE or an LCID such as 0x407)",
     "--language {1}: 不是CHM文件可用的语言（应为 de-DE 这样的标记或 0x407 这样的 LCID）"},
    {"unknown option: {1}", "未知选项: {1}"},
    {"no input document given", "没有指定输入的Word文件"},
    {"--no-chm needs --web DIR: there would be nothing to write", "--no-chm 需要 --web DIR：否则没有要生成的内容"},
    {"--no-chm writes no help file, so --output has nothing to name",
     "--no-chm 不生成CHM文件，所以 --output 没有可指定的文件"},
    {"the copyright text is not valid UTF-8", "版权信息不是有效的 UTF-8 文本"},
    {"a help ID header's path is not valid UTF-8", "帮助 ID 头文件的路径不是有效的 UTF-8 文本"},
    {"{1}/{2} pages", "{1}/{2} 页"},
    {"warning: {1}", "警告: {1}"},
    {"error: {1}", "错误: {1}"},
};

std::atomic<int> chosenLanguage{-1}; // -1: not chosen yet

bool IsChineseLocale(const char* value) {
    return value && value[0] == 'z' && value[1] == 'h';
}

// One piece of a pattern: literal text, or the number of a place.
struct Piece {
    std::string literal;
    int place = 0; // 1 to 9; 0 for literal text
};

std::vector<Piece> Pieces(const std::string& pattern) {
    std::vector<Piece> pieces;
    std::string literal;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9' &&
            pattern[i + 2] == '}') {
            if (!literal.empty())
                pieces.push_back({std::move(literal), 0});
            literal.clear();
            pieces.push_back({{}, pattern[i + 1] - '0'});
            i += 2;
        } else {
            literal += pattern[i];
        }
    }
    if (!literal.empty())
        pieces.push_back({std::move(literal), 0});
    return pieces;
}

// Matches the pieces from `piece` on against text from `at` on, filling values; each place takes the shortest text
// (never empty) with which the rest still matches.
bool Match(const std::vector<Piece>& pieces, size_t piece, const std::string& text, size_t at,
           std::vector<std::string>& values) {
    if (piece == pieces.size())
        return at == text.size();
    const Piece& current = pieces[piece];
    if (current.place == 0)
        return text.compare(at, current.literal.size(), current.literal) == 0 &&
               Match(pieces, piece + 1, text, at + current.literal.size(), values);
    for (size_t end = at + 1; end <= text.size(); ++end) {
        if (piece + 1 < pieces.size() && pieces[piece + 1].place == 0 &&
            text.compare(end, pieces[piece + 1].literal.size(), pieces[piece + 1].literal) != 0)
            continue;
        values[static_cast<size_t>(current.place)] = text.substr(at, end - at);
        if (Match(pieces, piece + 1, text, end, values))
            return true;
    }
    return false;
}

// How particular a pattern is: one that starts with text of its own wraps the others ("warning: {1}") and is tried
// before one that starts with a value; then the more text of its own, the more particular.
size_t Particularity(const std::vector<Piece>& pieces) {
    size_t literal = 0;
    for (const Piece& piece : pieces)
        literal += piece.literal.size();
    return (!pieces.empty() && pieces.front().place == 0 ? 1 << 20 : 0) + literal;
}

std::optional<std::string> TranslatedWhole(const std::string& message, int depth) {
    const CatalogueEntry* best = nullptr;
    size_t bestParticularity = 0;
    std::vector<std::string> bestValues;
    for (const CatalogueEntry& entry : kEntries) {
        const std::vector<Piece> pieces = Pieces(entry.english);
        const size_t particularity = Particularity(pieces);
        if (best && particularity <= bestParticularity)
            continue;
        std::vector<std::string> values(10);
        if (!Match(pieces, 0, message, 0, values))
            continue;
        best = &entry;
        bestParticularity = particularity;
        bestValues = std::move(values);
    }
    if (!best)
        return std::nullopt;
    std::string result;
    for (const Piece& piece : Pieces(best->chinese)) {
        if (piece.place == 0) {
            result += piece.literal;
            continue;
        }
        // A value may itself be a message of the catalogue; a file name or a number comes back unchanged.
        const std::string& value = bestValues[static_cast<size_t>(piece.place)];
        result += depth < 4 ? TranslatedWhole(value, depth + 1).value_or(value) : value;
    }
    return result;
}

} // namespace

UserLanguage UserLanguageFromEnvironment() {
    if (const char* forced = std::getenv("LEAFBIND_LANGUAGE"); forced && *forced)
        return IsChineseLocale(forced) ? UserLanguage::Chinese : UserLanguage::English;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return IsChineseLocale(value) ? UserLanguage::Chinese : UserLanguage::English;
    return SystemSpeaksChinese() ? UserLanguage::Chinese : UserLanguage::English;
}

UserLanguage CurrentUserLanguage() {
    int chosen = chosenLanguage.load();
    if (chosen < 0) {
        chosen = static_cast<int>(UserLanguageFromEnvironment());
        chosenLanguage.store(chosen);
    }
    return static_cast<UserLanguage>(chosen);
}

void SetUserLanguage(UserLanguage language) {
    chosenLanguage.store(static_cast<int>(language));
}

bool UserReadsChinese() {
    return CurrentUserLanguage() == UserLanguage::Chinese;
}

std::string WithValues(const std::string& pattern, std::initializer_list<std::string> values) {
    std::string result;
    for (const Piece& piece : Pieces(pattern)) {
        if (piece.place == 0)
            result += piece.literal;
        else if (static_cast<size_t>(piece.place) <= values.size())
            result += values.begin()[piece.place - 1];
    }
    return result;
}

std::span<const CatalogueEntry> MessageCatalogue() {
    return kEntries;
}

std::string Translated(const std::string& message, UserLanguage language) {
    if (language == UserLanguage::English || message.empty())
        return message;
    if (message.find('\n') == std::string::npos)
        return TranslatedWhole(message, 0).value_or(message);
    std::string result;
    size_t start = 0;
    while (start <= message.size()) {
        size_t end = message.find('\n', start);
        if (end == std::string::npos)
            end = message.size();
        const std::string line = message.substr(start, end - start);
        result += TranslatedWhole(line, 0).value_or(line);
        if (end < message.size())
            result += '\n';
        start = end + 1;
    }
    return result;
}

std::string ForUser(const std::string& message) {
    return Translated(message, CurrentUserLanguage());
}
