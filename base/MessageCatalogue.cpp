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
    {"the zip structure is damaged ({1})", "zip 结构已损坏（{1}）"},
    {"the package holds more than {1} entries", "包中的条目超过 {1} 个"},
    {"the package is not open", "包没有打开"},
    {"the part /{1} cannot be read ({2})", "无法读取部件 /{1}（{2}）"},
    {"the part /{1} changed since the document was opened", "部件 /{1} 在文档打开之后已被更改"},
    {"the part /{1} inflates to more than its declared size (a damaged package)",
     "部件 /{1} 解压后超过它声明的大小（已损坏的包）"},
    {"the part /{1} inflates to more than {2} MiB, {3} times its compressed size (a zip bomb or a damaged package)",
     "部件 /{1} 解压后超过 {2} MiB，即压缩大小的 {3} 倍（zip 炸弹或已损坏的包）"},
    {"the part /{1} inflates to more than {2} MiB, an eighth of this machine's memory (a zip bomb or a damaged "
     "package)",
     "部件 /{1} 解压后超过 {2} MiB，即本机内存的八分之一（zip 炸弹或已损坏的包）"},
    {"the package inflates to more than {1} MiB, {2} times its compressed size (a zip bomb or a damaged package)",
     "包解压后超过 {1} MiB，即压缩大小的 {2} 倍（zip 炸弹或已损坏的包）"},
    {"the package inflates to more than {1} MiB, a quarter of this machine's memory (a zip bomb or a damaged package)",
     "包解压后超过 {1} MiB，即本机内存的四分之一（zip 炸弹或已损坏的包）"},
    {"the part /{1} nests elements more than {2} levels deep", "部件 /{1} 中元素的嵌套超过 {2} 层"},
    {"the package's main document relationship points outside the package ({1})", "包的主文档关系指向包之外（{1}）"},
    {"the package holds no Word document part", "包中没有Word文档部件"},
    {"its main part /{1} has no body", "它的主部件 /{1} 没有正文"},
    {"a relationship of /{1} points outside the package ({2})", "/{1} 的一个关系指向包之外（{2}）"},
    {"the document is protected by a password; save it without one and try again",
     "文档受密码保护；请去掉密码另存后再试"},
    {"it is a Word 97-2003 document (.doc), and opening one needs LibreOffice (soffice) to convert it, which is not "
     "installed",
     "它是 Word 97-2003 文档（.doc），打开它需要用 LibreOffice（soffice）转换，但没有安装 LibreOffice"},
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
    {"The file name \"{1}\" is not a valid name for a page.", "文件名“{1}”不是有效的页面名。"},
    {"The folder {1} does not exist; the page cannot be saved there.", "文件夹 {1} 不存在；无法在那里保存页面。"},
    {"A folder named {1} is in the way of the page.", "已有名为 {1} 的文件夹，无法保存页面。"},
    {"The page {1} could not be written (is the disk full, or the folder read-only?).",
     "无法写入页面 {1}（磁盘满了，或者文件夹是只读的？）。"},
    {"The old picture folder {1} could not be removed: {2}.", "无法删除旧的图片文件夹 {1}: {2}。"},
    {"The picture folder {1} could not be put in place: {2}.", "无法放置图片文件夹 {1}: {2}。"},
    {"The page {1} could not be put in place: {2}.", "无法放置页面 {1}: {2}。"},
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
    {"a picture (/{1}) is shown as a gap: the source file no longer reads: {2}",
     "图片（/{1}）显示为空白：源文件已无法读取: {2}"},
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
    {"a chart (/{1}) is shown as its title only: {2}", "图表（/{1}）只显示标题: {2}"},
    {"a chart (/{1}) is shown as its title only: charts of its kind are not drawn",
     "图表（/{1}）只显示标题：不绘制这一类图表"},
    {"a chart is shown as its title only: charts of its kind are not drawn", "图表只显示标题：不绘制这一类图表"},
    {"a chart is shown as its title only: {1}", "图表只显示标题: {1}"},
    {"a chart (/{1}) is drawn in part: {2}", "图表（/{1}）只绘制了一部分: {2}"},
    {"a chart is drawn in part: {1}", "图表只绘制了一部分: {1}"},
    {"its part cannot be read", "无法读取它的部件"},
    {"its picture could not be made", "无法生成它的图片"},
    {"this build does not draw charts", "此版本不绘制图表"},
    {"charts of its kind are not drawn", "不绘制这一类图表"},
    {"3D charts are not drawn", "不绘制三维图表"},
    {"{1} charts are not drawn", "不绘制 {1} 类图表"},
    {"it has no series to draw", "它没有可绘制的数据系列"},
    {"pie or scatter charts combined with other kinds are not drawn", "不绘制与其他类型组合的饼图或散点图"},
    {"it keeps no values of its own to draw", "它自身没有保存可绘制的数值"},
    {"its slices add up to nothing", "它的各扇区之和为零"},
    {"a pie chart shows its first series only", "饼图只显示第一个数据系列"},
    {"only its first {1} series are drawn", "只绘制前 {1} 个数据系列"},
    {"only the first {1} points of a series are drawn", "每个数据系列只绘制前 {1} 个数据点"},
    {"values that are not numbers are left out", "略去了不是数字的值"},
    {"negative values are drawn as slices of their size", "负值按其大小绘制为扇区"},
    {"a diagram is shown as its text in a box, not drawn", "图示以方框中的文字显示，不绘制"},
    {"{1} character(s) set in a symbol font have no Unicode match and are shown as boxes",
     "{1} 个符号字体的字符没有对应的 Unicode 字符，显示为方框"},
    {"a link to \"{1}\" was written as plain text: script and data addresses are not links in a page",
     "指向“{1}”的链接写成了普通文字：页面中的脚本和数据地址不作为链接"},
    {"no EMF converter (LibreOffice) is installed", "没有安装 EMF 转换程序（LibreOffice）"},
    {"LibreOffice, which this WMF needs (wmf2gd cannot draw it), is not installed",
     "没有安装这个 WMF 所需的 LibreOffice（wmf2gd 无法绘制它）"},
    {"no WMF converter (wmf2gd from libwmf-bin, or LibreOffice) is installed",
     "没有安装 WMF 转换程序（libwmf-bin 中的 wmf2gd，或 LibreOffice）"},
    {"no temporary folder could be made for converting a metafile", "无法为转换图元文件建立临时文件夹"},
    {"the installed converter could not convert this metafile (LibreOffice needs its Draw component for metafiles)",
     "已安装的转换程序无法转换这个图元文件（LibreOffice 需要 Draw 组件才能转换图元文件）"},
    {"The language {1} is not one a help file can be in; it is chosen from the document.",
     "语言 {1} 不是CHM文件可用的语言；改为根据文档选择。"},
    {"The document's path cannot be converted for Word.", "文档的路径无法转换为Word可用的形式。"},
    {"A page path cannot be converted for Word.", "页面的路径无法转换为Word可用的形式。"},
    {"A text cannot be converted from the system code page.", "有一段文字无法从系统代码页转换。"},
    {"A text from Word cannot be converted to the system code page.", "Word中的一段文字无法转换为系统代码页。"},
    // The working folder and the help IDs.
    {"cannot create a folder in {1}: {2}", "无法在 {1} 中建立文件夹: {2}"},
    {"cannot hold a folder of its own in {1}", "无法在 {1} 中建立自己的文件夹"},
    {"cannot create {1}: {2}", "无法建立 {1}: {2}"},
    {"cannot create {1}", "无法建立 {1}"},
    {"cannot write {1}", "无法写入 {1}"},
    {"the folder to keep the pages in must be new or empty: {1}", "保留页面的文件夹必须是新的或空的: {1}"},
    {"the folder to keep the pages in is in use by another run: {1}", "保留页面的文件夹正被另一次转换使用: {1}"},
    {"could not remove the working folder {1}: {2}", "无法删除工作文件夹 {1}: {2}"},
    {"{1}:{2}: {3} is not a valid C identifier", "{1}:{2}: {3} 不是有效的 C 标识符"},
    {"{1}:{2}: {3} is defined as \"{4}\", which is not a number", "{1}:{2}: {3} 被定义为“{4}”，它不是数字"},
    {"{1}:{2}: {3} = {4} is out of range (0 to 4294967295)", "{1}:{2}: {3} = {4} 超出范围（0 到 4294967295）"},
    {"{1}:{2}: {3} is defined again (first as {4} on line {5})", "{1}:{2}: {3} 被重复定义（第一次是第 {5} 行的 {4}）"},
    {"{1}:{2}: {3} has the number {4}, as {5} on line {6} does", "{1}:{2}: {3} 的编号 {4} 与第 {6} 行的 {5} 相同"},
    {"the bookmark {1} cannot be a help ID: it is not a valid C identifier (letters A-Z, digits and _)",
     "书签 {1} 不能作为帮助 ID：它不是有效的 C 标识符（字母 A-Z、数字和 _）"},
    {"the bookmarks {1} and {2} are the same help ID: IDs are matched in any case",
     "书签 {1} 和 {2} 是同一个帮助 ID：帮助 ID 不区分大小写"},
    {"numbering from {1} leaves no room for {2} help IDs", "从 {1} 开始编号，容纳不下 {2} 个帮助 ID"},
    {"the map header {1} is larger than {2} MB; a header of help IDs is far smaller",
     "帮助 ID 头文件 {1} 大于 {2} MB；帮助 ID 的头文件要小得多"},
    {"cannot read the map header {1}: {2}", "无法读取帮助 ID 头文件 {1}: {2}"},
    {"cannot write the map header {1}: {2}", "无法写入帮助 ID 头文件 {1}: {2}"},
    {"not readable", "不可读"},
    {"not a usable path", "不是可用的路径"},
    // The web help's.
    {"the page folder's name cannot be read", "无法读取页面文件夹的名称"},
    {"cannot read the page {1}", "无法读取页面 {1}"},
    {"cannot copy the pictures of {1}: {2}", "无法复制 {1} 的图片: {2}"},
    {"{1}: {2} bytes meant nothing in the page's charset and were left out of the web help",
     "{1}: {2} 个字节在页面的字符集中没有意义，没有放入网页帮助"},
    {"{1}: the page declares no charset and is not UTF-8", "{1}: 页面没有声明字符集，也不是 UTF-8"},
    {"{1}: the page is not the UTF-8 it declares", "{1}: 页面不是它声明的 UTF-8"},
    {"{1}: the page's charset is unknown: {2}", "{1}: 页面的字符集未知: {2}"},
    {"the web help was not written", "没有写入网页帮助"},
    // What the system says of a file, as the C library's Chinese messages say it.
    {"No such file or directory", "没有那个文件或目录"},
    {"Permission denied", "权限不够"},
    {"No space left on device", "设备上没有空间"},
    {"Read-only file system", "只读文件系统"},
    {"File exists", "文件已存在"},
    {"Is a directory", "是一个目录"},
    {"Not a directory", "不是目录"},
    {"Directory not empty", "目录非空"},
    {"File name too long", "文件名过长"},
    {"Too many levels of symbolic links", "符号连接的层数过多"},
    {"Disk quota exceeded", "超出磁盘限额"},
    {"Input/output error", "输入/输出错误"},
    {"Device or resource busy", "设备或资源忙"},
    {"Invalid cross-device link", "无效的跨设备连接"},
    {"Operation not permitted", "不允许的操作"},
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
    {"\"{1}\" is not valid text in code page {2}", "“{1}”不是代码页 {2} 中的有效文字"},
    {"cannot read the project file {1}", "无法读取项目文件 {1}"},
    {"{1}: the project's language {2} is in code page {3}, which this compiler cannot read; nothing was compiled",
     "{1}: 项目的语言 {2} 使用代码页 {3}，本编译器无法读取；没有编译任何内容"},
    {"the error log file must be a file name beside the project file: {1}",
     "错误日志文件必须是项目文件旁边的文件名: {1}"},
    {"the error log file is the project file itself: {1}", "错误日志文件就是项目文件本身: {1}"},
    {"the project names no page, no contents file and no default topic: there is nothing to compile",
     "项目中没有页面、目录文件和默认主题：没有要编译的内容"},
    {"the error log file is the compiled file: {1}", "错误日志文件就是要生成的CHM文件: {1}"},
    {"the error log file is a symbolic link, which is not followed: {1}", "错误日志文件是符号链接，不会跟随: {1}"},
    {"the error log file is an existing file that is not an error log; it is left as it is: {1}",
     "错误日志文件是已有的文件，不是错误日志，保持原样: {1}"},
    {"the error log file is a file the project reads: {1}", "错误日志文件是项目要读取的文件: {1}"},
    {"cannot write the error log file {1}", "无法写入错误日志文件 {1}"},
    {"the compiled file is the project file itself: {1}", "要生成的CHM文件就是项目文件本身: {1}"},
    {"the compiled file is a file the project reads: {1}", "要生成的CHM文件是项目要读取的文件: {1}"},
    {"the output path is a folder: {1}", "输出路径是一个文件夹: {1}"},
    {"the compiled file is a symbolic link, which is not followed: {1}", "要生成的CHM文件是符号链接，不会跟随: {1}"},
    {"the compiled file exists and is not a help file; it is left as it is: {1}",
     "要生成的CHM文件已存在且不是CHM文件，保持原样: {1}"},
    {"refused: \"{1}\" is not a path inside the project folder", "已拒绝: “{1}”不是项目文件夹中的路径"},
    {"file name too long: {1}", "文件名太长: {1}"},
    {"a file listed in the project is missing or unreadable: {1}", "项目中列出的文件不存在或无法读取: {1}"},
    {"a file named in the options is missing or unreadable: {1}", "选项中指定的文件不存在或无法读取: {1}"},
    {"the context file \"{1}\" named by #include is outside the project folder or one include too many",
     "#include 指定的上下文文件“{1}”在项目文件夹之外，或包含的层数太多"},
    {"the context file \"{1}\" named by #include is larger than {2} MB", "#include 指定的上下文文件“{1}”大于 {2} MB"},
    {"the context file \"{1}\" named by #include is missing, unreadable or outside the project folder",
     "#include 指定的上下文文件“{1}”不存在、无法读取或在项目文件夹之外"},
    {"the sitemap {1} was left out of the project", "站点地图 {1} 没有列入项目"},
    {"{1}: malformed sitemap, {2}", "{1}: 站点地图格式错误，{2}"},
    {"line {1}: {2}", "第 {1} 行: {2}"},
    {"comment is not closed", "注释没有结束"},
    {"lists are nested deeper than {1}", "列表嵌套超过 {1} 层"},
    {"</UL> without a matching <UL>", "</UL> 没有对应的 <UL>"},
    {"<OBJECT> inside another <OBJECT>", "<OBJECT> 位于另一个 <OBJECT> 之中"},
    {"</OBJECT> without a matching <OBJECT>", "</OBJECT> 没有对应的 <OBJECT>"},
    {"<OBJECT> is not closed", "<OBJECT> 没有结束"},
    {"tag is not closed", "标记没有结束"},
    {"quoted value is not closed", "引号中的值没有结束"},
    {"a value is longer than {1} bytes", "值超过 {1} 个字节"},
    {"the contents file", "目录文件"},
    {"the index file", "索引文件"},
    {"unknown language \"{1}\", using 0x409", "未知的语言“{1}”，改用 0x409"},
    {"Binary TOC is not built; viewers show the contents file itself", "不生成二进制目录；查看器直接显示目录文件"},
    {"Auto Index: keywords inside pages are not collected; the index file's are",
     "自动索引: 不收集页面中的关键字，只使用索引文件中的关键字"},
    {"[MAP] line ignored: {1}", "已忽略 [MAP] 行: {1}"},
    {"[ALIAS] line ignored: {1}", "已忽略 [ALIAS] 行: {1}"},
    {"line {1} is longer than {2} bytes and is ignored: {3}", "第 {1} 行超过 {2} 个字节，已忽略: {3}"},
    {"project line {1} is longer than {2} bytes", "项目第 {1} 行超过 {2} 个字节"},
    {"section [{1}] is not used", "不使用 [{1}] 节"},
    {"project line {1}: malformed window definition", "项目第 {1} 行: 窗口定义格式错误"},
    {"project line {1} ignored: {2}", "已忽略项目第 {1} 行: {2}"},
    {"{1} is too large to index for search ({2} MB); left out of the search index",
     "{1} 太大（{2} MB），无法建立搜索索引；不列入搜索索引"},
    {"{1}: {2}; left out of the search index", "{1}: {2}；不列入搜索索引"},
    {"{1} could not be indexed for search: {2}", "{1} 无法加入搜索索引: {2}"},
    {"not a text page (binary data)", "不是文本页面（二进制数据）"},
    {"unknown charset \"{1}\", read as UTF-8", "未知的字符集“{1}”，按 UTF-8 读取"},
    {"too much text in the search index", "搜索索引中的文字太多"},
    {"cannot write a temporary file in {1}", "无法在 {1} 中写入临时文件"},
    {"cannot write the help file", "无法写入CHM文件"},
    {"internal file name is empty, too long or not rooted: {1}", "内部文件名为空、太长或不以 / 开头: {1}"},
    {"file added twice: {1}", "文件添加了两次: {1}"},
    {"file reaches past the pages compressed ahead: {1}", "文件超出了预先压缩的页面: {1}"},
    {"the pages compressed ahead were not all added", "预先压缩的页面没有全部加入"},
    {"The help compiler {1} could not be loaded: {2}", "无法加载帮助编译器 {1}: {2}"},
    {"The help compiler has no entry point {1}.", "帮助编译器没有入口点 {1}。"},
    {"unknown reason", "原因不明"},
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
    {"{1} (status 0x{2})", "{1}（状态 0x{2}）"},
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
    // An indented line (a reason under the error it explains) keeps its indent.
    if (const size_t indent = message.find_first_not_of(' '); indent > 0 && indent != std::string::npos) {
        const std::optional<std::string> rest = TranslatedWhole(message.substr(indent), depth);
        return rest ? std::optional<std::string>(message.substr(0, indent) + *rest) : std::nullopt;
    }
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
