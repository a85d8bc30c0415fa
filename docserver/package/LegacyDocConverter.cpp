#include "LegacyDocConverter.h"

#include "docserver/package/ExternalProgram.h"
#include "docserver/package/PackageLimits.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// A document LibreOffice has not converted in this time is taken to hang it.
constexpr std::chrono::seconds kLegacyConversionLimit{300};

} // namespace

bool IsLegacyWordFile(const std::string& firstBytes) {
    static const char kCompoundFileMagic[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return firstBytes.size() >= 8 && firstBytes.compare(0, 8, kCompoundFileMagic, 8) == 0;
}

LegacyConversionResult ConvertLegacyDocument(const std::filesystem::path& source) {
    LegacyConversionResult result;
    const std::filesystem::path soffice = FindProgram("soffice");
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
    const bool converted = RunProgram(
        {soffice.string(), profile, "--headless", "--convert-to", "docx", "--outdir", folder.string(), source.string()},
        kLegacyConversionLimit);
    const std::filesystem::path docx = folder / (source.stem().string() + ".docx");
    std::error_code error;
    if (converted && std::filesystem::exists(docx, error) &&
        std::filesystem::file_size(docx, error) <= kMaxSourceFileBytes) {
        std::ifstream in(docx, std::ios::binary);
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
