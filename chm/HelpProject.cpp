#include "HelpProject.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "TextCodec.h"
#include "base/Text.h"

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsYes(const std::string& value) {
    return AsciiLower(Trim(value)) == "yes";
}

bool ParseNumber(const std::string& text, uint32_t& value) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return false;
    char* end = nullptr;
    value = static_cast<uint32_t>(std::strtoul(trimmed.c_str(), &end, 0));
    return end != trimmed.c_str();
}

std::string Unquote(const std::string& text) {
    std::string trimmed = Trim(text);
    if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"')
        return trimmed.substr(1, trimmed.size() - 2);
    return trimmed;
}

std::vector<std::string> SplitFields(const std::string& value) {
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    bool inBrackets = false;
    for (char c : value) {
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c == '[') {
            inBrackets = true;
        } else if (!inQuotes && c == ']') {
            inBrackets = false;
        } else if (!inQuotes && !inBrackets && c == ',') {
            fields.emplace_back();
            continue;
        }
        fields.back() += c;
    }
    return fields;
}

void ApplyOption(HelpProject& project, const std::string& key, const std::string& value, bool& languageGiven) {
    const std::string name = AsciiLower(key);
    if (name == "compiled file") {
        project.compiledFile = value;
    } else if (name == "contents file") {
        project.contentsFile = value;
    } else if (name == "index file") {
        project.indexFile = value;
    } else if (name == "default topic") {
        project.defaultTopic = value;
    } else if (name == "default window") {
        project.defaultWindow = value;
    } else if (name == "title") {
        project.title = value;
    } else if (name == "default font") {
        project.defaultFont = value;
    } else if (name == "error log file") {
        project.errorLogFile = value;
    } else if (name == "language") {
        uint32_t lcid = 0;
        if (ParseNumber(value.substr(0, value.find(' ')), lcid) && lcid != 0) {
            project.lcid = lcid;
            project.codePage = CodePageForLcid(lcid);
            languageGiven = true;
        } else {
            project.warnings.push_back("unknown language \"" + LineExcerpt(value) + "\", using 0x409");
        }
    } else if (name == "full text search stop list file") {
        project.stopListFile = value;
    } else if (name == "full-text search" || name == "full text search") {
        project.fullTextSearch = IsYes(value);
    } else if (name == "binary toc") {
        project.binaryToc = IsYes(value);
        if (project.binaryToc)
            project.warnings.push_back("Binary TOC is not built; viewers show the contents file itself");
    } else if (name == "binary index") {
        project.binaryIndex = IsYes(value);
    } else if (name == "auto index") {
        project.autoIndex = IsYes(value);
        if (project.autoIndex)
            project.warnings.push_back("Auto Index: keywords inside pages are not collected; the index file's are");
    }
    // Other keys (compatibility, progress display, decompilation) do not change the output.
}

} // namespace

std::string LineExcerpt(const std::string& line) {
    constexpr size_t kShownBytes = 80;
    return line.size() <= kShownBytes ? line : line.substr(0, kShownBytes) + "...";
}

bool ParseWindowDefinition(const std::string& name, const std::string& value, WindowDefinition& window) {
    const std::vector<std::string> fields = SplitFields(value);
    if (fields.size() > 20)
        return false;
    auto field = [&](size_t index) { return index < fields.size() ? fields[index] : std::string(); };
    window.name = name;
    window.caption = Unquote(field(0));
    window.contentsFile = Unquote(field(1));
    window.indexFile = Unquote(field(2));
    window.defaultTopic = Unquote(field(3));
    window.homeTopic = Unquote(field(4));
    window.jump1Text = Unquote(field(5));
    window.jump1Url = Unquote(field(6));
    window.jump2Text = Unquote(field(7));
    window.jump2Url = Unquote(field(8));
    window.hasNavigationStyle = ParseNumber(field(9), window.navigationStyle);
    window.hasNavigationWidth = ParseNumber(field(10), window.navigationWidth);
    window.hasButtons = ParseNumber(field(11), window.buttons);
    const std::string rect = Trim(field(12));
    if (!rect.empty()) {
        if (rect.front() != '[' || rect.back() != ']')
            return false;
        const std::vector<std::string> corners = SplitFields(rect.substr(1, rect.size() - 2));
        if (corners.size() != 4)
            return false;
        for (int i = 0; i < 4; ++i)
            window.rect[i] = static_cast<int32_t>(std::strtol(Trim(corners[i]).c_str(), nullptr, 0));
        window.hasRect = true;
    }
    window.hasWindowStyle = ParseNumber(field(13), window.windowStyle);
    window.hasExtendedStyle = ParseNumber(field(14), window.extendedStyle);
    window.hasShowState = ParseNumber(field(15), window.showState);
    ParseNumber(field(16), window.navigationClosed);
    ParseNumber(field(17), window.defaultTab);
    ParseNumber(field(18), window.navigationPosition);
    ParseNumber(field(19), window.notifyId);
    return true;
}

namespace {

// One line of [MAP] ("#define NAME NUMBER", also "NAME NUMBER") or [ALIAS] ("NAME=FILE"); includes are kept
// for the compiler, which reads them from the project folder. Other lines are reported and skipped.
void ApplyContextLine(HelpProject& project, bool isMap, const std::string& line) {
    if (line.rfind("#include", 0) == 0) {
        std::string file = Trim(line.substr(8));
        if (file.size() >= 2 && (file.front() == '"' || file.front() == '<'))
            file = file.substr(1, file.size() - 2);
        project.contextIncludes.push_back({file, isMap});
        return;
    }
    if (isMap) {
        std::istringstream words(line.rfind("#define", 0) == 0 ? line.substr(7) : line);
        std::string name;
        std::string number;
        words >> name >> number;
        char* end = nullptr;
        const unsigned long value = std::strtoul(number.c_str(), &end, 0);
        if (!name.empty() && !number.empty() && *end == '\0' && value <= 0xFFFFFFFFul) {
            project.contextNumbers.push_back({name, static_cast<uint32_t>(value)});
            return;
        }
    } else if (const size_t equals = line.find('='); equals != std::string::npos) {
        project.contextAliases.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
        return;
    }
    project.warnings.push_back(std::string(isMap ? "[MAP]" : "[ALIAS]") + " line ignored: " + LineExcerpt(line));
}

// Paths are separated by "/" from here on. Only once the code page is known: in a double-byte code page the trail
// byte of a character may be 0x5C, which is no separator.
void SlashSeparate(HelpProject& project, size_t includesFrom, size_t aliasesFrom) {
    for (size_t i = includesFrom; i < project.contextIncludes.size(); ++i)
        project.contextIncludes[i].file = BackslashesToSlashes(project.codePage, project.contextIncludes[i].file);
    for (size_t i = aliasesFrom; i < project.contextAliases.size(); ++i)
        project.contextAliases[i].file = BackslashesToSlashes(project.codePage, project.contextAliases[i].file);
}

} // namespace

void ParseContextFile(const std::string& bytes, bool isMap, HelpProject& project) {
    const size_t includesBefore = project.contextIncludes.size();
    const size_t aliasesBefore = project.contextAliases.size();
    size_t lineNumber = 0;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        ++lineNumber;
        const size_t length = end - start;
        const size_t lineStart = start;
        start = end + 1;
        if (length > kMaxProjectLineLength) {
            project.warnings.push_back("line " + std::to_string(lineNumber) + " is longer than " +
                                       std::to_string(kMaxProjectLineLength) +
                                       " bytes and is ignored: " + LineExcerpt(bytes.substr(lineStart, 81)));
            continue;
        }
        const std::string line = Trim(bytes.substr(lineStart, length));
        // C and C++ comments are common in header files shared with the program's source.
        if (line.empty() || line[0] == ';' || line.rfind("//", 0) == 0 || line.rfind("/*", 0) == 0)
            continue;
        ApplyContextLine(project, isMap, line);
    }
    SlashSeparate(project, includesBefore, aliasesBefore);
}

ProjectParseResult ParseHelpProject(const std::string& bytes) {
    ProjectParseResult result;
    HelpProject& project = result.project;
    std::string section;
    bool languageGiven = false;
    size_t lineNumber = 0;
    size_t position = 0;
    while (position < bytes.size()) {
        size_t end = bytes.find('\n', position);
        if (end == std::string::npos)
            end = bytes.size();
        ++lineNumber;
        if (end - position > kMaxProjectLineLength) {
            result.status =
                Failure(StatusCode::TooLarge, "project line " + std::to_string(lineNumber) + " is longer than " +
                                                  std::to_string(kMaxProjectLineLength) + " bytes");
            return result;
        }
        const std::string line = Trim(bytes.substr(position, end - position));
        position = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = AsciiLower(line.substr(1, line.size() - 2));
            if (section != "options" && section != "windows" && section != "files" && section != "map" &&
                section != "alias")
                project.warnings.push_back("section [" + LineExcerpt(line.substr(1, line.size() - 2)) +
                                           "] is not used");
            continue;
        }
        const size_t equals = line.find('=');
        if (section == "options" && equals != std::string::npos) {
            ApplyOption(project, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), languageGiven);
        } else if (section == "windows" && equals != std::string::npos) {
            WindowDefinition window;
            if (!ParseWindowDefinition(Trim(line.substr(0, equals)), line.substr(equals + 1), window)) {
                result.status = Failure(StatusCode::Damaged,
                                        "project line " + std::to_string(lineNumber) + ": malformed window definition");
                return result;
            }
            project.windows.push_back(window);
        } else if (section == "files") {
            project.files.push_back(line);
        } else if (section == "map" || section == "alias") {
            ApplyContextLine(project, section == "map", line);
        } else if (section == "options" || section == "windows") {
            project.warnings.push_back("project line " + std::to_string(lineNumber) + " ignored: " + LineExcerpt(line));
        }
    }
    if (!languageGiven) {
        // A font charset is the next best hint of the text's code page.
        const size_t lastComma = project.defaultFont.rfind(',');
        if (lastComma != std::string::npos) {
            const uint32_t codePage = CodePageForCharset(std::atoi(project.defaultFont.c_str() + lastComma + 1));
            if (codePage != 0)
                project.codePage = codePage;
        }
    }
    // Texts the viewer shows may hold character references; the code page is known only now.
    project.title = DecodeReferencesForDisplay(project.codePage, project.title);
    for (WindowDefinition& window : project.windows) {
        window.caption = DecodeReferencesForDisplay(project.codePage, window.caption);
    }
    for (std::string& file : project.files)
        file = BackslashesToSlashes(project.codePage, file);
    SlashSeparate(project, 0, 0);
    return result;
}
