#pragma once
// The conversion worker's only way to the main dialog. The worker never touches a window: it hands work to the
// user-interface thread through this link, and once the dialog is gone (the user closed the program during a
// conversion) whatever it hands over is dropped. The dialog and every worker share the link.

#include <wx/event.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class WorkerLink : public std::enable_shared_from_this<WorkerLink> {
public:
    explicit WorkerLink(wxEvtHandler* dialog) : dialog_(dialog) {}

    // Runs action later on the user-interface thread, as an event of the dialog; dropped once the dialog is gone.
    // Queued actions run in the order they were posted.
    void PostToDialog(std::function<void()> action);
    // For any thread but the user-interface thread: shows text (UTF-8) in a modal box over the dialog and returns
    // when the user has closed it, or at once when the dialog is gone.
    void ShowMessageAndWait(const std::string& text);
    // Called by the dialog as it is destroyed; wakes a worker that waits for a message box.
    void DialogGone();

    void WorkerStarted();
    void WorkerFinished();
    bool WorkerRunning() const;
    // Returns when no worker runs any more.
    void WaitUntilNoWorker();

    // 1 while no conversion runs. Here rather than in the dialog, so the worker may write it after the dialog
    // has gone.
    std::atomic<int32_t> idle{1};

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    wxEvtHandler* dialog_;
    int workers_ = 0;
    uint64_t answeredMessages_ = 0;
    uint64_t postedMessages_ = 0;
};
