#pragma once
// Layouts are given in dialog units; the dialog's own font turns them into pixels, as the templates intend.

#include <wx/window.h>

#include <algorithm>

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

// The same for a label with a control at its right (whose left edge is rightLimit, in pixels): it keeps a few pixels
// from that control and grows to the left where growing to the right would reach it.
inline void WidenToFit(wxWindow* label, int rightLimit) {
    WidenToFit(label);
    const int gap = label->GetParent()->ConvertDialogToPixels(wxSize(2, 0)).x;
    const wxRect rect = label->GetRect();
    if (rect.GetRight() + gap >= rightLimit)
        label->Move(std::max(0, rightLimit - gap - rect.width), rect.y);
}
