#pragma once
// How a step that can fail ended: a code the caller can act on and, when it failed, why, in words for the user.
// A default Status is a success; a failing step says which kind of failure it met.

#include <string>
#include <utility>

enum class StatusCode {
    Ok,
    NotThisFormat, // the bytes are not of the kind asked for at all (as opposed to a damaged one)
    Missing,       // what was asked for is not there
    Damaged,       // the right kind, but it cannot be read
    Protected,     // the right kind, locked with a password
    TooLarge,      // beyond a limit kept for safety
    Io,            // the file system refused
    Unavailable,   // a program or tool needed for the step is not installed or did not finish
};

struct Status {
    StatusCode code = StatusCode::Ok;
    std::string message; // empty on success

    bool ok() const { return code == StatusCode::Ok; }
};

inline Status Failure(StatusCode code, std::string message) {
    return Status{code, std::move(message)};
}
