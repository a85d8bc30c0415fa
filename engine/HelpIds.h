#pragma once
// Help IDs: bookmarks named "IDH_..." mark the topics an application opens by number. The numbers come from the
// application's C header when one is given ("#define IDH_PRINT 1001"); otherwise they count up from a base in the
// order the bookmarks appear in the document.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Help IDs that cannot be made as asked: raised before any page is made, naming every fault found.
class HelpIdError : public std::runtime_error {
public:
    explicit HelpIdError(std::vector<std::string> problems);
    explicit HelpIdError(const std::string& problem) : HelpIdError(std::vector<std::string>{problem}) {}
    // One line each; what() has them all, a line each.
    const std::vector<std::string>& problems() const { return problems_; }

private:
    std::vector<std::string> problems_;
};

// What the front end asks for. Paths are narrow; empty: no header read, or none written.
struct HelpIdSettings {
    std::string mapHeader;
    std::string writeMapHeader;
    std::uint32_t firstNumber = 1000;
};

// One "#define" of a header, as the application spells it.
struct HeaderId {
    std::string name;
    std::uint32_t number = 0;
};

// An "IDH_" bookmark of the document, in document order.
struct HelpIdBookmark {
    std::string name;
    int32_t page = -1;         // -1: before the first heading, in no topic
    bool atTopicStart = false; // in the heading line: the page opens at its top anyway
};

// One help ID of the conversion.
struct HelpId {
    std::string name; // as the header spells it, otherwise as the bookmark does
    std::uint32_t number = 0;
    std::string anchor;   // the bookmark's name, as the page carries it
    int32_t page = -1;    // -1: the header's ID has no topic in this document
    bool pageTop = false; // the page alone, without the anchor
};

// Whether name starts with "IDH_" in any case.
bool IsHelpIdName(const std::string& name);
// Whether name is a C identifier: an ASCII letter or "_", then letters, digits and "_".
bool IsCIdentifier(const std::string& name);

// The "IDH_" defines of a C header; other lines and other names are passed over. Duplicate names (in any case, as
// bookmarks are matched), duplicate numbers, names that are not C identifiers and values that are not numbers from 0
// to 4294967295 are raised together, with fileName and the line number.
std::vector<HeaderId> ParseMapHeader(const std::string& text, const std::string& fileName);

// Gives the bookmarks their numbers: the header's (matched in any case), or firstNumber upwards when there is no
// header. Bookmarks that are not C identifiers or differ only in case are raised; a header ID without a bookmark,
// a bookmark without a number and a bookmark in no topic are warnings.
std::vector<HelpId> AssignHelpIds(const std::vector<HelpIdBookmark>& bookmarks,
                                  const std::optional<std::vector<HeaderId>>& header, const std::string& headerName,
                                  std::uint32_t firstNumber, std::vector<std::string>& warnings);

// Where the viewer opens the ID: "3.html#IDH_X", or "3.html" at the top of the page.
std::string HelpIdTarget(const HelpId& id);
// A C header with every ID and its number, one "#define" a line (LF endings).
std::string MapHeaderText(const std::vector<HelpId>& ids);
