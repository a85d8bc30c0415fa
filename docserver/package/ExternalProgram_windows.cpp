#include "ExternalProgram.h"

#include "base/CleanupRegistry.h"
#include "base/Text.h"
#include "base/Utf8Path.h"

#include <windows.h>

#include <cstdlib>

namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// One argument as the C runtime's parser reads it back: quoted when it holds a space, a tab or a quote, its
// quotes and the backslashes before them escaped.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The null device, inherited by the child as its three standard streams.
HANDLE OpenNullDevice() {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                       OPEN_EXISTING, 0, nullptr);
}

} // namespace

// Programs are found by name with ".exe", as the command prompt finds them.
std::filesystem::path FindProgram(const char* name) {
    const wchar_t* path = _wgetenv(L"PATH");
    if (!path)
        return {};
    const std::filesystem::path file = PathFromUtf8(std::string(name) + ".exe");
    std::wstring folders = path;
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(L';', start);
        if (end == std::wstring::npos)
            end = folders.size();
        const std::wstring folder = folders.substr(start, end - start);
        start = end + 1;
        if (folder.empty())
            continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / file;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return {};
}

// The program runs in a job object of its own that ends with this process (the job closes with its last handle),
// so a time-out, an interruption or this program's own end also stops what it started (LibreOffice starts a
// second process).
bool RunProgram(const std::vector<std::string>& arguments, std::chrono::seconds limit) {
    if (arguments.empty())
        return false;
    std::wstring commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(argument));
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return false;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    const HANDLE quiet = OpenNullDevice();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = quiet;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(Wide(arguments[0]).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    if (quiet != INVALID_HANDLE_VALUE)
        CloseHandle(quiet);
    if (!started) {
        CloseHandle(job);
        return false;
    }
    const bool inJob = AssignProcessToJobObject(job, process.hProcess);
    RegisterProgramGroup(reinterpret_cast<std::intptr_t>(job)); // an interrupted run stops it too
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    const DWORD milliseconds = static_cast<DWORD>(std::chrono::milliseconds(limit).count());
    bool finished = WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0;
    if (!finished) {
        if (inJob)
            TerminateJobObject(job, 1);
        else
            TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD status = 1;
    finished = finished && GetExitCodeProcess(process.hProcess, &status);
    UnregisterProgramGroup(reinterpret_cast<std::intptr_t>(job));
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return finished && status == 0;
}
