#pragma once
// Runs leafbind-cli as a script would, for the end-to-end tests.

#include <string>
#include <vector>

struct CliRun {
    int status = -1;
    std::string output; // stdout and stderr together
};

// The text quoted for the shell.
std::string Quote(const std::string& text);
CliRun RunCli(const std::vector<std::string>& args);
