#pragma once
// Small helpers the GUI cases share: pumping the event loop until something has happened, and pressing buttons.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <dlfcn.h>

// Lets the user-interface thread handle what the worker handed over until done() holds. The bound only keeps a
// broken case from hanging the whole run; nothing is measured.
template <typename Done> bool PumpUntil(Done done) {
    for (int round = 0; round < 60000 && !done(); ++round) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        if (!done())
            wxMilliSleep(1);
    }
    return done();
}

inline void PumpPending() {
    wxTheApp->ProcessPendingEvents();
    wxYield();
}

// The event a click on the button sends to its dialog.
inline void Click(wxWindow* dialog, int id) {
    wxWindow* button = dialog->FindWindow(id);
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

// GTK's own idea of the focus: wx learns of focus changes only in an active window, which a window on a display
// without a window manager never is. The two functions are found by name in the toolkit the process already runs,
// so the tests need no GTK headers.
namespace native {

template <typename Function> Function Gtk(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_DEFAULT, name));
}

// The identifier of the dialog's child that holds GTK's focus (or contains the widget that does); -1 when none does.
inline int FocusId(wxWindow* dialog) {
    using GetFocus = void* (*)(void*);
    using IsAncestor = int (*)(void*, void*);
    void* focus = Gtk<GetFocus>("gtk_window_get_focus")(dialog->GetHandle());
    for (wxWindow* child : dialog->GetChildren())
        if (focus &&
            (focus == child->GetHandle() || Gtk<IsAncestor>("gtk_widget_is_ancestor")(focus, child->GetHandle())))
            return child->GetId();
    return -1;
}

} // namespace native
