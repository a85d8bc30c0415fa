#include "SharedLibrary.h"

#include <windows.h>

#include <string>

#include "Text.h"

namespace {

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message(text, text + length);
    LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : Utf16ToUtf8(message);
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

} // namespace

std::string SharedLibraryFileName(const std::string& name) {
    return name + ".dll";
}

void* LoadSharedLibrary(const std::string& name, std::string& reason) {
    const std::u16string file = Utf8ToUtf16(SharedLibraryFileName(name));
    const std::wstring wide(file.begin(), file.end());
    if (HMODULE library = LoadLibraryW(wide.c_str()))
        return reinterpret_cast<void*>(library);
    reason = SystemMessage(GetLastError());
    const std::wstring folder = ProgramFolder();
    if (folder.empty())
        return nullptr;
    return reinterpret_cast<void*>(LoadLibraryExW((folder + wide).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void* FindLibraryExport(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadSharedLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
