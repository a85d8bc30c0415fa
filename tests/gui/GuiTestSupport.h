#pragma once
// Small helpers the GUI cases share: pumping the event loop until something has happened, and pressing buttons.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/utils.h>
#include <wx/window.h>

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
