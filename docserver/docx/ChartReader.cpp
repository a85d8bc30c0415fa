#include "ChartReader.h"

#include "docserver/package/XmlPart.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// Beyond this a value's distance to another could overflow while the axes are worked out.
constexpr double kLargestValue = 1e300;

// The first descendant element, depth first, with one of these local names; a chart's caches sit one to three
// levels below the element that names their role (c:val/c:numRef/c:numCache).
pugi::xml_node FindCache(const pugi::xml_node& holder, std::initializer_list<const char*> names, int depth = 0) {
    for (pugi::xml_node child = holder.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        for (const char* name : names)
            if (IsElement(child, name))
                return child;
        if (depth < 3)
            if (pugi::xml_node found = FindCache(child, names, depth + 1))
                return found;
    }
    return {};
}

// The points of a cache (c:pt with c:idx and c:v) by index, at most kMaxChartPoints of them; cut tells when more
// were announced or given.
std::vector<std::string> CachedTexts(const pugi::xml_node& cache, bool& cut) {
    std::vector<std::string> texts;
    if (!cache)
        return texts;
    const long long announced = std::max(0LL, Attribute(Child(cache, "ptCount"), "val").as_llong());
    if (announced > static_cast<long long>(kMaxChartPoints))
        cut = true;
    texts.resize(static_cast<size_t>(std::min<long long>(announced, kMaxChartPoints)));
    for (pugi::xml_node point = cache.first_child(); point; point = point.next_sibling()) {
        if (!IsElement(point, "pt"))
            continue;
        const long long index = Attribute(point, "idx").as_llong(-1);
        if (index < 0)
            continue;
        if (index >= static_cast<long long>(kMaxChartPoints)) {
            cut = true;
            continue;
        }
        if (static_cast<size_t>(index) >= texts.size())
            texts.resize(static_cast<size_t>(index) + 1);
        texts[static_cast<size_t>(index)] = Child(point, "v").text().get();
    }
    return texts;
}

// Numbers of a role (c:val, c:yVal, c:xVal); what is not a finite number is a missing point.
std::vector<double> CachedNumbers(const pugi::xml_node& role, bool& cut, bool& notNumbers) {
    const std::vector<std::string> texts = CachedTexts(FindCache(role, {"numCache", "numLit"}), cut);
    std::vector<double> numbers(texts.size(), kNoValue);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].empty())
            continue;
        char* end = nullptr;
        const double value = std::strtod(texts[i].c_str(), &end);
        if (end != texts[i].c_str() && std::isfinite(value) && std::fabs(value) <= kLargestValue)
            numbers[i] = value;
        else
            notNumbers = true;
    }
    return numbers;
}

// Category names: text, numbers as written, or the first level of a many-level list.
std::vector<std::string> CachedCategories(const pugi::xml_node& role, bool& cut) {
    pugi::xml_node cache = FindCache(role, {"strCache", "numCache", "strLit", "numLit", "multiLvlStrCache"});
    if (IsElement(cache, "multiLvlStrCache")) {
        const pugi::xml_node level = Child(cache, "lvl");
        std::vector<std::string> texts = CachedTexts(level, cut);
        // A level holds its points without ptCount; the cache's own count sizes it.
        const long long announced = Attribute(Child(cache, "ptCount"), "val").as_llong();
        if (announced > 0 && static_cast<size_t>(announced) > texts.size())
            texts.resize(static_cast<size_t>(std::min<long long>(announced, kMaxChartPoints)));
        return texts;
    }
    return CachedTexts(cache, cut);
}

std::string SeriesName(const pugi::xml_node& series, size_t number) {
    const pugi::xml_node text = Child(series, "tx");
    bool cut = false;
    if (const std::vector<std::string> cached = CachedTexts(FindCache(text, {"strCache"}), cut);
        !cached.empty() && !cached[0].empty())
        return cached[0];
    if (const pugi::xml_node value = Child(text, "v"); value && *value.text().get())
        return value.text().get();
    return "Series " + std::to_string(number);
}

// A line's colour (lines, scatter points) is its a:ln's; a filled shape's (bars, areas, slices) its fill's.
int32_t ShapeColor(const pugi::xml_node& shapeProperties, bool line, const ThemeColorScheme& theme) {
    if (line)
        if (const pugi::xml_node fill = Child(Child(shapeProperties, "ln"), "solidFill"))
            return DrawingColor(fill, theme);
    return DrawingColor(Child(shapeProperties, "solidFill"), theme);
}

struct KindName {
    const char* element;
    ChartKind kind;
};

constexpr KindName kDrawnKinds[] = {{"barChart", ChartKind::Column},
                                    {"lineChart", ChartKind::Line},
                                    {"areaChart", ChartKind::Area},
                                    {"pieChart", ChartKind::Pie},
                                    {"scatterChart", ChartKind::Scatter}};

// Whether data labels (a group's, or a series' own over them) show the values.
bool ShowsValues(const pugi::xml_node& labels, bool inherited) {
    if (!labels)
        return inherited;
    if (OnOff(labels, "delete") == 1)
        return false;
    const int shown = OnOff(labels, "showVal");
    return shown < 0 ? inherited : shown == 1;
}

bool HasFiniteValue(const std::vector<double>& values) {
    return std::any_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

} // namespace

std::string ChartTitle(const pugi::xml_document& part) {
    const pugi::xml_node title = Child(Child(part.document_element(), "chart"), "title");
    const pugi::xml_node text = Child(title, "tx");
    std::string joined;
    for (const pugi::xpath_node& paragraph : text.select_nodes(".//*[local-name()='p']")) {
        std::string line;
        for (const pugi::xpath_node& run : paragraph.node().select_nodes(".//*[local-name()='t']"))
            line += run.node().text().get();
        if (!line.empty())
            joined += (joined.empty() ? "" : " ") + line;
    }
    if (joined.empty()) {
        bool cut = false;
        if (const std::vector<std::string> cached = CachedTexts(FindCache(text, {"strCache"}), cut); !cached.empty())
            joined = cached[0];
    }
    return joined;
}

ChartReadResult ReadChart(const pugi::xml_document& part, const ThemeColorScheme& theme) {
    ChartReadResult result;
    ChartData& chart = result.chart;
    const pugi::xml_node chartNode = Child(part.document_element(), "chart");
    const pugi::xml_node plotArea = Child(chartNode, "plotArea");
    bool cutPoints = false, cutSeries = false, notNumbers = false, negativeSlices = false;
    for (pugi::xml_node group = plotArea.first_child(); group; group = group.next_sibling()) {
        const std::string name = group.type() == pugi::node_element ? LocalName(group) : "";
        if (!name.ends_with("Chart"))
            continue;
        const auto known = std::find_if(std::begin(kDrawnKinds), std::end(kDrawnKinds),
                                        [&](const KindName& kind) { return name == kind.element; });
        if (known == std::end(kDrawnKinds)) {
            const std::string kind = name.substr(0, name.size() - 5);
            result.status = Failure(StatusCode::NotThisFormat, kind.find("3D") != std::string::npos
                                                                   ? "3D charts are not drawn"
                                                                   : kind + " charts are not drawn");
            return result;
        }
        ChartGroup drawn;
        drawn.kind = known->kind;
        if (drawn.kind == ChartKind::Column && ChildValue(group, "barDir") == "bar")
            drawn.kind = ChartKind::Bar;
        const std::string grouping = ChildValue(group, "grouping");
        drawn.stacked = grouping == "stacked" || grouping == "percentStacked";
        drawn.percent = grouping == "percentStacked";
        drawn.firstSeries = chart.series.size();
        const bool lines = drawn.kind == ChartKind::Line || drawn.kind == ChartKind::Scatter;
        const bool markersOnly = ChildValue(group, "scatterStyle") == "marker";
        for (pugi::xml_node node = group.first_child(); node; node = node.next_sibling()) {
            if (!IsElement(node, "ser"))
                continue;
            if (chart.series.size() >= kMaxChartSeries) {
                cutSeries = true;
                break;
            }
            ChartSeries series;
            series.name = SeriesName(node, chart.series.size() + 1);
            const pugi::xml_node shape = Child(node, "spPr");
            series.color = ShapeColor(shape, lines, theme);
            series.valueLabels = ShowsValues(Child(node, "dLbls"), ShowsValues(Child(group, "dLbls"), false));
            if (drawn.kind == ChartKind::Scatter) {
                series.values = CachedNumbers(Child(node, "yVal"), cutPoints, notNumbers);
                bool ignored = false;
                series.xValues = CachedNumbers(Child(node, "xVal"), cutPoints, ignored);
                // Text for x values (or none) places the points one apart, as Word does.
                if (!HasFiniteValue(series.xValues)) {
                    series.xValues.resize(series.values.size());
                    for (size_t i = 0; i < series.xValues.size(); ++i)
                        series.xValues[i] = static_cast<double>(i + 1);
                }
                series.xValues.resize(series.values.size(), kNoValue);
                series.line = !markersOnly && !Child(Child(shape, "ln"), "noFill");
            } else {
                series.values = CachedNumbers(Child(node, "val"), cutPoints, notNumbers);
                if (chart.categories.empty())
                    chart.categories = CachedCategories(Child(node, "cat"), cutPoints);
            }
            if (drawn.kind == ChartKind::Pie) {
                series.pointColors.assign(series.values.size(), -1);
                for (pugi::xml_node point = node.first_child(); point; point = point.next_sibling())
                    if (IsElement(point, "dPt")) {
                        const long long index = Attribute(Child(point, "idx"), "val").as_llong(-1);
                        if (index >= 0 && static_cast<size_t>(index) < series.pointColors.size())
                            series.pointColors[static_cast<size_t>(index)] =
                                ShapeColor(Child(point, "spPr"), false, theme);
                    }
                for (double& value : series.values)
                    if (value < 0) {
                        value = -value; // a slice shows a value's size
                        negativeSlices = true;
                    }
            }
            chart.series.push_back(std::move(series));
        }
        drawn.seriesCount = chart.series.size() - drawn.firstSeries;
        if (drawn.seriesCount > 0)
            chart.groups.push_back(drawn);
        if (cutSeries)
            break;
    }
    if (chart.groups.empty()) {
        result.status = Failure(StatusCode::Missing, "it has no series to draw");
        return result;
    }
    const bool alone = std::any_of(chart.groups.begin(), chart.groups.end(), [](const ChartGroup& group) {
        return group.kind == ChartKind::Pie || group.kind == ChartKind::Scatter;
    });
    if (alone && chart.groups.size() > 1) {
        result.status = Failure(StatusCode::NotThisFormat, "pie or scatter charts combined with other kinds are not "
                                                           "drawn");
        return result;
    }
    if (chart.groups[0].kind == ChartKind::Pie && chart.groups[0].seriesCount > 1) {
        result.cuts.push_back("a pie chart shows its first series only");
        chart.series.resize(1);
        chart.groups[0].seriesCount = 1;
    }
    if (std::none_of(chart.series.begin(), chart.series.end(),
                     [](const ChartSeries& series) { return HasFiniteValue(series.values); })) {
        result.status = Failure(StatusCode::Missing, "it keeps no values of its own to draw");
        return result;
    }
    if (chart.groups[0].kind == ChartKind::Pie) {
        double total = 0;
        for (double value : chart.series[0].values)
            if (std::isfinite(value))
                total += value;
        if (!(total > 0)) {
            result.status = Failure(StatusCode::Missing, "its slices add up to nothing");
            return result;
        }
    }
    chart.title = ChartTitle(part);
    if (chart.title.empty() && Child(chartNode, "title") && chart.series.size() == 1)
        chart.title = chart.series[0].name; // a title with no text of its own names the one series
    const pugi::xml_node legend = Child(chartNode, "legend");
    chart.legend = static_cast<bool>(legend);
    const std::string position = ChildValue(legend, "legendPos", "r");
    chart.legendBelow = position == "b" || position == "t";
    if (cutSeries)
        result.cuts.push_back("only its first " + std::to_string(kMaxChartSeries) + " series are drawn");
    if (cutPoints)
        result.cuts.push_back("only the first " + std::to_string(kMaxChartPoints) + " points of a series are drawn");
    if (notNumbers)
        result.cuts.push_back("values that are not numbers are left out");
    if (negativeSlices)
        result.cuts.push_back("negative values are drawn as slices of their size");
    return result;
}
