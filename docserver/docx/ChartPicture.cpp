#include "ChartPicture.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr double kEmuPerPixel = 9525; // 96 pixels to the inch
constexpr double kDefaultWidth = 480; // pixels on the page, when the drawing gives no size
constexpr double kDefaultHeight = 288;
constexpr double kPad = 6;
constexpr double kGapWidth = 1.5; // the room between columns, as a share of one column (Word's 150 %)

struct Colour {
    double r, g, b;
};

Colour FromNumber(int32_t color) {
    return Colour{(color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0};
}

void SetColour(cairo_t* cr, const Colour& colour) {
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
}

const Colour kText{0.25, 0.25, 0.25};
const Colour kGrid{0.85, 0.85, 0.85};
const Colour kAxis{0.65, 0.65, 0.65};

// A value as an axis shows it: no more digits than it needs, and never "-0".
std::string NumberText(double value, bool percent) {
    if (std::fabs(value) < 1e-12)
        value = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return std::string(text) + (percent ? "%" : "");
}

double TextWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// The text cut (on a letter's boundary) with an ellipsis so that it is at most width wide.
std::string FitText(cairo_t* cr, std::string text, double width) {
    if (TextWidth(cr, text) <= width)
        return text;
    while (!text.empty()) {
        do
            text.pop_back();
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80);
        if (!text.empty() && (static_cast<unsigned char>(text.back()) & 0x80))
            text.pop_back(); // the lead byte of the letter whose continuation went
        if (TextWidth(cr, text + "\xE2\x80\xA6") <= width)
            return text + "\xE2\x80\xA6";
    }
    return text;
}

// Text with its left (align 0), centre (0.5) or right (1) at x and its middle at y.
void ShowText(cairo_t* cr, const std::string& text, double x, double y, double align) {
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    cairo_move_to(cr, x - TextWidth(cr, text) * align, y + (font.ascent - font.descent) / 2);
    cairo_show_text(cr, text.c_str());
}

struct Box {
    double left, top, right, bottom;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

// An axis from low to high in steps of step, at round numbers, with about five steps.
struct Scale {
    double low = 0, high = 1, step = 1;
    double Fraction(double value) const { return (value - low) / (high - low); }
};

Scale NiceScale(double low, double high) {
    if (!(high > low)) {
        const double room = low == 0 ? 1 : std::fabs(low) * 0.5;
        low -= room;
        high += room;
    }
    const double rough = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude * 10;
    for (double factor : {1.0, 2.0, 2.5, 5.0})
        if (magnitude * factor >= rough) {
            step = magnitude * factor;
            break;
        }
    Scale scale;
    scale.step = step;
    scale.low = std::floor(low / step) * step;
    scale.high = std::ceil(high / step) * step;
    if (!(scale.high > scale.low) || !std::isfinite(scale.high - scale.low)) {
        scale.low = low;
        scale.high = high;
        scale.step = high - low;
    }
    return scale;
}

// The tick values of a scale, at most a few dozen whatever rounding does.
std::vector<double> Ticks(const Scale& scale) {
    std::vector<double> ticks;
    for (int i = 0; i <= 40; ++i) {
        const double value = scale.low + i * scale.step;
        if (value > scale.high + scale.step * 1e-9)
            break;
        ticks.push_back(value);
    }
    return ticks;
}

class ChartPainter {
public:
    ChartPainter(cairo_t* cr, const ChartData& chart, double width, double height)
        : cr_(cr), chart_(chart), width_(width), height_(height) {
        fontSize_ = std::clamp(std::min(width, height) / 24, 7.0, 13.0);
        categoryCount_ = chart.categories.size();
        for (const ChartSeries& series : chart.series)
            categoryCount_ = std::max(categoryCount_, series.values.size());
    }

    void Paint() {
        cairo_set_source_rgb(cr_, 1, 1, 1);
        cairo_paint(cr_);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        Box area{kPad, kPad, width_ - kPad, height_ - kPad};
        PaintTitle(area);
        PaintLegend(area);
        if (area.Width() < 8 || area.Height() < 8)
            return;
        const ChartKind kind = chart_.groups.front().kind;
        if (kind == ChartKind::Pie)
            PaintPie(area);
        else if (kind == ChartKind::Scatter)
            PaintScatter(area);
        else
            PaintCategories(area);
    }

private:
    Colour SeriesColour(size_t index) const {
        const int32_t own = chart_.series[index].color;
        return FromNumber(own >= 0 ? own : ChartPaletteColor(index));
    }

    Colour SliceColour(size_t index) const {
        const std::vector<int32_t>& own = chart_.series[0].pointColors;
        return FromNumber(index < own.size() && own[index] >= 0 ? own[index] : ChartPaletteColor(index));
    }

    std::string CategoryName(size_t index) const {
        if (index < chart_.categories.size() && !chart_.categories[index].empty())
            return chart_.categories[index];
        return std::to_string(index + 1);
    }

    void PaintTitle(Box& area) {
        if (chart_.title.empty())
            return;
        cairo_save(cr_);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr_, fontSize_ * 1.35);
        SetColour(cr_, kText);
        const double line = fontSize_ * 1.35 * 1.3;
        ShowText(cr_, FitText(cr_, chart_.title, area.Width()), width_ / 2, area.top + line / 2, 0.5);
        cairo_restore(cr_);
        area.top += line + kPad;
    }

    // The legend takes its room from the side (or the foot) of the area: one entry per series, per slice for a pie.
    void PaintLegend(Box& area) {
        const bool pie = chart_.groups.front().kind == ChartKind::Pie;
        if (!chart_.legend)
            return;
        std::vector<std::pair<std::string, Colour>> entries;
        const size_t count = pie ? categoryCount_ : chart_.series.size();
        for (size_t i = 0; i < count; ++i)
            entries.emplace_back(pie ? CategoryName(i) : chart_.series[i].name, pie ? SliceColour(i) : SeriesColour(i));
        if (entries.empty())
            return;
        cairo_set_font_size(cr_, fontSize_);
        const double line = fontSize_ * 1.5, swatch = fontSize_ * 0.8;
        double widest = 0;
        for (size_t i = 0; i < entries.size() && i * line < height_; ++i)
            widest = std::max(widest, TextWidth(cr_, entries[i].first));
        if (chart_.legendBelow) {
            const double entryWidth = std::min(widest, area.Width() / 2) + swatch + 2 * kPad;
            const size_t perRow = std::max<size_t>(1, static_cast<size_t>(area.Width() / entryWidth));
            const size_t rows = std::min((entries.size() + perRow - 1) / perRow,
                                         static_cast<size_t>(std::max(1.0, area.Height() / 3 / line)));
            const double top = area.bottom - rows * line;
            for (size_t row = 0; row < rows; ++row) {
                const size_t first = row * perRow, last = std::min(entries.size(), first + perRow);
                double x = (width_ - (last - first) * entryWidth) / 2;
                for (size_t i = first; i < last; ++i, x += entryWidth)
                    PaintLegendEntry(entries[i], x, top + (row + 0.5) * line, entryWidth - swatch - 2 * kPad, swatch);
            }
            area.bottom = top - kPad;
            return;
        }
        const double textWidth = std::min(widest, area.Width() * 0.3);
        const double entryWidth = textWidth + swatch + kPad;
        const size_t shown = std::min(entries.size(), static_cast<size_t>(std::max(1.0, area.Height() / line)));
        double y = area.top + (area.Height() - shown * line) / 2 + line / 2;
        for (size_t i = 0; i < shown; ++i, y += line)
            PaintLegendEntry(entries[i], area.right - entryWidth, y, textWidth, swatch);
        area.right -= entryWidth + 2 * kPad;
    }

    void PaintLegendEntry(const std::pair<std::string, Colour>& entry, double x, double y, double textWidth,
                          double swatch) {
        SetColour(cr_, entry.second);
        cairo_rectangle(cr_, x, y - swatch / 2, swatch, swatch);
        cairo_fill(cr_);
        SetColour(cr_, kText);
        ShowText(cr_, FitText(cr_, entry.first, textWidth), x + swatch + kPad / 2, y, 0);
    }

    void PaintPie(const Box& area) {
        const std::vector<double>& values = chart_.series[0].values;
        double total = 0;
        for (double value : values)
            if (std::isfinite(value))
                total += value;
        const double radius = std::min(area.Width(), area.Height()) / 2 - 1;
        const double cx = (area.left + area.right) / 2, cy = (area.top + area.bottom) / 2;
        double angle = -M_PI / 2; // the first slice starts at the top and they go round clockwise
        for (size_t i = 0; i < values.size(); ++i) {
            if (!std::isfinite(values[i]) || values[i] <= 0)
                continue;
            const double sweep = 2 * M_PI * values[i] / total;
            cairo_move_to(cr_, cx, cy);
            cairo_arc(cr_, cx, cy, radius, angle, angle + sweep);
            cairo_close_path(cr_);
            SetColour(cr_, SliceColour(i));
            cairo_fill_preserve(cr_);
            cairo_set_source_rgb(cr_, 1, 1, 1);
            cairo_set_line_width(cr_, 1);
            cairo_stroke(cr_);
            if (ShowsLabels(0))
                PaintLabel(values[i], cx + std::cos(angle + sweep / 2) * radius * 0.65,
                           cy + std::sin(angle + sweep / 2) * radius * 0.65);
            angle += sweep;
        }
    }

    // Values of one group's series at one category after stacking: where each series' piece starts and ends.
    struct Stacked {
        std::vector<double> from, to;
    };

    Stacked Stack(const ChartGroup& group, size_t category) const {
        Stacked stacked;
        double total = 0;
        for (size_t s = 0; s < group.seriesCount; ++s) {
            const std::vector<double>& values = chart_.series[group.firstSeries + s].values;
            if (category < values.size() && std::isfinite(values[category]))
                total += std::fabs(values[category]);
        }
        double above = 0, below = 0;
        for (size_t s = 0; s < group.seriesCount; ++s) {
            const std::vector<double>& values = chart_.series[group.firstSeries + s].values;
            double value = category < values.size() ? values[category] : NAN;
            if (group.percent && std::isfinite(value))
                value = total > 0 ? value / total * 100 : 0;
            if (!std::isfinite(value)) {
                stacked.from.push_back(NAN);
                stacked.to.push_back(NAN);
            } else if (!group.stacked) {
                stacked.from.push_back(0);
                stacked.to.push_back(value);
            } else {
                double& base = value >= 0 ? above : below;
                stacked.from.push_back(base);
                base += value;
                stacked.to.push_back(base);
            }
        }
        return stacked;
    }

    Scale ValueScale() const {
        double low = INFINITY, high = -INFINITY;
        bool line = false;
        for (const ChartGroup& group : chart_.groups) {
            line = line || group.kind == ChartKind::Line;
            for (size_t c = 0; c < categoryCount_; ++c) {
                const Stacked stacked = Stack(group, c);
                for (double value : stacked.to)
                    if (std::isfinite(value)) {
                        low = std::min(low, value);
                        high = std::max(high, value);
                    }
            }
        }
        if (!std::isfinite(low))
            low = high = 0;
        // Columns, bars and areas grow from zero; lines do too unless their values lie close together far from it.
        const bool closeTogether = low > 0 && (high - low) < high / 6;
        if (!line || !closeTogether) {
            low = std::min(low, 0.0);
            high = std::max(high, 0.0);
        }
        return NiceScale(low, high);
    }

    bool Percent() const {
        return std::any_of(chart_.groups.begin(), chart_.groups.end(), [](const ChartGroup& g) { return g.percent; });
    }

    void PaintCategories(const Box& area) {
        const bool across = chart_.groups.front().kind == ChartKind::Bar; // values run across, categories down
        const Scale scale = ValueScale();
        const std::vector<double> ticks = Ticks(scale);
        cairo_set_font_size(cr_, fontSize_);
        double valueLabels = 0;
        for (double tick : ticks)
            valueLabels = std::max(valueLabels, TextWidth(cr_, NumberText(tick, Percent())));
        const double line = fontSize_ * 1.4;
        double categoryLabels = 0;
        if (across)
            for (size_t c = 0; c < categoryCount_ && c * line < 2 * height_; ++c)
                categoryLabels = std::max(categoryLabels, TextWidth(cr_, CategoryName(c)));
        categoryLabels = std::min(categoryLabels, area.Width() * 0.3);
        Box plot = area;
        if (across) {
            plot.left += categoryLabels + kPad;
            plot.bottom -= line;
            plot.right -= valueLabels / 2;
        } else {
            plot.left += valueLabels + kPad;
            plot.bottom -= line + kPad / 2;
        }
        if (plot.Width() < 4 || plot.Height() < 4 || categoryCount_ == 0)
            return;
        auto valueAt = [&](double value) {
            const double f = scale.Fraction(value);
            return across ? plot.left + f * plot.Width() : plot.bottom - f * plot.Height();
        };
        const double slot = (across ? plot.Height() : plot.Width()) / static_cast<double>(categoryCount_);
        auto slotStart = [&](size_t category) {
            return across ? plot.top + category * slot : plot.left + category * slot;
        };
        // Areas alone put their points on the category marks from edge to edge; everything else sits in the middle
        // of its category's room.
        const bool onMarks =
            categoryCount_ > 1 && std::all_of(chart_.groups.begin(), chart_.groups.end(),
                                              [](const ChartGroup& g) { return g.kind == ChartKind::Area; });
        auto along = [&](size_t category) {
            return onMarks ? slotStart(0) + category * (slot * categoryCount_) / static_cast<double>(categoryCount_ - 1)
                           : slotStart(category) + slot / 2;
        };
        // Gridlines and value labels at each tick.
        cairo_set_line_width(cr_, 0.75);
        for (double tick : ticks) {
            const double at = std::round(valueAt(tick)) + 0.5;
            SetColour(cr_, kGrid);
            ValueLine(at, plot, across);
            SetColour(cr_, kText);
            if (across)
                ShowText(cr_, NumberText(tick, Percent()), at, plot.bottom + line / 2 + 2, 0.5);
            else
                ShowText(cr_, NumberText(tick, Percent()), plot.left - kPad / 2, at, 1);
        }
        for (const ChartGroup& group : chart_.groups) {
            if (group.kind == ChartKind::Column || group.kind == ChartKind::Bar)
                PaintBars(group, across, slot, slotStart, valueAt);
            else if (group.kind == ChartKind::Area)
                PaintAreaOrLine(group, true, across, along, valueAt);
        }
        for (const ChartGroup& group : chart_.groups)
            if (group.kind == ChartKind::Line)
                PaintAreaOrLine(group, false, across, along, valueAt);
        // The category axis, on zero, and its labels, as many as fit without overlapping.
        SetColour(cr_, kAxis);
        cairo_set_line_width(cr_, 1);
        ValueLine(std::round(valueAt(std::clamp(0.0, scale.low, scale.high))) + 0.5, plot, across);
        SetColour(cr_, kText);
        double widest = line;
        if (!across)
            for (size_t c = 0; c < categoryCount_ && c < 200; ++c)
                widest = std::max(widest, TextWidth(cr_, CategoryName(c)) + kPad);
        const double room = across ? line : std::min(widest, plot.Width());
        const size_t every = std::max<size_t>(1, static_cast<size_t>(std::ceil(room / slot)));
        for (size_t c = 0; c < categoryCount_; c += every) {
            const double middle = along(c);
            if (across)
                ShowText(cr_, FitText(cr_, CategoryName(c), categoryLabels), plot.left - kPad / 2, middle, 1);
            else
                ShowText(cr_, FitText(cr_, CategoryName(c), slot * every - 2), middle, plot.bottom + line / 2 + 2, 0.5);
        }
    }

    template <typename SlotStart, typename ValueAt>
    void PaintBars(const ChartGroup& group, bool across, double slot, const SlotStart& slotStart,
                   const ValueAt& valueAt) {
        const size_t side = group.stacked ? 1 : group.seriesCount;
        const double thickness = slot / (static_cast<double>(side) + kGapWidth);
        for (size_t c = 0; c < categoryCount_; ++c) {
            const Stacked stacked = Stack(group, c);
            for (size_t s = 0; s < group.seriesCount; ++s) {
                if (!std::isfinite(stacked.to[s]))
                    continue;
                const double start = slotStart(c) + thickness * kGapWidth / 2 + (group.stacked ? 0 : s * thickness);
                const double a = valueAt(stacked.from[s]), b = valueAt(stacked.to[s]);
                if (across)
                    cairo_rectangle(cr_, std::min(a, b), start, std::fabs(b - a), thickness);
                else
                    cairo_rectangle(cr_, start, std::min(a, b), thickness, std::fabs(b - a));
                SetColour(cr_, SeriesColour(group.firstSeries + s));
                cairo_fill(cr_);
                if (ShowsLabels(group.firstSeries + s)) {
                    // Inside a stacked piece, else just beyond the bar's end, on the side it grows to.
                    const double value = chart_.series[group.firstSeries + s].values[c];
                    const double middle = start + thickness / 2;
                    const double direction = b >= a ? 1 : -1;
                    if (group.stacked)
                        PaintLabel(value, across ? (a + b) / 2 : middle, across ? middle : (a + b) / 2, 0.5);
                    else if (across)
                        PaintLabel(value, b + direction * kPad / 2, middle, direction > 0 ? 0 : 1);
                    else
                        PaintLabel(value, middle, b + direction * fontSize_ * 0.8, 0.5);
                }
            }
        }
    }

    // Labels crowd a chart of many points into a smudge, so they are shown for a few hundred at most.
    bool ShowsLabels(size_t series) const {
        return chart_.series[series].valueLabels && categoryCount_ * chart_.series.size() <= 400;
    }

    void PaintLabel(double value, double x, double y, double align = 0.5) {
        SetColour(cr_, kText);
        cairo_set_font_size(cr_, fontSize_ * 0.9);
        ShowText(cr_, NumberText(value, false), x, y, align);
        cairo_set_font_size(cr_, fontSize_);
    }

    // A line through the plot at a value's place, upright when values run across.
    void ValueLine(double at, const Box& plot, bool across) {
        if (across) {
            cairo_move_to(cr_, at, plot.top);
            cairo_line_to(cr_, at, plot.bottom);
        } else {
            cairo_move_to(cr_, plot.left, at);
            cairo_line_to(cr_, plot.right, at);
        }
        cairo_stroke(cr_);
    }

    // A point by its place along the categories and its value's place, the two swapped when values run across.
    void To(void (*step)(cairo_t*, double, double), bool across, double along, double value) {
        if (across)
            step(cr_, value, along);
        else
            step(cr_, along, value);
    }

    // Lines join a series' points in the middle of their categories, leaving gaps where points are missing; areas
    // fill down to the series below (or to zero).
    template <typename Along, typename ValueAt>
    void PaintAreaOrLine(const ChartGroup& group, bool area, bool across, const Along& x, const ValueAt& valueAt) {
        std::vector<Stacked> columns;
        for (size_t c = 0; c < categoryCount_; ++c)
            columns.push_back(Stack(group, c));
        for (size_t s = 0; s < group.seriesCount; ++s) {
            const Colour colour = SeriesColour(group.firstSeries + s);
            if (area) {
                auto level = [&](double value) { return std::isfinite(value) ? value : 0.0; };
                for (size_t c = 0; c < categoryCount_; ++c)
                    To(cairo_line_to, across, x(c), valueAt(level(columns[c].to[s])));
                for (size_t c = categoryCount_; c-- > 0;)
                    To(cairo_line_to, across, x(c), valueAt(level(columns[c].from[s])));
                cairo_close_path(cr_);
                SetColour(cr_, colour);
                cairo_fill(cr_);
                continue;
            }
            bool drawing = false;
            for (size_t c = 0; c < categoryCount_; ++c) {
                const double value = columns[c].to[s];
                if (!std::isfinite(value)) {
                    drawing = false;
                    continue;
                }
                To(drawing ? cairo_line_to : cairo_move_to, across, x(c), valueAt(value));
                drawing = true;
            }
            SetColour(cr_, colour);
            cairo_set_line_width(cr_, 2.25);
            cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
            cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
            cairo_stroke(cr_);
            if (ShowsLabels(group.firstSeries + s) && !across)
                for (size_t c = 0; c < categoryCount_; ++c)
                    if (std::isfinite(columns[c].to[s]))
                        PaintLabel(chart_.series[group.firstSeries + s].values[c], x(c),
                                   valueAt(columns[c].to[s]) - fontSize_ * 0.8);
        }
    }

    void PaintScatter(const Box& area) {
        double lowX = INFINITY, highX = -INFINITY, lowY = INFINITY, highY = -INFINITY;
        for (const ChartSeries& series : chart_.series)
            for (size_t i = 0; i < series.values.size(); ++i)
                if (std::isfinite(series.values[i]) && std::isfinite(series.xValues[i])) {
                    lowX = std::min(lowX, series.xValues[i]);
                    highX = std::max(highX, series.xValues[i]);
                    lowY = std::min(lowY, series.values[i]);
                    highY = std::max(highY, series.values[i]);
                }
        if (!std::isfinite(lowX))
            return;
        const Scale xScale = NiceScale(std::min(lowX, 0.0), std::max(highX, 0.0));
        const Scale yScale = NiceScale(std::min(lowY, 0.0), std::max(highY, 0.0));
        cairo_set_font_size(cr_, fontSize_);
        const std::vector<double> xTicks = Ticks(xScale), yTicks = Ticks(yScale);
        double labels = 0;
        for (double tick : yTicks)
            labels = std::max(labels, TextWidth(cr_, NumberText(tick, false)));
        const double line = fontSize_ * 1.4;
        const Box plot{area.left + labels + kPad, area.top, area.right - kPad, area.bottom - line - kPad / 2};
        if (plot.Width() < 4 || plot.Height() < 4)
            return;
        auto xAt = [&](double v) { return plot.left + xScale.Fraction(v) * plot.Width(); };
        auto yAt = [&](double v) { return plot.bottom - yScale.Fraction(v) * plot.Height(); };
        cairo_set_line_width(cr_, 0.75);
        for (double tick : yTicks) {
            const double at = std::round(yAt(tick)) + 0.5;
            SetColour(cr_, kGrid);
            cairo_move_to(cr_, plot.left, at);
            cairo_line_to(cr_, plot.right, at);
            cairo_stroke(cr_);
            SetColour(cr_, kText);
            ShowText(cr_, NumberText(tick, false), plot.left - kPad / 2, at, 1);
        }
        double widest = 0;
        for (double tick : xTicks)
            widest = std::max(widest, TextWidth(cr_, NumberText(tick, false)) + kPad);
        const size_t every = std::max<size_t>(
            1, static_cast<size_t>(std::ceil(widest / (plot.Width() / std::max<size_t>(1, xTicks.size() - 1)))));
        for (size_t i = 0; i < xTicks.size(); i += every)
            ShowText(cr_, NumberText(xTicks[i], false), xAt(xTicks[i]), plot.bottom + line / 2 + 2, 0.5);
        SetColour(cr_, kAxis);
        cairo_set_line_width(cr_, 1);
        cairo_move_to(cr_, plot.left, std::round(yAt(std::clamp(0.0, yScale.low, yScale.high))) + 0.5);
        cairo_rel_line_to(cr_, plot.Width(), 0);
        cairo_move_to(cr_, std::round(xAt(std::clamp(0.0, xScale.low, xScale.high))) + 0.5, plot.top);
        cairo_line_to(cr_, std::round(xAt(std::clamp(0.0, xScale.low, xScale.high))) + 0.5, plot.bottom);
        cairo_stroke(cr_);
        for (size_t s = 0; s < chart_.series.size(); ++s) {
            const ChartSeries& series = chart_.series[s];
            SetColour(cr_, SeriesColour(s));
            if (series.line) {
                bool drawing = false;
                for (size_t i = 0; i < series.values.size(); ++i) {
                    if (!std::isfinite(series.values[i]) || !std::isfinite(series.xValues[i])) {
                        drawing = false;
                        continue;
                    }
                    (drawing ? cairo_line_to : cairo_move_to)(cr_, xAt(series.xValues[i]), yAt(series.values[i]));
                    drawing = true;
                }
                cairo_set_line_width(cr_, 2);
                cairo_stroke(cr_);
            }
            for (size_t i = 0; i < series.values.size(); ++i)
                if (std::isfinite(series.values[i]) && std::isfinite(series.xValues[i])) {
                    cairo_new_sub_path(cr_);
                    cairo_arc(cr_, xAt(series.xValues[i]), yAt(series.values[i]), 3.5, 0, 2 * M_PI);
                }
            cairo_fill(cr_);
        }
    }

    cairo_t* cr_;
    const ChartData& chart_;
    double width_, height_;
    double fontSize_ = 10;
    size_t categoryCount_ = 0;
};

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

bool ChartsAreDrawn() {
    return true;
}

int32_t ChartPaletteColor(size_t index) {
    // Word's six accent colours for charts (as 0xBBGGRR), then the same darker.
    static constexpr int32_t kPalette[] = {0xC47244, 0x317DED, 0xA5A5A5, 0x00C0FF, 0xD59B5B, 0x47AD70,
                                           0x784426, 0x0E489E, 0x636363, 0x007399, 0x915E25, 0x2C6843};
    return kPalette[index % std::size(kPalette)];
}

std::vector<uint8_t> DrawChart(const ChartData& chart, int64_t widthEmu, int64_t heightEmu) {
    std::vector<uint8_t> png;
    if (chart.groups.empty() || chart.series.empty())
        return png;
    const bool sized = widthEmu > 0 && heightEmu > 0;
    const double width = sized ? static_cast<double>(widthEmu) / kEmuPerPixel : kDefaultWidth;
    const double height = sized ? static_cast<double>(heightEmu) / kEmuPerPixel : kDefaultHeight;
    // A drawing too thin to hold a chart still gets a picture of its size, one too large a picture of its shape.
    const double scale = std::min(2.0, kMaxChartPixels / std::max(width, height));
    const int pixelsWide = std::max(1, static_cast<int>(std::lround(width * scale)));
    const int pixelsHigh = std::max(1, static_cast<int>(std::lround(height * scale)));
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixelsWide, pixelsHigh), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return png;
    const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()), cairo_destroy);
    cairo_scale(cr.get(), pixelsWide / width, pixelsHigh / height);
    ChartPainter(cr.get(), chart, width, height).Paint();
    cairo_surface_flush(surface.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &png) != CAIRO_STATUS_SUCCESS)
        png.clear();
    return png;
}
