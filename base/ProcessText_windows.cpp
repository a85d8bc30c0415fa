#include "ProcessText.h"

#include <io.h>
#include <windows.h>

#include <shellapi.h>

#include "Text.h"

// An old caller passes its text in the system's code page; a program with our manifest gets UTF-8 (65001) here.
std::uint32_t CallerCodePage() {
    return GetACP();
}

// main's narrow arguments lose every character outside the code page: the wide command line keeps them.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const std::wstring argument = wide[i];
        arguments.push_back(Utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    LocalFree(wide);
    return arguments;
}

// A console shows UTF-16 whatever its code page; a pipe or a file gets the bytes of the console's output code page,
// as the other programs writing there do.
void PrintLine(std::FILE* stream, const std::string& utf8) {
    PrintText(stream, utf8 + "\n");
}

void PrintText(std::FILE* stream, const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    const std::wstring wide(text.begin(), text.end());
    std::fflush(stream);
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0)
        codePage = GetACP();
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), length, nullptr,
                        nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

// A console takes the control sequences once asked to (Windows 10 and later); an older one gets plain lines.
bool IsTerminal(std::FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
           SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
