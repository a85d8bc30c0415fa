#include "HtmlExport.h"

#include "automation/WordConventions.h"
#include "base/NativeFile.h"
#include "base/Utf8Path.h"
#include "docserver/html/HtmlWriter.h"

#include <atomic>
#include <cerrno>
#include <cstring>
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
    return target.parent_path() / ("." + Utf8FromPath(target.filename()) + ".partial-" + std::to_string(::getpid()) +
                                   "-" + std::to_string(counter++));
}

// A page saved under a name nothing has yet, as every page of a conversion is in the run's own folder: written in
// place, without temporary names, renames or clearing an old picture folder. The name is claimed first (O_EXCL);
// a failure removes what this save made.
class NewPageFiles {
public:
    explicit NewPageFiles(fs::path page) : page_(std::move(page)) {
        descriptor_ = CreateNewFile(page_);
        error_ = descriptor_ < 0 ? errno : 0;
    }
    ~NewPageFiles() {
        if (descriptor_ >= 0)
            CloseFile(descriptor_);
        if (done_ || error_ != 0)
            return;
        std::error_code ignored;
        fs::remove(page_, ignored);
        if (folderMade_)
            fs::remove_all(folder_, ignored);
    }
    NewPageFiles(const NewPageFiles&) = delete;
    NewPageFiles& operator=(const NewPageFiles&) = delete;

    // Gives the claimed name up, for a save that goes the careful way after all.
    void Release() {
        if (error_ != 0)
            return;
        CloseFile(descriptor_);
        descriptor_ = -1;
        std::error_code ignored;
        fs::remove(page_, ignored);
        error_ = EEXIST;
    }

    // Why the name could not be claimed (EEXIST: an earlier save's page or a folder is there), 0 when it was.
    int Error() const { return error_; }

    // Empty on success, else what went wrong for the user.
    std::string Write(const HtmlPage& html, const fs::path& folder) {
        if (!html.pictures.empty()) {
            std::error_code made;
            if (!fs::create_directory(folder, made) || made)
                return "The picture folder for " + Utf8FromPath(page_) + " could not be created: " +
                       (made ? made : std::make_error_code(std::errc::file_exists)).message() + ".";
            folder_ = folder;
            folderMade_ = true;
            for (const HtmlPictureFile& picture : html.pictures)
                if (!WriteFile(folder / picture.name, picture.bytes.data(), picture.bytes.size()))
                    return "The picture " + picture.name + " of " + Utf8FromPath(page_) +
                           " could not be written (is the disk full?).";
        }
        if (!WriteToFile(descriptor_, html.html.data(), html.html.size()))
            return "The page " + Utf8FromPath(page_) + " could not be written (is the disk full?).";
        const bool closed = CloseFile(descriptor_);
        descriptor_ = -1;
        if (!closed)
            return "The page " + Utf8FromPath(page_) + " could not be written (is the disk full?).";
        done_ = true;
        return {};
    }

private:
    fs::path page_;
    fs::path folder_;
    int descriptor_ = -1;
    int error_ = 0;
    bool folderMade_ = false;
    bool done_ = false;
};

} // namespace

fs::path PictureFolderOf(const fs::path& page) {
    return page.parent_path() / PictureFolderName(Utf8FromPath(page.stem()));
}

HtmlSaveResult SaveDocumentAsHtml(const Document& document, const fs::path& requested, uint32_t codePage,
                                  const MetafileCache* metafiles) {
    HtmlSaveResult result;
    std::error_code error;
    const fs::path page = fs::absolute(requested, error);
    if (error || page.filename().empty() || requested.empty()) {
        result.status = Failure(StatusCode::Io,
                                "The file name \"" + Utf8FromPath(requested) + "\" is not a valid name for a page.");
        return result;
    }
    const fs::path folder = PictureFolderOf(page);
    NewPageFiles files(page);
    if (files.Error() == ENOENT || files.Error() == ENOTDIR ||
        (files.Error() != 0 && !fs::is_directory(page.parent_path(), error))) {
        result.status = Failure(StatusCode::Io, "The folder " + Utf8FromPath(page.parent_path()) +
                                                    " does not exist; the page cannot be saved there.");
        return result;
    }
    if (files.Error() != 0 && fs::is_directory(page, error)) {
        result.status = Failure(StatusCode::Io, "A folder named " + Utf8FromPath(page) + " is in the way of the page.");
        return result;
    }
    HtmlPage html = WriteHtmlPage(document, Utf8FromPath(folder.filename()), codePage, metafiles);
    result.warnings = std::move(html.warnings);
    // A new name is written in place, unless a picture folder of that name is there: not this save's to replace
    // without the careful way below.
    if (files.Error() == 0 && (html.pictures.empty() || !fs::exists(folder, error))) {
        if (std::string problem = files.Write(html, folder); !problem.empty())
            result.status = Failure(StatusCode::Io, problem);
        return result;
    }
    files.Release();

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
            return fail("The picture folder for " + Utf8FromPath(page) + " could not be created: " + error.message() +
                        ".");
        for (const HtmlPictureFile& picture : html.pictures)
            if (!WriteFile(folderTemporary / picture.name, picture.bytes.data(), picture.bytes.size()))
                return fail("The picture " + picture.name + " of " + Utf8FromPath(page) +
                            " could not be written (is the disk full?).");
    }
    if (!WriteFile(pageTemporary, html.html.data(), html.html.size()))
        return fail("The page " + Utf8FromPath(page) +
                    " could not be written (is the disk full, or the folder read-only?).");

    // An earlier save under the same name leaves pictures that this page no longer has.
    fs::remove_all(folder, error);
    if (error)
        return fail("The old picture folder " + Utf8FromPath(folder) + " could not be removed: " + error.message() +
                    ".");
    if (!html.pictures.empty()) {
        fs::rename(folderTemporary, folder, error);
        if (error)
            return fail("The picture folder " + Utf8FromPath(folder) +
                        " could not be put in place: " + error.message() + ".");
    }
    fs::rename(pageTemporary, page, error);
    if (error) {
        fs::remove_all(folder, error);
        return fail("The page " + Utf8FromPath(page) + " could not be put in place: " + error.message() + ".");
    }
    return result;
}
