#include "HelpCompiler.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "ChmContainer.h"
#include "CompressedData.h"
#include "FullTextIndex.h"
#include "HelpProject.h"
#include "KeywordIndex.h"
#include "PageReader.h"
#include "PageText.h"
#include "PagesAhead.h"
#include "SearchAhead.h"
#include "Sitemap.h"
#include "StringTable.h"
#include "SystemFiles.h"
#include "TextCodec.h"
#include "TopicTables.h"
#include "WordBreaker.h"
#include "base/NativeFile.h"
#include "base/SameFile.h"
#include "base/Text.h"
#include "base/Utf8Path.h"

namespace {

namespace fs = std::filesystem;

// Plain system calls: a project lists thousands of small pages, and a stream per file cost more than reading.
// Files larger than largest are refused unread.
bool ReadWholeFile(const fs::path& path, std::string& bytes, uintmax_t largest = UINTMAX_MAX) {
    // Non-blocking, so a pipe named as a page is refused instead of waiting for a writer.
    const int fd = OpenFileForReading(path);
    if (fd < 0)
        return false;
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && static_cast<uintmax_t>(status.st_size) <= largest;
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
// Intervals of the compressed section that may wait for the compressor's helpers while pages are read beside it:
// 16 MB at the help file's 64 KB intervals, a bound on what that holds in memory.
constexpr int kIntervalsWaitingBesideReading = 256;
// A header of help IDs is a few kilobytes; one of hundreds of megabytes is a mistake or an attack.
constexpr uintmax_t kMaxContextFileBytes = 16u << 20;
// An earlier error log is read to be recognised before it is replaced; a larger file is no log of ours.
constexpr uintmax_t kMaxErrorLogBytes = 64u << 20;

// Whether path, with every link in it followed, still lies in the folder resolved (itself resolved). A path that
// does not exist yet counts as inside: reading it fails on its own.
bool ResolvesInside(const fs::path& path, const fs::path& resolvedFolder) {
    std::error_code code;
    const fs::path resolved = fs::canonical(path, code);
    if (code)
        return !fs::is_symlink(path, code); // a dangling link leads nowhere we may read
    const auto [folderEnd, pathAt] =
        std::mismatch(resolvedFolder.begin(), resolvedFolder.end(), resolved.begin(), resolved.end());
    return folderEnd == resolvedFolder.end() && pathAt != resolved.end();
}

// A help file starts with its signature; anything else in the output's place belongs to someone else.
bool IsHelpFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    char signature[4] = {};
    return in.read(signature, 4) && std::memcmp(signature, "ITSF", 4) == 0;
}

// The lines of an error log this compiler wrote: each a warning or an error, or none at all.
bool IsCompilerLog(const std::string& bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string_view line(bytes.data() + start, end - start);
        if (!line.empty() && line != "\r" && !line.starts_with("warning: ") && !line.starts_with("error: "))
            return false;
        start = end + 1;
    }
    return true;
}

struct SourceFile {
    std::string internalName; // UTF-8, no leading "/"
    std::string projectName;  // as listed, code page
    std::string bytes;        // pages' bytes are not held once stored: they are read again where their text is needed
    size_t size = 0;
    bool takenAhead = false; // a page read ahead for its text and links, with these very bytes
};

class Compilation {
public:
    Compilation(const CompileCallbacks& callbacks, const CompileOptions& options)
        : callbacks_(callbacks), options_(options) {}

    bool Run(const std::string& projectPathText) {
        const bool ok = Compile(projectPathText);
        if (!aheadRefused_)
            WriteErrorLog();
        return ok;
    }

    // Whether the pages compressed ahead turned out not to be the project's: the run wrote nothing and must be
    // made again without them.
    bool AheadRefused() const { return aheadRefused_; }

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
        const fs::path projectPath = PathFromUtf8(projectPathText);
        std::string projectBytes;
        if (!ReadWholeFile(projectPath, projectBytes)) { // refuses folders and other non-files too
            Error("cannot read the project file " + Utf8FromPath(projectPath));
            return false;
        }
        ProjectParseResult parsed = ParseHelpProject(projectBytes);
        if (!parsed.status.ok()) {
            Error(Utf8FromPath(projectPath.filename()) + ": " + parsed.status.message);
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
        std::error_code code;
        resolvedFolder_ = fs::canonical(folder_.empty() ? fs::path(".") : folder_, code);
        logPath_.clear();
        std::string logProblem;
        if (!project_.errorLogFile.empty()) {
            if (const auto name = ToUtf8(project_.errorLogFile)) {
                std::string path = *name;
                std::replace(path.begin(), path.end(), '\\', '/');
                const auto relative = NormalizeRelative(path);
                if (relative)
                    logPath_ = folder_ / PathFromUtf8(*relative);
                if (!relative || relative->find('/') != std::string::npos)
                    logProblem = "the error log file must be a file name beside the project file: " + *name;
            }
        }
        if (IsLogFile(projectPath)) {
            Error("the error log file is the project file itself: " + Utf8FromPath(projectPath));
            logPath_.clear();
            return false;
        }
        if (!ResolveOutputPath(projectPath))
            return false;
        if (logProblem.empty() && !logPath_.empty())
            logProblem = ErrorLogProblem();
        if (!logProblem.empty()) {
            logPath_.clear();
            Error(logProblem);
            return false;
        }
        ContainerSettings settings;
        settings.lcid = project_.lcid;
        settings.timestamp = timestamp_;
        settings.lzx = options_.lzx;
        // Pictures wait for the help file beside it: the output folder is ours to write in.
        settings.spoolFolder = Utf8FromPath(OutputFolder());
        PagesAhead* const ahead = options_.pagesAhead;
        if (ahead != nullptr && ahead->Compatible(settings.lzx)) {
            pagesAhead_ = ahead;
            containerStorage_.emplace(settings, ahead->TakeSection());
        } else {
            // Without a converter's pages, the pages are read for the index and links beside their storing.
            const bool readAlongside = project_.fullTextSearch && project_.stopListFile.empty();
            if (readAlongside) {
                // That reading, then the index built from it, is what the end of the compile waits for: this thread
                // compressing intervals itself would take half a core from it. They wait for the helpers instead.
                settings.lzx.waitingIntervals = std::max(settings.lzx.waitingIntervals, kIntervalsWaitingBesideReading);
                readAlongside_ = std::make_unique<SearchAhead>(project_.lcid);
            }
            containerStorage_.emplace(settings);
        }
        if (!CollectFiles())
            return false;
        if (pagesAhead_ != nullptr && !pagesAhead_->AllTaken()) {
            aheadRefused_ = true;
            return false;
        }
        if (!ReadContextIncludes() || !OutputIsNoInput(projectPath))
            return false;
        // A help file with nothing to show is a failure, not an empty success (a stray file named .hhp, say).
        const bool hasPage = !PageFiles().empty();
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
    bool IsLogFile(const fs::path& path) const { return !logPath_.empty() && SameFile(path, logPath_); }

    // The log replaces only an earlier log: never the help file, a link or a file of other content.
    std::string ErrorLogProblem() const {
        if (SameFile(logPath_, outputPath_))
            return "the error log file is the compiled file: " + Utf8FromPath(logPath_);
        std::error_code code;
        const fs::file_status status = fs::symlink_status(logPath_, code);
        if (fs::is_symlink(status))
            return "the error log file is a symbolic link, which is not followed: " + Utf8FromPath(logPath_);
        if (!fs::exists(status))
            return {};
        std::string bytes;
        if (!fs::is_regular_file(status) || !ReadWholeFile(logPath_, bytes, kMaxErrorLogBytes) || !IsCompilerLog(bytes))
            return "the error log file is an existing file that is not an error log; it is left as it is: " +
                   Utf8FromPath(logPath_);
        return {};
    }

    // Pages, sitemaps and headers come from the project's folder tree only, also when a link points elsewhere.
    bool InsideProject(const fs::path& path) const {
        return !resolvedFolder_.empty() && ResolvesInside(path, resolvedFolder_);
    }

    bool ReadInput(const fs::path& path, std::string& bytes, uintmax_t largest = UINTMAX_MAX) {
        if (!IsLogFile(path) && !InsideProject(path)) {
            Warning("left out: " + Utf8FromPath(path) + " leads outside the project folder");
            return false;
        }
        return ReadInputInside(path, bytes, largest);
    }

    // ReadInput for a path already found inside the project: following its links again took as many system calls
    // as reading it.
    bool ReadInputInside(const fs::path& path, std::string& bytes, uintmax_t largest = UINTMAX_MAX) {
        if (IsLogFile(path)) {
            Error("the error log file is a file the project reads: " + Utf8FromPath(path));
            logPath_.clear();
            return false;
        }
        inputPaths_.push_back(path);
        return ReadWholeFile(path, bytes, largest);
    }

    // The help file is written over nothing the project reads, not even through another name.
    bool OutputIsNoInput(const fs::path& projectPath) {
        if (SameFile(outputPath_, projectPath)) {
            Error("the compiled file is the project file itself: " + Utf8FromPath(outputPath_));
            return false;
        }
        for (const fs::path& input : inputPaths_) {
            if (SameFile(outputPath_, input)) {
                Error("the compiled file is a file the project reads: " + Utf8FromPath(input));
                return false;
            }
        }
        return true;
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
            outputPath_ = PathFromUtf8(path).is_absolute() ? PathFromUtf8(path) : folder_ / PathFromUtf8(path);
        }
        std::error_code code;
        const fs::path outputFolder = OutputFolder();
        if (!fs::is_directory(outputFolder, code)) {
            Error("the output folder does not exist: " + Utf8FromPath(outputFolder));
            return false;
        }
        if (fs::is_directory(outputPath_, code)) {
            Error("the output path is a folder: " + Utf8FromPath(outputPath_));
            return false;
        }
        // Only an earlier help file is replaced; any other file there is the user's.
        const fs::file_status status = fs::symlink_status(outputPath_, code);
        if (fs::is_symlink(status)) {
            Error("the compiled file is a symbolic link, which is not followed: " + Utf8FromPath(outputPath_));
            return false;
        }
        if (fs::exists(status) && (!fs::is_regular_file(status) || !IsHelpFile(outputPath_))) {
            Error("the compiled file exists and is not a help file; it is left as it is: " + Utf8FromPath(outputPath_));
            return false;
        }
        return true;
    }

    fs::path OutputFolder() const {
        return outputPath_.parent_path().empty() ? fs::path(".") : outputPath_.parent_path();
    }

    // Pages are read again for their text and links, and the sitemaps for their entries; nothing else is.
    // Pages are read again, a few at a time, where their links and text are needed: held all together from here
    // to the search index, their freed bytes lay between what the compile keeps and never went back to the system.
    bool NeededAfterStoring(const std::string& internalName) {
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
        const fs::path diskPath = folder_ / PathFromUtf8(*relative);
        if (!InsideProject(diskPath)) {
            Warning("left out: " + *relative + " is a link that leads outside the project folder");
            return true;
        }
        if (!ReadInputInside(diskPath, file.bytes)) {
            Error(std::string(fromFilesSection ? "a file listed in the project" : "a file named in the options") +
                  " is missing or unreadable: " + *relative);
            return false;
        }
        if (callbacks_.progress)
            callbacks_.progress(*relative);
        // Into the compressed section at once, so its intervals are compressed while the rest is read; pictures
        // and other data that LZX cannot shrink are stored as they are.
        const bool compress = !IsCompressedAlready(file.bytes);
        if (compress && pagesAhead_ != nullptr && !pagesAhead_->AllTaken() &&
            !pagesAhead_->TakeNext(std::span(reinterpret_cast<const uint8_t*>(file.bytes.data()), file.bytes.size()))) {
            aheadRefused_ = true;
            containerFailed_ = true;
            return false;
        }
        file.takenAhead = compress && pagesAhead_ != nullptr;
        if (const Status added = containerStorage_->AddFile("/" + file.internalName, file.bytes, compress);
            !added.ok()) {
            Error(added.message);
            containerFailed_ = true;
            return false;
        }
        file.size = file.bytes.size();
        if (readAlongside_ && IsPage(file.internalName)) {
            readAlongside_->Add(file.internalName, Bytes(file.bytes.begin(), file.bytes.end()));
            file.takenAhead = true;
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
            if (!relative || i >= kMaxContextIncludes) {
                Error("the context file \"" + LineExcerpt(include.file) +
                      "\" named by #include is outside the project folder or one include too many");
                return false;
            }
            std::error_code code;
            if (fs::file_size(folder_ / PathFromUtf8(*relative), code) > kMaxContextFileBytes && !code) {
                Error("the context file \"" + LineExcerpt(include.file) + "\" named by #include is larger than " +
                      std::to_string(kMaxContextFileBytes >> 20) + " MB");
                return false;
            }
            if (!ReadInput(folder_ / PathFromUtf8(*relative), bytes, kMaxContextFileBytes)) {
                Error("the context file \"" + LineExcerpt(include.file) +
                      "\" named by #include is missing, unreadable or outside the project folder");
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
        // Every missing file is named, but a container that cannot write (a full disk) is told of once.
        for (size_t i = 0; i < project_.files.size() && !containerFailed_; ++i)
            ok = AddSource(project_.files[i], true) && ok;
        if (containerFailed_)
            return false;
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
        if (file == nullptr) {
            Error("the sitemap " + path + " was left out of the project");
            return false;
        }
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
        // Read ahead, while the pages were made or beside their storing, when these are those pages.
        std::optional<LinkedAhead> ahead;
        if (SearchAhead* reading = ReadingAhead())
            ahead = reading->TakeLinks(project_.codePage);
        if (ahead && !AreThePagesAhead(ahead->names))
            ahead.reset();
        size_t page = 0;
        for (const SourceFile& file : sources_) {
            if (!IsPage(file.internalName))
                continue;
            const size_t slash = file.internalName.rfind('/');
            const std::string base = slash == std::string::npos ? std::string() : file.internalName.substr(0, slash);
            std::set<std::string> reported;
            std::vector<std::string> links;
            if (ahead) {
                links = std::move(ahead->links[page++]);
            } else {
                std::string bytes;
                if (file.bytes.empty() && !ReadStoredPage(file, bytes))
                    continue; // reported where its text is read
                links = PageLinks(file.bytes.empty() ? bytes : file.bytes, project_.codePage);
            }
            for (const std::string& link : links) {
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

    // Sub-keywords (entries in a nested list) are kept under their keyword's text, as the viewer lists them.
    void CollectKeywords(const std::vector<SitemapEntry>& entries, const std::map<std::string, uint32_t>& topicOf,
                         std::vector<Keyword>& keywords, const std::vector<std::u16string>& parents = {}) {
        for (const SitemapEntry& entry : entries) {
            std::vector<std::u16string> path = parents;
            path.push_back(entry.keywordText);
            std::vector<uint32_t> topics;
            for (const auto& [name, local] : entry.targets) {
                const auto found = topicOf.find(AsciiLower(SitemapTarget(local)));
                if (found != topicOf.end())
                    topics.push_back(found->second);
            }
            // An entry that leads to topics is not a cross-reference, whatever else it says.
            const std::u16string seeAlso =
                topics.empty() ? DecodeToUtf16(project_.codePage, entry.seeAlso) : std::u16string();
            if (!entry.keywordText.empty() && (!topics.empty() || !seeAlso.empty()))
                keywords.push_back(NestedKeyword(path, std::move(topics), seeAlso));
            CollectKeywords(entry.children, topicOf, keywords, path);
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
        if (!relative || !ReadInput(folder_ / PathFromUtf8(*relative), bytes)) {
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

    // The pages read for their text and links beside the compile: a converter's, else this compile's own.
    SearchAhead* ReadingAhead() const { return pagesAhead_ != nullptr ? pagesAhead_->Search() : readAlongside_.get(); }

    std::vector<const SourceFile*> PageFiles() const {
        std::vector<const SourceFile*> pages;
        for (const SourceFile& file : sources_)
            if (IsPage(file.internalName))
                pages.push_back(&file);
        return pages;
    }

    // Whether the project's pages are those taken ahead, byte for byte, named as these and in this order.
    bool AreThePagesAhead(const std::vector<std::string>& names) const {
        const std::vector<const SourceFile*> pages = PageFiles();
        if (pages.size() != names.size())
            return false;
        for (size_t i = 0; i < pages.size(); ++i)
            if (!pages[i]->takenAhead || pages[i]->internalName != names[i])
                return false;
        return true;
    }

    // The index read ahead, while the pages were made or beside their storing, when this project indexes exactly
    // those pages, in their order.
    std::optional<IndexedAhead> SearchMadeAhead() {
        if (!project_.fullTextSearch || !project_.stopListFile.empty())
            return std::nullopt;
        SearchAhead* reading = ReadingAhead();
        std::optional<IndexedAhead> ahead = reading ? reading->Take(project_.codePage, project_.lcid) : std::nullopt;
        if (!ahead || !AreThePagesAhead(ahead->names))
            return std::nullopt;
        return ahead;
    }

    // A page stored and let go, read again from the project folder; safe on any thread.
    bool ReadStoredPage(const SourceFile& file, std::string& bytes) const {
        const fs::path path = folder_ / PathFromUtf8(file.internalName);
        return InsideProject(path) && ReadWholeFile(path, bytes);
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
        std::vector<const SourceFile*> pageSources; // of each page to read
        // Without search, only pages the contents do not name are read, for their titles.
        std::vector<size_t> readingOf;
        for (const SourceFile& file : sources_) {
            if (IsPage(file.internalName)) {
                pageFiles.push_back(&file);
                const bool needsText = search || !contentsTitles_.contains(AsciiLower(file.internalName));
                readingOf.push_back(needsText ? pages.size() : kNotRead);
                if (needsText) {
                    pages.push_back({file.internalName, file.bytes, file.bytes.empty() ? file.size : 0});
                    pageSources.push_back(&file);
                }
            }
        }
        const auto load = [&](size_t page) -> std::optional<std::string> {
            const SourceFile& file = *pageSources[page];
            std::string bytes;
            if (!file.bytes.empty())
                return file.bytes;
            if (file.size > 0 && !ReadStoredPage(file, bytes))
                return std::nullopt;
            return bytes;
        };
        std::optional<IndexedAhead> ahead = search ? SearchMadeAhead() : std::nullopt;
        std::vector<PageReading> readings;
        if (ahead) {
            readings = std::move(ahead->readings);
            search.reset();
        } else {
            readings = ReadPages(pages, project_.codePage, search ? &*search : nullptr, 0, load);
        }
        pages.clear();
        // The pages are read and already in the section: their bytes go before the search index is built, the
        // compile's largest moment.
        for (SourceFile& file : sources_)
            if (IsPage(file.internalName) && !asciiAliases_.contains(file.internalName)) {
                file.bytes.clear();
                file.bytes.shrink_to_fit();
            }
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
        Bytes searchIndex = ahead ? std::move(ahead->index) : BuildSearchIndex(search);
        ahead.reset();

        SystemInfo info;
        info.lcid = project_.lcid;
        info.title = project_.title;
        info.defaultFont = project_.defaultFont;
        info.defaultWindow = project_.defaultWindow;
        info.fullTextSearch = !searchIndex.empty();
        info.contentsFile = AsciiAliasOf(InternalNameOf(project_.contentsFile), "contents", ".hhc");
        info.indexFile = AsciiAliasOf(InternalNameOf(project_.indexFile), "index", ".hhk");
        info.defaultTopic = InternalNameOf(project_.defaultTopic);
        if (info.defaultTopic.empty() && !project_.defaultTopic.empty())
            Warning("the default topic " + LineExcerpt(project_.defaultTopic) +
                    " is not a file of the project; the first page opens instead");
        if (info.defaultTopic.empty() && !topics.empty())
            info.defaultTopic = topics.front().local;
        info.compiledStem = AsciiLower(Utf8FromPath(outputPath_.stem()));
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
        Status stored;
        const auto add = [&](const std::string& name, const auto& data, bool compressed = true) {
            if (stored.ok())
                stored = container.AddFile(name, data, compressed);
        };
        for (SourceFile& file : sources_) {
            if (const auto alias = asciiAliases_.find(file.internalName); alias != asciiAliases_.end())
                add("/" + alias->second, file.bytes, !IsCompressedAlready(file.bytes));
            file.bytes.clear();
            file.bytes.shrink_to_fit();
        }
        const TopicTables tables = BuildTopicTables(topics, strings);
        const Bytes indexHeader = BuildIndexHeader(info, strings);
        add("/#SYSTEM", BuildSystemFile(info, indexHeader));
        add("/#WINDOWS", BuildWindowsFile(windows, strings));
        add("/#IDXHDR", indexHeader);
        add("/#TOPICS", tables.topics);
        add("/#URLTBL", tables.urlTable);
        add("/#URLSTR", tables.urlStrings);
        if (info.hasKeywordIndex) {
            KeywordIndexFiles keywordFiles = BuildKeywordIndex(keywords, project_.codePage, project_.lcid);
            add("/$WWKeywordLinks/BTree", keywordFiles.btree);
            add("/$WWKeywordLinks/Data", keywordFiles.data);
            add("/$WWKeywordLinks/Map", keywordFiles.map);
            add("/$WWKeywordLinks/Property", keywordFiles.property);
        }
        if (!searchIndex.empty())
            add("/$FIftiMain", searchIndex);
        if (const Bytes contextMap = BuildContextMap(strings); !contextMap.empty())
            add("/#IVB", contextMap);
        add("/#STRINGS", strings.Data());
        if (!stored.ok())
            Error(stored.message);
        return stored.ok();
    }

    bool WriteOutput() {
        // Beside the output, named after it while that name still fits in a file name.
        std::string temporaryName = "." + Utf8FromPath(outputPath_.filename()) + ".XXXXXX";
        if (temporaryName.size() > kMaxFileNameLength)
            temporaryName = ".hhc-XXXXXX";
        std::string name = Utf8FromPath(outputPath_.parent_path() / PathFromUtf8(temporaryName));
        const int descriptor = CreateUniqueFile(name);
        if (descriptor < 0) {
            Error("cannot create a file in the output folder " + Utf8FromPath(outputPath_.parent_path()));
            return false;
        }
        bool written = containerStorage_->Write(descriptor).ok();
        containerStorage_.reset(); // the spool goes with it
        // No fsync, as compilers do without: write and close report a full disk, the rename keeps any reader
        // from seeing a partial file, and surviving a system crash is left to the file system.
        written = close(descriptor) == 0 && written;
        MakeReadable(PathFromUtf8(name));
        if (!written || !RenameReplacing(name, Utf8FromPath(outputPath_))) {
            std::error_code code;
            fs::remove(PathFromUtf8(name), code);
            Error("cannot write the output file " + Utf8FromPath(outputPath_));
            return false;
        }
        return true;
    }

    // mkstemp creates the file for its owner only; a help file is meant to be read by others too.
    static void MakeReadable(const fs::path& path) {
        std::error_code code;
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                        code);
    }

    // Opened without following a link, and emptied only once it is known to be an earlier log (or new).
    void WriteErrorLog() {
        if (logPath_.empty())
            return;
        std::uint64_t size = 0;
        const int fd = OpenFileForUpdate(logPath_, size);
        if (fd < 0) {
            Say("error: cannot write the error log file " + Utf8FromPath(logPath_));
            return;
        }
        std::string old;
        bool ours = size <= kMaxErrorLogBytes;
        old.resize(ours ? static_cast<size_t>(size) : 0);
        ours = ours && ReadFileAt(fd, 0, old.data(), old.size()) == static_cast<std::int64_t>(old.size()) &&
               IsCompilerLog(old);
        std::string text;
        for (const std::string& line : log_)
            text += line + "\r\n";
        bool written = ours && ReplaceFileContent(fd, text);
        written = CloseFile(fd) && written;
        if (!ours && callbacks_.message)
            callbacks_.message("error: the error log file is an existing file that is not an error log; it is left "
                               "as it is: " +
                               Utf8FromPath(logPath_));
        else if (!written && callbacks_.message)
            callbacks_.message("error: cannot write the error log file " + Utf8FromPath(logPath_));
    }

    const CompileCallbacks& callbacks_;
    const CompileOptions& options_;
    HelpProject project_;
    fs::path folder_;
    fs::path resolvedFolder_;
    std::vector<fs::path> inputPaths_; // every file read, for the output's check
    fs::path outputPath_;
    fs::path logPath_;
    std::vector<SourceFile> sources_;
    std::map<std::string, size_t> indexOfName_;
    std::map<std::string, std::string> contentsTitles_;
    const uint32_t timestamp_ = static_cast<uint32_t>(std::time(nullptr));
    std::optional<ChmContainer> containerStorage_;
    std::map<std::string, std::string> asciiAliases_; // internal name -> ASCII copy
    uint32_t contentsEntryCount_ = 0;
    bool containerFailed_ = false;
    PagesAhead* pagesAhead_ = nullptr; // when its section is the container's
    std::unique_ptr<SearchAhead> readAlongside_;
    bool aheadRefused_ = false;
    std::vector<std::string> log_;
};

} // namespace

bool CompileHelpProject(const std::string& projectPath, const CompileCallbacks& callbacks,
                        const CompileOptions& options) {
    if (options.pagesAhead == nullptr)
        return Compilation(callbacks, options).Run(projectPath);
    options.pagesAhead->NoMorePages();
    // What the compile says waits until it is known to count: a run that finds other pages than those compressed
    // ahead is made again from the start, and only that second run is heard.
    std::vector<std::pair<bool, std::string>> said; // progress or message, in order
    CompileCallbacks holding;
    holding.message = [&](const std::string& text) { said.emplace_back(false, text); };
    holding.progress = [&](const std::string& text) { said.emplace_back(true, text); };
    bool ok = false;
    bool refused = false;
    {
        Compilation withPages(holding, options);
        ok = withPages.Run(projectPath);
        refused = withPages.AheadRefused();
    }
    if (refused) {
        CompileOptions alone = options;
        alone.pagesAhead = nullptr;
        return Compilation(callbacks, alone).Run(projectPath);
    }
    for (const auto& [progress, text] : said) {
        const auto& hear = progress ? callbacks.progress : callbacks.message;
        if (hear)
            hear(text);
    }
    return ok;
}
