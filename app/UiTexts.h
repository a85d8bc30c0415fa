#pragma once
// Captions and messages of the desktop program, UTF-8 as the source files are. wx takes them through FromUTF8;
// texts that go below the user interface are narrow text (UTF-8) at that boundary.

namespace ui {

inline constexpr const char* kAppTitle = "Leafbind";
inline constexpr const char* kMainCaption = "Leafbind(1.5.3)";

inline constexpr const char* kSourceLabel = "原始Word文件:";
inline constexpr const char* kOutputLabel = "输出CHM文件:";
inline constexpr const char* kTitleLabel = "CHM文件标题:";
inline constexpr const char* kBrowse = "浏览";
inline constexpr const char* kGenerate = "生成CHM文件";
inline constexpr const char* kView = "查看CHM文件";
inline constexpr const char* kAdvanced = "高级";
inline constexpr const char* kHelp = "帮助";
inline constexpr const char* kAbout = "关于";
inline constexpr const char* kOk = "确定";
inline constexpr const char* kCancel = "取消";

inline constexpr const char* kSourceFilter = "Word Files (*.doc;*.docx)|*.doc;*docx";
inline constexpr const char* kOutputFilter = "CHM Files (*.chm)|*.chm";

inline constexpr const char* kChooseWordFile = "请选择Word文件!";
inline constexpr const char* kChooseWordFileToConvert = "请选择Word文件转换!";
inline constexpr const char* kQuitDuringConversion = "正在进行转换，你确实要退出？";
inline constexpr const char* kWarningCaption = "警告";
inline constexpr const char* kWordStartFailed = "启动word失败!";
inline constexpr const char* kNoOutlineStyles = "word文档中没有大纲样式!";
inline constexpr const char* kConverting = "正在转换";
// Our own wording: the phase of a running conversion under its progress text, and the button that stops it.
inline constexpr const char* kPhaseReading = "读取Word文件";
inline constexpr const char* kPhasePageBefore = "第 ";
inline constexpr const char* kPhasePageMiddle = " 页，共 ";
inline constexpr const char* kPhasePageAfter = " 页";
inline constexpr const char* kPhaseCompiling = "生成CHM文件";
inline constexpr const char* kStop = "停止";
// Our own wording: no program opens help files; the question to open the folder instead, the path follows.
inline constexpr const char* kNoHelpViewer =
    "没有找到打开CHM文件的程序（例如 xchm）。\n是否打开帮助文件所在的文件夹？\n";
// Our own wording: the help file is missing although the conversion ran to its end.
inline constexpr const char* kHelpFileNotProduced = "没有生成CHM文件: ";
// Our own wording: a conversion that had something to report, "N" between the two parts.
inline constexpr const char* kWarningsBefore = "转换完成，有 ";
inline constexpr const char* kWarningsAfter = " 条警告。";
// Our own wording: the warnings list's buttons, its file chooser and a list that could not be saved (path follows).
inline constexpr const char* kCopyWarnings = "复制";
inline constexpr const char* kSaveWarnings = "保存...";
inline constexpr const char* kSaveWarningsTitle = "保存警告";
inline constexpr const char* kTextFilter = "Text Files (*.txt)|*.txt";
inline constexpr const char* kCannotSaveWarnings = "无法保存: ";
// Our own wording: an automation call failed without a report from Word.
inline constexpr const char* kAutomationFailed = "自动化调用失败";

// Our own wording: the titles of the two file choosers.
inline constexpr const char* kChooseSourceTitle = "选择Word文件";
inline constexpr const char* kChooseOutputTitle = "保存CHM文件";
// Our own wording: a file that cannot be opened or taken as the source; the path follows.
inline constexpr const char* kFileMissing = "文件不存在: ";
inline constexpr const char* kNotAWordFile = "不是Word文件(*.doc;*.docx): ";
inline constexpr const char* kHelpFileMissing = "找不到帮助文件: ";

inline constexpr const char* kAboutCaption = "关于 Leafbind";
inline constexpr const char* kAboutProduct = "Leafbind，v 1.5.3";
inline constexpr const char* kVisitHomePage = "访问主页";

// The check boxes' captions are beside their options, in engine/PageOptions.cpp.
inline constexpr const char* kCopyrightLabel = "版权信息:";
inline constexpr const char* kNewLineHint = "Ctrl + Enter 换行";
inline constexpr const char* kLanguageLabel = "帮助语言:";
inline constexpr const char* kLanguageFromDocument = "按文档";

inline constexpr const char* kHelpFileName = "leafbind.chm";

} // namespace ui
