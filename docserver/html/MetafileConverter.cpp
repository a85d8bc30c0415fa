#include "MetafileConverter.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path FindTool(const char* name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// Runs a converter with its output silenced; a converter that hangs on a hostile file is killed.
bool RunQuietly(const std::vector<std::string>& arguments, std::chrono::seconds limit) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StartsAsPng(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

} // namespace

MetafileConversion ConvertMetafileToPng(const std::vector<uint8_t>& bytes, bool enhanced) {
    MetafileConversion result;
    const fs::path wmf2gd = enhanced ? fs::path() : FindTool("wmf2gd");
    const fs::path soffice = FindTool("soffice");
    if (wmf2gd.empty() && soffice.empty()) {
        result.message = enhanced ? "no EMF converter (LibreOffice) is installed"
                                  : "no WMF converter (wmf2gd from libwmf-bin, or LibreOffice) is installed";
        return result;
    }
    std::string folderTemplate = (fs::temp_directory_path() / "leafbind-metafile-XXXXXX").string();
    if (!mkdtemp(folderTemplate.data())) {
        result.message = "no temporary folder could be made for converting a metafile";
        return result;
    }
    const fs::path folder = folderTemplate;
    const fs::path source = folder / (enhanced ? "picture.emf" : "picture.wmf");
    std::ofstream(source, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const fs::path target = folder / "picture.png";
    if (!wmf2gd.empty() &&
        RunQuietly({wmf2gd.string(), "-t", "png", "-o", target.string(), source.string()}, std::chrono::seconds(30)))
        result.png = ReadAll(target);
    if (!StartsAsPng(result.png) && !soffice.empty()) {
        // A profile of its own keeps LibreOffice from touching (or waiting on) the user's.
        const std::string profile = "-env:UserInstallation=file://" + (folder / "profile").string();
        if (RunQuietly({soffice.string(), profile, "--headless", "--convert-to", "png", "--outdir", folder.string(),
                        source.string()},
                       std::chrono::seconds(90)))
            result.png = ReadAll(target);
    }
    result.ok = StartsAsPng(result.png);
    if (!result.ok) {
        result.png.clear();
        result.message = "the installed converter could not convert this metafile";
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}
