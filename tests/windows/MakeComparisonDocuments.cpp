// Writes the documents whose help files the Windows build must make byte for byte as the Linux build does: a
// German one (code page 1252, umlauts in titles, index and pages) and a Chinese one (code page 936), each with
// pictures, numbered headings on three levels, a table and links between topics.
//   leafbind-comparison-docs FOLDER   writes FOLDER/german.docx and FOLDER/chinese.docx

#include "docbuilder/DocxBuilder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace docx;

struct Topic {
    int level;
    std::string title;
    std::vector<std::string> paragraphs;
    bool picture;
};

void Write(const std::filesystem::path& path, const std::string& language, const std::vector<Topic>& topics) {
    DocxBuilder doc;
    doc.SetDocumentDefaults("<w:lang w:val=\"" + language + "\" w:eastAsia=\"" + language + "\"/>", "");
    doc.AddAbstractList(1, {{"decimal", "%1.", 1}, {"decimal", "%1.%2", 1}, {"decimal", "%1.%2.%3", 1}});
    doc.AddList(1, 1);
    int number = 0;
    for (const Topic& topic : topics) {
        const std::string bookmark = "_Toc" + std::to_string(100 + number++);
        ParagraphOptions heading;
        heading.style = "Heading" + std::to_string(topic.level);
        heading.numId = 1;
        heading.numLevel = topic.level - 1;
        doc.AddParagraph({BookmarkStart(bookmark), Text(topic.title), BookmarkEnd(bookmark)}, heading);
        for (const std::string& paragraph : topic.paragraphs)
            doc.AddParagraph(paragraph);
        if (topic.picture)
            doc.AddParagraph({Picture(TinyPng())});
        if (number > 1)
            doc.AddParagraph({Text("\xE2\x86\x90 "), AnchorLink(topics.front().title, "_Toc100")});
    }
    doc.AddTable({{{{topics[0].title}}, {{topics[1].title}}}, {{{"1"}}, {{"2"}}}});
    doc.Save(path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    Write(folder / "german.docx", "de-DE",
          {{1,
            "Einf\xC3\xBChrung",
            {"Dieses Handbuch erkl\xC3\xA4rt, wie man Gr\xC3\xB6\xC3\x9F"
             "en \xC3\xA4ndert."},
            false},
           {2,
            "Gr\xC3\xB6\xC3\x9F"
            "en und Ma\xC3\x9F"
            "e",
            {"\xC3\x84pfel, \xC3\x96l und \xC3\x9C"
             "bungen: 5 \xE2\x82\xAC."},
            true},
           {3,
            "S\xC3\xBC\xC3\x9F"
            "e Tr\xC3\xA4ume",
            {"Fu\xC3\x9F"
             "noten und \xC2\xA7 3 Abs. 2."},
            false},
           {1, "Zubeh\xC3\xB6r", {"M\xC3\xBCller & S\xC3\xB6hne GmbH, K\xC3\xB6ln."}, true}});
    Write(folder / "chinese.docx", "zh-CN",
          {{1,
            "\xE7\xAE\x80\xE4\xBB\x8B",
            {"\xE6\x9C\xAC\xE5\xB7\xA5\xE5\x85\xB7\xE6\x8A\x8A\xE6\x96\x87\xE6\xA1\xA3\xE8\xBD\xAC\xE6\x8D\xA2\xE6\x88"
             "\x90\xE5\xB8\xAE\xE5\x8A\xA9\xE6\x96\x87\xE4\xBB\xB6\xE3\x80\x82"},
            false},
           {2,
            "\xE5\xAE\x89\xE8\xA3\x85\xE6\xAD\xA5\xE9\xAA\xA4",
            {"\xE5\x85\x88\xE5\xAE\x89\xE8\xA3\x85\xEF\xBC\x8C\xE5\x86\x8D\xE8\xBF\x90\xE8\xA1\x8C\xE3\x80\x82"},
            true},
           {3,
            "\xE5\xAD\x97\xE4\xBD\x93",
            {"\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE4\xBD\x93\xE8\xAE\xA9\xE9\xA1\xB5\xE9\x9D\xA2\xE6\xB8\x85\xE6\x99"
             "\xB0\xE3\x80\x82"},
            false},
           {1,
            "\xE5\xB8\xB8\xE8\xA7\x81\xE9\x97\xAE\xE9\xA2\x98",
            {"\xE9\x97\xAE\xE9\xA2\x98\xE4\xB8\x8E\xE7\xAD\x94\xE6\xA1\x88\xE3\x80\x82"},
            true}});
    return 0;
}
