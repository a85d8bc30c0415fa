// The project file: options, the one window, and every file the compiler takes in.

#include "helpproject/ProjectWriter.h"

#include "automation/CodePage.h"
#include "automation/WordConventions.h"
#include "base/CodePageText.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unordered_set>

namespace {

// "Language=0x804 中文(中国)": the LCID as the help workshop writes it, then the language's name.
std::string LanguageLine(const HelpLanguage& language) {
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "0x%x", static_cast<unsigned>(language.lcid));
    return "Language=" + std::string(lcid) + " " + Utf8ToCodePagePlain(language.codePage, language.name);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::unordered_set<std::string> SubfolderNames(const std::string& narrowFolder) {
    std::unordered_set<std::string> names;
    const auto folder = NarrowToPath(narrowFolder);
    if (!folder)
        return names;
    std::error_code error;
    std::filesystem::directory_iterator entries(*folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error))
        if (entries->is_directory(error))
            if (auto name = PathToNarrow(entries->path().filename()))
                names.insert(*name);
    return names;
}

} // namespace

void ListFilesInFolder(const std::string& pattern, LineList& names) {
    const std::string suffix = "/*.*";
    if (pattern.size() < suffix.size() || pattern.compare(pattern.size() - suffix.size(), suffix.size(), suffix) != 0)
        return;
    const auto folder = NarrowToPath(pattern.substr(0, pattern.size() - suffix.size()));
    if (!folder)
        return;
    std::error_code error;
    std::filesystem::directory_iterator entries(*folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (entries->is_directory(error))
            continue;
        if (auto name = PathToNarrow(entries->path().filename()))
            names.push_back(*name);
    }
}

LineList ContextHelpSections(const std::vector<BookHelpId>& topics, uint32_t codePage) {
    if (topics.empty())
        return {};
    LineList lines{"[ALIAS]"};
    for (const BookHelpId& topic : topics)
        lines.push_back(HelpFileName(topic.name, codePage) + "=" + HelpFileName(topic.target, codePage));
    lines.push_back("[MAP]");
    for (const BookHelpId& topic : topics)
        lines.push_back("#define " + HelpFileName(topic.name, codePage) + " " + std::to_string(topic.number));
    return lines;
}

bool WriteProjectFile(const ProjectSettings& settings, const std::vector<std::string>& pageFiles,
                      const std::string& folder, const std::string& path, size_t* pictureFiles) {
    const uint32_t codePage = settings.language.codePage;
    const std::string title = EscapedHelpText(settings.title, codePage);
    const std::string contents = HelpFileName(settings.contentsName, codePage);
    const std::string index = HelpFileName(settings.indexName, codePage);
    LineList lines{
        "[OPTIONS]",
        "Compatibility=1.1 Or later",
        "Compiled file=" + HelpFileName(settings.compiledPath, codePage),
        "Default Window=Main",
        "Default topic=0.html",
        "Display compile progress=No",
        "Enhanced decompilation=Yes",
        "Full-text search=Yes",
        "Title=" + title,
        "Contents file=" + contents,
        "Index file=" + index,
        "Default font=" + Utf8ToCodePagePlain(codePage, settings.language.defaultFont),
        LanguageLine(settings.language),
        "[WINDOWS]",
        "Main=" + Quoted(title) + "," + Quoted(contents) + "," + Quoted(index) + "," + Quoted("0.html") +
            ",,,,,,0x62520,,0x300e,[135,50,1015,730],0x1030000,,,,,,0",
        "[FILES]",
    };
    for (const std::string& page : pageFiles)
        lines.push_back(HelpFileName(page, codePage));
    // Most pages have no picture folder: one look at the folder says which have one.
    const std::unordered_set<std::string> subfolders = SubfolderNames(folder);
    size_t pictures = 0;
    for (size_t page = 0; page < pageFiles.size(); ++page) {
        const std::string folderName = PictureFolderName(std::to_string(page));
        if (!subfolders.contains(folderName))
            continue;
        LineList names;
        ListFilesInFolder(folder + "/" + folderName + "/*.*", names);
        for (const std::string& name : names)
            lines.push_back(HelpFileName(folderName + "\\" + name, codePage));
        pictures += names.size();
    }
    if (pictureFiles)
        *pictureFiles = pictures;
    const LineList contextSections = ContextHelpSections(settings.contextTopics, codePage);
    lines.insert(lines.end(), contextSections.begin(), contextSections.end());
    // Lines lose any CR or LF, so a title cannot add lines of its own to the project.
    return WriteLineList(lines, folder, path);
}
