#pragma once
// What the advanced dialog edits: the process-wide page options as the dialog's controls hold them.

#include <string>

class ConvertOptions;

struct OptionsForm {
    std::string copyrightText; // UTF-8, lines separated by "\n" as the text control gives them
    bool showHeader = false;
    bool showFooter = false;
    bool pngImages = true;
    bool relatedTopics = true;
    bool showNumbering = false;

    static OptionsForm From(const ConvertOptions& options);
    // The copyright text is stored in the program's code page with CR LF between lines, as the engine puts it
    // into the pages unchanged.
    void StoreTo(ConvertOptions& options) const;
};
