#include "LegacyDocConverter.h"

#include "base/CleanupRegistry.h"
#include "base/Utf8Path.h"
#include "docserver/package/CompoundFile.h"
#include "docserver/package/ExternalProgram.h"
#include "docserver/package/PackageLimits.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// A document LibreOffice has not converted in this time is taken to hang it; larger files get longer.
std::chrono::seconds TimeLimitFor(std::uintmax_t bytes) {
    constexpr std::uintmax_t kBytesPerExtraSecond = 100 * 1024;
    return std::chrono::seconds(300 + bytes / kBytesPerExtraSecond);
}

// Whether the folder's file system has too little room left for a conversion of source: LibreOffice needs its
// profile (some megabytes) and the .docx beside it, and says nothing of why it failed.
bool FolderIsFull(const std::filesystem::path& folder, const std::filesystem::path& source) {
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(folder, error);
    if (error)
        return false;
    const std::uintmax_t needed = (64u << 20) + 2 * std::filesystem::file_size(source, error);
    return space.available < needed;
}

} // namespace

bool IsLegacyWordFile(const std::string& firstBytes) {
    static const char kCompoundFileMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return firstBytes.size() >= 8 && firstBytes.compare(0, 8, kCompoundFileMagic, 8) == 0;
}

LegacyConversionResult ConvertLegacyDocument(const std::filesystem::path& source,
                                             std::optional<std::chrono::seconds> timeLimit) {
    LegacyConversionResult result;
    if (IsPasswordProtectedWordFile(source)) {
        result.status = Failure(StatusCode::Protected,
                                "the document is protected by a password; save it without one and try again");
        return result;
    }
    const std::filesystem::path soffice = FindProgram("soffice");
    if (soffice.empty()) {
        result.status = Failure(StatusCode::Unavailable,
                                "it is a Word 97-2003 document (.doc), and opening one needs LibreOffice (soffice) to "
                                "convert it, which is not installed");
        return result;
    }
    const std::unique_ptr<TemporaryFolder> work = TemporaryFolder::Create("leafbind-doc-");
    if (!work) {
        result.status = Failure(StatusCode::Io, "no temporary folder could be made for converting the .doc file: " +
                                                    std::string(std::strerror(errno)));
        return result;
    }
    const std::filesystem::path& folder = work->Path();
    // A profile of its own keeps LibreOffice from touching (or waiting on) the user's.
    const std::string profile = "-env:UserInstallation=" + FileUrlOf(folder / "profile");
    std::error_code sizeError;
    const std::chrono::seconds limit = timeLimit.value_or(TimeLimitFor(std::filesystem::file_size(source, sizeError)));
    const auto started = std::chrono::steady_clock::now();
    const bool converted = RunProgram({Utf8FromPath(soffice), profile, "--headless", "--convert-to", "docx", "--outdir",
                                       Utf8FromPath(folder), Utf8FromPath(source)},
                                      limit);
    const bool stopped = !converted && std::chrono::steady_clock::now() - started >= limit;
    const std::filesystem::path docx = folder / (Utf8FromPath(source.stem()) + ".docx");
    std::error_code error;
    if (converted && std::filesystem::exists(docx, error) &&
        std::filesystem::file_size(docx, error) <= kMaxSourceFileBytes) {
        std::ifstream in(docx, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        result.docxBytes = bytes.str();
    }
    if (stopped)
        result.status = Failure(StatusCode::Unavailable,
                                "LibreOffice did not finish converting this Word 97-2003 document (.doc) within " +
                                    std::to_string(limit.count()) + " seconds and was stopped");
    else if (result.docxBytes.empty() && FolderIsFull(folder, source))
        result.status = Failure(StatusCode::Io, "LibreOffice could not convert this Word 97-2003 document (.doc): the "
                                                "temporary folder " +
                                                    Utf8FromPath(folder.parent_path()) +
                                                    " is full (set TMPDIR to a folder with room)");
    else if (result.docxBytes.empty())
        result.status =
            Failure(StatusCode::Damaged, "LibreOffice could not convert this Word 97-2003 document (.doc) to .docx");
    return result;
}
