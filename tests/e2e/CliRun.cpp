#include "CliRun.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& language) {
    std::string command = "LEAFBIND_LANGUAGE=" + Quote(language) + " " + Quote(LEAFBIND_CLI);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    return RunShell(command);
}

CliRun RunShell(const std::string& command) {
    CliRun run;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}
