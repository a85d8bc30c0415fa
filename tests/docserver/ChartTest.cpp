// Charts drawn from the values their parts keep: each common kind becomes a picture at twice its drawn size, in the
// part's own colours or the palette's; what cannot be drawn keeps its title in a box, and hostile parts are cut
// short with a warning rather than drawn for ever.
#include "HtmlExportFixture.h"

#include "docserver/docx/ChartPicture.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace docx;
namespace fs = std::filesystem;

namespace {

using Charts = HtmlExport;

constexpr int64_t kEmuPerPixel = 9525;

// A written PNG's pixels as RGBA, empty when it does not decode.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    uint32_t At(int x, int y) const {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    size_t Count(uint32_t rgb, int fromX = 0) const {
        size_t count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = fromX; x < width; ++x)
                count += At(x, y) == rgb;
        return count;
    }
};

Pixels ReadPng(const fs::path& path) {
    Pixels pixels;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return pixels;
    image.format = PNG_FORMAT_RGBA;
    pixels.rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.rgba.data(), 0, nullptr)) {
        pixels.width = static_cast<int>(image.width);
        pixels.height = static_cast<int>(image.height);
    } else {
        pixels.rgba.clear();
    }
    png_image_free(&image);
    return pixels;
}

ChartDefinition OneSeries(const std::string& kind, std::vector<double> values, const std::string& fill = "") {
    ChartDefinition chart;
    chart.kind = kind;
    chart.legend = false;
    for (size_t i = 0; i < values.size(); ++i)
        chart.categories.push_back("Q" + std::to_string(i + 1));
    chart.series.push_back({.name = "Sales", .values = std::move(values), .fill = fill});
    return chart;
}

// The chart's text box when it was not drawn: "[Chart: title]", labelled in the page's language; the pages here are
// in code page 936 ("[图表: title]").
bool ShownAsTitle(const std::string& html, const std::string& title) {
    return html.find("[\xCD\xBC\xB1\xED: " + title + "]") != std::string::npos;
}

// Each kind drawn at 3 x 2 inches on the page (288 x 192 pixels) is a 576 x 384 picture whose series shows at a
// place the kind puts it: a column in the middle, a bar across, a slice, a line, an area, points.
TEST_F(Charts, EachCommonKindIsDrawnAtTwiceItsSizeInItsOwnColours) {
    struct Case {
        const char* name;
        ChartDefinition chart;
        double x, y;     // a place inside the series, as fractions of the picture
        uint32_t colour; // what it shows there
    };
    ChartDefinition bar = OneSeries("barChart", {10}, "C00000");
    bar.barDirection = "bar";
    ChartDefinition scatter = OneSeries("scatterChart", {1, 2, 3}, "00B050");
    scatter.series[0].xValues = {1, 2, 3};
    ChartDefinition area = OneSeries("areaChart", {5, 5, 5}, "7030A0");
    const Case cases[] = {
        {"column", OneSeries("barChart", {10}, "FF0000"), 0.5, 0.7, 0xFF0000},
        {"bar", bar, 0.7, 0.45, 0xC00000},
        {"pie", OneSeries("pieChart", {3, 1}), 0.6, 0.5, 0x4472C4},   // the first slice, the palette's first colour
        {"pie", OneSeries("pieChart", {3, 1}), 0.42, 0.25, 0xED7D31}, // the last quarter, the palette's second
        {"area", area, 0.5, 0.7, 0x7030A0},
        {"line", OneSeries("lineChart", {4, 4, 4}, "0070C0"), -1, -1, 0x0070C0},
        {"scatter", scatter, -1, -1, 0x00B050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder / "0.files");
        DocxBuilder doc;
        doc.AddParagraph({Text("before "), Chart(ChartXml(c.chart), 288 * kEmuPerPixel, 192 * kEmuPerPixel)});
        const std::string html = Save(Load(doc));
        EXPECT_NE(html.find("<img width=\"288\" height=\"192\" src=\"0.files/image001.png\""), std::string::npos)
            << html;
        EXPECT_FALSE(ShownAsTitle(html, "")) << html;
        ExpectPicturesResolve(html);
        const Pixels pixels = ReadPng(folder / "0.files" / "image001.png");
        ASSERT_EQ(pixels.width, 576);
        ASSERT_EQ(pixels.height, 384);
        if (c.x >= 0)
            EXPECT_EQ(pixels.At(static_cast<int>(c.x * pixels.width), static_cast<int>(c.y * pixels.height)), c.colour)
                << std::hex << pixels.At(static_cast<int>(c.x * pixels.width), static_cast<int>(c.y * pixels.height));
        else
            EXPECT_GT(pixels.Count(c.colour), 500u) << "a line of the series' colour";
        EXPECT_EQ(pixels.At(1, 1), 0xFFFFFFu) << "a white chart area";
        EXPECT_TRUE(state->model().warnings.empty()) << state->model().warnings.front();
    }
}

// Several series share the axes: each keeps its colour (its own, a theme colour, or the palette's) and the legend
// beside the plot shows each of them; stacked columns stand on each other.
TEST_F(Charts, SeveralSeriesHaveALegendAndTheirOwnColours) {
    ChartDefinition chart;
    chart.title = "Sales by year";
    chart.categories = {"2021", "2022", "2023"};
    chart.series = {{.name = "North", .values = {1, 2, 3}, .fill = "FF0000"},
                    {.name = "South", .values = {3, 2, 1}, .fill = "THEME"},
                    {.name = "West", .values = {2, 2, 2}}};
    std::string xml = ChartXml(chart);
    const std::string own = "<a:srgbClr val=\"THEME\"/>";
    xml.replace(xml.find(own), own.size(), "<a:schemeClr val=\"accent2\"><a:lumMod val=\"50000\"/></a:schemeClr>");
    DocxBuilder doc;
    doc.SetThemeColors({{"accent2", "00FF00"}});
    doc.AddParagraph({Chart(xml, 400 * kEmuPerPixel, 200 * kEmuPerPixel)});
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("<img width=\"400\" height=\"200\" src=\"0.files/image001.png\" alt=\"Sales by year\">"),
              std::string::npos)
        << html;
    const Pixels pixels = ReadPng(folder / "0.files" / "image001.png");
    ASSERT_EQ(pixels.width, 800);
    const int legend = pixels.width * 4 / 5;
    for (const uint32_t colour : {0xFF0000u, 0x008000u, 0xA5A5A5u}) {
        EXPECT_GT(pixels.Count(colour), 2000u) << std::hex << colour << ": the series' columns";
        EXPECT_GT(pixels.Count(colour, legend), 50u) << std::hex << colour << ": its swatch in the legend";
    }

    chart.grouping = "stacked";
    chart.legend = false;
    chart.title.clear();
    chart.series = {{.name = "Low", .values = {5}, .fill = "FF0000"},
                    {.name = "High", .values = {5}, .fill = "0000FF"}};
    chart.categories = {"one"};
    fs::remove_all(folder / "0.files");
    DocxBuilder stacked;
    stacked.AddParagraph({Chart(ChartXml(chart), 300 * kEmuPerPixel, 300 * kEmuPerPixel)});
    Save(Load(stacked));
    const Pixels columns = ReadPng(folder / "0.files" / "image001.png");
    ASSERT_EQ(columns.height, 600);
    EXPECT_EQ(columns.At(columns.width / 2, columns.height * 3 / 4), 0xFF0000u) << "the first series below";
    EXPECT_EQ(columns.At(columns.width / 2, columns.height / 4), 0x0000FFu) << "the second on top of it";
}

// Data labels asked for by the group (or a series, over it) write each value beside its bar, point or slice: the
// labelled picture has text where the unlabelled one is white, and a series may turn its group's labels off.
TEST_F(Charts, DataLabelsShowTheValues) {
    auto darkPixels = [](const Pixels& pixels) {
        size_t count = 0;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                count += pixels.At(x, y) < 0x808080 && (pixels.At(x, y) >> 16) == (pixels.At(x, y) & 0xFF);
        return count;
    };
    const std::string groupLabels = "<c:dLbls><c:showVal val=\"1\"/></c:dLbls>";
    const std::string seriesOff = "<c:dLbls><c:delete val=\"1\"/></c:dLbls>";
    struct Case {
        const char* name;
        std::string kind;
        std::string groupXml, seriesXml;
        bool more;
    };
    const Case cases[] = {
        {"columns", "barChart", groupLabels, "", true},
        {"lines", "lineChart", groupLabels, "", true},
        {"slices", "pieChart", groupLabels, "", true},
        {"series turns them off", "barChart", groupLabels, seriesOff, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t dark[2] = {0, 0};
        for (int labelled = 0; labelled < 2; ++labelled) {
            std::string xml = ChartXml(OneSeries(c.kind, {3, 7, 5}, "FF0000"));
            if (labelled) {
                const std::string colors =
                    "<c:varyColors val=\"" + std::string(c.kind == "pieChart" ? "1" : "0") + "\"/>";
                xml.replace(xml.find(colors), colors.size(), colors + c.groupXml);
                xml.replace(xml.find("</c:ser>"), 8, c.seriesXml + "</c:ser>");
            }
            fs::remove_all(folder / "0.files");
            DocxBuilder doc;
            doc.AddParagraph({Chart(xml, 300 * kEmuPerPixel, 200 * kEmuPerPixel)});
            Save(Load(doc));
            dark[labelled] = darkPixels(ReadPng(folder / "0.files" / "image001.png"));
        }
        if (c.more)
            EXPECT_GT(dark[1], dark[0] + 40) << "three values written";
        else
            EXPECT_EQ(dark[1], dark[0]);
    }
}

// A chart too large is drawn no larger than a page picture may be, keeping its shape however thin; one with no size
// (or a size that is none) at a default size.
TEST_F(Charts, PictureSizeIsCappedAndDefaulted) {
    struct Case {
        int64_t width, height;
        int pixelsWide, pixelsHigh;
    };
    const Case cases[] = {{40000 * kEmuPerPixel, 20000 * kEmuPerPixel, kMaxChartPixels, kMaxChartPixels / 2},
                          {0, 0, 960, 576},
                          {-5, 100, 960, 576},
                          {1'000'000'000'000'000, 1, kMaxChartPixels, 1}};
    for (const Case& c : cases) {
        fs::remove_all(folder / "0.files");
        DocxBuilder doc;
        doc.AddParagraph({Chart(ChartXml(OneSeries("barChart", {1, 2})), c.width, c.height)});
        Save(Load(doc));
        const Pixels pixels = ReadPng(folder / "0.files" / "image001.png");
        EXPECT_EQ(pixels.width, c.pixelsWide);
        EXPECT_EQ(pixels.height, c.pixelsHigh);
    }
}

// Hostile or odd parts: too many points or series are cut short, values that are no numbers left out, negative
// slices drawn by their size, each with a warning; kinds that are not drawn and charts with nothing to draw keep
// their title in a box, with the reason.
TEST_F(Charts, HostileAndUndrawableChartsAreCutShortOrKeepTheirTitle) {
    struct Case {
        const char* name;
        std::string xml;
        bool drawn;
        std::string warning;
    };
    auto withTitle = [](ChartDefinition chart) {
        chart.title = "T";
        return chart;
    };
    std::vector<double> many(kMaxChartPoints + 500);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = std::sin(static_cast<double>(i));
    std::string claimed = ChartXml(OneSeries("lineChart", {1, 2}));
    claimed.replace(claimed.find("<c:ptCount val=\"2\"/><c:pt idx=\"0\"><c:v>1"), 20,
                    "<c:ptCount val=\"999999999999\"/>");
    std::string farIndex = ChartXml(OneSeries("lineChart", {1, 2}));
    farIndex.replace(farIndex.find("idx=\"1\"><c:v>2"), 7, "idx=\"4000000000\"");
    std::string notNumbers = ChartXml(OneSeries("barChart", {1, 2, 3}));
    for (const char* bad : {"<c:v>2</c:v>", "<c:v>3</c:v>"})
        notNumbers.replace(notNumbers.find(bad), std::strlen(bad),
                           bad[4] == '2' ? "<c:v>NaN</c:v>" : "<c:v>1e999</c:v>");
    ChartDefinition manySeries = OneSeries("barChart", {1});
    manySeries.series.resize(kMaxChartSeries + 3, manySeries.series[0]);
    std::string threeD = ChartXml(withTitle(OneSeries("barChart", {1})));
    for (size_t at; (at = threeD.find("c:barChart")) != std::string::npos;)
        threeD.replace(at, 10, "c:bar3DChart");
    std::string radar = ChartXml(withTitle(OneSeries("barChart", {1})));
    for (size_t at; (at = radar.find("c:barChart")) != std::string::npos;)
        radar.replace(at, 10, "c:radarChart");
    const double none = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"many points", ChartXml(OneSeries("lineChart", many)), true, "only the first 10000 points"},
        {"claimed points", claimed, true, "only the first 10000 points"},
        {"far index", farIndex, true, "only the first 10000 points"},
        {"not numbers", notNumbers, true, "values that are not numbers are left out"},
        {"negative slices", ChartXml(OneSeries("pieChart", {-2, 3})), true, "negative values are drawn as slices"},
        {"many series", ChartXml(manySeries), true, "only its first 64 series are drawn"},
        {"empty series", ChartXml(withTitle(OneSeries("barChart", {none, none}))), false, "keeps no values"},
        {"no series", ChartXml(withTitle(OneSeries("lineChart", {}))), false, "keeps no values"},
        {"pie of zeros", ChartXml(withTitle(OneSeries("pieChart", {0, 0}))), false, "its slices add up to nothing"},
        {"3D", threeD, false, "3D charts are not drawn"},
        {"radar", radar, false, "radar charts are not drawn"},
        {"waterfall",
         "<cx:chartSpace xmlns:cx=\"cx\" xmlns:a=\"a\"><cx:chart><cx:title><cx:tx><cx:txData><cx:v>T</cx:v>"
         "</cx:txData></cx:tx></cx:title></cx:chart></cx:chartSpace>",
         false, "charts of its kind are not drawn"},
        {"not a chart",
         "<c:chartSpace xmlns:c=\"c\"><c:chart><c:title><c:tx><c:rich><a:p xmlns:a=\"a\"><a:r><a:t>T"
         "</a:t></a:r></a:p></c:rich></c:tx></c:title></c:chart></c:chartSpace>",
         false, "has no series to draw"},
    };
    // The newer kinds (waterfall, treemap...) come as a chart of their own uri.
    auto newerKind = [](std::string xml) {
        const std::string chartUri = "drawingml/2006/chart\"";
        for (size_t at = 0; (at = xml.find(chartUri, at)) != std::string::npos; at += chartUri.size())
            xml.replace(at, chartUri.size(), "drawingml/2006/chartex\"");
        return xml;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder / "0.files");
        DocxBuilder doc;
        doc.AddParagraph({Text("chart"), Chart(c.xml, 200 * kEmuPerPixel, 100 * kEmuPerPixel)});
        doc.AddParagraph("after");
        if (std::string(c.name) == "waterfall")
            doc.SetPart("word/document.xml", newerKind(doc.DocumentXml()));
        const std::string html = Save(Load(doc));
        EXPECT_NE(html.find("after"), std::string::npos);
        EXPECT_TRUE(WarnedAbout(c.warning)) << (state->model().warnings.empty() ? "" : state->model().warnings[0]);
        if (c.drawn) {
            EXPECT_NE(html.find("src=\"0.files/image001.png\""), std::string::npos) << html;
            EXPECT_EQ(ReadPng(folder / "0.files" / "image001.png").width, 400);
        } else {
            EXPECT_TRUE(ShownAsTitle(html, "T")) << html;
            EXPECT_TRUE(WarnedAbout("a chart (/word/charts/chart2.xml) is shown as its title only: "));
            EXPECT_FALSE(fs::exists(folder / "0.files"));
        }
    }
}

} // namespace
