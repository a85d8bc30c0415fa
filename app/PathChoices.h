#pragma once
// What the two browse buttons make of the chosen paths. Plain UTF-8 strings, so tests reach the rules without a
// window.

#include <string>

// The chosen source's file name without its last extension: the proposed help title.
std::string TitleForSource(const std::string& sourcePath);
// The help file proposed for a source: same folder, same base name, extension ".chm".
std::string OutputPathForSource(const std::string& sourcePath);
// A chosen output keeps an extension "chm" in any case; any other name gets ".chm" appended.
std::string WithChmExtension(const std::string& outputPath);
