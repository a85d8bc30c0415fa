#include "BatchRun.h"

#include "automation/CodePage.h"
#include "base/MessageCatalogue.h"
#include "base/Utf8Path.h"
#include "engine/ConversionRun.h"
#include "word/MessageBox.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The texts the desktop program shows for the same conditions, in the user's language.
const std::string kNoOutlineMessage = "The Word document has no outline styles!";
const std::string kWordStartMessage = "Failed to start Word!";

std::string Printable(const std::string& narrow) {
    return NarrowToUtf8(narrow).value_or(narrow);
}

// The compiler leads its lines with their kind; the reporter adds its own.
std::string WithoutKind(const std::string& line) {
    for (const std::string kind : {"warning: ", "error: "})
        if (line.rfind(kind, 0) == 0)
            return line.substr(kind.size());
    return line;
}

int ExitStatusOf(RunStatus status) {
    switch (status) {
    case RunStatus::Done:
        return kExitSuccess;
    case RunStatus::BadRequest:
        return kExitUsage;
    case RunStatus::UnreadableDocument:
        return kExitUnreadableDocument;
    case RunStatus::NoHeadings:
        return kExitNoHeadings;
    case RunStatus::NothingCompiled:
        return kExitNothingCompiled;
    case RunStatus::WordNotStarted:
    case RunStatus::ConversionFailed:
    case RunStatus::Stopped:
        break;
    }
    return kExitConversionFailed;
}

} // namespace

int RunBatchConversion(const CliOptions& options, ProgressReporter& reporter) {
    const auto started = std::chrono::steady_clock::now();
    const auto copyright = Utf8ToNarrow(options.copyright);
    if (!copyright) {
        reporter.Error("the copyright text is not valid UTF-8");
        return kExitUsage;
    }
    ConversionRequest request;
    request.sourcePath = options.input;
    request.writeHelpFile = !options.noHelpFile;
    if (request.writeHelpFile)
        request.outputPath = options.output.empty()
                                 ? OutputPathForSource(Utf8FromPath(fs::absolute(PathFromUtf8(options.input))))
                                 : options.output;
    request.webFolder = options.webFolder;
    request.title = options.title ? *options.title : TitleForSource(options.input);
    request.keepFolder = options.keepFolder;
    request.options = options.page;
    request.options.copyrightText = *copyright;
    request.pageObserver = [&reporter](int32_t page, int32_t count, const std::string& heading) {
        reporter.Page(page, count, heading);
    };
    request.compileObserver = [&reporter](const std::string& file) { reporter.Progress("compiling " + file); };
    const auto mapHeader = Utf8ToNarrow(options.mapHeader);
    const auto writeMapHeader = Utf8ToNarrow(options.writeMapHeader);
    if (!mapHeader || !writeMapHeader) {
        reporter.Error("a help ID header's path is not valid UTF-8");
        return kExitUsage;
    }
    request.helpIds.mapHeader = *mapHeader;
    request.helpIds.writeMapHeader = *writeMapHeader;

    const MessageBoxHandler previous =
        SetMessageBoxHandler([&](const std::string& text) { reporter.Error(Printable(text)); });
    reporter.Stage("Reading " + Utf8FromPath(fs::absolute(PathFromUtf8(options.input))));
    const ConversionResult result = RunConversion(request);
    SetMessageBoxHandler(previous);

    for (const std::string& warning : result.warnings)
        reporter.Warning(warning);
    const std::string output = request.writeHelpFile
                                   ? Utf8FromPath(fs::absolute(PathFromUtf8(request.outputPath)).lexically_normal())
                                   : std::string();
    switch (result.status) {
    case RunStatus::Done:
        break;
    case RunStatus::WordNotStarted:
        reporter.Error(ForUser(kWordStartMessage) + " (" + ForUser(result.message) + ")");
        return kExitConversionFailed;
    case RunStatus::NoHeadings:
        reporter.Error(ForUser(kNoOutlineMessage) + " " +
                       ForUser("The document has no headings: no paragraph has an outline level."));
        return kExitNoHeadings;
    case RunStatus::NothingCompiled:
        reporter.Error(result.message);
        for (const std::string& message : result.compilerMessages)
            reporter.Error("  " + WithoutKind(message));
        return kExitNothingCompiled;
    default: {
        std::string message = result.message;
        if (result.automationFault) {
            char status[32];
            std::snprintf(status, sizeof status, " (status 0x%08X)", static_cast<unsigned>(result.automationStatus));
            message += status;
        }
        // A run refused for several reasons (the help IDs) names each on a line of its own.
        std::istringstream lines(message);
        for (std::string line; std::getline(lines, line);)
            reporter.Error(line);
        return ExitStatusOf(result.status);
    }
    }

    for (const std::string& message : result.compilerMessages)
        reporter.Warning("help compiler: " + WithoutKind(message));
    const size_t warnings = result.warnings.size() + result.compilerMessages.size();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char summary[256];
    std::snprintf(summary, sizeof summary, "%zu topics, %zu pages, %zu pictures, %zu index entr%s, %zu warning%s",
                  result.topics, result.pages, result.pictures, result.indexEntries,
                  result.indexEntries == 1 ? "y" : "ies", warnings, warnings == 1 ? "" : "s");
    char kilobytes[32];
    std::snprintf(kilobytes, sizeof kilobytes, "%.1f", static_cast<double>(result.outputBytes) / 1024.0);
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.2f", seconds);
    const std::string sizeAndTime = WithValues(ForUser("{1} KB, {2} s"), {kilobytes, duration});
    // English counts take their singular; the other language has none, so its pattern has the plain numbers.
    if (UserReadsChinese())
        std::snprintf(
            summary, sizeof summary, "%s",
            WithValues(ForUser("{1} topics, {2} pages, {3} pictures, {4} index entries, {5} warnings"),
                       {std::to_string(result.topics), std::to_string(result.pages), std::to_string(result.pictures),
                        std::to_string(result.indexEntries), std::to_string(warnings)})
                .c_str());
    if (request.writeHelpFile)
        reporter.Line("Wrote " + output + " (" + summary + ", " + sizeAndTime + ")");
    // Without a help file the summary goes with the web help, without a help file's size.
    if (!result.webFolder.empty())
        reporter.Line("Web help in " + result.webFolder + ": open " +
                      Utf8FromPath(PathFromUtf8(result.webFolder) / "index.html") +
                      (request.writeHelpFile ? "" : " (" + std::string(summary) + ")"));
    if (!result.keptFolder.empty())
        reporter.Line("Pages and project files kept in " + result.keptFolder);
    return kExitSuccess;
}
