#pragma once
// Files dropped from a file manager onto a window, handed to a function of the window's owner.

#include <wx/dnd.h>

#include <functional>

class FileDrop : public wxFileDropTarget {
public:
    // onDrop gets the dropped files' full paths and says whether it took them.
    explicit FileDrop(std::function<bool(const wxArrayString& files)> onDrop) : onDrop(std::move(onDrop)) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

private:
    std::function<bool(const wxArrayString& files)> onDrop;
};
