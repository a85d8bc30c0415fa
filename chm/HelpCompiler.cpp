#include "HelpCompiler.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChmContainer.h"
#include "CompressedData.h"
#include "FullTextIndex.h"
#include "HelpProject.h"
#include "KeywordIndex.h"
#include "PageReader.h"
#include "PageText.h"
#include "Sitemap.h"
#include "StringTable.h"
#include "SystemFiles.h"
#include "TextCodec.h"
#include "TopicTables.h"
#include "WordBreaker.h"
#include "base/Text.h"

namespace {

namespace fs = std::filesystem;

// Plain system calls: a project lists thousands of small pages, and a stream per file cost more than reading.
bool ReadWholeFile(const fs::path& path, std::string& bytes) {
    // Non-blocking, so a pipe named as a page is refused instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (ok) {
        bytes.resize(static_cast<size_t>(status.st_size));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ok = got > 0;
            done += ok ? static_cast<size_t>(got) : 0;
        }
    }
    ::close(fd);
    return ok;
}

// A project-relative path with "/" separators, or nothing when it is absolute or climbs out of the folder.
std::optional<std::string> NormalizeRelative(const std::string& path) {
    if (path.empty() || path[0] == '/' || (path.size() > 1 && path[1] == ':'))
        return std::nullopt;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty())
        return std::nullopt;
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

// A sitemap or link target reduced to an internal name, or empty when it points outside the help file.
std::string LocalTarget(std::string target, const std::string& baseFolder) {
    const size_t cut = target.find_first_of("#?");
    if (cut != std::string::npos)
        target.erase(cut);
    std::replace(target.begin(), target.end(), '\\', '/');
    const size_t storage = target.find("::/");
    if (storage != std::string::npos)
        target = target.substr(storage + 3);
    else if (target.find(':') != std::string::npos)
        return {}; // http:, mailto:, javascript: and the like
    if (target.empty())
        return {};
    if (target[0] == '/')
        target.erase(0, 1);
    else if (!baseFolder.empty())
        target = baseFolder + "/" + target;
    return NormalizeRelative(target).value_or(std::string());
}

bool IsPage(const std::string& name) {
    const std::string lower = AsciiLower(name);
    return lower.ends_with(".htm") || lower.ends_with(".html");
}

constexpr size_t kNotRead = static_cast<size_t>(-1);
// Header files may include others; a cycle must end somewhere.
constexpr size_t kMaxContextIncludes = 64;

struct SourceFile {
    std::string internalName; // UTF-8, no leading "/"
    std::string projectName;  // as listed, code page
    std::string bytes;
};

class Compilation {
public:
    Compilation(const CompileCallbacks& callbacks, const CompileOptions& options)
        : callbacks_(callbacks), options_(options) {}

    bool Run(const std::string& projectPathText) {
        const bool ok = Compile(projectPathText);
        WriteErrorLog();
        return ok;
    }

private:
    void Error(const std::string& text) { Say("error: " + text); }
    void Warning(const std::string& text) { Say("warning: " + text); }
    void Say(const std::string& text) {
        log_.push_back(text);
        if (callbacks_.message)
            callbacks_.message(text);
    }

    // Names in the project are code-page bytes; on disk they are UTF-8.
    std::optional<std::string> ToUtf8(const std::string& text) {
        if (text.empty())
            return std::string();
        std::optional<std::string> converted = NameToUtf8(project_.codePage, text);
        if (!converted)
            Error("\"" + text + "\" is not valid text in code page " + std::to_string(project_.codePage));
        return converted;
    }

    bool Compile(const std::string& projectPathText) {
        const fs::path projectPath = projectPathText;
        std::string projectBytes;
        if (!ReadWholeFile(projectPath, projectBytes)) { // refuses folders and other non-files too
            Error("cannot read the project file " + projectPath.string());
            return false;
        }
        ProjectParseResult parsed = ParseHelpProject(projectBytes);
        if (!parsed.status.ok()) {
            Error(projectPath.filename().string() + ": " + parsed.status.message);
            return false;
        }
        project_ = std::move(parsed.project);
        for (const std::string& warning : project_.warnings)
            Warning(warning);
        if (!CanReadCodePage(project_.codePage)) {
            char lcid[16];
            std::snprintf(lcid, sizeof lcid, "0x%x", static_cast<unsigned>(project_.lcid));
            Error(projectPath.filename().string() + ": the project's language " + lcid + " is in code page " +
                  std::to_string(project_.codePage) + ", which this compiler cannot read; nothing was compiled");
            return false;
        }
        folder_ = projectPath.parent_path();
        logPath_.clear();
        if (!project_.errorLogFile.empty()) {
            if (const auto name = ToUtf8(project_.errorLogFile)) {
                std::string path = *name;
                std::replace(path.begin(), path.end(), '\\', '/');
                if (const auto relative = NormalizeRelative(path))
                    logPath_ = folder_ / *relative;
            }
        }
        if (IsLogFile(projectPath)) {
            Error("the error log file is the project file itself: " + projectPath.string());
            logPath_.clear();
            return false;
        }
        if (!ResolveOutputPath(projectPath))
            return false;
        ContainerSettings settings;
        settings.lcid = project_.lcid;
        settings.timestamp = timestamp_;
        settings.lzx = options_.lzx;
        // Pictures wait for the help file beside it: the output folder is ours to write in.
        settings.spoolFolder = OutputFolder().string();
        containerStorage_.emplace(settings);
        if (!CollectFiles() || !ReadContextIncludes())
            return false;
        // A help file with nothing to show is a failure, not an empty success (a stray file named .hhp, say).
        const bool hasPage = std::any_of(sources_.begin(), sources_.end(),
                                         [](const SourceFile& file) { return IsPage(file.internalName); });
        if (!hasPage && project_.contentsFile.empty() && project_.defaultTopic.empty()) {
            Error("the project names no page, no contents file and no default topic: there is nothing to compile");
            return false;
        }
        Sitemap contents;
        Sitemap index;
        if (!ReadSitemap(project_.contentsFile, contents) || !ReadSitemap(project_.indexFile, index))
            return false;
        CheckLinks(contents, index);
        return BuildHelpFile(contents, index) && WriteOutput();
    }

    // The log is written whatever happens, so it may never take the place of a file the project reads.
    bool IsLogFile(const fs::path& path) const {
        if (logPath_.empty())
            return false;
        std::error_code code;
        return path.lexically_normal() == logPath_.lexically_normal() || fs::equivalent(path, logPath_, code);
    }

    bool ReadInput(const fs::path& path, std::string& bytes) {
        if (IsLogFile(path)) {
            Error("the error log file is a file the project reads: " + path.string());
            logPath_.clear();
            return false;
        }
        return ReadWholeFile(path, bytes);
    }

    bool ResolveOutputPath(const fs::path& projectPath) {
        std::string compiled = project_.compiledFile;
        if (compiled.empty()) {
            outputPath_ = folder_ / projectPath.stem();
            outputPath_ += ".chm";
        } else {
            const auto name = ToUtf8(compiled);
            if (!name)
                return false;
            std::string path = *name;
            std::replace(path.begin(), path.end(), '\\', '/');
            outputPath_ = fs::path(path).is_absolute() ? fs::path(path) : folder_ / path;
        }
        std::error_code code;
        const fs::path outputFolder = OutputFolder();
        if (!fs::is_directory(outputFolder, code)) {
            Error("the output folder does not exist: " + outputFolder.string());
            return false;
        }
        if (fs::is_directory(outputPath_, code)) {
            Error("the output path is a folder: " + outputPath_.string());
            return false;
        }
        return true;
    }

    fs::path OutputFolder() const {
        return outputPath_.parent_path().empty() ? fs::path(".") : outputPath_.parent_path();
    }

    // Pages are read again for their text and links, and the sitemaps for their entries; nothing else is.
    bool NeededAfterStoring(const std::string& internalName) {
        if (IsPage(internalName))
            return true;
        for (const std::string* listed : {&project_.contentsFile, &project_.indexFile}) {
            std::string path = NameToUtf8(project_.codePage, *listed).value_or(*listed);
            std::replace(path.begin(), path.end(), '\\', '/');
            if (!listed->empty() && AsciiLower(NormalizeRelative(path).value_or(path)) == AsciiLower(internalName))
                return true;
        }
        return false;
    }

    bool AddSource(const std::string& listedName, bool fromFilesSection) {
        const auto utf8 = ToUtf8(listedName);
        if (!utf8)
            return false;
        std::string path = *utf8;
        std::replace(path.begin(), path.end(), '\\', '/');
        const std::optional<std::string> relative = NormalizeRelative(path);
        if (!relative) {
            Error("refused: \"" + *utf8 + "\" is not a path inside the project folder");
            return false;
        }
        if (relative->size() + 1 > kMaxInternalNameLength) {
            Error("file name too long: " + relative->substr(0, 80) + "...");
            return false;
        }
        const std::string key = AsciiLower(*relative);
        if (indexOfName_.count(key) != 0)
            return true;
        SourceFile file{*relative, listedName, {}};
        const fs::path diskPath = folder_ / *relative;
        if (!ReadInput(diskPath, file.bytes)) {
            Error(std::string(fromFilesSection ? "a file listed in the project" : "a file named in the options") +
                  " is missing or unreadable: " + *relative);
            return false;
        }
        if (callbacks_.progress)
            callbacks_.progress(*relative);
        // Into the compressed section at once, so its intervals are compressed while the rest is read; pictures
        // and other data that LZX cannot shrink are stored as they are.
        const bool compress = !IsCompressedAlready(file.bytes);
        if (!containerStorage_->AddFile("/" + file.internalName, file.bytes, compress)) {
            Error(containerStorage_->Error());
            return false;
        }
        if (!NeededAfterStoring(file.internalName)) {
            file.bytes.clear();
            file.bytes.shrink_to_fit();
        }
        indexOfName_.emplace(key, sources_.size());
        sources_.push_back(std::move(file));
        return true;
    }

    // Header files named by "#include" in [MAP] or [ALIAS], read like the pages: inside the project folder only.
    bool ReadContextIncludes() {
        for (size_t i = 0; i < project_.contextIncludes.size(); ++i) { // an include may add includes
            const ContextInclude include = project_.contextIncludes[i];
            const auto relative = NormalizeRelative(ToUtf8(include.file).value_or(include.file));
            std::string bytes;
            if (!relative || i >= kMaxContextIncludes || !ReadInput(folder_ / *relative, bytes)) {
                Error("the context file \"" + include.file +
                      "\" named by #include is missing, unreadable or "
                      "outside the project folder");
                return false;
            }
            const size_t warningsBefore = project_.warnings.size();
            ParseContextFile(bytes, include.isMap, project_);
            for (size_t w = warningsBefore; w < project_.warnings.size(); ++w)
                Warning(include.file + ": " + project_.warnings[w]);
        }
        return true;
    }

    // #IVB: every mapped number that has an alias, with the alias's page (and anchor) as a #STRINGS offset; the
    // viewer opens that page when a program asks for the number.
    Bytes BuildContextMap(StringTable& strings) {
        std::map<std::string, std::string> pageOf;
        for (const ContextAlias& alias : project_.contextAliases)
            pageOf.emplace(alias.name, alias.file);
        ByteBuffer pairs;
        std::set<std::string> seen;
        for (const ContextNumber& number : project_.contextNumbers) {
            if (!seen.insert(number.name).second)
                continue;
            const auto page = pageOf.find(number.name);
            if (page == pageOf.end()) {
                Warning("context ID " + number.name + " has no [ALIAS] entry; left out");
                continue;
            }
            // An alias may point into its page ("3.html#IDH_PRINT"); the viewer opens the string as a URL.
            const size_t hash = page->second.find('#');
            const std::string internal = InternalNameOf(page->second.substr(0, hash));
            if (internal.empty()) {
                Warning("context ID " + number.name + " names " + page->second + ", which is not compiled; left out");
                continue;
            }
            std::string anchor = hash == std::string::npos ? std::string() : page->second.substr(hash);
            anchor = NameToUtf8(project_.codePage, anchor).value_or(anchor);
            pairs.PutU32(number.number);
            pairs.PutU32(strings.Add(internal + anchor));
        }
        if (pairs.Size() == 0)
            return {};
        ByteBuffer ivb;
        ivb.PutU32(static_cast<uint32_t>(pairs.Size()));
        ivb.PutBytes(pairs.Data());
        return ivb.Take();
    }

    bool CollectFiles() {
        bool ok = true;
        for (const std::string& name : project_.files)
            ok = AddSource(name, true) && ok;
        for (const std::string* name : {&project_.contentsFile, &project_.indexFile})
            if (!name->empty())
                ok = AddSource(*name, false) && ok;
        return ok;
    }

    const SourceFile* FindSource(const std::string& internalName) const {
        const auto found = indexOfName_.find(AsciiLower(internalName));
        return found == indexOfName_.end() ? nullptr : &sources_[found->second];
    }

    bool ReadSitemap(const std::string& listedName, Sitemap& sitemap) {
        if (listedName.empty())
            return true;
        std::string path = ToUtf8(listedName).value_or(listedName);
        std::replace(path.begin(), path.end(), '\\', '/');
        const SourceFile* file = FindSource(NormalizeRelative(path).value_or(path));
        if (file == nullptr)
            return false;
        SitemapParseResult parsed = ParseSitemap(file->bytes, project_.codePage);
        if (!parsed.status.ok()) {
            Error(file->internalName + ": malformed sitemap, " + parsed.status.message);
            return false;
        }
        sitemap = std::move(parsed.sitemap);
        return true;
    }

    // Sitemap targets arrive in the code page; internal names are UTF-8.
    std::string SitemapTarget(const std::string& local) {
        const std::string utf8 = NameToUtf8(project_.codePage, local).value_or(local);
        return LocalTarget(utf8, {});
    }

    void CheckSitemapTargets(const std::vector<SitemapEntry>& entries, const std::string& sitemapName) {
        for (const SitemapEntry& entry : entries) {
            for (const auto& [name, local] : entry.targets) {
                const std::string target = SitemapTarget(local);
                if (!target.empty() && FindSource(target) == nullptr)
                    Warning(sitemapName + " names a file that is not in the project: " + target);
            }
            CheckSitemapTargets(entry.children, sitemapName);
        }
    }

    void CheckLinks(const Sitemap& contents, const Sitemap& index) {
        CheckSitemapTargets(contents.entries, "the contents file");
        CheckSitemapTargets(index.entries, "the index file");
        for (const SourceFile& file : sources_) {
            if (!IsPage(file.internalName))
                continue;
            const size_t slash = file.internalName.rfind('/');
            const std::string base = slash == std::string::npos ? std::string() : file.internalName.substr(0, slash);
            std::set<std::string> reported;
            for (const std::string& link : PageLinks(file.bytes, project_.codePage)) {
                const std::string target = LocalTarget(PercentDecoded(link), base);
                if (!target.empty() && FindSource(target) == nullptr && reported.insert(target).second)
                    Warning(file.internalName + " links to a missing file: " + target);
            }
        }
    }

    void CollectContentsTitles(const std::vector<SitemapEntry>& entries) {
        for (const SitemapEntry& entry : entries) {
            ++contentsEntryCount_;
            const std::string target = AsciiLower(SitemapTarget(entry.local));
            if (!target.empty())
                contentsTitles_.emplace(target, entry.name);
            CollectContentsTitles(entry.children);
        }
    }

    void CollectKeywords(const std::vector<SitemapEntry>& entries, const std::map<std::string, uint32_t>& topicOf,
                         std::vector<Keyword>& keywords) {
        for (const SitemapEntry& entry : entries) {
            Keyword keyword;
            keyword.text = entry.keywordText;
            for (const auto& [name, local] : entry.targets) {
                const auto found = topicOf.find(AsciiLower(SitemapTarget(local)));
                if (found != topicOf.end())
                    keyword.topics.push_back(found->second);
            }
            if (!keyword.text.empty() && !keyword.topics.empty())
                keywords.push_back(std::move(keyword));
            CollectKeywords(entry.children, topicOf, keywords);
        }
    }

    // Viewers read the contents and index names from #SYSTEM and #WINDOWS as bytes of their own choosing (one
    // decodes them as Latin-1 and re-encodes them in the locale's charset), so a Chinese name is never found
    // again. A copy under an ASCII name that no decoding can change is what those records point to.
    std::string AsciiAliasOf(const std::string& internalName, const std::string& stem, const std::string& extension) {
        const bool ascii = std::all_of(internalName.begin(), internalName.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (internalName.empty() || ascii)
            return internalName;
        std::string alias = stem + extension;
        for (int n = 1; FindSource(alias) != nullptr; ++n)
            alias = stem + "-" + std::to_string(n) + extension;
        asciiAliases_.emplace(internalName, alias);
        return alias;
    }

    std::string InternalNameOf(const std::string& listedName) {
        std::string path = NameToUtf8(project_.codePage, listedName).value_or(listedName);
        std::replace(path.begin(), path.end(), '\\', '/');
        const SourceFile* file = FindSource(NormalizeRelative(path).value_or(path));
        // Names are written as stored in the directory (UTF-8), so readers find them without converting.
        return file == nullptr ? std::string() : file->internalName;
    }

    // The project's stop list: words in its code page, split as page text is. A list that cannot be read only
    // costs a warning.
    void LeaveOutStopWords(FullTextIndex& search) {
        if (project_.stopListFile.empty())
            return;
        std::string path = NameToUtf8(project_.codePage, project_.stopListFile).value_or(project_.stopListFile);
        std::replace(path.begin(), path.end(), '\\', '/');
        const auto relative = NormalizeRelative(path);
        std::string bytes;
        if (!relative || !ReadInput(folder_ / *relative, bytes)) {
            Warning("cannot read the stop list " + path + "; no words are left out of the search index");
            return;
        }
        const std::u32string text = DecodeUtf8Lenient(CodePageToUtf8(project_.codePage, bytes).value_or(bytes));
        BreakWords(text, [&](std::u32string_view word, uint32_t) {
            // Chinese has no stop words here: leaving out a character would lose every term that holds it.
            if (!IsIdeograph(word.front()))
                search.LeaveOut(word);
        });
    }

    Bytes BuildSearchIndex(std::optional<FullTextIndex>& search) {
        if (!search)
            return {};
        try {
            Bytes bytes = search->Build();
            search.reset();
            return bytes;
        } catch (const std::exception& error) {
            Warning(std::string("the search index could not be built: ") + error.what());
            search.reset();
            return {};
        }
    }

    bool BuildHelpFile(const Sitemap& contents, const Sitemap& index) {
        ChmContainer& container = *containerStorage_;
        StringTable strings;
        CollectContentsTitles(contents.entries);
        std::vector<Topic> topics;
        std::map<std::string, uint32_t> topicOf;
        std::optional<FullTextIndex> search;
        if (project_.fullTextSearch) {
            search.emplace(project_.codePage, project_.lcid);
            LeaveOutStopWords(*search);
        }
        std::vector<const SourceFile*> pageFiles;
        std::vector<PageToRead> pages;
        // Without search, only pages the contents do not name are read, for their titles.
        std::vector<size_t> readingOf;
        for (const SourceFile& file : sources_) {
            if (IsPage(file.internalName)) {
                pageFiles.push_back(&file);
                const bool needsText = search || !contentsTitles_.contains(AsciiLower(file.internalName));
                readingOf.push_back(needsText ? pages.size() : kNotRead);
                if (needsText)
                    pages.push_back({file.internalName, file.bytes});
            }
        }
        const std::vector<PageReading> readings = ReadPages(pages, project_.codePage, search ? &*search : nullptr);
        for (size_t topic = 0; topic < pageFiles.size(); ++topic) {
            const SourceFile& file = *pageFiles[topic];
            const PageReading noReading;
            const PageReading& reading = readingOf[topic] == kNotRead ? noReading : readings[readingOf[topic]];
            for (const std::string& warning : reading.warnings)
                Warning(warning);
            const std::string key = AsciiLower(file.internalName);
            const auto titled = contentsTitles_.find(key);
            // Titles are stored as a viewer reading the code page shows them.
            std::string title =
                titled != contentsTitles_.end() ? titled->second : CodePageBytes(project_.codePage, reading.title);
            if (title.empty())
                title = CodePageBytes(project_.codePage, DecodeUtf8Lenient(file.internalName));
            topicOf.emplace(key, static_cast<uint32_t>(topic));
            topics.push_back(Topic{title, file.internalName, titled != contentsTitles_.end()});
        }
        Bytes searchIndex = BuildSearchIndex(search);

        SystemInfo info;
        info.lcid = project_.lcid;
        info.title = project_.title;
        info.defaultFont = project_.defaultFont;
        info.defaultWindow = project_.defaultWindow;
        info.fullTextSearch = !searchIndex.empty();
        info.contentsFile = AsciiAliasOf(InternalNameOf(project_.contentsFile), "contents", ".hhc");
        info.indexFile = AsciiAliasOf(InternalNameOf(project_.indexFile), "index", ".hhk");
        info.defaultTopic = InternalNameOf(project_.defaultTopic);
        if (info.defaultTopic.empty() && !topics.empty())
            info.defaultTopic = topics.front().local;
        info.compiledStem = AsciiLower(outputPath_.stem().string());
        info.timestamp = timestamp_;
        info.contentsEntryCount = contentsEntryCount_;

        std::vector<Keyword> keywords;
        CollectKeywords(index.entries, topicOf, keywords);
        keywords = SortAndMergeKeywords(std::move(keywords));
        info.hasKeywordIndex = project_.binaryIndex && !keywords.empty();

        std::vector<WindowDefinition> windows = project_.windows;
        for (WindowDefinition& window : windows) {
            // Window files are named as in the project; the viewer looks them up as internal names.
            for (std::string* name : {&window.contentsFile, &window.indexFile, &window.defaultTopic}) {
                const std::string internal = InternalNameOf(*name);
                if (!internal.empty()) {
                    const auto alias = asciiAliases_.find(internal);
                    *name = alias == asciiAliases_.end() ? internal : alias->second;
                }
            }
        }

        // The sources went into the section as they were read; the contents and index get their ASCII-named
        // copies here, after them.
        bool ok = true;
        for (SourceFile& file : sources_) {
            if (const auto alias = asciiAliases_.find(file.internalName); alias != asciiAliases_.end())
                ok = container.AddFile("/" + alias->second, file.bytes, !IsCompressedAlready(file.bytes)) && ok;
            file.bytes.clear();
            file.bytes.shrink_to_fit();
        }
        const TopicTables tables = BuildTopicTables(topics, strings);
        const Bytes indexHeader = BuildIndexHeader(info, strings);
        ok = ok && container.AddFile("/#SYSTEM", BuildSystemFile(info, indexHeader));
        ok = ok && container.AddFile("/#WINDOWS", BuildWindowsFile(windows, strings));
        ok = ok && container.AddFile("/#IDXHDR", indexHeader);
        ok = ok && container.AddFile("/#TOPICS", tables.topics);
        ok = ok && container.AddFile("/#URLTBL", tables.urlTable);
        ok = ok && container.AddFile("/#URLSTR", tables.urlStrings);
        if (info.hasKeywordIndex) {
            KeywordIndexFiles keywordFiles = BuildKeywordIndex(keywords, project_.codePage, project_.lcid);
            ok = ok && container.AddFile("/$WWKeywordLinks/BTree", std::move(keywordFiles.btree));
            ok = ok && container.AddFile("/$WWKeywordLinks/Data", std::move(keywordFiles.data));
            ok = ok && container.AddFile("/$WWKeywordLinks/Map", std::move(keywordFiles.map));
            ok = ok && container.AddFile("/$WWKeywordLinks/Property", std::move(keywordFiles.property));
        }
        if (!searchIndex.empty())
            ok = ok && container.AddFile("/$FIftiMain", std::move(searchIndex));
        if (const Bytes contextMap = BuildContextMap(strings); !contextMap.empty())
            ok = ok && container.AddFile("/#IVB", contextMap);
        ok = ok && container.AddFile("/#STRINGS", strings.Data());
        if (!ok)
            Error(container.Error());
        return ok;
    }

    bool WriteOutput() {
        // Beside the output, named after it while that name still fits in a file name.
        std::string temporaryName = "." + outputPath_.filename().string() + ".XXXXXX";
        if (temporaryName.size() > NAME_MAX)
            temporaryName = ".hhc-XXXXXX";
        std::string pattern = (outputPath_.parent_path() / temporaryName).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int descriptor = mkstemp(name.data());
        if (descriptor < 0) {
            Error("cannot create a file in the output folder " + outputPath_.parent_path().string());
            return false;
        }
        bool written = containerStorage_->Write(descriptor);
        containerStorage_.reset(); // the spool goes with it
        // No fsync, as compilers do without: write and close report a full disk, the rename keeps any reader
        // from seeing a partial file, and surviving a system crash is left to the file system.
        written = close(descriptor) == 0 && written;
        MakeReadable(name.data());
        if (!written || std::rename(name.data(), outputPath_.c_str()) != 0) {
            std::remove(name.data());
            Error("cannot write the output file " + outputPath_.string());
            return false;
        }
        return true;
    }

    // mkstemp creates the file for its owner only; a help file is meant to be read by others too.
    static void MakeReadable(const char* path) {
        std::error_code code;
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                        code);
    }

    void WriteErrorLog() {
        if (logPath_.empty())
            return;
        std::ofstream stream(logPath_, std::ios::binary | std::ios::trunc);
        for (const std::string& line : log_)
            stream << line << "\r\n";
    }

    const CompileCallbacks& callbacks_;
    const CompileOptions& options_;
    HelpProject project_;
    fs::path folder_;
    fs::path outputPath_;
    fs::path logPath_;
    std::vector<SourceFile> sources_;
    std::map<std::string, size_t> indexOfName_;
    std::map<std::string, std::string> contentsTitles_;
    const uint32_t timestamp_ = static_cast<uint32_t>(std::time(nullptr));
    std::optional<ChmContainer> containerStorage_;
    std::map<std::string, std::string> asciiAliases_; // internal name -> ASCII copy
    uint32_t contentsEntryCount_ = 0;
    std::vector<std::string> log_;
};

} // namespace

bool CompileHelpProject(const std::string& projectPath, const CompileCallbacks& callbacks,
                        const CompileOptions& options) {
    return Compilation(callbacks, options).Run(projectPath);
}
