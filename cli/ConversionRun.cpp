#include "ConversionRun.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "engine/ChmConverter.h"
#include "engine/ConvertOptions.h"
#include "word/AutomationError.h"
#include "word/MessageBox.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The texts the desktop program shows for the same conditions (UTF-8 here; the program's own are GB2312).
const std::string kNoOutlineMessage = "word文档中没有大纲样式!";
const std::string kWordStartMessage = "启动word失败!";

std::string Printable(const std::string& narrow) {
    return NarrowToUtf8(narrow).value_or(narrow);
}

// Identifies the file at a path, so a help file left from an earlier run is not taken for a new one.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};

    static FileIdentity Of(const fs::path& path) {
        FileIdentity identity;
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            identity.exists = true;
            identity.device = info.st_dev;
            identity.inode = info.st_ino;
            identity.modified = info.st_mtim;
        }
        return identity;
    }
    bool SameFileAs(const FileIdentity& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

// The run's working folder: a fresh one of its own, or the folder the user asked to keep.
class WorkFolder {
public:
    bool Create(const std::string& keep, std::string& error) {
        if (!keep.empty()) {
            path_ = fs::absolute(keep);
            std::error_code code;
            if (fs::exists(path_, code) && (!fs::is_directory(path_, code) || !fs::is_empty(path_, code))) {
                error = "the folder to keep the pages in must be new or empty: " + path_.string();
                return false;
            }
            fs::create_directories(path_, code);
            if (code) {
                error = "cannot create " + path_.string() + ": " + code.message();
                return false;
            }
            kept_ = true;
            return true;
        }
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/leafbind-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            error = "cannot create a working folder in " + fs::path(pattern).parent_path().string();
            return false;
        }
        path_ = pattern;
        return true;
    }
    ~WorkFolder() {
        if (!kept_ && !path_.empty()) {
            std::error_code ignored;
            fs::remove_all(path_, ignored);
        }
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    bool kept_ = false;
};

int CountPictures(const fs::path& work, size_t pages) {
    int pictures = 0;
    std::error_code code;
    for (size_t page = 0; page < pages; ++page)
        for (fs::directory_iterator it(work / (std::to_string(page) + ".files"), code), end; !code && it != end;
             it.increment(code))
            pictures += it->is_regular_file(code) ? 1 : 0;
    return pictures;
}

struct RunFacts {
    int32_t result = 0;
    size_t topics = 0;
    size_t pages = 0;
    std::vector<std::string> warnings;
    std::vector<std::string> compilerMessages;
};

} // namespace

int RunConversion(const CliOptions& options, ProgressReporter& reporter) {
    const auto started = std::chrono::steady_clock::now();
    std::error_code code;

    const fs::path input = fs::absolute(options.input);
    if (!fs::is_regular_file(input, code)) {
        reporter.Error("cannot read " + input.string() + ": " +
                       (fs::exists(input, code) ? "not a file" : "no such file"));
        return kExitUnreadableDocument;
    }
    const fs::path output =
        options.output.empty() ? fs::path(DefaultOutputPath(input.string())) : fs::absolute(options.output);
    if (fs::is_directory(output, code)) {
        reporter.Error("the output names a folder: " + output.string());
        return kExitUsage;
    }
    if (!fs::is_directory(output.parent_path(), code)) {
        reporter.Error("the output folder does not exist: " + output.parent_path().string());
        return kExitUsage;
    }
    const std::string titleText = options.title ? *options.title : DefaultTitle(input.string());

    const auto source = Utf8ToNarrow(input.string());
    const auto compiled = Utf8ToNarrow(output.string());
    const auto title = Utf8ToNarrow(titleText);
    const auto copyright = Utf8ToNarrow(options.copyright);
    HelpIdSettings helpIdSettings;
    const auto mapHeader = Utf8ToNarrow(options.mapHeader);
    const auto writeMapHeader = Utf8ToNarrow(options.writeMapHeader);
    if (!source || !compiled || !title || !copyright || !mapHeader || !writeMapHeader) {
        reporter.Error("a path or text is not valid UTF-8");
        return kExitUsage;
    }
    helpIdSettings.mapHeader = *mapHeader;
    helpIdSettings.writeMapHeader = *writeMapHeader;

    ConvertOptions& pageOptions = ConvertOptions::Instance();
    pageOptions.showHeader = options.header;
    pageOptions.showFooter = options.footer;
    pageOptions.pngImages = options.png;
    pageOptions.relatedTopics = options.related;
    pageOptions.showNumbering = options.numbering;
    pageOptions.SetCopyrightText(*copyright);

    WorkFolder work;
    std::string folderError;
    if (!work.Create(options.keepFolder, folderError)) {
        reporter.Error(folderError);
        return options.keepFolder.empty() ? kExitConversionFailed : kExitUsage;
    }
    const auto workNarrow = PathToNarrow(work.path());
    if (!workNarrow) {
        reporter.Error("the working folder's name cannot be used: " + work.path().string());
        return kExitUsage;
    }

    const FileIdentity before = FileIdentity::Of(output);
    const MessageBoxHandler previous =
        SetMessageBoxHandler([&](const std::string& text) { reporter.Error(Printable(text)); });
    struct RestoreHandler {
        MessageBoxHandler handler;
        ~RestoreHandler() { SetMessageBoxHandler(handler); }
    } restore{previous};

    CoInitialize(nullptr);
    RunFacts facts;
    bool opened = false;
    try {
        ChmConverter converter(*source, *workNarrow);
        converter.helpIdSettings = helpIdSettings;
        converter.pageObserver = [&](int32_t page, int32_t count, const std::string& heading) {
            reporter.Page(page, count, Printable(heading));
        };
        reporter.Stage("Reading " + input.string());
        if (!converter.StartWordAndOpen()) {
            reporter.Error(kWordStartMessage + " (the document server could not be started)");
            return kExitConversionFailed;
        }
        opened = true;
        facts.result = converter.Convert(*title, *compiled);
        std::vector<TopicNode*> topics;
        CollectPreOrder(converter.root->firstChild, topics);
        facts.topics = topics.size();
        facts.pages = converter.pageFiles.size();
        facts.warnings = converter.warnings;
        facts.compilerMessages = converter.compilerMessages;
    } catch (const HelpIdError& error) {
        for (const std::string& problem : error.problems())
            reporter.Error(Printable(problem));
        return kExitConversionFailed;
    } catch (const DispatchError& error) {
        reporter.Error(Printable(error.description()));
        return opened ? kExitConversionFailed : kExitUnreadableDocument;
    } catch (const AutomationError& error) {
        char status[16];
        std::snprintf(status, sizeof status, "0x%08X", static_cast<unsigned>(error.status()));
        reporter.Error(Printable(error.what()) + " (status " + status + ")");
        return opened ? kExitConversionFailed : kExitUnreadableDocument;
    }

    for (const std::string& warning : facts.warnings)
        reporter.Warning(Printable(warning));
    if (facts.result == 0) {
        reporter.Error(kNoOutlineMessage + " The document has no headings: no paragraph has an outline level.");
        return kExitNoHeadings;
    }
    const FileIdentity after = FileIdentity::Of(output);
    if (!after.exists || after.SameFileAs(before)) {
        reporter.Error("the help compiler produced no file at " + output.string());
        for (const std::string& message : facts.compilerMessages)
            reporter.Error("  " + Printable(message));
        return kExitNothingCompiled;
    }

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const auto size = fs::file_size(output, code);
    char summary[256];
    std::snprintf(summary, sizeof summary, "%zu topics, %zu pages, %d pictures, %.1f KB, %.2f s", facts.topics,
                  facts.pages, CountPictures(work.path(), facts.pages), code ? 0.0 : size / 1024.0, seconds);
    reporter.Line("Wrote " + output.string() + " (" + summary + ")");
    if (!options.keepFolder.empty())
        reporter.Line("Pages and project files kept in " + work.path().string());
    return kExitSuccess;
}
