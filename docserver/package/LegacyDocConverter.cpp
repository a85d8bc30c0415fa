#include "LegacyDocConverter.h"

#include "docserver/package/PackageLimits.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::filesystem::path FindSoffice() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/usr/local/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / "soffice";
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// LibreOffice may stall (a dialog it cannot show, a damaged file): the time it gets grows with the file's size.
std::chrono::seconds TimeLimitFor(std::uintmax_t bytes) {
    constexpr std::uintmax_t kBytesPerExtraSecond = 100 * 1024;
    return std::chrono::seconds(120 + bytes / kBytesPerExtraSecond);
}

// Waits for the child until the limit; then ends its whole process group (LibreOffice starts helpers of its own).
// False when it had to be stopped.
bool WaitWithTimeLimit(pid_t child, std::chrono::seconds limit, int& status) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        usleep(50 * 1000);
    }
}

// A password-protected Word file is a compound file holding an encrypted package instead of a document.
bool IsEncryptedPackage(const std::filesystem::path& source) {
    std::ifstream in(source, std::ios::binary);
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    const std::string name("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);
    return head.find(name) != std::string::npos;
}

} // namespace

bool IsLegacyWordFile(const std::string& firstBytes) {
    static const char kCompoundFileMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return firstBytes.size() >= 8 && firstBytes.compare(0, 8, kCompoundFileMagic, 8) == 0;
}

bool IsLibreOfficeAvailable() {
    return !FindSoffice().empty();
}

LegacyConversionResult ConvertLegacyDocument(const std::filesystem::path& source,
                                             std::optional<std::chrono::seconds> timeLimit) {
    LegacyConversionResult result;
    if (IsEncryptedPackage(source)) {
        result.message = "the document is protected by a password; save it without one and try again";
        return result;
    }
    const std::filesystem::path soffice = FindSoffice();
    if (soffice.empty()) {
        result.message = "it is a Word 97-2003 document (.doc), and opening one needs LibreOffice (soffice) to "
                         "convert it, which is not installed";
        return result;
    }
    std::string folderTemplate = (std::filesystem::temp_directory_path() / "leafbind-doc-XXXXXX").string();
    if (!mkdtemp(folderTemplate.data())) {
        result.message = "no temporary folder could be made for converting the .doc file";
        return result;
    }
    const std::filesystem::path folder = folderTemplate;
    // A profile of its own keeps LibreOffice from touching (or waiting on) the user's.
    const std::string profile = "-env:UserInstallation=file://" + (folder / "profile").string();
    const pid_t child = fork();
    if (child == 0) {
        // A process group of its own, so a stalled LibreOffice goes with all its helpers; and it ends with us.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // LibreOffice reports on stdout; this program's own output is not the place for it.
        if (const int quiet = open("/dev/null", O_WRONLY); quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        execl(soffice.c_str(), "soffice", profile.c_str(), "--headless", "--convert-to", "docx", "--outdir",
              folder.c_str(), source.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    std::error_code sizeError;
    const std::chrono::seconds limit = timeLimit.value_or(TimeLimitFor(std::filesystem::file_size(source, sizeError)));
    bool finished = true;
    if (child > 0) {
        setpgid(child, child);
        finished = WaitWithTimeLimit(child, limit, status);
    }
    const std::filesystem::path converted = folder / (source.stem().string() + ".docx");
    std::error_code error;
    if (child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::filesystem::exists(converted, error) &&
        std::filesystem::file_size(converted, error) <= kMaxSourceFileBytes) {
        std::ifstream in(converted, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        result.docxBytes = bytes.str();
        result.ok = !result.docxBytes.empty();
    }
    if (!finished)
        result.message = "LibreOffice did not finish converting this Word 97-2003 document (.doc) within " +
                         std::to_string(limit.count()) + " seconds and was stopped";
    else if (!result.ok)
        result.message = "LibreOffice could not convert this Word 97-2003 document (.doc) to .docx";
    std::filesystem::remove_all(folder, error);
    return result;
}
