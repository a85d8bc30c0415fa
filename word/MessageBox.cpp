#include "MessageBox.h"

#include "automation/CodePage.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex handlerMutex;
MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard lock(handlerMutex);
    std::swap(CurrentHandler(), handler);
    return handler;
}

void ShowMessageBox(const std::string& text) {
    MessageBoxHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = CurrentHandler();
    }
    if (handler) {
        handler(text);
        return;
    }
    const std::string shown = NarrowToUtf8(text).value_or(text);
    std::fprintf(stderr, "%s\n", shown.c_str());
}
