// Help IDs: the numbering, the header the application keeps, and the converter's steps that find the bookmarks,
// check their anchors on the saved pages and write the header the application includes.

#include "engine/HelpIds.h"

#include "engine/ChmConverter.h"
#include "engine/PageDecoration.h"

#include "automation/CodePage.h"
#include "base/CodePageText.h"
#include "base/NativeFile.h"
#include "base/SameFile.h"
#include "base/Utf8Path.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kLargestNumber = std::numeric_limits<std::uint32_t>::max();
constexpr std::uintmax_t kLargestHeaderBytes = 16u << 20;

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

// Comments become spaces and line breaks stay, so line numbers still count; quoted text is left alone, so a "/*"
// inside a string does not swallow the lines after it.
std::string WithoutComments(const std::string& text) {
    std::string out = text;
    char quote = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (quote) {
            if (out[i] == '\\')
                ++i;
            else if (out[i] == quote || out[i] == '\n')
                quote = 0;
        } else if (out[i] == '"' || out[i] == '\'') {
            quote = out[i];
        } else if (out.compare(i, 2, "//") == 0) {
            for (; i < out.size() && out[i] != '\n'; ++i)
                out[i] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            const std::size_t close = out.find("*/", i + 2);
            const std::size_t end = close == std::string::npos ? out.size() : close + 2;
            for (; i < end; ++i)
                if (out[i] != '\n')
                    out[i] = ' ';
            --i;
        }
    }
    return out;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\f\v");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\f\v") - first + 1);
}

// A C integer constant: decimal, 0x hexadecimal or 0 octal, with any u/l suffix and enclosing parentheses.
// Values above kLargestNumber come back as kLargestNumber + 1.
std::optional<std::uint64_t> ParseNumber(std::string text) {
    text = Trim(text);
    while (text.size() >= 2 && text.front() == '(' && text.back() == ')')
        text = Trim(text.substr(1, text.size() - 2));
    while (!text.empty() && std::strchr("uUlL", text.back()))
        text.pop_back();
    int base = 10;
    std::size_t at = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        at = 2;
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        at = 1;
    }
    if (at >= text.size())
        return text == "0" ? std::optional<std::uint64_t>(0) : std::nullopt;
    std::uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        int digit = 0;
        if (IsAsciiDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        if (digit >= base)
            return std::nullopt;
        value = std::min(value * base + digit, kLargestNumber + 1);
    }
    return value;
}

std::string PageName(int32_t page) {
    return std::to_string(page) + ".html";
}

// Whether the saved page carries the anchor: name="X" (or id="X"), quoted or not, as HTML writers put it.
bool PageHasAnchor(const std::string& html, const std::string& anchor) {
    for (const char* attribute : {"name=", "id=", "NAME=", "ID="}) {
        for (const char* quote : {"\"", "'", ""}) {
            const std::string wanted = attribute + (quote + anchor + quote);
            for (std::size_t at = html.find(wanted); at != std::string::npos; at = html.find(wanted, at + 1)) {
                // Unquoted, the value ends at a space or the tag's end, not inside a longer name.
                const std::size_t after = at + wanted.size();
                if (*quote || after >= html.size() || std::strchr(" \t\r\n/>", html[after]))
                    return true;
            }
        }
    }
    return false;
}

bool ReadSmallFile(const fs::path& path, std::string& bytes) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error || size > kLargestHeaderBytes)
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The file is written beside its place and renamed over it, so a failed write leaves an earlier header as it was.
bool ReplaceFile(const fs::path& path, const std::string& bytes, std::string& reason) {
    std::string temporary =
        Utf8FromPath(path.parent_path() / PathFromUtf8("." + Utf8FromPath(path.filename()) + ".XXXXXX"));
    const int fd = CreateUniqueFile(temporary);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    // Readable by others as any header the user writes, not private as a temporary file starts.
    std::error_code permissions;
    fs::permissions(PathFromUtf8(temporary),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                    permissions);
    bool ok = !permissions && WriteToFile(fd, bytes.data(), bytes.size());
    if (!ok)
        reason = permissions ? permissions.message() : std::strerror(errno);
    if (!CloseFile(fd) && ok) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (ok && !RenameReplacing(temporary, Utf8FromPath(path))) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        std::error_code ignored;
        fs::remove(PathFromUtf8(temporary), ignored);
    }
    return ok;
}

fs::path Absolute(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

} // namespace

HelpIdError::HelpIdError(std::vector<std::string> problems)
    : std::runtime_error(JoinLines(problems)), problems_(std::move(problems)) {}

bool IsHelpIdName(const std::string& name) {
    return name.size() >= 4 && UpperAscii(name.substr(0, 4)) == "IDH_";
}

bool IsCIdentifier(const std::string& name) {
    if (name.empty() || IsAsciiDigit(name[0]))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_'; });
}

std::vector<HeaderId> ParseMapHeader(const std::string& text, const std::string& fileName) {
    std::vector<HeaderId> ids;
    std::vector<std::string> errors;
    std::map<std::string, std::size_t> byName; // upper-case name to index in ids
    std::map<std::uint32_t, std::size_t> byNumber;
    std::vector<int> lineOf;
    std::istringstream lines(WithoutComments(text));
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        std::string rest = Trim(line);
        if (rest.empty() || rest[0] != '#')
            continue;
        rest = Trim(rest.substr(1));
        if (rest.compare(0, 6, "define") != 0 || rest.size() == 6 || !std::isspace(static_cast<unsigned char>(rest[6])))
            continue;
        rest = Trim(rest.substr(6));
        const std::size_t nameEnd = rest.find_first_of(" \t(");
        const std::string name = rest.substr(0, nameEnd);
        if (!IsHelpIdName(name))
            continue;
        const std::string where = fileName + ":" + std::to_string(lineNumber) + ": ";
        if (!IsCIdentifier(name) || (nameEnd != std::string::npos && rest[nameEnd] == '(')) {
            errors.push_back(where + name + " is not a valid C identifier");
            continue;
        }
        const std::string valueText = nameEnd == std::string::npos ? std::string() : Trim(rest.substr(nameEnd));
        const bool negative = !valueText.empty() && valueText[0] == '-';
        const auto value = ParseNumber(negative ? valueText.substr(1) : valueText);
        if (!value) {
            errors.push_back(where + name + " is defined as \"" + valueText + "\", which is not a number");
            continue;
        }
        if (*value > kLargestNumber || (negative && *value != 0)) {
            errors.push_back(where + name + " = " + valueText + " is out of range (0 to 4294967295)");
            continue;
        }
        const auto number = static_cast<std::uint32_t>(*value);
        if (const auto twin = byName.find(UpperAscii(name)); twin != byName.end()) {
            errors.push_back(where + name + " is defined again (first as " + ids[twin->second].name + " on line " +
                             std::to_string(lineOf[twin->second]) + ")");
            continue;
        }
        if (const auto twin = byNumber.find(number); twin != byNumber.end()) {
            errors.push_back(where + name + " has the number " + std::to_string(number) + ", as " +
                             ids[twin->second].name + " on line " + std::to_string(lineOf[twin->second]) + " does");
            continue;
        }
        byName.emplace(UpperAscii(name), ids.size());
        byNumber.emplace(number, ids.size());
        ids.push_back({name, number});
        lineOf.push_back(lineNumber);
    }
    if (!errors.empty())
        throw HelpIdError(errors);
    return ids;
}

std::vector<HelpId> AssignHelpIds(const std::vector<HelpIdBookmark>& bookmarks,
                                  const std::optional<std::vector<HeaderId>>& header, const std::string& headerName,
                                  std::uint32_t firstNumber, std::vector<std::string>& warnings) {
    std::vector<std::string> errors;
    std::map<std::string, std::string> spellingOf;
    std::vector<const HelpIdBookmark*> inTopics;
    for (const HelpIdBookmark& bookmark : bookmarks) {
        if (!IsCIdentifier(bookmark.name)) {
            errors.push_back("the bookmark " + bookmark.name +
                             " cannot be a help ID: it is not a valid C identifier (letters A-Z, digits and _)");
            continue;
        }
        const auto [seen, added] = spellingOf.emplace(UpperAscii(bookmark.name), bookmark.name);
        if (!added) {
            errors.push_back("the bookmarks " + seen->second + " and " + bookmark.name +
                             " are the same help ID: IDs are matched in any case");
            continue;
        }
        if (bookmark.page < 0) {
            warnings.push_back("The bookmark " + bookmark.name +
                               " lies before the first heading, in no topic: no help ID was made for it.");
            continue;
        }
        inTopics.push_back(&bookmark);
    }
    if (!header && !inTopics.empty() && inTopics.size() - 1 > kLargestNumber - firstNumber)
        errors.push_back("numbering from " + std::to_string(firstNumber) + " leaves no room for " +
                         std::to_string(inTopics.size()) + " help IDs");
    if (!errors.empty())
        throw HelpIdError(errors);

    std::vector<HelpId> ids;
    if (!header) {
        std::uint32_t number = firstNumber;
        for (const HelpIdBookmark* bookmark : inTopics)
            ids.push_back({bookmark->name, number++, bookmark->name, bookmark->page, bookmark->atTopicStart});
        return ids;
    }
    std::map<std::string, std::size_t> indexOf;
    for (const HeaderId& entry : *header) {
        indexOf.emplace(UpperAscii(entry.name), ids.size());
        ids.push_back({entry.name, entry.number, {}, -1, false});
    }
    for (const HelpIdBookmark* bookmark : inTopics) {
        const auto found = indexOf.find(UpperAscii(bookmark->name));
        if (found == indexOf.end()) {
            warnings.push_back("The bookmark " + bookmark->name + " has no number in " + headerName +
                               ": no help ID was made for it.");
            continue;
        }
        HelpId& id = ids[found->second];
        id.anchor = bookmark->name;
        id.page = bookmark->page;
        id.pageTop = bookmark->atTopicStart;
    }
    for (const HelpId& id : ids)
        if (id.page < 0 && !spellingOf.contains(UpperAscii(id.name)))
            warnings.push_back("The help ID " + id.name + " (" + std::to_string(id.number) + ") in " + headerName +
                               " has no bookmark in the document: it opens no topic.");
    return ids;
}

std::string HelpIdTarget(const HelpId& id) {
    return PageName(id.page) + (id.pageTop ? "" : "#" + id.anchor);
}

std::string MapHeaderText(const std::vector<HelpId>& ids) {
    std::string text = "// Help IDs: the number an application passes to the help viewer to open a topic.\n"
                       "// Written by Leafbind from the document's IDH_ bookmarks.\n"
                       "#pragma once\n\n";
    for (const HelpId& id : ids)
        text += "#define " + id.name + " " + std::to_string(id.number) +
                (id.page < 0 ? " // no topic in the document\n" : "\n");
    return text;
}

void ChmConverter::CollectHelpIds(const std::string& compiledPath) {
    helpIds.clear();
    std::optional<std::vector<HeaderId>> header;
    std::string headerName;
    std::optional<fs::path> headerPath;
    if (!helpIdSettings.mapHeader.empty()) {
        headerPath = NarrowToPath(helpIdSettings.mapHeader);
        headerName = headerPath ? Utf8FromPath(headerPath->filename()) : helpIdSettings.mapHeader;
        std::string text;
        std::error_code error;
        if (headerPath && fs::file_size(*headerPath, error) > kLargestHeaderBytes && !error)
            throw HelpIdError("the map header " + helpIdSettings.mapHeader + " is larger than " +
                              std::to_string(kLargestHeaderBytes >> 20) + " MB; a header of help IDs is far smaller");
        if (!headerPath || !ReadSmallFile(*headerPath, text))
            throw HelpIdError("cannot read the map header " + helpIdSettings.mapHeader + ": " +
                              (!headerPath || !fs::exists(*headerPath, error) ? "no such file"
                               : !fs::is_regular_file(*headerPath, error)     ? "not a file"
                                                                              : "not readable"));
        header = ParseMapHeader(text, headerName);
    }
    if (!helpIdSettings.writeMapHeader.empty()) {
        const auto target = NarrowToPath(helpIdSettings.writeMapHeader);
        std::error_code error;
        const auto source = NarrowToPath(sourcePath);
        const auto compiled = NarrowToPath(compiledPath);
        if (!target || fs::is_directory(*target, error))
            throw HelpIdError("the header to write is not a file name: " + helpIdSettings.writeMapHeader);
        if (!fs::is_directory(Absolute(*target).parent_path(), error))
            throw HelpIdError("the folder of the header to write does not exist: " + helpIdSettings.writeMapHeader);
        // Writing over the header read would lose every other line the application keeps in it.
        if ((headerPath && SameFile(*target, *headerPath)) || (source && SameFile(*target, *source)) ||
            (compiled && SameFile(*target, *compiled)))
            throw HelpIdError("the header to write would replace an input or the help file: " +
                              helpIdSettings.writeMapHeader);
    }

    std::vector<TopicNode*> topics;
    CollectPreOrder(root->firstChild, topics);
    std::vector<std::pair<int32_t, HelpIdBookmark>> found;
    ForEachBookmark(document, [&](WordBookmark& bookmark) {
        std::string name = bookmark.Name();
        if (!IsHelpIdName(name))
            return true;
        WordRange range = bookmark.Range();
        if (range.empty())
            return true;
        const int32_t start = range.Start();
        HelpIdBookmark entry{std::move(name), -1, false};
        if (!topics.empty() && start >= topics.front()->paragraph.Range().Start()) {
            entry.page = PageIndexOfPosition(topics, range);
            WordRange heading = topics[entry.page]->paragraph.Range();
            entry.atTopicStart = start < heading.End();
        }
        found.emplace_back(start, std::move(entry));
        return true;
    });
    // The collection need not list bookmarks in document order; numbers follow the document.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HelpIdBookmark> bookmarks;
    for (auto& [start, entry] : found)
        bookmarks.push_back(std::move(entry));
    helpIds = AssignHelpIds(bookmarks, header, headerName, helpIdSettings.firstNumber, warnings);
}

void ChmConverter::CheckHelpIdAnchors() {
    for (HelpId& id : helpIds) {
        if (id.page < 0 || id.pageTop)
            continue;
        std::string html;
        const auto path = NarrowToPath(workFolder + "/" + PageName(id.page));
        // The page holds the name in the help file's code page, a reference for a letter beyond it.
        const std::string anchor = Utf8ToCodePageWithReferences(language.codePage, HeldBy::PageCharset, id.anchor);
        if (path && ReadSmallFile(*path, html) && PageHasAnchor(html, anchor))
            continue;
        // A bookmark that runs on past its topic is not copied onto the page; the page itself is still right.
        id.pageTop = true;
        warnings.push_back("The bookmark " + id.anchor + " is not on its page " + PageName(id.page) +
                           " (it reaches past its topic): help ID " + id.name + " opens the top of the page.");
    }
}

void ChmConverter::WriteMapHeader() {
    if (helpIdSettings.writeMapHeader.empty())
        return;
    const auto path = NarrowToPath(helpIdSettings.writeMapHeader);
    std::string reason = "not a usable path";
    if (!path || !ReplaceFile(*path, MapHeaderText(helpIds), reason))
        throw HelpIdError("cannot write the map header " + helpIdSettings.writeMapHeader + ": " + reason);
}
