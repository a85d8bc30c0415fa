#pragma once
// What an in-process automation server read or wrote only in part, for its caller to pass on to the user. Word
// itself has no such channel; our document server fills it, and the converter empties it after each call that
// may add to it. Kept per thread: an in-process server runs on its caller's thread.

#include <string>
#include <vector>

// text is UTF-8.
void AddServerWarning(std::string text);
// Whether anything was added on this thread since the last TakeServerWarnings.
bool HasServerWarnings();
// Everything added on this thread since the last call, oldest first.
std::vector<std::string> TakeServerWarnings();
