#include "ConversionRun.h"

#include "engine/ChmConverter.h"
#include "engine/RequestCheck.h"
#include "engine/WorkFolder.h"
#include "helpproject/ChmOutput.h"
#include "webhelp/WebOutput.h"
#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/WordConventions.h"
#include "base/NativeFile.h"
#include "base/SameFile.h"
#include "base/Utf8Path.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

// Raised from the page observer when the front end asks the run to stop; only RunConversion catches it.
struct RunStopped {};

std::string ToUtf8(const std::string& narrow) {
    return NarrowToUtf8(narrow).value_or(narrow);
}

std::vector<std::string> AllToUtf8(const std::vector<std::string>& narrow) {
    std::vector<std::string> lines;
    for (const std::string& line : narrow)
        lines.push_back(ToUtf8(line));
    return lines;
}

size_t CountPictures(const fs::path& work, size_t pages) {
    size_t pictures = 0;
    std::error_code code;
    for (size_t page = 0; page < pages; ++page)
        for (fs::directory_iterator it(work / PictureFolderName(std::to_string(page)), code), end; !code && it != end;
             it.increment(code))
            pictures += it->is_regular_file(code) ? 1 : 0;
    return pictures;
}

// What can be known before any work: a readable source, and an output (when there is one) that can be written and
// is not the source. Empty when the request is sound.
std::string CheckPaths(const fs::path& source, const fs::path& output, RunStatus& status) {
    std::error_code code;
    status = RunStatus::UnreadableDocument;
    if (!fs::is_regular_file(source, code))
        return "cannot read " + Utf8FromPath(source) + ": " +
               (fs::exists(source, code) ? "not a file" : "no such file");
    status = RunStatus::BadRequest;
    if (output.empty())
        return {};
    if (output.filename().empty() || fs::is_directory(output, code))
        return "the output names a folder: " + Utf8FromPath(output);
    if (Utf8FromPath(output.filename()).size() > kMaxFileNameLength)
        return "the output file name is longer than " + std::to_string(kMaxFileNameLength) +
               " bytes: " + Utf8FromPath(output);
    if (!fs::is_directory(output.parent_path(), code))
        return "the output folder does not exist: " + Utf8FromPath(output.parent_path());
    if (SameFile(source, output))
        return "the output is the source document itself: " + Utf8FromPath(output);
    if (fs::exists(fs::symlink_status(output, code)) && !fs::is_regular_file(output, code))
        return "the output exists and is not a file: " + Utf8FromPath(output);
    return {};
}

// The header of help IDs is written at the end of the run; whether it can be is known before the start.
std::string HelpIdRequestProblem(const ConversionRequest& request, const fs::path& source, const fs::path& output) {
    if (request.helpIds.writeMapHeader.empty())
        return {};
    const auto target = NarrowToPath(request.helpIds.writeMapHeader);
    if (!target)
        return "the header to write is not a file name: " + ToUtf8(request.helpIds.writeMapHeader);
    std::vector<fs::path> runFiles{source, output};
    if (const auto header = NarrowToPath(request.helpIds.mapHeader); header && !header->empty())
        runFiles.push_back(*header);
    if (!request.keepFolder.empty())
        runFiles.push_back(fs::absolute(PathFromUtf8(request.keepFolder)));
    return MapHeaderTargetProblem(*target, runFiles);
}

// Whether inner is outer or lies inside it.
bool Within(const fs::path& inner, const fs::path& outer) {
    const auto [outerEnd, innerAt] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return outerEnd == outer.end();
}

// The web folder, like a kept folder, must be new or empty: what is there is never deleted. It is filled elsewhere
// and moved into place, so it must not hold the run's other files either. Empty when the request is sound.
std::string CheckWebFolder(const fs::path& web, const ConversionRequest& request, const fs::path& output) {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(web, code);
    if (fs::exists(status) && (!fs::is_directory(status) || !fs::is_empty(web, code) || code))
        return "the web folder must be new or empty: " + Utf8FromPath(web);
    if (!fs::exists(status) && !fs::is_directory(web.parent_path(), code))
        return "the folder to make the web folder in does not exist: " + Utf8FromPath(web.parent_path());
    if (request.writeHelpFile && Within(output, web))
        return "the help file cannot go into the web folder: " + Utf8FromPath(output);
    if (!request.keepFolder.empty()) {
        const fs::path kept = fs::absolute(PathFromUtf8(request.keepFolder)).lexically_normal();
        if (Within(kept, web) || Within(web, kept))
            return "the web folder and the folder to keep the pages in must be apart: " + Utf8FromPath(web);
    }
    if (const auto header = NarrowToPath(request.helpIds.writeMapHeader);
        header && !header->empty() && Within(fs::absolute(*header).lexically_normal(), web))
        return "the help ID header cannot go into the web folder: " + header->string();
    return {};
}

// A rename that never replaces what is at to (the file or folder someone put there meanwhile).
bool RenameNotReplacing(const fs::path& from, const fs::path& to, std::error_code& code) {
    if (RenameWithoutReplacing(from, to))
        return true;
    code = std::error_code(errno, std::generic_category());
    return false;
}

// Moves the finished web help into place. A new folder is the run's own renamed; an empty folder the user made stays
// (its owner, its rights, a shell inside it) and takes the run's files one by one; when one cannot go, those
// already moved are taken back out. Empty on success, else why not.
std::string MoveWebHelp(const fs::path& staging, const fs::path& web) {
    std::error_code code;
    // A folder of mkdtemp is the owner's alone; the web folder is for others to read too.
    using fs::perms;
    fs::permissions(staging,
                    perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec,
                    code);
    if (RenameNotReplacing(staging, web, code))
        return {};
    if (code != std::errc::file_exists && code != std::errc::directory_not_empty)
        return "cannot move the web help into " + Utf8FromPath(web) + ": " + code.message();
    std::vector<fs::path> moved;
    code.clear();
    for (fs::directory_iterator it(staging, code), end; !code && it != end; it.increment(code)) {
        const fs::path target = web / it->path().filename();
        if (!RenameNotReplacing(it->path(), target, code))
            break;
        moved.push_back(target);
    }
    if (!code)
        return {};
    for (const fs::path& path : moved) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    return "cannot move the web help into " + Utf8FromPath(web) + ": " + code.message();
}

// A folder's path without a trailing separator, so that its parent and name are the folder's own.
fs::path FolderPath(const std::string& folder) {
    fs::path path = fs::absolute(PathFromUtf8(folder)).lexically_normal();
    return path.filename().empty() ? path.parent_path() : path;
}

} // namespace

ConversionResult RunConversion(const ConversionRequest& request) {
    ConversionResult result;
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<WorkFolder> staging;
    std::unique_ptr<WorkFolder> webStaging;
    // Removes this run's folders, telling the user of any that could not go.
    auto removeFolders = [&result, &staging, &webStaging, &work] {
        for (WorkFolder* folder : {staging.get(), webStaging.get(), work.get()})
            if (folder)
                if (std::string problem = folder->Remove(); !problem.empty())
                    result.warnings.push_back(problem);
    };
    auto stop = [&result, &removeFolders](RunStatus status, std::string message) {
        result.status = status;
        result.message = std::move(message);
        removeFolders();
        return result;
    };
    if (request.sourcePath.empty())
        return stop(RunStatus::BadRequest, "no source document given");
    if (!request.writeHelpFile && request.webFolder.empty())
        return stop(RunStatus::BadRequest, "nothing to write: neither a help file nor a web folder");
    if (request.writeHelpFile && request.outputPath.empty())
        return stop(RunStatus::BadRequest, "no help file to write given");
    const fs::path source = fs::absolute(PathFromUtf8(request.sourcePath));
    const fs::path output =
        request.writeHelpFile ? fs::absolute(PathFromUtf8(request.outputPath)).lexically_normal() : fs::path();
    RunStatus refusal = RunStatus::BadRequest;
    if (std::string problem = CheckPaths(source, output, refusal); !problem.empty())
        return stop(refusal, problem);
    // Reported as the other faults of help IDs are, though known before any work.
    if (std::string problem = HelpIdRequestProblem(request, source, output); !problem.empty())
        return stop(RunStatus::ConversionFailed, problem);
    std::string titleWarning;
    const fs::path webFolder = request.webFolder.empty() ? fs::path() : FolderPath(request.webFolder);
    if (!webFolder.empty())
        if (std::string problem = CheckWebFolder(webFolder, request, output); !problem.empty())
            return stop(RunStatus::BadRequest, problem);
    const auto sourceNarrow = Utf8ToNarrow(Utf8FromPath(source));
    const auto title = Utf8ToNarrow(FittedTitle(request.title, titleWarning));
    if (!sourceNarrow || !title)
        return stop(RunStatus::BadRequest, "a path or the title is not valid UTF-8");

    std::string error;
    work = request.keepFolder.empty() ? WorkFolder::CreatePrivate(error)
                                      : WorkFolder::UseKept(PathFromUtf8(request.keepFolder), error);
    if (!work)
        return stop(RunStatus::BadRequest, error);
    // The new help file is made in a folder of this run beside the old one, then renamed over it: the old one
    // stays whole until a complete new one is there, and nothing half-written is ever in its place.
    if (request.writeHelpFile) {
        staging = WorkFolder::CreateIn(output.parent_path(), ".leafbind-", error);
        if (!staging)
            return stop(RunStatus::BadRequest, "cannot write in the output folder: " + error);
    }
    // The web help likewise: made in a folder of this run beside the one named, which it then replaces.
    if (!webFolder.empty()) {
        webStaging = WorkFolder::CreateIn(webFolder.parent_path(), ".leafbind-web-", error);
        if (!webStaging)
            return stop(RunStatus::BadRequest, "cannot write beside the web folder: " + error);
    }
    const fs::path compiled = staging ? staging->Path() / output.filename() : fs::path();
    const auto workNarrow = PathToNarrow(work->Path());
    const auto compiledNarrow = PathToNarrow(compiled);
    if (!workNarrow || !compiledNarrow)
        return stop(RunStatus::BadRequest, "a folder's name cannot be used: " + Utf8FromPath(work->Path()));

    CoInitialize(nullptr);
    int32_t converted = 0;
    bool opened = false;
    try {
        ChmConverter converter(*sourceNarrow, *workNarrow, request.options);
        converter.helpIdSettings = request.helpIds;
        converter.quitWordBeforeOutputs = true;
        ChmOutput chm(*compiledNarrow);
        if (work->Kept())
            chm.keptProjectCompiledPath = PathToNarrow(output).value_or(*compiledNarrow);
        std::optional<WebOutput> web;
        std::vector<BookOutput*> outputs;
        if (request.writeHelpFile)
            outputs.push_back(&chm);
        if (webStaging)
            outputs.push_back(&web.emplace(webStaging->Path()));
        if (request.pageObserver || request.stopRequested)
            converter.pageObserver = [&request](int32_t page, int32_t count, const std::string& heading) {
                if (request.pageObserver)
                    request.pageObserver(page, count, ToUtf8(heading));
                // The last page is followed by the outputs: a stop asked for now spares the compile too.
                if (request.stopRequested && request.stopRequested())
                    throw RunStopped{};
            };
        if (request.compileObserver)
            chm.compileObserver = [&request](const std::string& line) { request.compileObserver(ToUtf8(line)); };
        if (!converter.StartWordAndOpen())
            return stop(RunStatus::WordNotStarted, "the document server could not be started");
        opened = true;
        converted = converter.Convert(*title, *compiledNarrow, outputs);
        std::vector<TopicNode*> topics;
        CollectPreOrder(converter.root->firstChild, topics);
        result.topics = topics.size();
        result.pages = converter.pageFiles.size();
        result.pictures = chm.PictureFiles();
        result.indexEntries = converter.indexEntries.size();
        result.warnings = AllToUtf8(converter.warnings);
        if (!titleWarning.empty())
            result.warnings.insert(result.warnings.begin(), titleWarning);
        result.compilerMessages = AllToUtf8(chm.CompilerMessages());
        if (web) {
            result.warnings.insert(result.warnings.end(), web->Warnings().begin(), web->Warnings().end());
            if (converted != 0 && !web->Result().ok())
                return stop(RunStatus::ConversionFailed, "the web help could not be written: " + web->Result().message);
        }
    } catch (const RunStopped&) {
        // The converter is gone and Word with it; this run's folders go, the old help file stays.
        return stop(RunStatus::Stopped, "stopped");
    } catch (const HelpIdError& failure) {
        // The document's help IDs cannot be made as asked; no page was made.
        return stop(RunStatus::ConversionFailed, ToUtf8(failure.what()));
    } catch (const AutomationError& failure) {
        result.automationFault = dynamic_cast<const DispatchError*>(&failure) == nullptr;
        result.automationStatus = static_cast<uint32_t>(failure.status());
        // what() falls back on the status text when Word gave no description.
        return stop(opened ? RunStatus::ConversionFailed : RunStatus::UnreadableDocument, ToUtf8(failure.what()));
    }
    if (request.stopRequested && request.stopRequested())
        return stop(RunStatus::Stopped, "stopped");
    if (converted == 0)
        return stop(RunStatus::NoHeadings, "the document has no headings: no paragraph has an outline level");

    std::error_code code;
    if (staging && !fs::is_regular_file(compiled, code))
        return stop(RunStatus::NothingCompiled, "the help compiler produced no file at " + Utf8FromPath(output));
    if (webStaging) {
        if (std::string problem = MoveWebHelp(webStaging->Path(), webFolder); !problem.empty())
            return stop(RunStatus::ConversionFailed, problem);
        result.webFolder = Utf8FromPath(webFolder);
    }
    if (staging) {
        fs::rename(compiled, output, code);
        if (code)
            return stop(RunStatus::ConversionFailed, "cannot replace " + Utf8FromPath(output) + ": " + code.message());
        result.outputBytes = fs::file_size(output, code);
    }
    // Without a help file, no project counted them.
    if (!request.writeHelpFile)
        result.pictures = CountPictures(work->Path(), result.pages);
    removeFolders();
    if (work->Kept())
        result.keptFolder = Utf8FromPath(work->Path());
    return result;
}

// Windows separates folders by either slash; elsewhere a backslash is a letter of a name.
PathParts SplitPath(const std::string& path) {
    const char* separators = fs::path::preferred_separator == '\\' ? "/\\" : "/";
    const size_t slash = path.find_last_of(separators);
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = path.substr(nameStart);
    const size_t point = name.find_last_of('.');
    if (point == std::string::npos)
        return {path.substr(0, nameStart), name, ""};
    return {path.substr(0, nameStart), name.substr(0, point), name.substr(point + 1)};
}

std::string OutputPathForSource(const std::string& sourcePath) {
    const PathParts parts = SplitPath(sourcePath);
    return parts.folder + parts.base + ".chm";
}

std::string TitleForSource(const std::string& sourcePath) {
    return SplitPath(sourcePath).base;
}
