#include "ConversionRun.h"

#include "engine/ChmConverter.h"
#include "engine/WorkFolder.h"
#include "helpproject/ChmOutput.h"
#include "word/AutomationError.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/WordConventions.h"

#include <climits>
#include <filesystem>

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

// The same file, also through links or another spelling of its path.
bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code code;
    if (fs::equivalent(a, b, code) && !code)
        return true;
    return fs::weakly_canonical(a, code) == fs::weakly_canonical(b, code) && !code;
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

// What can be known before any work: a readable source, and an output that can be written and is not the source.
// Empty when the request is sound.
std::string CheckPaths(const fs::path& source, const fs::path& output, RunStatus& status) {
    std::error_code code;
    status = RunStatus::UnreadableDocument;
    if (!fs::is_regular_file(source, code))
        return "cannot read " + source.string() + ": " + (fs::exists(source, code) ? "not a file" : "no such file");
    status = RunStatus::BadRequest;
    if (output.filename().empty() || fs::is_directory(output, code))
        return "the output names a folder: " + output.string();
    if (output.filename().string().size() > NAME_MAX)
        return "the output file name is longer than " + std::to_string(NAME_MAX) + " bytes: " + output.string();
    if (!fs::is_directory(output.parent_path(), code))
        return "the output folder does not exist: " + output.parent_path().string();
    if (SameFile(source, output))
        return "the output is the source document itself: " + output.string();
    if (fs::exists(fs::symlink_status(output, code)) && !fs::is_regular_file(output, code))
        return "the output exists and is not a file: " + output.string();
    return {};
}

} // namespace

ConversionResult RunConversion(const ConversionRequest& request) {
    ConversionResult result;
    std::unique_ptr<WorkFolder> work;
    std::unique_ptr<WorkFolder> staging;
    // Removes this run's folders, telling the user of any that could not go.
    auto removeFolders = [&result, &staging, &work] {
        for (WorkFolder* folder : {staging.get(), work.get()})
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
    if (request.outputPath.empty())
        return stop(RunStatus::BadRequest, "no help file to write given");
    const fs::path source = fs::absolute(request.sourcePath);
    const fs::path output = fs::absolute(request.outputPath).lexically_normal();
    RunStatus refusal = RunStatus::BadRequest;
    if (std::string problem = CheckPaths(source, output, refusal); !problem.empty())
        return stop(refusal, problem);
    const auto sourceNarrow = Utf8ToNarrow(source.string());
    const auto title = Utf8ToNarrow(request.title);
    if (!sourceNarrow || !title)
        return stop(RunStatus::BadRequest, "a path or the title is not valid UTF-8");

    std::string error;
    work =
        request.keepFolder.empty() ? WorkFolder::CreatePrivate(error) : WorkFolder::UseKept(request.keepFolder, error);
    if (!work)
        return stop(RunStatus::BadRequest, error);
    // The new help file is made in a folder of this run beside the old one, then renamed over it: the old one
    // stays whole until a complete new one is there, and nothing half-written is ever in its place.
    staging = WorkFolder::CreateIn(output.parent_path(), ".leafbind-", error);
    if (!staging)
        return stop(RunStatus::BadRequest, "cannot write in the output folder: " + error);
    const fs::path compiled = staging->Path() / output.filename();
    const auto workNarrow = PathToNarrow(work->Path());
    const auto compiledNarrow = PathToNarrow(compiled);
    if (!workNarrow || !compiledNarrow)
        return stop(RunStatus::BadRequest, "a folder's name cannot be used: " + work->Path().string());

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
        BookOutput* const outputs[] = {&chm};
        converted = converter.Convert(*title, *compiledNarrow, outputs);
        std::vector<TopicNode*> topics;
        CollectPreOrder(converter.root->firstChild, topics);
        result.topics = topics.size();
        result.pages = converter.pageFiles.size();
        result.warnings = AllToUtf8(converter.warnings);
        result.compilerMessages = AllToUtf8(chm.CompilerMessages());
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
    if (!fs::is_regular_file(compiled, code))
        return stop(RunStatus::NothingCompiled, "the help compiler produced no file at " + output.string());
    fs::rename(compiled, output, code);
    if (code)
        return stop(RunStatus::ConversionFailed, "cannot replace " + output.string() + ": " + code.message());
    result.outputBytes = fs::file_size(output, code);
    result.pictures = CountPictures(work->Path(), result.pages);
    removeFolders();
    if (work->Kept())
        result.keptFolder = work->Path().string();
    return result;
}

PathParts SplitPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
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
