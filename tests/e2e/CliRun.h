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
// Runs in the user language given ("en" or "zh"), whatever the locale the tests run under.
CliRun RunCli(const std::vector<std::string>& args, const std::string& language = "en");
// A command line run by the shell, its standard error with its output.
CliRun RunShell(const std::string& command);
