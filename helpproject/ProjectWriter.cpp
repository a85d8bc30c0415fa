// The project file: options, the one window, and every file the compiler takes in.

#include "helpproject/ProjectWriter.h"

#include "automation/CodePage.h"
#include "automation/WordConventions.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

namespace {

// The fixed GB2312 texts: 宋体 and 中文(中国).
const std::string kSongTi = "\xCB\xCE\xCC\xE5";
const std::string kChineseChina = "\xD6\xD0\xCE\xC4(\xD6\xD0\xB9\xFA)";

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

LineList ContextHelpSections(const std::vector<BookHelpId>& topics) {
    if (topics.empty())
        return {};
    LineList lines{"[ALIAS]"};
    for (const BookHelpId& topic : topics)
        lines.push_back(topic.name + "=" + topic.target);
    lines.push_back("[MAP]");
    for (const BookHelpId& topic : topics)
        lines.push_back("#define " + topic.name + " " + std::to_string(topic.number));
    return lines;
}

bool WriteProjectFile(const ProjectSettings& settings, const std::vector<std::string>& pageFiles,
                      const std::string& folder, const std::string& path, size_t* pictureFiles) {
    LineList lines{
        "[OPTIONS]",
        "Compatibility=1.1 Or later",
        "Compiled file=" + settings.compiledPath,
        "Default Window=Main",
        "Default topic=0.html",
        "Display compile progress=No",
        "Enhanced decompilation=Yes",
        "Full-text search=Yes",
        "Title=" + EscapedHelpText(settings.title),
        "Contents file=" + settings.contentsName,
        "Index file=" + settings.indexName,
        "Default font=" + kSongTi + ",9,1",
        "Language=0x804 " + kChineseChina,
        "[WINDOWS]",
        "Main=" + Quoted(EscapedHelpText(settings.title)) + "," + Quoted(settings.contentsName) + "," +
            Quoted(settings.indexName) + "," + Quoted("0.html") +
            ",,,,,,0x62520,,0x300e,[135,50,1015,730],0x1030000,,,,,,0",
        "[FILES]",
    };
    lines.insert(lines.end(), pageFiles.begin(), pageFiles.end());
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
            lines.push_back(folderName + "\\" + name);
        pictures += names.size();
    }
    if (pictureFiles)
        *pictureFiles = pictures;
    const LineList contextSections = ContextHelpSections(settings.contextTopics);
    lines.insert(lines.end(), contextSections.begin(), contextSections.end());
    // Lines lose any CR or LF, so a title cannot add lines of its own to the project.
    return WriteLineList(lines, folder, path);
}
