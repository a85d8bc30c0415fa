#pragma once
// Arguments a command line must carry over whole: spaces, quotes, backslashes before a quote and at the end, an
// empty one. ASCII only: the child reads main's narrow arguments.
inline const char* const kTrickyArguments[] = {
    "plain", "two words", "say \"hi\"", "back\\slash", "ends\\", "\\\"quoted\\\"", "", "tab\there",
};
