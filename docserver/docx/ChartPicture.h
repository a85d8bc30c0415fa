#pragma once
// A chart read from its part drawn as a PNG picture with cairo: title, legend, axes with their labels and
// gridlines, and the series as columns, bars, lines, areas, slices or points, in the part's own colours or a fixed
// palette. Drawn at twice the size it has on the page, as other pictures are kept, so it stays sharp when enlarged.

#include "docserver/docx/ChartReader.h"

#include <cstdint>
#include <vector>

// The longest side a chart picture is given, however large it is drawn.
constexpr int kMaxChartPixels = 2048;

// The chart at twice widthEmu x heightEmu (a default size when they are not positive), the longest side at most
// kMaxChartPixels. Empty when the picture could not be made.
std::vector<uint8_t> DrawChart(const ChartData& chart, int64_t widthEmu, int64_t heightEmu);

// Whether this build draws charts at all; one without cairo keeps every chart as its title.
bool ChartsAreDrawn();

// The colour a chart gives the series (or slice) at index when the part gives none, as 0xBBGGRR.
int32_t ChartPaletteColor(size_t index);
