#include "LegacyDocConverter.h"

#include "docserver/package/PackageLimits.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
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

} // namespace

bool IsLegacyWordFile(const std::string& firstBytes) {
    static const char kCompoundFileMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return firstBytes.size() >= 8 && firstBytes.compare(0, 8, kCompoundFileMagic, 8) == 0;
}

bool IsLibreOfficeAvailable() {
    return !FindSoffice().empty();
}

LegacyConversionResult ConvertLegacyDocument(const std::filesystem::path& source) {
    LegacyConversionResult result;
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
    if (child > 0)
        waitpid(child, &status, 0);
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
    if (!result.ok)
        result.message = "LibreOffice could not convert this Word 97-2003 document (.doc) to .docx";
    std::filesystem::remove_all(folder, error);
    return result;
}
