// Pictures of a document opened from its file are read from the package when a page is saved: the bytes read late
// are the source's, through copies and after the source is closed; a part that no longer reads becomes a gap with
// a warning naming it; and what the open checked (a missing or damaged part) is checked at the open as before.
#include "HtmlExportFixture.h"

#include "docserver/html/PictureCodec.h"

#include <fstream>
#include <functional>

using namespace docx;
namespace fs = std::filesystem;

namespace {

// A small PNG of one colour, so two pictures differ and each can be told by its bytes.
std::vector<uint8_t> OneColourPng(uint8_t red, uint8_t green, uint8_t blue) {
    RasterImage image;
    image.width = image.height = 16;
    image.channels = 3;
    for (int i = 0; i < image.width * image.height; ++i)
        image.pixels.insert(image.pixels.end(), {red, green, blue});
    return EncodePng(image);
}

// A PNG of noise, which does not deflate: large enough that no read the open made is still buffered over its middle.
std::vector<uint8_t> NoisePng() {
    RasterImage image;
    image.width = image.height = 256;
    image.channels = 3;
    uint32_t state = 12345;
    for (int i = 0; i < image.width * image.height * image.channels; ++i) {
        state = state * 1103515245u + 12345u;
        image.pixels.push_back(static_cast<uint8_t>(state >> 24));
    }
    return EncodePng(image);
}

std::vector<uint8_t> FileBytes(const fs::path& path) {
    const std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Where the deflated bytes of a part start in a package and how many there are, from the part's local header
// (parts are written before the central directory, so the name's first occurrence is that header's).
std::pair<size_t, size_t> PartData(const std::string& package, const std::string& name) {
    const size_t nameAt = package.find(name);
    EXPECT_NE(nameAt, std::string::npos) << name;
    EXPECT_GE(nameAt, 30u);
    const size_t header = nameAt - 30;
    EXPECT_EQ(package.compare(header, 4, "PK\x03\x04"), 0);
    auto le = [&](size_t at, int bytes) {
        size_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(package[at + static_cast<size_t>(i)]);
        return value;
    };
    return {header + 30 + le(header + 26, 2) + le(header + 28, 2), le(header + 18, 4)};
}

// The package with one byte in the middle of a part's deflated data changed: its checksum no longer matches.
std::string WithPartDamaged(std::string package, const std::string& name) {
    const auto [data, size] = PartData(package, name);
    package[data + size / 2] = static_cast<char>(package[data + size / 2] ^ 0x55);
    return package;
}

class PictureReadLater : public HtmlExport {
protected:
    // A page made as the converter makes one: the source's whole body copied and pasted into a new document.
    WordDocument PasteIntoPage(const WordDocument& source) {
        source.Range(&missing, &missing).Copy();
        ScopedVariant no = ScopedVariant::I2(0);
        const WordDocument page = WordDocuments(NewDocuments(application)).Add(&missing, &no, &missing, &missing);
        page.Paragraphs().Item(1).Range().Paste();
        pageState = application->documents.back();
        return page;
    }

    bool PageWarnedAbout(const std::string& words) {
        for (const std::string& warning : pageState->model().warnings)
            if (warning.find(words) != std::string::npos)
                return true;
        return false;
    }

    std::shared_ptr<DocumentState> pageState;
};

// The bytes are read when the page is saved, from the package the source was read from, whether the source is still
// open or closed already (the page's copies keep the package open), and are the source's own.
TEST_F(PictureReadLater, APastedPictureIsTheSourcesPictureWhenThePageIsSaved) {
    const std::vector<uint8_t> red = OneColourPng(0xFF, 0, 0);
    const std::vector<uint8_t> blue = OneColourPng(0, 0, 0xFF);
    ASSERT_GT(red.size(), kPictureHeadBytes);
    for (const bool closeSource : {false, true}) {
        SCOPED_TRACE(closeSource ? "source closed" : "source open");
        DocxBuilder doc;
        doc.AddHeading(1, "Pictures")
            .AddParagraph({Text("red "), Picture(red)})
            .AddParagraph({Text("blue "), Picture(blue, true)});
        const WordDocument source = Load(doc);
        // Only the head is held until a page needs the rest.
        const PictureSpan& held = state->model().stories[kMainStory].pictures.at(0);
        EXPECT_EQ(held.bytes.size(), red.size());
        EXPECT_EQ(held.bytes.Head().size(), kPictureHeadBytes);
        const WordDocument page = PasteIntoPage(source);
        page.WebOptions().SetAllowPNG(true);
        if (closeSource) {
            Close(source);
            EXPECT_TRUE(state->model().stories.empty());
        }
        fs::remove_all(folder / "0.files");
        SaveAs(page, folder / "0.html");
        const std::string html = ReadText(folder / "0.html");
        ExpectPicturesResolve(html);
        EXPECT_EQ(FileBytes(folder / "0.files" / "image001.png"), red);
        EXPECT_EQ(FileBytes(folder / "0.files" / "image002.png"), blue);
        EXPECT_TRUE(pageState->model().warnings.empty()) << pageState->model().warnings.front();
    }
}

// One part shown in two places is read for each, and both places show it.
TEST_F(PictureReadLater, APartShownTwiceIsShownInBothPlaces) {
    const std::vector<uint8_t> green = OneColourPng(0, 0xFF, 0);
    DocxBuilder doc;
    doc.AddParagraph({Text("first "), Picture(green), Text(" second "), Picture(OneColourPng(0, 0, 0))});
    std::string xml = doc.DocumentXml();
    const std::string embed = "r:embed=\"";
    const size_t first = xml.find(embed);
    const size_t second = xml.find(embed, first + 1);
    ASSERT_NE(second, std::string::npos);
    const size_t idLength = xml.find('"', first + embed.size()) - first - embed.size();
    xml.replace(second + embed.size(), xml.find('"', second + embed.size()) - second - embed.size(),
                xml.substr(first + embed.size(), idLength));
    doc.SetPart("word/document.xml", xml);
    const WordDocument document = Load(doc);
    const auto& pictures = state->model().stories[kMainStory].pictures;
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].part, pictures[1].part);
    document.WebOptions().SetAllowPNG(true);
    const std::string html = Save(document);
    ExpectPicturesResolve(html);
    EXPECT_EQ(FileBytes(folder / "0.files" / "image001.png"), green);
    EXPECT_EQ(FileBytes(folder / "0.files" / "image002.png"), green);
    EXPECT_TRUE(state->model().warnings.empty());
}

// The source file changed after the open: a picture that no longer reads is a marked gap on the page with a warning
// naming its part, and the rest of the page is written. A file removed is still read through the handle the open
// document keeps (where the system lets an open file be removed at all).
TEST_F(PictureReadLater, APictureThatNoLongerReadsBecomesAGapNamingItsPart) {
    struct Change {
        std::string what;
        std::function<void(const fs::path&, const std::string&, const std::string&)> apply;
        bool shown;
    };
    const std::vector<Change> changes = {
        {"picture's bytes damaged in place",
         [](const fs::path& path, const std::string& package, const std::string& part) {
             const std::string damaged = WithPartDamaged(package, part);
             std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
             file.write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
         },
         false},
        {"file cut short in place",
         [](const fs::path& path, const std::string& package, const std::string&) {
             std::ofstream(path, std::ios::binary | std::ios::trunc) << package.substr(0, 64);
         },
         false},
        {"file emptied",
         [](const fs::path& path, const std::string&, const std::string&) { std::ofstream(path, std::ios::trunc); },
         false},
        {"file removed",
         [](const fs::path& path, const std::string&, const std::string&) {
             std::error_code ignored;
             fs::remove(path, ignored);
         },
         true},
    };
    const std::vector<uint8_t> png = NoisePng();
    ASSERT_GT(png.size(), 100'000u);
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        DocxBuilder doc;
        doc.AddParagraph({Text("before "), Picture(png), Text(" after")});
        const std::string package = doc.Build();
        const WordDocument document = Load(doc);
        const std::string part = state->model().stories[kMainStory].pictures.at(0).part;
        change.apply(source, package, part);
        fs::remove_all(folder / "0.files");
        const std::string html = Save(document);
        EXPECT_NE(html.find("before"), std::string::npos);
        EXPECT_NE(html.find("after"), std::string::npos);
        ExpectPicturesResolve(html);
        if (change.shown) {
            EXPECT_NE(html.find("src=\"0.files/image001.png\""), std::string::npos); // decoded, at its drawn size
            EXPECT_TRUE(state->model().warnings.empty());
        } else {
            EXPECT_NE(html.find("class=\"PictureGap\""), std::string::npos);
            EXPECT_EQ(html.find("<img"), std::string::npos);
            ASSERT_EQ(state->model().warnings.size(), 1u);
            EXPECT_NE(state->model().warnings[0].find("/" + part), std::string::npos) << state->model().warnings[0];
        }
    }
}

// Read from its file or from its bytes, a package gives the same verdict at the open: a missing picture part is a
// warning, a damaged one fails the open with the same message.
TEST_F(PictureReadLater, MissingAndDamagedPartsAreFoundWhenTheDocumentOpens) {
    DocxBuilder doc;
    doc.AddParagraph({Text("a picture "), Picture(OneColourPng(1, 2, 3))});
    const std::string package = doc.Build();
    const DocxReadResult whole = ReadDocx(package);
    ASSERT_EQ(whole.document.stories.at(kMainStory).pictures.size(), 1u);
    const std::string part = whole.document.stories[kMainStory].pictures[0].part;
    struct Case {
        std::string what;
        std::string bytes;
        StatusCode code;
    };
    const std::vector<Case> cases = {
        {"whole", package, StatusCode::Ok},
        {"part missing", DocxBuilder(doc).RemovePart(part).Build(), StatusCode::Ok},
        {"part damaged", WithPartDamaged(package, part), StatusCode::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = folder / "checked.docx";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        const DocxReadResult fromFile = ReadDocxFile(path);
        const DocxReadResult fromBytes = ReadDocx(c.bytes);
        EXPECT_EQ(fromFile.status.code, c.code) << fromFile.status.message;
        EXPECT_EQ(fromFile.status.code, fromBytes.status.code);
        EXPECT_EQ(fromFile.status.message, fromBytes.status.message);
        EXPECT_EQ(fromFile.document.warnings, fromBytes.document.warnings);
        if (c.what == "part missing") {
            ASSERT_EQ(fromFile.document.warnings.size(), 1u);
            EXPECT_NE(fromFile.document.warnings[0].find("/" + part + " is missing"), std::string::npos);
        }
        if (c.code == StatusCode::Ok) {
            ASSERT_EQ(fromFile.document.stories.at(kMainStory).pictures.size(), 1u);
            const PictureSpan& read = fromFile.document.stories[kMainStory].pictures[0];
            EXPECT_EQ(*read.bytes.Read().bytes, *fromBytes.document.stories[kMainStory].pictures[0].bytes.Read().bytes);
        }
    }
}

} // namespace
