#pragma once
// What the two browse buttons make of the chosen paths. Plain UTF-8 strings, so tests reach the rules without a
// window. The proposed output and title for a source are the engine's (OutputPathForSource, TitleForSource).

#include "engine/ConversionRun.h"

#include <string>
#include <vector>

// A chosen output keeps an extension "chm" in any case; any other name gets ".chm" appended.
std::string WithChmExtension(const std::string& outputPath);

// A file taken as the source without the chooser (dropped on the window, or named when the program starts): one
// ending in .doc or .docx, in any case.
bool IsWordFileName(const std::string& path);

// Where the file choosers open: the chosen source's folder, else the folder remembered from an earlier run, else
// the home folder.
std::string ChooserStartFolder(const std::string& sourcePath, const std::string& rememberedFolder,
                               const std::string& homeFolder);

// Where the help button looks for the program's help file, in order: beside the program, as the build leaves it,
// then in the installed tree's data folder, found from the program's folder so a moved tree still finds it.
std::vector<std::string> HelpFileCandidates(const std::string& programFolder, const std::string& fileName);
