#pragma once
// The converters this server calls on (LibreOffice, wmf2gd): found on PATH and run silenced, in a process group
// (on Windows a job object) of their own, killed with everything they started when they run past their time.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

// The executable named name in the first PATH folder that has one; empty when none does.
std::filesystem::path FindProgram(const char* name);

// Runs arguments[0] with the rest as its arguments, its standard streams on the null device. True when it exited with
// status 0 within limit.
bool RunProgram(const std::vector<std::string>& arguments, std::chrono::seconds limit);
