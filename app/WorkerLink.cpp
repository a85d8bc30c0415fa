#include "WorkerLink.h"

#include "UiTexts.h"

#include <wx/msgdlg.h>
#include <wx/window.h>

void WorkerLink::PostToDialog(std::function<void()> action) {
    // Queued under the lock, so the dialog cannot go between the check and the queueing; a queued action is
    // deleted with the dialog's other pending events.
    std::lock_guard lock(mutex_);
    if (dialog_)
        dialog_->CallAfter(std::move(action));
}

void WorkerLink::ShowMessageAndWait(const std::string& text) {
    std::unique_lock lock(mutex_);
    if (!dialog_)
        return;
    const uint64_t ticket = ++postedMessages_;
    auto self = shared_from_this();
    wxEvtHandler* dialog = dialog_;
    dialog_->CallAfter([self, dialog, text] {
        wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(ui::kAppTitle), wxOK,
                     dynamic_cast<wxWindow*>(dialog));
        std::lock_guard answered(self->mutex_);
        ++self->answeredMessages_;
        self->changed_.notify_all();
    });
    changed_.wait(lock, [&] { return answeredMessages_ >= ticket || !dialog_; });
}

void WorkerLink::DialogGone() {
    std::lock_guard lock(mutex_);
    dialog_ = nullptr;
    changed_.notify_all();
}

void WorkerLink::WorkerStarted() {
    std::lock_guard lock(mutex_);
    ++workers_;
}

void WorkerLink::WorkerFinished() {
    std::lock_guard lock(mutex_);
    --workers_;
    changed_.notify_all();
}

bool WorkerLink::WorkerRunning() const {
    std::lock_guard lock(mutex_);
    return workers_ > 0;
}

void WorkerLink::WaitUntilNoWorker() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return workers_ == 0; });
}
