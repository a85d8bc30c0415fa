#include "hha.h"

#include <exception>
#include <string>

#include "HelpCompiler.h"
#include "TextCodec.h"
#include "base/ProcessText.h"

namespace {

// Callers' narrow strings are in their code page; file names and the compiler's own messages are UTF-8.
std::string ToCaller(const std::string& utf8) {
    return Utf8ToCodePage(CallerCodePage(), utf8).value_or(utf8);
}

} // namespace

extern "C" int HHA_CALL HHA_CompileHHP(const char* projectPath, HhaMessageCallback messages,
                                       HhaMessageCallback progress, int /*reserved*/) {
    // Nothing may escape into a caller that knows only C.
    try {
        if (projectPath == nullptr) {
            if (messages != nullptr)
                messages("error: no project file given");
            return 0;
        }
        CompileCallbacks callbacks;
        if (messages != nullptr)
            callbacks.message = [messages](const std::string& text) { messages(ToCaller(text).c_str()); };
        if (progress != nullptr)
            callbacks.progress = [progress](const std::string& text) { progress(ToCaller(text).c_str()); };
        const std::string path = CodePageToUtf8(CallerCodePage(), projectPath).value_or(projectPath);
        return CompileHelpProject(path, callbacks) ? 1 : 0;
    } catch (const std::exception& error) {
        if (messages != nullptr)
            messages((std::string("error: ") + error.what()).c_str());
    } catch (...) {
        if (messages != nullptr)
            messages("error: unexpected failure");
    }
    return 0;
}
