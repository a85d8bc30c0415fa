#pragma once
// Captions and messages of the desktop program, UTF-8 as the source files are, each in Chinese and in English: a
// Chinese locale reads the first, any other the second (base/MessageCatalogue.h chooses). wx takes them through
// FromUTF8; texts that go below the user interface are narrow text (UTF-8) at that boundary.

#include "base/MessageCatalogue.h"

// One text in both languages. Both forms are checked as the program is compiled: a Chinese form that holds no
// Chinese, or an English one that is empty or holds anything beyond ASCII, does not build.
struct UiText {
    const char* chinese;
    const char* english;

    consteval UiText(const char* chinese, const char* english) : chinese(chinese), english(english) {
        bool beyondAscii = false;
        for (const char* c = chinese; *c; ++c)
            beyondAscii = beyondAscii || static_cast<unsigned char>(*c) >= 0x80;
        if (!beyondAscii)
            throw "the Chinese form holds no Chinese";
        if (!*english)
            throw "the English form is empty";
        for (const char* c = english; *c; ++c)
            if (static_cast<unsigned char>(*c) >= 0x80)
                throw "the English form is not plain English";
    }

    const char* In(UserLanguage language) const { return language == UserLanguage::Chinese ? chinese : english; }
    // In the user's language.
    operator const char*() const { return In(CurrentUserLanguage()); }
};

namespace ui {

inline constexpr const char* kAppTitle = "Leafbind";
inline constexpr const char* kMainCaption = "Leafbind(1.5.3)";

inline constexpr UiText kSourceLabel{"原始Word文件:", "Word file:"};
inline constexpr UiText kOutputLabel{"输出CHM文件:", "CHM file:"};
inline constexpr UiText kTitleLabel{"CHM文件标题:", "CHM title:"};
inline constexpr UiText kBrowse{"浏览", "Browse"};
inline constexpr UiText kGenerate{"生成CHM文件", "Generate CHM"};
inline constexpr UiText kView{"查看CHM文件", "View CHM"};
inline constexpr UiText kAdvanced{"高级", "Advanced"};
inline constexpr UiText kHelp{"帮助", "Help"};
inline constexpr UiText kAbout{"关于", "About"};
inline constexpr UiText kOk{"确定", "OK"};
inline constexpr UiText kCancel{"取消", "Cancel"};

inline constexpr const char* kSourceFilter = "Word Files (*.doc;*.docx)|*.doc;*docx";
inline constexpr const char* kOutputFilter = "CHM Files (*.chm)|*.chm";

inline constexpr UiText kChooseWordFile{"请选择Word文件!", "Please choose a Word file!"};
inline constexpr UiText kChooseWordFileToConvert{"请选择Word文件转换!", "Please choose a Word file to convert!"};
inline constexpr UiText kQuitDuringConversion{"正在进行转换，你确实要退出？",
                                              "A conversion is running. Do you really want to quit?"};
inline constexpr UiText kWarningCaption{"警告", "Warning"};
inline constexpr UiText kWordStartFailed{"启动word失败!", "Failed to start Word!"};
inline constexpr UiText kNoOutlineStyles{"word文档中没有大纲样式!", "The Word document has no outline styles!"};
inline constexpr UiText kConverting{"正在转换", "Converting"};
// Our own wording: the phase of a running conversion under its progress text, and the button that stops it.
inline constexpr UiText kPhaseReading{"读取Word文件", "Reading the Word file"};
// "{1}" is the page being made, "{2}" the number of pages.
inline constexpr UiText kPhasePage{"第 {1} 页，共 {2} 页", "Page {1} of {2}"};
inline constexpr UiText kPhaseCompiling{"生成CHM文件", "Compiling the CHM file"};
inline constexpr UiText kStop{"停止", "Stop"};
// Our own wording: no program opens help files; the question to open the folder instead, the path follows.
inline constexpr UiText kNoHelpViewer{
    "没有找到打开CHM文件的程序（例如 xchm）。\n是否打开帮助文件所在的文件夹？\n",
    "No program that opens CHM files was found (for example xchm).\nOpen the folder that holds the help file?\n"};
// Our own wording: the same with web help made by the run: it can be opened in the browser instead.
inline constexpr UiText kNoHelpViewerWebHelp{
    "没有找到打开CHM文件的程序（例如 xchm）。\n是否在浏览器中打开网页帮助？\n",
    "No program that opens CHM files was found (for example xchm).\nOpen the web help in the browser instead?\n"};
// Our own wording: the help file is missing although the conversion ran to its end.
inline constexpr UiText kHelpFileNotProduced{"没有生成CHM文件: ", "No CHM file was produced: "};
// Our own wording: a conversion that had something to report, "N" between the two parts.
inline constexpr UiText kWarningsBefore{"转换完成，有 ", "Conversion done, with "};
inline constexpr UiText kWarningsAfter{" 条警告。", " warning(s)."};
// Our own wording: the warnings list's buttons, its file chooser and a list that could not be saved (path follows).
inline constexpr UiText kCopyWarnings{"复制", "Copy"};
inline constexpr UiText kSaveWarnings{"保存...", "Save..."};
inline constexpr UiText kSaveWarningsTitle{"保存警告", "Save warnings"};
inline constexpr const char* kTextFilter = "Text Files (*.txt)|*.txt";
inline constexpr UiText kCannotSaveWarnings{"无法保存: ", "Cannot save: "};
// Our own wording: an automation call failed without a report from Word.
inline constexpr UiText kAutomationFailed{"自动化调用失败", "Automation call failed"};

// Our own wording: the titles of the two file choosers.
inline constexpr UiText kChooseSourceTitle{"选择Word文件", "Choose a Word file"};
inline constexpr UiText kChooseOutputTitle{"保存CHM文件", "Save the CHM file"};
// Our own wording: a file that cannot be opened or taken as the source; the path follows.
inline constexpr UiText kFileMissing{"文件不存在: ", "File does not exist: "};
inline constexpr UiText kNotAWordFile{"不是Word文件(*.doc;*.docx): ", "Not a Word file (*.doc;*.docx): "};
inline constexpr UiText kHelpFileMissing{"找不到帮助文件: ", "Help file not found: "};

inline constexpr UiText kAboutCaption{"关于 Leafbind", "About Leafbind"};
inline constexpr UiText kAboutProduct{"Leafbind，v 1.5.3", "Leafbind, v 1.5.3"};
inline constexpr UiText kVisitHomePage{"访问主页", "Visit the home page"};

// The check boxes' captions are beside their options, in engine/PageOptions.cpp.
inline constexpr UiText kCopyrightLabel{"版权信息:", "Copyright:"};
inline constexpr UiText kNewLineHint{"Ctrl + Enter 换行", "Ctrl + Enter for a new line"};
inline constexpr UiText kLanguageLabel{"帮助语言:", "Help language:"};
// Our own wording: web help beside the help file, its folder and the folder's chooser; no folder chosen.
inline constexpr UiText kWebHelp{"网页帮助", "Web help"};
inline constexpr UiText kWebFolderLabel{"网页帮助文件夹:", "Web help folder:"};
inline constexpr UiText kChooseWebFolderTitle{"选择网页帮助文件夹（新的或空的）",
                                              "Choose the web help folder (new or empty)"};
inline constexpr UiText kChooseWebFolder{"请选择网页帮助文件夹!", "Please choose a folder for the web help!"};
inline constexpr UiText kLanguageFromDocument{"按文档", "From the document"};

inline constexpr const char* kHelpFileName = "leafbind.chm";

} // namespace ui
