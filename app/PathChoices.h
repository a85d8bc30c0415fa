#pragma once
// What the two browse buttons make of the chosen paths. Plain UTF-8 strings, so tests reach the rules without a
// window. The proposed output and title for a source are the engine's (OutputPathForSource, TitleForSource).

#include "engine/ConversionRun.h"

#include <string>

// A chosen output keeps an extension "chm" in any case; any other name gets ".chm" appended.
std::string WithChmExtension(const std::string& outputPath);

// Where the file choosers open: the current source's folder when it still exists, else home.
std::string ChooserStartFolder(const std::string& sourcePath, const std::string& homeFolder);
