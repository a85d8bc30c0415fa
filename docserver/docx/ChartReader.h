#pragma once
// A chart as the values its part keeps with it (c:numCache, c:strCache): the kind, title, categories and series,
// with their colours, ready to be drawn. Charts of other kinds, 3D charts and charts without cached values are
// refused, with the reason in words.

#include "base/Status.h"
#include "docserver/docx/DrawingColor.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <vector>

enum class ChartKind { Column, Bar, Line, Area, Pie, Scatter };

// A chart holds one group of series per kind its plot area draws (a column chart with a line over it has two).
struct ChartGroup {
    ChartKind kind = ChartKind::Column;
    bool stacked = false;
    bool percent = false; // stacked to a hundred percent
    size_t firstSeries = 0;
    size_t seriesCount = 0;
};

struct ChartSeries {
    std::string name;
    std::vector<double> values;       // by category (the y values of a scatter chart); NaN where a point is missing
    std::vector<double> xValues;      // scatter charts: the x values, else empty
    int32_t color = -1;               // 0xBBGGRR from the part's own fill or line, -1 for the palette's
    std::vector<int32_t> pointColors; // pie charts: each slice's own colour, -1 for the palette's
    bool line = true;                 // scatter charts: the points are joined by a line
    bool valueLabels = false;         // each point shows its value (c:dLbls c:showVal)
};

struct ChartData {
    std::string title;
    std::vector<std::string> categories;
    std::vector<ChartSeries> series;
    std::vector<ChartGroup> groups;
    bool legend = false;      // the part asks for one
    bool legendBelow = false; // at the top or bottom rather than at a side
};

// Past these a chart is cut short, with a warning: a hostile part can claim any number of points.
constexpr size_t kMaxChartSeries = 64;
constexpr size_t kMaxChartPoints = 10000;

struct ChartReadResult {
    Status status; // NotThisFormat: a kind not drawn (3D, radar...); Missing: no cached values to draw
    ChartData chart;
    std::vector<std::string> cuts; // what was left out or changed to draw the rest, in words
};

// Reads the chart part's c:chartSpace; theme colours of series are answered by theme.
ChartReadResult ReadChart(const pugi::xml_document& part, const ThemeColorScheme& theme);

// The chart's title as its c:title holds it (rich text or a cached reference), empty when it has none.
std::string ChartTitle(const pugi::xml_document& part);
