// Writes a large .docx of real prose for the whole-run benchmark: headings over three levels, each bookmarked and
// followed by body paragraphs taken in turn from a text file, tables, PNG pictures, links to the headings' bookmarks
// and a table of contents field. Or, with --empty, a document that is almost all empty paragraphs.
//
//   leafbind_realtext_docx PROSE OUT.docx [headings=2000] [paragraphs=20000] [tables=100] [pictures=200] [links=800]
//   leafbind_realtext_docx --empty OUT.docx [paragraphs=1000000] [headings=100]
//
// PROSE holds one paragraph per line, UTF-8 (bench/cli/real_text.sh makes it from manual pages and licences).
// The same arguments always give the same document.

#include "docbuilder/DocxBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The first words of a line, or for text without spaces (Chinese) its first characters, as a heading.
std::string HeadingText(const std::string& line) {
    size_t spaces = 0;
    size_t characters = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ' && ++spaces == 7)
            return line.substr(0, i);
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80 && ++characters == 18 && spaces == 0)
            return line.substr(0, i);
        if ((line[i] == '.' || line[i] == ',') && i > 12)
            return line.substr(0, i);
    }
    return line;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(png, static_cast<uint32_t>(data.size()));
    const size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt));
    PutBigEndian(png, static_cast<uint32_t>(crc));
}

// A real, decodable RGB picture the size of a small screenshot: gradients with noise in the low bits, so that it
// compresses about as badly as a photograph or a screenshot with anti-aliased text (60 to 90 KB).
std::vector<uint8_t> ScreenshotPng(int seed) {
    const uint32_t width = 320;
    const uint32_t height = 200;
    std::vector<uint8_t> raw;
    raw.reserve((width * 3 + 1) * height);
    uint32_t state = 2166136261u ^ static_cast<uint32_t>(seed);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        for (uint32_t x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const uint8_t noise = static_cast<uint8_t>(state >> 26);
            raw.push_back(static_cast<uint8_t>((x + seed * 7) / 2 + noise));
            raw.push_back(static_cast<uint8_t>((y + seed * 3) + noise));
            raw.push_back(static_cast<uint8_t>(((x ^ y) & 0x3F) + 96 + (noise >> 1)));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, adaptive filters, not interlaced
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

int Level(int heading) {
    if (heading % 10 == 0)
        return 1;
    return heading % 10 % 3 == 1 ? 2 : 3;
}

std::string Bookmark(int heading) {
    return "_Toc" + std::to_string(100000000 + heading);
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

int WriteEmptyDocument(const std::filesystem::path& out, int paragraphs, int headings) {
    docx::DocxBuilder doc;
    const int perHeading = std::max(1, paragraphs / std::max(1, headings));
    for (int h = 0; h < headings; ++h) {
        doc.AddParagraph("Part " + std::to_string(h + 1), {.style = "Heading1"});
        for (int p = 0; p < perHeading; ++p)
            doc.AddParagraph(std::string());
    }
    doc.Save(out);
    std::printf("%s: %d headings, %d empty paragraphs, %.2f MB\n", out.c_str(), headings, perHeading * headings,
                std::filesystem::file_size(out) / 1e6);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROSE|--empty OUT.docx [counts...]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[2];
    if (std::string(argv[1]) == "--empty")
        return WriteEmptyDocument(out, Argument(argc, argv, 3, 1000000), Argument(argc, argv, 4, 100));

    std::vector<std::string> prose;
    std::ifstream in(argv[1]);
    for (std::string line; std::getline(in, line);) {
        // XML 1.0 has no place for control characters (the licences hold form feeds): other readers refuse them.
        std::erase_if(line, [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
        if (!line.empty())
            prose.push_back(line);
    }
    if (prose.size() < 100) {
        std::fprintf(stderr, "%s: too little prose (%zu paragraphs)\n", argv[1], prose.size());
        return 1;
    }
    const int headings = Argument(argc, argv, 3, 2000);
    const int paragraphs = Argument(argc, argv, 4, 20000);
    const int tables = Argument(argc, argv, 5, 100);
    const int pictures = Argument(argc, argv, 6, 200);
    const int links = Argument(argc, argv, 7, 800);

    size_t next = 0;
    auto nextProse = [&]() -> const std::string& { return prose[next++ % prose.size()]; };
    std::vector<std::string> titles;
    for (int h = 0; h < headings; ++h)
        titles.push_back(HeadingText(nextProse()));

    docx::DocxBuilder doc;
    doc.AddParagraph(titles[0], {.style = "Title"});
    // The table of contents as Word leaves it: one field whose result is a paragraph per listed heading.
    std::vector<int> listed;
    for (int h = 0; h < headings; ++h)
        if (Level(h) == 1)
            listed.push_back(h);
    for (size_t i = 0; i < listed.size(); ++i) {
        std::vector<docx::Inline> entry;
        if (i == 0)
            entry.push_back(docx::RawXml("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText "
                                         "xml:space=\"preserve\"> TOC \\o \"1-1\" \\h \\z \\u </w:instrText></w:r>"
                                         "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"));
        entry.push_back(docx::AnchorLink(titles[listed[i]], Bookmark(listed[i])));
        if (i + 1 == listed.size())
            entry.push_back(docx::RawXml("<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"));
        doc.AddParagraph(entry);
    }

    const int bodyParagraphs = std::max(0, paragraphs - headings - static_cast<int>(listed.size()) - 1);
    int written = 0;
    int tablesWritten = 0;
    int picturesWritten = 0;
    int linksWritten = 0;
    for (int h = 0; h < headings; ++h) {
        doc.AddParagraph({docx::BookmarkStart(Bookmark(h)), docx::Text(titles[h]), docx::BookmarkEnd(Bookmark(h))},
                         {.style = "Heading" + std::to_string(Level(h))});
        // Spread the body, tables, pictures and links evenly over the headings.
        const int bodyHere = bodyParagraphs * (h + 1) / headings - bodyParagraphs * h / headings;
        for (int b = 0; b < bodyHere; ++b, ++written) {
            std::vector<docx::Inline> content = {docx::Text(nextProse())};
            if (linksWritten < links * (written + 1) / std::max(1, bodyParagraphs)) {
                const int target = static_cast<int>((written * 7919u + 13u) % static_cast<unsigned>(headings));
                content.push_back(docx::Text(" See "));
                content.push_back(docx::AnchorLink(titles[target], Bookmark(target)));
                content.push_back(docx::Text("."));
                ++linksWritten;
            }
            if (b == 1 && picturesWritten < pictures * (h + 1) / headings) {
                content.push_back(docx::Picture(ScreenshotPng(picturesWritten)));
                ++picturesWritten;
            }
            if (b % 5 == 2)
                content.insert(content.begin() + 1, docx::Text(" " + HeadingText(nextProse()), {.bold = true}));
            doc.AddParagraph(content);
        }
        if (tablesWritten < tables * (h + 1) / headings) {
            std::vector<std::vector<docx::TableCell>> rows;
            for (int r = 0; r < 5; ++r) {
                std::vector<docx::TableCell> cells;
                for (int c = 0; c < 3; ++c)
                    cells.push_back(docx::TableCell{.paragraphs = {HeadingText(nextProse())}});
                rows.push_back(std::move(cells));
            }
            doc.AddTable(rows, {.properties = "<w:tblBorders><w:top w:val=\"single\" w:sz=\"4\"/><w:bottom "
                                              "w:val=\"single\" w:sz=\"4\"/><w:insideH w:val=\"single\" "
                                              "w:sz=\"4\"/></w:tblBorders>",
                                .gridColumns = {3000, 3000, 3000}});
            ++tablesWritten;
        }
    }
    doc.Save(out);
    std::printf("%s: %d headings, %d paragraphs (%zu in the contents), %d tables, %d pictures, %d links, %.2f MB\n",
                out.c_str(), headings, written + headings + static_cast<int>(listed.size()) + 1, listed.size(),
                tablesWritten, picturesWritten, linksWritten + static_cast<int>(listed.size()),
                std::filesystem::file_size(out) / 1e6);
    return 0;
}
