#include "InstanceMarker.h"

#include "base/CleanupRegistry.h"

#include <wx/process.h>
#include <wx/utils.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarkPrefix = "window-";

// The process a mark names; 0 for a file that is not a mark.
long ProcessOfMark(const fs::path& file) {
    const std::string name = file.filename().string();
    if (name.rfind(kMarkPrefix, 0) != 0)
        return 0;
    char* end = nullptr;
    const long process = std::strtol(name.c_str() + std::string(kMarkPrefix).size(), &end, 10);
    return end && *end == '\0' && process > 0 ? process : 0;
}

} // namespace

InstanceMarker::InstanceMarker(fs::path folder) : folder_(std::move(folder)) {
    if (folder_.empty())
        return;
    std::error_code error;
    fs::create_directories(folder_, error);
    const fs::path mark = folder_ / (kMarkPrefix + std::to_string(wxGetProcessId()));
    if (fs::create_directory(mark, error) || fs::is_directory(mark, error)) {
        mark_ = mark;
        // A mark is a folder so that the cleanup of an interrupted run takes it too.
        slot_ = RegisterFolderForCleanup(mark_);
    }
}

InstanceMarker::~InstanceMarker() {
    std::error_code ignored;
    if (slot_ >= 0)
        UnregisterFolder(slot_);
    if (!mark_.empty())
        fs::remove(mark_, ignored);
    // The folder goes with the last mark; while another instance's mark is in it, it stays.
    if (!folder_.empty())
        fs::remove(folder_, ignored);
}

int InstanceMarker::OthersRunning() const {
    if (folder_.empty())
        return 0;
    int others = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        const long process = ProcessOfMark(it->path());
        if (process == 0 || it->path() == mark_)
            continue;
        if (wxProcess::Exists(static_cast<int>(process))) {
            ++others;
        } else {
            std::error_code ignored;
            fs::remove(it->path(), ignored); // left by an instance that was killed
        }
    }
    return others;
}

fs::path InstanceMarkerFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && fs::path(runtime).is_absolute())
        return fs::path(runtime) / "leafbind";
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    return error ? fs::path() : temporary / ("leafbind-" + wxGetUserId().utf8_string());
}

wxPoint OffsetForOthers(const wxPoint& alone, int others, int step) {
    const int steps = others % 8;
    return wxPoint(alone.x + steps * step, alone.y + steps * step);
}
