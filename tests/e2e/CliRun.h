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
// A command line run by the shell, its standard error with its output.
CliRun RunShell(const std::string& command);
