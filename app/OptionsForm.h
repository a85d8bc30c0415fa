#pragma once
// What the advanced dialog edits: the page options as the dialog's controls hold them.

#include "engine/PageOptions.h"

#include <string>

struct OptionsForm {
    std::string copyrightText; // UTF-8, lines separated by "\n" as the text control gives them
    PageOptions switches;      // the check boxes; its copyright text is not used

    static OptionsForm From(const PageOptions& options);
    // The copyright text as narrow text (UTF-8) with CR LF between lines, as the engine puts it into the pages
    // unchanged.
    PageOptions ToOptions() const;
};
