// Writes the example document the README converts: headings on three levels, a table of contents, a
// cross-reference, numbered headings, a picture, a table and some Chinese.

#include "docbuilder/DocxBuilder.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

using namespace docx;

// A small picture: a blue-to-green gradient with a white band, so it is plain to see in a page.
std::vector<uint8_t> GradientPng() {
    constexpr int kWidth = 240;
    constexpr int kHeight = 100;
    std::vector<uint8_t> pixels(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &pixels[(y * kWidth + x) * 3];
            const bool band = y > 42 && y < 58;
            p[0] = band ? 255 : 30;
            p[1] = band ? 255 : static_cast<uint8_t>(80 + x * 170 / kWidth);
            p[2] = band ? 255 : static_cast<uint8_t>(220 - x * 120 / kWidth);
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::vector<uint8_t> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr))
        return TinyPng();
    bytes.resize(size);
    return bytes;
}

void Heading(DocxBuilder& doc, int level, const std::string& bookmark, const std::string& text) {
    ParagraphOptions options;
    options.style = "Heading" + std::to_string(level);
    options.numId = 1;
    options.numLevel = level - 1;
    doc.AddParagraph({BookmarkStart(bookmark), Text(text), BookmarkEnd(bookmark)}, options);
}

void ContentsEntry(DocxBuilder& doc, const std::string& bookmark, const std::string& text) {
    doc.AddParagraph({Field("HYPERLINK \\l \"" + bookmark + "\"", text)});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.docx\n", argv[0]);
        return 2;
    }
    DocxBuilder doc;
    doc.AddAbstractList(1, {{"decimal", "%1.", 1}, {"decimal", "%1.%2", 1}, {"decimal", "%1.%2.%3", 1}});
    doc.AddList(1, 1);

    // Plain large text, not the Title style: that style carries an outline level and would become a topic.
    RunStyle big;
    big.bold = true;
    big.sizeHalfPoints = 40;
    doc.AddParagraph({Text("Leafbind Example Manual", big)});
    doc.AddParagraph("This title page belongs to no topic.");
    doc.AddParagraph("Contents");
    ContentsEntry(doc, "_Toc001", "1. Introduction");
    ContentsEntry(doc, "_Toc002", "1.1 What it does");
    ContentsEntry(doc, "_Toc003", "2. Installation");
    ContentsEntry(doc, "_Toc004", "2.1 Requirements");
    ContentsEntry(doc, "_Toc005", "2.1.1 Fonts");
    ContentsEntry(doc, "_Toc006", "3. 中文说明");

    Heading(doc, 1, "_Toc001", "Introduction");
    doc.AddParagraph("Leafbind turns one Word document into one compiled help file.");
    doc.AddParagraph({Text("Before you start, read "), Field("REF _Ref100 \\h", "Requirements"),
                      Text(" in the installation chapter.")});
    Heading(doc, 2, "_Toc002", "What it does");
    doc.AddParagraph("Every heading becomes a topic page; the headings become the contents and the index.");
    Inline picture = Picture(GradientPng());
    picture.widthEmu = 240 * 9525; // shown at its own size: 9525 EMU to a pixel
    picture.heightEmu = 100 * 9525;
    doc.AddParagraph({picture});
    doc.AddParagraph("The picture above travels with its page.");

    Heading(doc, 1, "_Toc003", "Installation");
    doc.AddParagraph("Install the program, then run it.");
    ParagraphOptions requirements;
    requirements.style = "Heading2";
    requirements.numId = 1;
    requirements.numLevel = 1;
    doc.AddParagraph({BookmarkStart("_Toc004"), BookmarkStart("_Ref100"), Text("Requirements"), BookmarkEnd("_Ref100"),
                      BookmarkEnd("_Toc004")},
                     requirements);
    doc.AddTable(
        {{{{"Part"}}, {{"Needed"}}}, {{{"Document server"}}, {{"built in"}}}, {{{"Help compiler"}}, {{"built in"}}}});
    Heading(doc, 3, "_Toc005", "Fonts");
    doc.AddParagraph("A font with Chinese glyphs makes the Chinese pages readable.");
    doc.AddParagraph({Text("See also "), Link("the project page", "https://example.com/leafbind"), Text(".")});

    Heading(doc, 1, "_Toc006", "中文说明");
    doc.AddParagraph("本工具把一个Word文档转换成一个CHM帮助文件，每个标题成为一个主题。");
    doc.AddParagraph({Text("返回"), AnchorLink("简介", "_Toc001"), Text("。")});

    doc.Save(argv[1]);
    return 0;
}
