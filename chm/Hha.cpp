#include "hha.h"

#include <exception>
#include <string>

#include "HelpCompiler.h"
#include "TextCodec.h"

namespace {

// Callers' narrow strings are in their process code page: UTF-8 here, as file names and the compiler's own
// messages are.
std::string ToCaller(const std::string& utf8) {
    return utf8;
}

} // namespace

extern "C" int HHA_CompileHHP(const char* projectPath, HhaMessageCallback messages, HhaMessageCallback progress,
                              int /*reserved*/) {
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
        return CompileHelpProject(projectPath, callbacks) ? 1 : 0;
    } catch (const std::exception& error) {
        if (messages != nullptr)
            messages((std::string("error: ") + error.what()).c_str());
    } catch (...) {
        if (messages != nullptr)
            messages("error: unexpected failure");
    }
    return 0;
}
