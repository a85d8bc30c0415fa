#include "ConversionJob.h"

#include "UiTexts.h"
#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "engine/ChmConverter.h"
#include "word/AutomationError.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>

namespace {

std::string ToUtf8(const std::string& narrow) {
    return NarrowToUtf8(narrow).value_or(narrow);
}

std::string DescribeAutomationError(const AutomationError& error) {
    char status[32];
    std::snprintf(status, sizeof status, " (0x%08" PRIX32 "): ", static_cast<uint32_t>(error.status()));
    return ui::kAutomationFailed + std::string(status) + ToUtf8(error.what());
}

bool HelpFileExists(const std::string& outputPath) {
    const auto path = NarrowToPath(outputPath);
    std::error_code error;
    return path && std::filesystem::is_regular_file(*path, error);
}

std::string NotProducedMessage(const std::string& outputPath, const std::vector<std::string>& compilerMessages) {
    std::string message = ui::kHelpFileNotProduced + ToUtf8(outputPath);
    for (const std::string& line : compilerMessages)
        message += "\n" + ToUtf8(line);
    return message;
}

} // namespace

ConversionOutcome RunConversion(const ConversionRequest& request) {
    CoInitialize(nullptr);
    ConversionOutcome outcome;
    // Decides whether the result is opened: the result of the last step that returned, as an error leaves it.
    int32_t result = 0;
    bool converted = false;
    std::vector<std::string> compilerMessages;
    try {
        // The destructor closes the document and quits Word; on this normal path it may throw, which the handlers
        // below catch like any other failure.
        ChmConverter converter(request.sourcePath, request.workFolder);
        result = converter.StartWordAndOpen();
        if (result == 0) {
            outcome.messages.push_back(ui::kWordStartFailed);
        } else {
            result = converter.Convert(request.title, request.outputPath);
            if (result == 0)
                outcome.messages.push_back(ui::kNoOutlineStyles);
            converted = result != 0;
            compilerMessages = converter.compilerMessages;
        }
    } catch (const HelpIdError& error) {
        // The document's help IDs (its "IDH_" bookmarks) cannot be made; nothing was converted.
        outcome.messages.push_back(ToUtf8(error.what()));
    } catch (const DispatchError& error) {
        // what() falls back on the status text when Word gave no description.
        outcome.messages.push_back(ToUtf8(error.what()));
    } catch (const AutomationError& error) {
        outcome.messages.push_back(DescribeAutomationError(error));
    }
    if (result == 0)
        return outcome;
    if (HelpFileExists(request.outputPath))
        outcome.openResult = true;
    else if (converted)
        outcome.messages.push_back(NotProducedMessage(request.outputPath, compilerMessages));
    return outcome;
}
