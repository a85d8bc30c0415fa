#include "MetafileConverter.h"

#include "docserver/package/ExternalProgram.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

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
    const fs::path wmf2gd = enhanced ? fs::path() : FindProgram("wmf2gd");
    const fs::path soffice = FindProgram("soffice");
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
        RunProgram({wmf2gd.string(), "-t", "png", "-o", target.string(), source.string()}, std::chrono::seconds(30)))
        result.png = ReadAll(target);
    if (!StartsAsPng(result.png) && !soffice.empty()) {
        // A profile of its own keeps LibreOffice from touching (or waiting on) the user's.
        const std::string profile = "-env:UserInstallation=file://" + (folder / "profile").string();
        if (RunProgram({soffice.string(), profile, "--headless", "--convert-to", "png", "--outdir", folder.string(),
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
