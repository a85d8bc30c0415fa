#include "hha.h"

#include <exception>
#include <string>

#include "HelpCompiler.h"
#include "PagesAhead.h"
#include "TextCodec.h"
#include "base/ProcessText.h"

struct HhaPagesAhead {
    PagesAhead pages{LzxSettings{}};
};

namespace {

// Callers' narrow strings are in their code page; file names and the compiler's own messages are UTF-8.
std::string ToCaller(const std::string& utf8) {
    return Utf8ToCodePage(CallerCodePage(), utf8).value_or(utf8);
}

std::string FromCaller(const char* text) {
    return CodePageToUtf8(CallerCodePage(), text).value_or(text);
}

int Compile(const char* projectPath, HhaMessageCallback messages, HhaMessageCallback progress, PagesAhead* pages) {
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
        CompileOptions options;
        options.pagesAhead = pages;
        return CompileHelpProject(FromCaller(projectPath), callbacks, options) ? 1 : 0;
    } catch (const std::exception& error) {
        if (messages != nullptr)
            messages((std::string("error: ") + error.what()).c_str());
    } catch (...) {
        if (messages != nullptr)
            messages("error: unexpected failure");
    }
    return 0;
}

} // namespace

extern "C" int HHA_CALL HHA_CompileHHP(const char* projectPath, HhaMessageCallback messages,
                                       HhaMessageCallback progress, int /*reserved*/) {
    return Compile(projectPath, messages, progress, nullptr);
}

extern "C" HhaPagesAhead* HHA_CALL HHA_BeginPagesAhead() {
    try {
        return new HhaPagesAhead;
    } catch (...) {
        return nullptr; // the caller compiles without
    }
}

extern "C" void HHA_CALL HHA_IndexPagesAhead(HhaPagesAhead* pages, unsigned lcid) {
    if (pages == nullptr)
        return;
    try {
        pages->pages.IndexForSearch(lcid);
    } catch (...) {
        // The compile reads the pages itself.
    }
}

extern "C" void HHA_CALL HHA_AddPageAhead(HhaPagesAhead* pages, const char* pagePath) {
    if (pages == nullptr || pagePath == nullptr)
        return;
    pages->pages.Add(pagePath, FromCaller);
}

extern "C" int HHA_CALL HHA_CompileHHPWithPages(const char* projectPath, HhaMessageCallback messages,
                                                HhaMessageCallback progress, HhaPagesAhead* pages) {
    return Compile(projectPath, messages, progress, pages == nullptr ? nullptr : &pages->pages);
}

extern "C" void HHA_CALL HHA_EndPagesAhead(HhaPagesAhead* pages) {
    delete pages;
}
