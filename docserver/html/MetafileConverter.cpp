#include "MetafileConverter.h"

#include "base/CleanupRegistry.h"
#include "docserver/package/ExternalProgram.h"

#include "base/Utf8Path.h"
#include "docserver/html/EmfAlphaBitmaps.h"
#include "docserver/html/PictureCodec.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A drawing is drawn again larger when that gains at least this much, and at most this many times its page's size.
constexpr double kWorthDrawingLarger = 1.25;
constexpr double kLargestPageScale = 4;

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StartsAsPng(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

// Equation Editor previews draw their accents and operators in its own font; wmf2gd, which lacks it, would draw
// the plain letters behind those glyphs ("&&" for dots), while LibreOffice maps the font to its own symbols.
bool UsesEquationFont(const std::vector<uint8_t>& bytes) {
    static constexpr std::string_view kFont = "MT Extra";
    return std::search(bytes.begin(), bytes.end(), kFont.begin(), kFont.end()) != bytes.end();
}

// Makes the page around a drawing transparent: every pixel of the page's colour that the picture's edge reaches
// through pixels of that colour, so white inside the drawing's own shapes stays white.
void ClearPageAround(RasterImage& drawing, const uint8_t* page) {
    const int width = drawing.width, height = drawing.height;
    std::vector<uint8_t> seen(static_cast<size_t>(width) * height, 0);
    std::vector<std::pair<int, int>> todo;
    auto visit = [&](int x, int y) {
        const size_t index = static_cast<size_t>(y) * width + x;
        if (seen[index] || std::memcmp(&drawing.pixels[index * 4], page, 4) != 0)
            return;
        seen[index] = 1;
        todo.emplace_back(x, y);
    };
    for (int x = 0; x < width; ++x) {
        visit(x, 0);
        visit(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        visit(0, y);
        visit(width - 1, y);
    }
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        drawing.pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] = 0;
        if (x > 0)
            visit(x - 1, y);
        if (x + 1 < width)
            visit(x + 1, y);
        if (y > 0)
            visit(x, y - 1);
        if (y + 1 < height)
            visit(x, y + 1);
    }
}

// A converter's picture of a metafile with the background around the drawing (its top left corner's colour)
// transparent, as the metafile leaves it; the picture as it was when it cannot be read.
std::vector<uint8_t> ClearBackground(std::vector<uint8_t> png) {
    int64_t width = 0, height = 0;
    if (!StartsAsPng(png) || !ReadPictureSize(png, PictureKind::Png, width, height) ||
        width * height > kMaxPicturePixels)
        return png;
    RasterImage image;
    if (!DecodePicture(png, PictureKind::Png, static_cast<int>(width), static_cast<int>(height), image).empty())
        return png;
    uint8_t corner[4];
    std::memcpy(corner, image.pixels.data(), 4);
    if (corner[3] == 0)
        return png; // transparent already
    ClearPageAround(image, corner);
    std::vector<uint8_t> cleared = EncodePng(image);
    return StartsAsPng(cleared) ? cleared : png;
}

// The part of a page picture that differs from its top left corner (the page), with a pixel's border, the page
// around the drawing transparent; the picture as it was when it is all page or cannot be read.
std::vector<uint8_t> CropToDrawing(std::vector<uint8_t> png) {
    int64_t fullWidth = 0, fullHeight = 0;
    if (!StartsAsPng(png) || !ReadPictureSize(png, PictureKind::Png, fullWidth, fullHeight) ||
        fullWidth * fullHeight > kMaxPicturePixels)
        return png;
    RasterImage image;
    if (!DecodePicture(png, PictureKind::Png, static_cast<int>(fullWidth), static_cast<int>(fullHeight), image).empty())
        return png;
    const int width = image.width, height = image.height;
    const auto at = [&](int x, int y) { return image.pixels.data() + (static_cast<size_t>(y) * width + x) * 4; };
    const uint8_t* page = at(0, 0);
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (std::memcmp(at(x, y), page, 4) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return png;
    left = std::max(left - 1, 0);
    top = std::max(top - 1, 0);
    right = std::min(right + 1, width - 1);
    bottom = std::min(bottom + 1, height - 1);
    RasterImage drawing;
    drawing.width = right - left + 1;
    drawing.height = bottom - top + 1;
    drawing.channels = 4;
    for (int y = top; y <= bottom; ++y)
        drawing.pixels.insert(drawing.pixels.end(), at(left, y), at(right, y) + 4);
    uint8_t pageColour[4];
    std::memcpy(pageColour, page, 4);
    ClearPageAround(drawing, pageColour);
    std::vector<uint8_t> cropped = EncodePng(drawing);
    return StartsAsPng(cropped) ? cropped : png;
}

// Whether a drawing made larger shows dark areas where the page-sized one shows none: LibreOffice draws the
// transparent parts of some icons black when it draws them larger. The larger one is read at the smaller's size.
bool DarkerWhenLarger(const std::vector<uint8_t>& small, const std::vector<uint8_t>& large) {
    int64_t width = 0, height = 0;
    RasterImage before, after;
    if (!ReadPictureSize(small, PictureKind::Png, width, height) || width * height > kMaxPicturePixels ||
        !DecodePicture(small, PictureKind::Png, static_cast<int>(width), static_cast<int>(height), before).empty() ||
        !DecodePicture(large, PictureKind::Png, static_cast<int>(width), static_cast<int>(height), after).empty() ||
        before.width != after.width || before.height != after.height)
        return true; // what cannot be compared is not taken
    auto pixel = [](const RasterImage& image, size_t index, int& sum, int& alpha) {
        const uint8_t* at = &image.pixels[index * static_cast<size_t>(image.channels)];
        sum = at[0] + at[1] + at[2];
        alpha = image.channels == 4 ? at[3] : 255;
    };
    const size_t count = static_cast<size_t>(before.width) * before.height;
    size_t darker = 0;
    for (size_t index = 0; index < count; ++index) {
        int sumBefore = 0, alphaBefore = 0, sumAfter = 0, alphaAfter = 0;
        pixel(before, index, sumBefore, alphaBefore);
        pixel(after, index, sumAfter, alphaAfter);
        if (alphaAfter >= 128 && sumAfter < 3 * 64 && (alphaBefore < 128 || sumBefore > 3 * 128))
            ++darker;
    }
    return darker * 100 > count;
}

// wmf2gd draws at the metafile's own size (often about 72 dots to the inch) unless given the size to fill.
std::vector<std::string> Wmf2gdCommand(const fs::path& wmf2gd, const MetafileInput& input, const fs::path& source,
                                       const fs::path& target) {
    std::vector<std::string> command = {Utf8FromPath(wmf2gd), "-t", "png", "-o", Utf8FromPath(target)};
    if (input.width > 0 && input.height > 0) {
        command.push_back("--maxwidth=" + std::to_string(input.width));
        command.push_back("--maxheight=" + std::to_string(input.height));
        command.push_back("--maxpect");
    }
    command.push_back(Utf8FromPath(source));
    return command;
}

// What a metafile lacked when no installed program could be asked to draw it. wmf2gd draws WMFs only, and not
// those in the equation font; LibreOffice draws both.
Status MissingConverter(bool enhanced, bool haveWmf2gd) {
    return Failure(StatusCode::Unavailable,
                   enhanced     ? "no EMF converter (LibreOffice) is installed"
                   : haveWmf2gd ? "LibreOffice, which this WMF needs (wmf2gd cannot draw it), is not installed"
                                : "no WMF converter (wmf2gd from libwmf-bin, or LibreOffice) is installed");
}

} // namespace

bool DrawsNothing(const std::vector<uint8_t>& png) {
    int64_t width = 0, height = 0;
    if (!StartsAsPng(png) || !ReadPictureSize(png, PictureKind::Png, width, height) || width * height <= 0 ||
        width * height > kMaxPicturePixels)
        return false;
    RasterImage image;
    if (!DecodePicture(png, PictureKind::Png, static_cast<int>(width), static_cast<int>(height), image).empty() ||
        image.pixels.empty())
        return false;
    const size_t step = static_cast<size_t>(image.channels);
    const bool transparent = image.channels == 4 && image.pixels[3] == 0;
    for (size_t at = step; at < image.pixels.size(); at += step) {
        if (transparent ? image.pixels[at + 3] != 0 : std::memcmp(&image.pixels[at], image.pixels.data(), step) != 0)
            return false;
    }
    return true;
}

MetafileConversion ConvertMetafileToPng(const std::vector<uint8_t>& bytes, bool enhanced) {
    return ConvertMetafilesToPng({MetafileInput{std::make_shared<const std::vector<uint8_t>>(bytes), enhanced}})
        .front();
}

std::vector<MetafileConversion> ConvertMetafilesToPng(const std::vector<MetafileInput>& metafiles) {
    std::vector<MetafileConversion> results(metafiles.size());
    if (metafiles.empty())
        return results;
    const bool anyWmf =
        std::any_of(metafiles.begin(), metafiles.end(), [](const MetafileInput& input) { return !input.enhanced; });
    const fs::path wmf2gd = anyWmf ? FindProgram("wmf2gd") : fs::path();
    const fs::path soffice = FindProgram("soffice");
    const bool haveConverter = !wmf2gd.empty() || !soffice.empty();
    const std::unique_ptr<TemporaryFolder> work =
        haveConverter ? TemporaryFolder::Create("leafbind-metafile-") : nullptr;
    if (!work) {
        for (size_t i = 0; i < metafiles.size(); ++i)
            results[i].status =
                !haveConverter ? MissingConverter(metafiles[i].enhanced, false)
                               : Failure(StatusCode::Io, "no temporary folder could be made for converting a metafile");
        return results;
    }
    const fs::path& folder = work->Path();
    std::vector<size_t> forOffice;
    for (size_t i = 0; i < metafiles.size(); ++i) {
        const std::string stem = "picture" + std::to_string(i);
        const fs::path source = folder / (stem + (metafiles[i].enhanced ? ".emf" : ".wmf"));
        const std::vector<uint8_t> given =
            metafiles[i].enhanced ? WithAlphaBitmapsBlended(*metafiles[i].bytes) : *metafiles[i].bytes;
        std::ofstream(source, std::ios::binary)
            .write(reinterpret_cast<const char*>(given.data()), static_cast<std::streamsize>(given.size()));
        const fs::path target = folder / (stem + ".png");
        if (!metafiles[i].enhanced && !wmf2gd.empty() && !UsesEquationFont(*metafiles[i].bytes) &&
            RunProgram(Wmf2gdCommand(wmf2gd, metafiles[i], source, target), std::chrono::seconds(30)))
            results[i].png = ClearBackground(ReadAll(target));
        if (!StartsAsPng(results[i].png))
            forOffice.push_back(i);
    }
    if (!forOffice.empty() && !soffice.empty()) {
        // A profile of its own keeps LibreOffice from touching (or waiting on) the user's.
        auto runOffice = [&](const std::vector<size_t>& which, const std::string& format, const fs::path& out) {
            std::vector<std::string> command = {Utf8FromPath(soffice),
                                                "-env:UserInstallation=" + FileUrlOf(folder / "profile"),
                                                "--headless",
                                                "--convert-to",
                                                format,
                                                "--outdir",
                                                Utf8FromPath(out)};
            for (size_t i : which)
                command.push_back(
                    Utf8FromPath(folder / ("picture" + std::to_string(i) + (metafiles[i].enhanced ? ".emf" : ".wmf"))));
            const auto limit = std::chrono::seconds(90 + 10 * std::min<size_t>(which.size(), 200));
            RunProgram(command, limit); // some files may convert even when another fails
        };
        const fs::path out = folder / "office";
        runOffice(forOffice, "png", out);
        // LibreOffice draws at its page's 96 dots to the inch. The drawings that come out smaller than they are to be
        // kept (twice their size on the page) are drawn once more, all of them on one larger page.
        std::vector<size_t> larger;
        int64_t pageWidth = 0, pageHeight = 0;
        double scale = 1;
        for (size_t i : forOffice) {
            const std::vector<uint8_t> page = ReadAll(out / ("picture" + std::to_string(i) + ".png"));
            results[i].png = CropToDrawing(page);
            int64_t width = 0, height = 0, thisPageWidth = 0, thisPageHeight = 0;
            if (!StartsAsPng(results[i].png) || !ReadPictureSize(results[i].png, PictureKind::Png, width, height) ||
                !ReadPictureSize(page, PictureKind::Png, thisPageWidth, thisPageHeight) ||
                (pageWidth > 0 && (thisPageWidth != pageWidth || thisPageHeight != pageHeight)))
                continue;
            const double wanted = std::max(metafiles[i].width / static_cast<double>(width),
                                           metafiles[i].height / static_cast<double>(height));
            if (wanted < kWorthDrawingLarger)
                continue;
            pageWidth = thisPageWidth;
            pageHeight = thisPageHeight;
            scale = std::max(scale, wanted);
            larger.push_back(i);
        }
        scale = std::min({scale, kLargestPageScale,
                          std::sqrt(static_cast<double>(kMaxPicturePixels) / (pageWidth * pageHeight + 1))});
        if (!larger.empty() && scale >= kWorthDrawingLarger) {
            const fs::path sharper = folder / "larger";
            runOffice(larger,
                      "png:draw_png_Export:{\"PixelWidth\":{\"type\":\"long\",\"value\":\"" +
                          std::to_string(std::lround(pageWidth * scale)) +
                          "\"},\"PixelHeight\":{\"type\":\"long\",\"value\":\"" +
                          std::to_string(std::lround(pageHeight * scale)) + "\"}}",
                      sharper);
            for (size_t i : larger)
                if (std::vector<uint8_t> drawn =
                        CropToDrawing(ReadAll(sharper / ("picture" + std::to_string(i) + ".png")));
                    StartsAsPng(drawn) && !DarkerWhenLarger(results[i].png, drawn))
                    results[i].png = std::move(drawn);
        }
    }
    for (size_t i = 0; i < results.size(); ++i) {
        MetafileConversion& result = results[i];
        if (StartsAsPng(result.png))
            continue;
        result.png.clear();
        // With wmf2gd alone, an EMF (or a WMF wmf2gd could not draw) never reached a converter that could.
        if (soffice.empty())
            result.status = MissingConverter(metafiles[i].enhanced, !wmf2gd.empty());
        else
            result.status = Failure(StatusCode::Damaged, "the installed converter could not convert this metafile "
                                                         "(LibreOffice needs its Draw component for metafiles)");
    }
    return results;
}

void MetafileCache::Prepare(const std::vector<MetafileInput>& metafiles) {
    std::vector<MetafileInput> missing;
    for (const MetafileInput& input : metafiles)
        if (input.bytes && !done_.count(*input.bytes) &&
            std::none_of(missing.begin(), missing.end(),
                         [&](const MetafileInput& queued) { return *queued.bytes == *input.bytes; }))
            missing.push_back(input);
    std::vector<MetafileConversion> converted = ConvertMetafilesToPng(missing);
    for (size_t i = 0; i < missing.size(); ++i)
        done_.emplace(*missing[i].bytes, std::move(converted[i]));
}

const MetafileConversion* MetafileCache::Find(const std::vector<uint8_t>& bytes) const {
    const auto found = done_.find(bytes);
    return found == done_.end() ? nullptr : &found->second;
}
