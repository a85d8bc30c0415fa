// Whole-run timing of the document server on a large generated document: open, then the splitter's heading walk
// through the automation interface (Paragraphs.Count, Item(i), OutlineLevel, Range.Text). Never run as a test.
//
//   leafbind_docserver_bench [headings=2000] [paragraphs=20000] [pictures=200]

#include "docbuilder/DocxBuilder.h"
#include "docserver/DocumentServer.h"
#include "word/WordObjects.h"

#include "automation/ComRuntime.h"
#include "automation/Variant.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    const int headings = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int paragraphs = argc > 2 ? std::atoi(argv[2]) : 20000;
    const int pictures = argc > 3 ? std::atoi(argv[3]) : 200;

    docx::DocxBuilder doc;
    const int bodyPerHeading = std::max(1, (paragraphs - headings) / std::max(1, headings));
    const int pictureEvery = std::max(1, (paragraphs - headings) / std::max(1, pictures));
    int body = 0;
    int written = 0;
    int picturesWritten = 0;
    for (int h = 0; h < headings; ++h) {
        doc.AddParagraph({docx::BookmarkStart("_Toc" + std::to_string(h)), docx::Text("Heading " + std::to_string(h)),
                          docx::BookmarkEnd("_Toc" + std::to_string(h))},
                         {.style = "Heading" + std::to_string(h % 3 + 1)});
        ++written;
        for (int b = 0; b < bodyPerHeading; ++b, ++written) {
            std::vector<docx::Inline> content = {
                docx::Text("Body paragraph " + std::to_string(written) +
                           " with enough words to look like ordinary prose in a manual, "),
                docx::Text("bold part", {.bold = true}), docx::Text(" and a "),
                docx::AnchorLink("link", "_Toc" + std::to_string((h + 1) % headings))};
            if (++body % pictureEvery == 0 && picturesWritten < pictures) {
                // 64 KiB of noise after a PNG signature: the size of a typical screenshot, and incompressible.
                std::vector<uint8_t> bytes = docx::TinyPng();
                for (int k = 0; k < 65536; ++k)
                    bytes.push_back(static_cast<uint8_t>((k * 2654435761u + picturesWritten * 40503u) >> 13));
                content.push_back(docx::Picture(std::move(bytes)));
                ++picturesWritten;
            }
            doc.AddParagraph(content);
        }
    }
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "leafbind-bench-large.docx";
    doc.Save(path);
    std::printf("document: %d headings, %d paragraphs, %d pictures, %.1f MiB on disk\n", headings, written,
                picturesWritten, std::filesystem::file_size(path) / 1048576.0);
    const long kilobytesBefore = PeakKilobytes();

    CoInitialize(nullptr);
    RegisterDocumentServer();
    WordApplication word;
    if (!word.CreateDispatch("Word.Application"))
        return 1;
    ScopedVariant name = ScopedVariant::Bstr(path.u16string());
    ScopedVariant missing = ScopedVariant::Missing();
    ScopedVariant yes = ScopedVariant::I2(1);

    auto start = std::chrono::steady_clock::now();
    WordDocument document =
        word.Documents().Open(&name, &missing, &yes, &missing, &missing, &missing, &missing, &missing, &missing,
                              &missing, &missing, &missing, &missing, &missing, &missing);
    const double openSeconds = SecondsSince(start);

    start = std::chrono::steady_clock::now();
    const WordParagraphs all = document.Paragraphs();
    const int32_t count = all.Count();
    std::vector<WordParagraph> kept; // the topic tree keeps its heading paragraphs
    for (int32_t i = 1; i <= count; ++i) {
        WordParagraph paragraph = all.Item(i);
        if (paragraph.OutlineLevel() >= 10 || paragraph.Range().Text() == "\f")
            continue;
        kept.push_back(std::move(paragraph));
    }
    const double walkSeconds = SecondsSince(start);

    std::printf("open: %.3f s\nheading walk: %.3f s (%d paragraphs, %zu headings)\n", openSeconds, walkSeconds, count,
                kept.size());
    std::printf("peak memory: %.1f MiB (%.1f MiB before opening, building the document included)\n",
                PeakKilobytes() / 1024.0, kilobytesBefore / 1024.0);
    kept.clear();
    document.Close(&missing, &missing, &missing);
    word.Quit(&missing, &missing, &missing);
    if (!std::getenv("LEAFBIND_BENCH_KEEP")) // the whole-run benchmark converts the same document afterwards
        std::filesystem::remove(path);
    return 0;
}
