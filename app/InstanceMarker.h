#pragma once
// A mark of one running instance of the program: an empty folder named after its process in the user's runtime
// folder, there while the instance runs (an interrupted instance removes it with its other folders). Its count of
// the others places a second window beside the first rather than exactly on top of it. A mark whose process has
// ended without removing it (the program was killed outright) is removed by the next instance that sees it.

#include <wx/gdicmn.h>

#include <filesystem>

class InstanceMarker {
public:
    // folder: where the marks live (made when missing, removed with the last mark); empty: no mark, and no others
    // are seen.
    explicit InstanceMarker(std::filesystem::path folder);
    ~InstanceMarker();
    InstanceMarker(const InstanceMarker&) = delete;
    InstanceMarker& operator=(const InstanceMarker&) = delete;

    // How many other instances run now.
    int OthersRunning() const;

private:
    std::filesystem::path folder_;
    std::filesystem::path mark_; // empty when none could be made
    int slot_ = -1;              // its slot in the cleanup registry
};

// $XDG_RUNTIME_DIR/leafbind when that is an absolute path, else the folder leafbind-USER in the temporary folder.
std::filesystem::path InstanceMarkerFolder();

// Where a window goes when `others` instances are open already: each one step further down and to the right of
// where it would go alone, back to the start after eight.
wxPoint OffsetForOthers(const wxPoint& alone, int others, int step);
