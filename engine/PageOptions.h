#pragma once
// The page options: what a run makes of every page. Each on/off option is defined once, in the table below, with
// everything a front end shows of it (flag, help text, dialog check box, manual line); the command line, the
// advanced dialog and the user manual all loop over that table, so an option added there reaches every one of them.

#include <span>
#include <string>

// The options one conversion uses from its start to its end.
struct PageOptions {
    bool showHeader = false;
    bool showFooter = false;
    bool pngImages = true;
    bool relatedTopics = true;
    bool showNumbering = false;
    bool frontPage = false;    // the text before the first heading on a page of its own
    std::string copyrightText; // narrow, lines separated by CR LF
    std::string language;      // the help file's language, a tag or an LCID; empty: chosen from the document
};

// One on/off page option. Its default is the field's value in a default PageOptions; its flag turns that default
// around ("--header" sets showHeader, "--no-png" clears pngImages).
struct PageSwitch {
    bool PageOptions::*field;
    const char* flag;
    const char* help;        // the command line's help text (English); "\n" starts a continuation line
    const char* chineseHelp; // the same in Chinese (UTF-8), for users under a Chinese locale
    int controlId;           // the advanced dialog's check box
    const char* caption;     // its caption (UTF-8), in Chinese
    const char* englishCaption;
    const char* effect; // the user manual's line on what it does (UTF-8)
};

// In the advanced dialog's tab order.
std::span<const PageSwitch> PageSwitches();

// The option's value in a default PageOptions.
bool DefaultValue(const PageSwitch& option);
