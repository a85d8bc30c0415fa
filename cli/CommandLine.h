#pragma once
// The batch front end's arguments: what to convert, where to, and the page options.

#include "base/MessageCatalogue.h"
#include "engine/PageOptions.h"

#include <optional>
#include <string>
#include <vector>

struct CliOptions {
    std::string input;                // UTF-8, as given
    std::string output;               // UTF-8; empty: beside the input, same base name, ".chm"
    std::optional<std::string> title; // UTF-8; none: the input's base name
    PageOptions page;                 // the switches; its copyright text stays empty, see copyright
    std::string copyright;            // UTF-8
    std::string keepFolder;           // empty: a fresh folder, removed at the end
    std::string webFolder;            // UTF-8; empty: no web help
    bool noHelpFile = false;          // only the web help
    bool quiet = false;
    std::string mapHeader;      // UTF-8; a C header giving the help IDs their numbers
    std::string writeMapHeader; // UTF-8; where to write the header of the help IDs used
};

struct ParsedCommandLine {
    enum class Action { Convert, Help, Version, Error } action = Action::Error;
    CliOptions options;
    std::string error; // for Action::Error
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);
// The help text of --help in the language given; the option help comes from the option table.
std::string UsageText(UserLanguage language);
