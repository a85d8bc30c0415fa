// What a reader sees of a saved page against what the document shows: the letters of symbol fonts, link addresses
// with any character, right-to-left paragraphs, equations, text that reaches left of the page, pictures at the size
// they are drawn.
#include "HtmlExportFixture.h"

#include "automation/CodePage.h"
#include "base/CodePageText.h"
#include "docserver/docx/DrawingColor.h"
#include "docserver/html/HtmlFormat.h"
#include "docserver/html/MetafileConverter.h"
#include "docserver/html/PictureCodec.h"
#include "docserver/html/SymbolFonts.h"
#include "docserver/package/ExternalProgram.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <jpeglib.h>
#include <optional>
#include <zlib.h>

using namespace docx;
namespace fs = std::filesystem;

namespace {

using PageFidelity = HtmlExport;

// Text as the page holds it: the code page's bytes, references for the rest.
std::string InPage(const std::string& utf8) {
    return Utf8ToCodePageWithReferences(936, HeldBy::PageCharset, utf8);
}

TEST(SymbolFonts, CodesBecomeTheLettersTheFontShows) {
    struct Case {
        SymbolFont font;
        char32_t code;
        char32_t shown;
    };
    const Case cases[] = {
        {SymbolFont::Symbol, U's', U'\u03C3'},
        {SymbolFont::Symbol, 0xF074, U'\u03C4'},
        {SymbolFont::Symbol, 0xF071, U'\u03B8'},
        {SymbolFont::Symbol, 0xF0E5, U'\u2211'},
        {SymbolFont::Symbol, 0xF0AE, U'\u2192'},
        {SymbolFont::Symbol, 0xF0B9, U'\u2260'},
        {SymbolFont::Symbol, U'1', U'1'},
        {SymbolFont::Wingdings, 0xF0FC, U'\u2714'},
        {SymbolFont::Wingdings, U'J', U'\u263A'},
        {SymbolFont::Wingdings, 0xF0D8, U'\u27A2'},
        {SymbolFont::Webdings, 0xF061, U'\u2714'},
        {SymbolFont::Webdings, U'!', U'\U0001F577'},
        {SymbolFont::Symbol, 0xF0F0, 0},
        {SymbolFont::Wingdings, 0xF07F, 0},
        {SymbolFont::Symbol, U'\u4E2D', U'\u4E2D'},
        {SymbolFont::None, U's', U's'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SymbolFontCharacter(c.font, c.code), c.shown) << static_cast<uint32_t>(c.code);
    EXPECT_EQ(SymbolFontOf("SYMBOL"), SymbolFont::Symbol);
    EXPECT_EQ(SymbolFontOf("Wingdings"), SymbolFont::Wingdings);
    EXPECT_EQ(SymbolFontOf("Wingdings 2"), SymbolFont::None);
    EXPECT_EQ(SymbolFontOf("Times New Roman"), SymbolFont::None);
    size_t unmatched = 0;
    EXPECT_EQ(SymbolFontText(SymbolFont::Webdings, u"!a\uF07F", unmatched), u"\U0001F577\u2714\u25A1");
    EXPECT_EQ(unmatched, 1u);
}

TEST_F(PageFidelity, SymbolFontLettersShowAsUnicodeInTheSurroundingFont) {
    DocxBuilder doc;
    doc.AddParagraph({Text("sum "), Symbol("F073", "Symbol"), Symbol("F074", "Symbol"), Symbol("F071", "Symbol"),
                      Text(" checked "), Symbol("F0FC", "Wingdings"), Text(" web "), Symbol("F061", "Webdings")});
    doc.AddParagraph({Text("set in Symbol: "), Text("abg", {.font = "Symbol"}), Text(" end")});
    doc.AddParagraph({Text("no match: "), Symbol("F0F0", "Symbol")});
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find(InPage("sum \u03C3\u03C4\u03B8 checked \u2714 web \u2714")), std::string::npos) << html;
    EXPECT_NE(html.find(InPage("set in Symbol: \u03B1\u03B2\u03B3 end")), std::string::npos) << html;
    EXPECT_EQ(html.find("font-family:'Symbol'"), std::string::npos) << "the symbols are letters of the page's fonts";
    EXPECT_NE(html.find(InPage("no match: \u25A1")), std::string::npos) << html;
    EXPECT_TRUE(WarnedAbout("1 character(s) set in a symbol font have no Unicode match"));
}

TEST_F(PageFidelity, LinkAddressesKeepCharactersPastTheBasicPlane) {
    DocxBuilder doc;
    doc.AddParagraph({Link("smile", "https://example.com/\xF0\x9F\x98\x80?q=\xE4\xB8\xAD")});
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("href=\"https://example.com/%F0%9F%98%80?q="), std::string::npos) << html;
    EXPECT_EQ(html.find("\xEF\xBF\xBD"), std::string::npos) << "no character is replaced";
    EXPECT_EQ(html.find("&#65533;"), std::string::npos);
}

// Word's left and right in a right-to-left paragraph are logical: no alignment or "left" is the right side.
TEST_F(PageFidelity, RightToLeftParagraphsRunFromTheRight) {
    const std::string hebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"; // shalom
    DocxBuilder doc;
    doc.AddStyle({.id = "RtlBody", .name = "RTL Body", .basedOn = "Normal", .properties = "<w:pPr><w:bidi/></w:pPr>"});
    doc.AddBodyXml("<w:p><w:pPr><w:bidi/></w:pPr><w:r><w:rPr><w:rtl/></w:rPr><w:t>" + hebrew +
                   " one</w:t></w:r></w:p>");
    doc.AddBodyXml("<w:p><w:pPr><w:bidi/><w:jc w:val=\"right\"/><w:ind w:left=\"720\"/></w:pPr><w:r><w:t>two</w:t>"
                   "</w:r></w:p>");
    doc.AddBodyXml("<w:p><w:pPr><w:bidi/><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>three</w:t></w:r></w:p>");
    doc.AddParagraph("by its style", {.style = "RtlBody"});
    doc.AddBodyXml("<w:p><w:pPr><w:pStyle w:val=\"RtlBody\"/><w:bidi w:val=\"0\"/></w:pPr><w:r><w:t>turned back</w:t>"
                   "</w:r></w:p>");
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find(" dir=\"rtl\" style=\"text-align:right;\">" + InPage(hebrew) + " one"), std::string::npos)
        << html;
    EXPECT_NE(html.find(" dir=\"rtl\" style=\"text-align:left;margin-right:36pt;\">two"), std::string::npos)
        << "the logical left indent is on the right";
    EXPECT_NE(html.find(" dir=\"rtl\" style=\"text-align:center;\">three"), std::string::npos);
    EXPECT_NE(html.find(" dir=\"rtl\" style=\"text-align:right;\">by its style"), std::string::npos);
    EXPECT_NE(html.find("class=\"SRtlBody\">turned back"), std::string::npos) << html;
}

TEST_F(PageFidelity, BinomialsStandWithoutABarAndOtherFractionsKeepTheirShape) {
    const std::string math = "<m:oMath xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\">";
    auto fraction = [&](const std::string& type) {
        return RawXml(math + "<m:f>" + (type.empty() ? "" : "<m:fPr><m:type m:val=\"" + type + "\"/></m:fPr>") +
                      "<m:num><m:r><m:t>n</m:t></m:r></m:num><m:den><m:r><m:t>k</m:t></m:r></m:den></m:f></m:oMath>");
    };
    DocxBuilder doc;
    for (const std::string type : {"noBar", "", "lin", "skw"})
        doc.AddParagraph({Text("[" + type + "]"), fraction(type)});
    const std::string html = Save(Load(doc));
    const std::string stack = "<span style=\"display:inline-block;vertical-align:middle;text-align:center;\">";
    const std::string denominator = "<span style=\"display:block;padding:0 2px;\"><i>k</i></span></span>";
    const std::pair<std::string, std::string> expected[] = {
        {"[noBar]", stack + "<span style=\"display:block;padding:0 2px;\"><i>n</i></span>" + denominator},
        {"[]",
         stack + "<span style=\"display:block;padding:0 2px;border-bottom:1px solid;\"><i>n</i></span>" + denominator},
        {"[lin]", "<i>n</i>/<i>k</i>"},
        {"[skw]", "<sup><i>n</i></sup>/<sub><i>k</i></sub>"},
    };
    for (const auto& [label, markup] : expected)
        EXPECT_NE(html.find(label + "<span class=\"Math\">" + markup + "</span>"), std::string::npos) << label << html;
}

// The leftmost point any paragraph's text reaches in headless Chromium, in CSS pixels from the page's edge; empty
// when no browser is installed.
std::optional<double> LeftmostText(const fs::path& page, const fs::path& work) {
    const fs::path browser = FindProgram("chromium");
    if (browser.empty())
        return std::nullopt;
    // Measured in the page itself: the first line of a paragraph with a negative first-line indent starts left of
    // its box, so the text's own rectangles count, not the boxes.
    const fs::path measured = work / "measured.html";
    std::ofstream(measured) << ReadText(page)
                            << "<script>var least = 1e9;"
                               "var all = document.querySelectorAll('p,h1,h2,h3,h4,h5,h6,div.Paragraph');"
                               "for (var i = 0; i < all.length; ++i) {"
                               "  var range = document.createRange(); range.selectNodeContents(all[i]);"
                               "  var rects = range.getClientRects();"
                               "  for (var k = 0; k < rects.length; ++k) least = Math.min(least, rects[k].left);"
                               "}"
                               "document.body.setAttribute('data-leftmost', String(least));</script>";
    const std::string command = browser.string() +
                                " --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking"
                                " --disable-component-update --disable-sync --user-data-dir='" +
                                (work / "profile").string() + "' --dump-dom 'file://" + measured.string() +
                                "' 2>/dev/null";
    std::string dom;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            dom.append(buffer, read);
        pclose(pipe);
    }
    const size_t at = dom.find("data-leftmost=\"");
    if (at == std::string::npos)
        return std::nullopt;
    return std::strtod(dom.c_str() + at + 15, nullptr);
}

// Outdented headings and hanging labels start left of the text's margin; the page keeps room for the deepest.
TEST_F(PageFidelity, NoParagraphStartsLeftOfThePage) {
    DocxBuilder doc;
    doc.AddStyle({.id = "Outdented",
                  .name = "Outdented Heading",
                  .basedOn = "Normal",
                  .properties = "<w:pPr><w:ind w:left=\"-720\"/></w:pPr>"});
    doc.AddParagraph("(c) Descriptiveness", {.style = "Outdented"});
    doc.AddBodyXml("<w:p><w:pPr><w:ind w:left=\"360\" w:hanging=\"1080\"/></w:pPr><w:r><w:t>(d) hanging label</w:t>"
                   "</w:r></w:p>");
    doc.AddParagraph("plain");
    doc.AddTable({{{.paragraphs = {"in a cell"}}}});
    doc.AddBodyXml("<w:tbl><w:tr><w:tc><w:p><w:pPr><w:ind w:left=\"-2880\"/></w:pPr><w:r><w:t>cell text</w:t></w:r>"
                   "</w:p></w:tc></w:tr></w:tbl>");
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("padding-left:36pt;"), std::string::npos)
        << "room for the deepest outdent outside a table: " << html.substr(0, 1200);
    const std::optional<double> leftmost = LeftmostText(folder / "0.html", folder);
    if (!leftmost)
        GTEST_SKIP() << "headless Chromium (Debian's chromium) is not installed";
    EXPECT_GE(*leftmost, 0.0);
}

// A photograph-like picture: smooth colour changes that JPEG keeps small and PNG does not.
std::vector<uint8_t> Photograph(int width, int height) {
    RasterImage image;
    image.width = width;
    image.height = height;
    image.channels = 3;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = &image.pixels[(static_cast<size_t>(y) * width + x) * 3];
            pixel[0] = static_cast<uint8_t>(x * 255 / width);
            pixel[1] = static_cast<uint8_t>(y * 255 / height);
            pixel[2] = static_cast<uint8_t>((x + y) % 256);
        }
    return EncodeJpeg(image, 90);
}

// A drawing with transparency: a blue frame on nothing.
std::vector<uint8_t> Drawing(int width, int height) {
    RasterImage image;
    image.width = width;
    image.height = height;
    image.channels = 4;
    image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x < width / 10 || y < height / 10 || x >= width - width / 10 || y >= height - height / 10) {
                uint8_t* pixel = &image.pixels[(static_cast<size_t>(y) * width + x) * 4];
                pixel[2] = pixel[3] = 0xFF;
            }
    return EncodePng(image);
}

// Width and height of a written JPEG, read with libjpeg; 0 x 0 when it is not one.
std::pair<int, int> JpegFileSize(const fs::path& path) {
    const std::string bytes = ReadText(path);
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    std::pair<int, int> size{0, 0};
    if (bytes.size() > 3 && static_cast<unsigned char>(bytes[0]) == 0xFF && jpeg_read_header(&info, TRUE) == 1)
        size = {static_cast<int>(info.image_width), static_cast<int>(info.image_height)};
    jpeg_destroy_decompress(&info);
    return size;
}

std::pair<int, int> PngFileSize(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {0, 0};
    const std::pair<int, int> size{static_cast<int>(image.width), static_cast<int>(image.height)};
    png_image_free(&image);
    return size;
}

docx::Inline DrawnAt(std::vector<uint8_t> bytes, int widthPixels, int heightPixels, const std::string& extension) {
    docx::Inline picture = Picture(std::move(bytes), false, extension);
    picture.widthEmu = int64_t{widthPixels} * 9525;
    picture.heightEmu = int64_t{heightPixels} * 9525;
    return picture;
}

void AppendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    auto bigEndian = [&](uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(static_cast<uint8_t>(value >> shift));
    };
    bigEndian(static_cast<uint32_t>(data.size()));
    const size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    bigEndian(static_cast<uint32_t>(crc32(0, png.data() + typeAt, static_cast<uInt>(data.size() + 4))));
}

// A whole PNG (sound chunks and checksums) whose header claims width x height RGB pixels over a few rows of data.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header(13, 0);
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        header[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    header[8] = 8; // bits
    header[9] = 2; // RGB
    AppendChunk(png, "IHDR", header);
    std::vector<uint8_t> rows(4096, 0);
    std::vector<uint8_t> packed(compressBound(rows.size()));
    uLongf packedSize = packed.size();
    compress(packed.data(), &packedSize, rows.data(), rows.size());
    packed.resize(packedSize);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
}

// A photograph drawn small is kept as a JPEG at twice its drawn size, with or without the PNG option; a PNG drawing
// drawn small is kept as a PNG at twice its drawn size; a picture drawn large keeps its bytes.
TEST_F(PageFidelity, PicturesAreKeptAtMostTwiceTheirDrawnSize) {
    const std::vector<uint8_t> photo = Photograph(2816, 2112);
    for (const bool allowPng : {false, true}) {
        DocxBuilder doc;
        doc.AddParagraph({DrawnAt(photo, 571, 428, "jpeg")});
        doc.AddParagraph({DrawnAt(PngClaiming(8, 8), 16, 16, "png")});
        doc.AddParagraph({DrawnAt(Photograph(64, 48), 64, 48, "jpeg")});
        doc.AddParagraph({DrawnAt(Drawing(1000, 600), 100, 60, "png")});
        const WordDocument document = Load(doc);
        document.WebOptions().SetAllowPNG(allowPng);
        const std::string html = Save(document);
        ExpectPicturesResolve(html);
        EXPECT_NE(html.find("<img width=\"571\" height=\"428\" src=\"0.files/image001.jpg\""), std::string::npos)
            << html;
        const auto [width, height] = JpegFileSize(folder / "0.files" / "image001.jpg");
        EXPECT_EQ(width, 1142) << "twice the drawn width";
        EXPECT_NEAR(height, 856, 1) << "twice the drawn height, give or take the picture's own shape";
        EXPECT_LT(fs::file_size(folder / "0.files" / "image001.jpg"), photo.size() / 3);
        EXPECT_NE(html.find("src=\"0.files/image002.png\""), std::string::npos) << "small pictures keep their bytes";
        EXPECT_NE(html.find("src=\"0.files/image003.jpg\""), std::string::npos);
        EXPECT_EQ(ReadText(folder / "0.files" / "image003.jpg").size(), Photograph(64, 48).size());
        EXPECT_NE(html.find("<img width=\"100\" height=\"60\" src=\"0.files/image004.png\""), std::string::npos);
        EXPECT_EQ(PngFileSize(folder / "0.files" / "image004.png"), std::make_pair(200, 120));
        EXPECT_FALSE(WarnedAbout("picture")) << "nothing is lost that the page shows";
    }
}

// Pictures whose header claims a size not worth reading, whatever their shape, are gaps with the size in the warning;
// they are refused before any pixel is read.
// A damaged PNG is the caller's to report, once, in its own words: libpng prints nothing of its own.
TEST(PictureCodec, ADamagedPngIsReportedWithoutTheLibrarysOwnMessages) {
    RasterImage small;
    small.width = small.height = 16;
    small.channels = 3;
    small.pixels.assign(16 * 16 * 3, 0x40);
    std::vector<uint8_t> png = EncodePng(small);
    ASSERT_GT(png.size(), 60u);
    png.resize(png.size() - 30); // the picture data ends early
    RasterImage image;
    testing::internal::CaptureStderr();
    const std::string problem = DecodePicture(png, PictureKind::Png, 16, 16, image);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(problem.empty()) << "a picture cut short is damaged";
    EXPECT_EQ(printed, "");
}

// A damaged metafile comes out of the converters as a picture of nothing: that is told apart from any drawing.
TEST(MetafilePictures, APictureOfNothingIsToldApartFromADrawing) {
    auto picture = [](int channels, const std::vector<uint8_t>& pixel) {
        RasterImage image;
        image.width = image.height = 8;
        image.channels = channels;
        for (int i = 0; i < 64; ++i)
            image.pixels.insert(image.pixels.end(), pixel.begin(), pixel.end());
        return image;
    };
    EXPECT_TRUE(DrawsNothing(EncodePng(picture(3, {255, 255, 255})))) << "all page";
    EXPECT_TRUE(DrawsNothing(EncodePng(picture(4, {0, 0, 0, 0})))) << "all transparent";
    RasterImage dot = picture(4, {255, 255, 255, 0});
    dot.pixels[4 * 27 + 3] = 255; // one opaque pixel in the middle
    EXPECT_FALSE(DrawsNothing(EncodePng(dot)));
    RasterImage line = picture(3, {255, 255, 255});
    line.pixels[3 * 63] = 0;
    EXPECT_FALSE(DrawsNothing(EncodePng(line)));
    EXPECT_FALSE(DrawsNothing({'n', 'o', 't'})) << "what is no picture is not a blank one";
}

TEST_F(PageFidelity, PicturesClaimingHugeSizesAreRefusedWhateverTheirShape) {
    const std::pair<uint32_t, uint32_t> sizes[] = {
        {400'000'000, 1}, {1, 400'000'000}, {20'000, 20'001}, {200'000, 100}};
    for (const auto& [width, height] : sizes) {
        DocxBuilder doc;
        doc.AddParagraph({Text("before"), Picture(PngClaiming(width, height), false, "png")});
        const std::string html = Save(Load(doc));
        const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
        EXPECT_NE(html.find("class=\"PictureGap\""), std::string::npos) << size;
        EXPECT_TRUE(WarnedAbout("a PNG picture is too large to convert (" + size + ")")) << size;
        EXPECT_FALSE(fs::exists(folder / "0.files")) << size;
    }
    // The sides' limit is not the pixels' one: a long thin picture within both is read (and kept, being drawn so).
    EXPECT_EQ(PictureSizeProblem(kMaxPictureSide, 2, PictureKind::Png), "");
    EXPECT_NE(PictureSizeProblem(kMaxPictureSide + 1, 2, PictureKind::Png), "");
    EXPECT_NE(PictureSizeProblem(10'000, 5'000, PictureKind::Gif), "") << "GIF cannot be read smaller";
    EXPECT_EQ(PictureSizeProblem(10'000, 5'000, PictureKind::Jpeg), "");
}

// A JPEG with a Huffman table that claims more codes than there are is damaged: a gap and a warning, nothing read
// past the table.
TEST_F(PageFidelity, ADamagedJpegIsAGapWithAWarning) {
    std::vector<uint8_t> jpeg = Photograph(64, 48);
    const std::vector<uint8_t> huffmanMarker = {0xFF, 0xC4};
    const auto table = std::search(jpeg.begin(), jpeg.end(), huffmanMarker.begin(), huffmanMarker.end());
    ASSERT_NE(table, jpeg.end());
    const size_t counts = static_cast<size_t>(table - jpeg.begin()) + 5; // past marker, length and class
    for (size_t i = 0; i < 16; ++i)
        jpeg[counts + i] = 0xFF; // 16 x 255 codes
    std::vector<uint8_t> cutShort = Photograph(64, 48);
    cutShort.resize(20);
    for (const auto& [name, bytes] : {std::pair{"bad table", jpeg}, std::pair{"cut short", cutShort}}) {
        DocxBuilder doc;
        doc.AddParagraph({Text("before"), Picture(bytes, false, "jpeg")});
        const std::string html = Save(Load(doc));
        EXPECT_NE(html.find("class=\"PictureGap\""), std::string::npos) << name;
        EXPECT_TRUE(WarnedAbout("a JPEG picture is damaged")) << name;
        EXPECT_FALSE(fs::exists(folder / "0.files")) << name;
    }
}

TEST(DrawingColor, ThemeSlotsAndTheirLightnessChanges) {
    const ThemeColorScheme theme = ReadThemeColorScheme(
        "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
        "<a:clrScheme name=\"t\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1>"
        "<a:lt1><a:sysClr val=\"window\" lastClr=\"FFFFFF\"/></a:lt1><a:dk2><a:srgbClr val=\"1F497D\"/></a:dk2>"
        "<a:accent1><a:srgbClr val=\"4F81BD\"/></a:accent1></a:clrScheme></a:themeElements></a:theme>");
    const std::pair<std::string, std::string> cases[] = {
        {"<a:schemeClr val=\"tx2\"/>", "#1F497D"},
        {"<a:schemeClr val=\"bg1\"/>", "#FFFFFF"},
        {"<a:schemeClr val=\"accent1\"><a:lumMod val=\"75000\"/></a:schemeClr>", "#376092"},
        {"<a:schemeClr val=\"accent1\"><a:lumMod val=\"20000\"/><a:lumOff val=\"80000\"/></a:schemeClr>", "#DCE6F2"},
        {"<a:srgbClr val=\"000000\"><a:tint val=\"40000\"/></a:srgbClr>", "#999999"},
        {"<a:schemeClr val=\"lt1\"><a:shade val=\"50000\"/></a:schemeClr>", "#808080"},
        {"<a:prstClr val=\"black\"/>", "#000000"},
        {"<a:sysClr val=\"window\" lastClr=\"F0F0F0\"/>", "#F0F0F0"},
    };
    for (const auto& [xml, expected] : cases) {
        pugi::xml_document parsed;
        ASSERT_TRUE(parsed.load_string(("<a:solidFill xmlns:a=\"a\">" + xml + "</a:solidFill>").c_str()));
        EXPECT_EQ(CssColor(DrawingColor(parsed.first_child(), theme)), expected) << xml;
    }
    pugi::xml_document unknown;
    unknown.load_string("<a:solidFill xmlns:a=\"a\"><a:schemeClr val=\"accent6\"/></a:solidFill>");
    EXPECT_EQ(DrawingColor(unknown.first_child(), theme), -1) << "a slot the theme lacks";
}

// Text boxes show their own fill (theme colours resolved) and their own outline, or none.
TEST_F(PageFidelity, TextBoxesShowTheirOwnFillAndOutline) {
    auto vml = [](const std::string& attributes, const std::string& text) {
        return RawXml("<w:r><w:pict><v:shape " + attributes + "><v:textbox><w:txbxContent><w:p><w:r><w:t>" + text +
                      "</w:t></w:r></w:p></w:txbxContent></v:textbox></v:shape></w:pict></w:r>");
    };
    DocxBuilder doc;
    doc.SetThemeColors({{"dk2", "1F497D"}, {"lt1", "FFFFFF"}, {"accent1", "4F81BD"}});
    doc.AddParagraph({Text("a"), ShapedTextBox("theme fill", "<a:solidFill><a:schemeClr val=\"tx2\"/></a:solidFill>"
                                                             "<a:ln><a:noFill/></a:ln>")});
    doc.AddParagraph({Text("b"), ShapedTextBox("no line", "")});
    doc.AddParagraph({Text("c"), ShapedTextBox("styled", "",
                                               "<wps:style><a:lnRef idx=\"1\"><a:schemeClr val=\"accent1\">"
                                               "<a:lumMod val=\"75000\"/></a:schemeClr></a:lnRef>"
                                               "<a:fillRef idx=\"1\"><a:schemeClr val=\"lt1\"/></a:fillRef>"
                                               "</wps:style>")});
    doc.AddParagraph({Text("d"), ShapedTextBox("own line", "<a:ln w=\"25400\"><a:solidFill><a:srgbClr "
                                                           "val=\"FF0000\"/></a:solidFill></a:ln>")});
    doc.AddParagraph({Text("e"), vml("stroked=\"f\" fillcolor=\"#FFFF00\"", "vml unstroked")});
    doc.AddParagraph({Text("f"), vml("strokecolor=\"#00FF00\" strokeweight=\"2pt\"", "vml stroked")});
    doc.AddParagraph({Text("g"), vml("", "vml plain")});
    const std::string html = Save(Load(doc));
    auto boxBefore = [&](const std::string& text) {
        const size_t at = html.find(text);
        const size_t box = at == std::string::npos ? at : html.rfind("<div class=\"TextBox\"", at);
        return box == std::string::npos ? std::string() : html.substr(box, at - box);
    };
    const std::pair<std::string, std::string> expected[] = {
        {"theme fill", "border:none;padding:3.6pt 7.2pt;margin:3pt 0;background-color:#1F497D;"},
        {"no line", "border:none;padding:3.6pt 7.2pt;margin:3pt 0;\">"},
        {"styled", "border:0.5pt solid #376092;padding:3.6pt 7.2pt;margin:3pt 0;"},
        {"own line", "border:2pt solid #FF0000;"},
        {"vml unstroked", "border:none;padding:3.6pt 7.2pt;margin:3pt 0;background-color:#FFFF00;"},
        {"vml stroked", "border:2pt solid #00FF00;"},
        {"vml plain", "border:0.75pt solid #000000;"},
    };
    for (const auto& [text, css] : expected)
        EXPECT_NE(boxBefore(text).find(css), std::string::npos) << text << ": " << boxBefore(text);
    EXPECT_NE(boxBefore("styled").find("background-color:#FFFFFF;"), std::string::npos) << "the style's fill";
}

// Rows that start or end at other grid columns line up: the grid's widths are the columns', and rows keep their empty
// grid columns before and after.
TEST_F(PageFidelity, TablesWriteTheirGridAndRowsLineUp) {
    DocxBuilder doc;
    doc.AddTable(
        {{{.paragraphs = {"a1"}}, {.paragraphs = {"b1"}}, {.paragraphs = {"c1"}}},
         {{.paragraphs = {"b2"}}, {.paragraphs = {"c2"}}},
         {{.paragraphs = {"a3"}, .properties = "<w:tcW w:w=\"4000\" w:type=\"dxa\"/>"}, {.paragraphs = {"b3"}}}},
        {.gridColumns = {1440, 2880, 1440},
         .rowProperties = {"", "<w:gridBefore w:val=\"1\"/>", "<w:gridAfter w:val=\"1\"/>"}});
    const std::string html = Save(Load(doc));
    EXPECT_NE(html.find("<colgroup><col width=\"96\"><col width=\"192\"><col width=\"96\"></colgroup>"),
              std::string::npos)
        << html;
    const std::string gap = "<td style=\"border:none;\"></td>\r\n";
    EXPECT_NE(html.find("<tr>\r\n" + gap + "<td style=\"width:144pt;\">\r\n<p class=\"SNormal\">b2"), std::string::npos)
        << "an empty grid column before";
    EXPECT_NE(html.find("b3</p>\r\n</td>\r\n" + gap + "</tr>"), std::string::npos) << "and after";
    EXPECT_NE(html.find("<td style=\"width:72pt;\">\r\n<p class=\"SNormal\">a3"), std::string::npos)
        << "the grid's width, not the cell's own preferred one";
}

// A diagram's text is shown in a box in the order of its data; a chart as its title, with a warning for each.
TEST_F(PageFidelity, DiagramsShowTheirTextAndChartsTheirTitle) {
    auto graphic = [](const std::string& uri, const std::string& data) {
        return RawXml("<w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"914400\"/><a:graphic>"
                      "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/" +
                      uri + "\">" + data + "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r>");
    };
    DocxBuilder doc;
    doc.SetPart("word/diagrams/data1.xml",
                "<dgm:dataModel xmlns:dgm=\"d\" xmlns:a=\"a\"><dgm:ptLst>"
                "<dgm:pt modelId=\"0\" type=\"doc\"><dgm:t><a:p><a:r><a:t>not shown</a:t></a:r></a:p></dgm:t></dgm:pt>"
                "<dgm:pt modelId=\"1\"><dgm:t><a:p><a:r><a:t>Plan</a:t></a:r></a:p></dgm:t></dgm:pt>"
                "<dgm:pt modelId=\"2\"><dgm:t><a:p><a:r><a:t>Do</a:t></a:r><a:r><a:t>ne</a:t></a:r></a:p></dgm:t>"
                "</dgm:pt><dgm:pt modelId=\"3\" type=\"parTrans\"/></dgm:ptLst></dgm:dataModel>");
    doc.AddDocumentRelationship("rIdData", "diagramData", "diagrams/data1.xml");
    doc.SetPart("word/charts/chart1.xml", "<c:chartSpace xmlns:c=\"c\" xmlns:a=\"a\"><c:chart><c:title><c:tx>"
                                          "<c:rich><a:p><a:r><a:t>Sales by year</a:t></a:r></a:p></c:rich></c:tx>"
                                          "</c:title></c:chart></c:chartSpace>");
    doc.AddDocumentRelationship("rIdChart", "chart", "charts/chart1.xml");
    doc.AddParagraph({Text("diagram"), graphic("diagram", "<dgm:relIds r:dm=\"rIdData\"/>")});
    doc.AddParagraph({Text("chart"), graphic("chart", "<c:chart r:id=\"rIdChart\"/>")});
    doc.AddParagraph("after");
    const std::string html = Save(Load(doc));
    const size_t diagram = html.find("diagram</p>");
    const size_t plan = html.find("<p class=\"SNormal\">Plan</p>");
    const size_t done = html.find("<p class=\"SNormal\">Done</p>");
    const size_t chart = html.find("[\xCD\xBC\xB1\xED: Sales by year]"); // 图表, the label in code page 936
    ASSERT_NE(diagram, std::string::npos) << html;
    EXPECT_TRUE(diagram < plan && plan < done && done < chart && chart != std::string::npos) << html;
    EXPECT_EQ(html.find("not shown"), std::string::npos);
    EXPECT_NE(html.rfind("<div class=\"TextBox\" style=\"border:0.75pt solid #000000;", plan), std::string::npos);
    EXPECT_TRUE(WarnedAbout("a diagram (/word/diagrams/data1.xml) is shown as its text in a box"));
    EXPECT_TRUE(WarnedAbout("a chart (/word/charts/chart1.xml) is shown as its title only"));
}

} // namespace

// Runs keep their own direction and theme colours: a right-to-left run in a left-to-right paragraph (and the other
// way round) is embedded in its direction, a run of the paragraph's own direction is not marked; w:themeColor is the
// theme's colour, lightened or darkened as the run says, over the colour written beside it, which stays when the
// theme lacks the slot.
TEST_F(PageFidelity, RunsTakeTheirOwnDirectionAndThemeColours) {
    auto run = [](const std::string& properties, const std::string& text) {
        return "<w:r><w:rPr>" + properties + "</w:rPr><w:t>" + text + "</w:t></w:r>";
    };
    DocxBuilder doc;
    doc.SetThemeColors({{"accent1", "4472C4"}, {"dk2", "44546A"}});
    doc.AddParagraph({Text("left "), RawXml(run("<w:rtl/>", "embedded-rtl"))});
    doc.AddBodyXml("<w:p><w:pPr><w:bidi/></w:pPr>" + run("<w:rtl/>", "plain-rtl") +
                   run("<w:rtl w:val=\"0\"/>", "embedded-ltr") + "</w:p>");
    doc.AddParagraph({RawXml(run("<w:color w:val=\"FF0000\" w:themeColor=\"accent1\"/>", "themed") +
                             run("<w:color w:val=\"000000\" w:themeColor=\"text2\" w:themeShade=\"80\"/>", "shaded") +
                             run("<w:color w:val=\"000000\" w:themeColor=\"accent1\" w:themeTint=\"66\"/>", "tinted") +
                             run("<w:color w:val=\"00FF00\" w:themeColor=\"accent6\"/>", "unknown"))});
    const std::string html = Save(Load(doc));
    const std::pair<std::string, std::string> expected[] = {
        {"embedded-rtl", "direction:rtl;unicode-bidi:embed;"},
        {"embedded-ltr", "direction:ltr;unicode-bidi:embed;"},
        {"themed", "color:#4472C4;"},
        {"shaded", "color:#222A35;"},
        {"tinted", "color:#B4C7E7;"},
        {"unknown", "color:#00FF00;"},
    };
    for (const auto& [text, css] : expected)
        EXPECT_NE(html.find("<span style=\"" + css + "\">" + text + "</span>"), std::string::npos) << text << html;
    EXPECT_NE(html.find("dir=\"rtl\""), std::string::npos);
    EXPECT_NE(html.find(">plain-rtl"), std::string::npos) << "no span of its own: " << html;
    EXPECT_EQ(html.find("direction:rtl;unicode-bidi:embed;\">plain-rtl"), std::string::npos) << html;
}
