#include "HtmlExport.h"

#include "automation/WordConventions.h"
#include "docserver/html/HtmlWriter.h"

#include <atomic>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return out.good();
}

// A name beside the target that no other save uses at the same time.
fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    return target.parent_path() / ("." + target.filename().string() + ".partial-" + std::to_string(::getpid()) + "-" +
                                   std::to_string(counter++));
}

} // namespace

fs::path PictureFolderOf(const fs::path& page) {
    return page.parent_path() / PictureFolderName(page.stem().string());
}

HtmlSaveResult SaveDocumentAsHtml(const Document& document, const fs::path& requested, uint32_t codePage,
                                  const MetafileCache* metafiles) {
    HtmlSaveResult result;
    std::error_code error;
    const fs::path page = fs::absolute(requested, error);
    if (error || page.filename().empty() || requested.empty()) {
        result.status =
            Failure(StatusCode::Io, "The file name \"" + requested.string() + "\" is not a valid name for a page.");
        return result;
    }
    if (!fs::is_directory(page.parent_path(), error)) {
        result.status = Failure(StatusCode::Io, "The folder " + page.parent_path().string() +
                                                    " does not exist; the page cannot be saved there.");
        return result;
    }
    if (fs::is_directory(page, error)) {
        result.status = Failure(StatusCode::Io, "A folder named " + page.string() + " is in the way of the page.");
        return result;
    }
    const fs::path folder = PictureFolderOf(page);
    HtmlPage html = WriteHtmlPage(document, folder.filename().string(), codePage, metafiles);
    result.warnings = std::move(html.warnings);

    const fs::path pageTemporary = TemporaryBeside(page);
    const fs::path folderTemporary = TemporaryBeside(folder);
    auto fail = [&](const std::string& message) {
        fs::remove(pageTemporary, error);
        fs::remove_all(folderTemporary, error);
        result.status = Failure(StatusCode::Io, message);
        return result;
    };
    if (!html.pictures.empty()) {
        if (!fs::create_directory(folderTemporary, error))
            return fail("The picture folder for " + page.string() + " could not be created: " + error.message() + ".");
        for (const HtmlPictureFile& picture : html.pictures)
            if (!WriteFile(folderTemporary / picture.name, picture.bytes.data(), picture.bytes.size()))
                return fail("The picture " + picture.name + " of " + page.string() +
                            " could not be written (is the disk full?).");
    }
    if (!WriteFile(pageTemporary, html.html.data(), html.html.size()))
        return fail("The page " + page.string() +
                    " could not be written (is the disk full, or the folder read-only?).");

    // An earlier save under the same name leaves pictures that this page no longer has.
    fs::remove_all(folder, error);
    if (error)
        return fail("The old picture folder " + folder.string() + " could not be removed: " + error.message() + ".");
    if (!html.pictures.empty()) {
        fs::rename(folderTemporary, folder, error);
        if (error)
            return fail("The picture folder " + folder.string() + " could not be put in place: " + error.message() +
                        ".");
    }
    fs::rename(pageTemporary, page, error);
    if (error) {
        fs::remove_all(folder, error);
        return fail("The page " + page.string() + " could not be put in place: " + error.message() + ".");
    }
    return result;
}
