#pragma once
// Layouts are given in dialog units; the dialog's own font turns them into pixels, as the templates intend.

#include <wx/window.h>

struct DialogRect {
    int x;
    int y;
    int width;
    int height;
};

inline wxPoint DialogPosition(wxWindow* dialog, const DialogRect& rect) {
    return dialog->ConvertDialogToPixels(wxPoint(rect.x, rect.y));
}

inline wxSize DialogSize(wxWindow* dialog, const DialogRect& rect) {
    return dialog->ConvertDialogToPixels(wxSize(rect.width, rect.height));
}

// Labels were sized for the fonts of another system; one that needs a few pixels more grows to the right rather
// than wrapping its last characters away.
inline void WidenToFit(wxWindow* label) {
    const wxSize best = label->GetBestSize();
    const wxSize size = label->GetSize();
    if (best.x > size.x)
        label->SetSize(best.x, size.y);
}
