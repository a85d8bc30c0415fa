#include "ExternalProgram.h"

#include "base/CleanupRegistry.h"

#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::filesystem::path FindProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/usr/local/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

bool RunProgram(const std::vector<std::string>& arguments, std::chrono::seconds limit) {
    if (arguments.empty())
        return false;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // A group of its own, so a time-out also ends what the program started (LibreOffice starts a second
        // process); its reports are not this program's output.
        setpgid(0, 0);
        if (const int quiet = open("/dev/null", O_RDWR); quiet >= 0) {
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (child < 0)
        return false;
    setpgid(child, child);       // also here, so the group exists before any kill below
    RegisterProgramGroup(child); // an interrupted run stops it too
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    bool finished = true;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            finished = false;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    UnregisterProgramGroup(child);
    return finished && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
