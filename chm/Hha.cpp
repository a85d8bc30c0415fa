#include "hha.h"

#include <exception>
#include <string>

#include "HelpCompiler.h"

extern "C" int HHA_CompileHHP(const char* projectPath, HhaMessageCallback messages, HhaMessageCallback progress,
                              int /*reserved*/) {
    // Nothing may escape into a caller that knows only C.
    try {
        if (projectPath == nullptr) {
            if (messages != nullptr) {
                messages("error: no project file given");
            }
            return 0;
        }
        chm::CompileCallbacks callbacks;
        if (messages != nullptr) {
            callbacks.message = [messages](const std::string& text) { messages(text.c_str()); };
        }
        if (progress != nullptr) {
            callbacks.progress = [progress](const std::string& text) { progress(text.c_str()); };
        }
        return chm::CompileHelpProject(projectPath, callbacks) ? 1 : 0;
    } catch (const std::exception& error) {
        if (messages != nullptr) {
            messages((std::string("error: ") + error.what()).c_str());
        }
    } catch (...) {
        if (messages != nullptr) {
            messages("error: unexpected failure");
        }
    }
    return 0;
}
