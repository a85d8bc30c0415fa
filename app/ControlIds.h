#pragma once
// Every control and timer identifier of the three dialogs, with the numbers the dialog templates give them.

#include <wx/defs.h>

enum ControlId : int {
    kIdOk = wxID_OK,         // 1: OK of every dialog; on the main dialog it closes the program
    kIdCancel = wxID_CANCEL, // 2: cancel of the advanced dialog
    kIdGenerate = 1000,
    kIdSourcePath = 1001,
    kIdBrowseSource = 1002,
    kIdOutputPath = 1003,
    kIdBrowseOutput = 1004,
    kIdHelpTitle = 1005,
    kIdView = 1006,
    kIdProgressText = 1008,
    kIdAbout = 1010,
    kIdHomePageLink = 1013,
    kIdHelp = 1018,
    kIdAdvanced = 1019,
    kIdCopyright = 1022,
    kIdShowHeader = 1023,
    kIdShowFooter = 1024,
    kIdPngImages = 1025,
    kIdRelatedTopics = 1026,
    kIdShowNumbering = 1027,
    kIdFrontPage = 1028, // our own: the page options added after the original five count on from here
    kIdLanguage = 1029,  // the help file's language
    kIdWebHelp = 1030,   // web help beside the help file: the check box, its folder and the folder's browse button
    kIdWebFolder = 1031,
    kIdBrowseWebFolder = 1032,
    // Our own: the warnings list and its buttons, and the stop button of the main dialog.
    kIdWarningsList = 1100,
    kIdCopyWarnings = 1101,
    kIdSaveWarnings = 1102,
    kIdStop = 1103,
};

// The progress timer of the main dialog.
constexpr int kProgressTimerId = 1;
constexpr int kProgressTimerMilliseconds = 1000;
