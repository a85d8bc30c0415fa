#pragma once
// The one message box below the user interface. Front ends install their own: the desktop program a modal box,
// the command line a line on stderr, tests a recorder. Until one is installed, messages go to stderr.

#include <functional>
#include <string>

using MessageBoxHandler = std::function<void(const std::string& text)>;

// Returns the handler it replaces, so a caller can put it back.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
// Shows text (narrow, UTF-8) with an OK button and waits until it is closed.
void ShowMessageBox(const std::string& text);
