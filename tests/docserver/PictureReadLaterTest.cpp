// Pictures of a document opened from its file are read from the package when a page is saved: the bytes read late
// are the source's, through copies and after the source is closed; a part that no longer reads becomes a gap with
// a warning naming it; a missing or damaged part is found at the open as before.
#include "HtmlExportFixture.h"

#include "docserver/html/PictureCodec.h"

#include <fstream>
#include <functional>
#include <tuple>

using namespace docx;
namespace fs = std::filesystem;

namespace {

// A PNG of noise, which does not deflate, so each picture is told by its bytes; at 256 pixels it is larger than any
// buffer a read at the open may have left over its middle.
std::vector<uint8_t> NoisePng(uint32_t seed, int side) {
    RasterImage image;
    image.width = image.height = side;
    image.channels = 3;
    for (int i = 0; i < side * side * 3; ++i) {
        seed = seed * 1103515245u + 12345u;
        image.pixels.push_back(static_cast<uint8_t>(seed >> 24));
    }
    return EncodePng(image);
}

std::vector<uint8_t> FileBytes(const fs::path& path) {
    const std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The package with a byte in the middle of a part's deflated data changed, found from the part's local header (the
// name's first occurrence: parts come before the central directory): its checksum no longer matches.
std::string WithPartDamaged(std::string package, const std::string& name) {
    const size_t header = package.find(name) - 30;
    auto le16 = [&](size_t at) {
        return size_t{static_cast<uint8_t>(package[at])} | size_t{static_cast<uint8_t>(package[at + 1])} << 8;
    };
    const size_t data = header + 30 + le16(header + 26) + le16(header + 28);
    const size_t size = le16(header + 18) | le16(header + 20) << 16;
    package[data + size / 2] = static_cast<char>(package[data + size / 2] ^ 0x55);
    return package;
}

using PictureReadLater = HtmlExport;

// The bytes are read when the page is saved, from the package the source was read from, whether the source is still
// open or closed already (the page's copies keep the package open). One part shown in two places is shown in both.
TEST_F(PictureReadLater, APastedPictureIsTheSourcesPictureWhenThePageIsSaved) {
    const std::vector<uint8_t> first = NoisePng(1, 16), second = NoisePng(2, 16);
    ASSERT_GT(first.size(), kPictureHeadBytes);
    for (const bool closeSource : {false, true}) {
        SCOPED_TRACE(closeSource ? "source closed" : "source open");
        DocxBuilder doc;
        doc.AddParagraph({Text("one "), Picture(first), Text(" two "), Picture(second, true), Text(" three "),
                          Picture(NoisePng(3, 16))});
        // The third place shows the first picture's part.
        std::string xml = doc.DocumentXml();
        const std::string embed = "r:embed=\"";
        const size_t firstId = xml.find(embed) + embed.size(), thirdId = xml.rfind(embed) + embed.size();
        xml.replace(thirdId, xml.find('"', thirdId) - thirdId, xml.substr(firstId, xml.find('"', firstId) - firstId));
        doc.SetPart("word/document.xml", xml);
        const WordDocument source = Load(doc);
        const auto& pictures = state->model().stories[kMainStory].pictures;
        ASSERT_EQ(pictures.size(), 3u);
        EXPECT_EQ(pictures[0].part, pictures[2].part);
        EXPECT_EQ(pictures[0].bytes.size(), first.size()); // only the head is held until a page needs the rest
        EXPECT_EQ(pictures[0].bytes.Head().size(), kPictureHeadBytes);

        source.Range(&missing, &missing).Copy();
        ScopedVariant no = ScopedVariant::I2(0);
        const WordDocument page = WordDocuments(NewDocuments(application)).Add(&missing, &no, &missing, &missing);
        page.Paragraphs().Item(1).Range().Paste();
        const std::shared_ptr<DocumentState> pageState = application->documents.back();
        page.WebOptions().SetAllowPNG(true);
        if (closeSource) {
            Close(source);
            EXPECT_TRUE(state->model().stories.empty());
        }
        fs::remove_all(folder / "0.files");
        SaveAs(page, folder / "0.html");
        ExpectPicturesResolve(ReadText(folder / "0.html"));
        EXPECT_EQ(FileBytes(folder / "0.files" / "image001.png"), first);
        EXPECT_EQ(FileBytes(folder / "0.files" / "image002.png"), second);
        EXPECT_EQ(FileBytes(folder / "0.files" / "image003.png"), first);
        EXPECT_TRUE(pageState->model().warnings.empty()) << pageState->model().warnings.front();
    }
}

// The source file changed after the open: a picture that no longer reads is a marked gap on the page with a warning
// naming its part, and the rest of the page is written. A file removed is still read through the handle the open
// document keeps (where the system lets an open file be removed at all).
TEST_F(PictureReadLater, APictureThatNoLongerReadsBecomesAGapNamingItsPart) {
    using Change = std::function<void(const fs::path&, const std::string& package, const std::string& part)>;
    const std::vector<std::tuple<std::string, Change, bool>> changes = {
        {"picture's bytes damaged in place",
         [](const fs::path& path, const std::string& package, const std::string& part) {
             const std::string damaged = WithPartDamaged(package, part);
             std::fstream(path, std::ios::binary | std::ios::in | std::ios::out)
                 .write(damaged.data(), static_cast<std::streamsize>(damaged.size()));
         },
         false},
        {"file cut short in place",
         [](const fs::path& path, const std::string& package, const std::string&) {
             std::ofstream(path, std::ios::binary | std::ios::trunc) << package.substr(0, 64);
         },
         false},
        {"file removed",
         [](const fs::path& path, const std::string&, const std::string&) {
             std::error_code ignored;
             fs::remove(path, ignored);
         },
         true},
    };
    for (const auto& [what, change, shown] : changes) {
        SCOPED_TRACE(what);
        DocxBuilder doc;
        doc.AddParagraph({Text("before "), Picture(NoisePng(4, 256)), Text(" after")});
        const WordDocument document = Load(doc);
        const std::string part = state->model().stories[kMainStory].pictures.at(0).part;
        change(source, doc.Build(), part);
        fs::remove_all(folder / "0.files");
        const std::string html = Save(document);
        EXPECT_NE(html.find("before"), std::string::npos);
        EXPECT_NE(html.find("after"), std::string::npos);
        ExpectPicturesResolve(html);
        EXPECT_EQ(html.find("src=\"0.files/image001.png\"") != std::string::npos, shown);
        EXPECT_EQ(html.find("class=\"PictureGap\"") == std::string::npos, shown);
        ASSERT_EQ(state->model().warnings.size(), shown ? 0u : 1u);
        if (!shown)
            EXPECT_NE(state->model().warnings[0].find("/" + part), std::string::npos) << state->model().warnings[0];
    }
}

// Read from its file or from its bytes, a package gives the same verdict at the open: a missing picture part is a
// warning, a damaged one fails the open, with the same words.
TEST_F(PictureReadLater, MissingAndDamagedPartsAreFoundWhenTheDocumentOpens) {
    DocxBuilder doc;
    doc.AddParagraph({Text("a picture "), Picture(NoisePng(5, 16))});
    const std::string package = doc.Build();
    const std::string part = ReadDocx(package).document.stories.at(kMainStory).pictures.at(0).part;
    const std::vector<std::tuple<std::string, std::string, StatusCode, std::string>> cases = {
        {"part missing", DocxBuilder(doc).RemovePart(part).Build(), StatusCode::Ok, "/" + part + " is missing"},
        {"part damaged", WithPartDamaged(package, part), StatusCode::Damaged, ""},
    };
    for (const auto& [what, bytes, code, warning] : cases) {
        SCOPED_TRACE(what);
        std::ofstream(folder / "checked.docx", std::ios::binary | std::ios::trunc) << bytes;
        const DocxReadResult fromFile = ReadDocxFile(folder / "checked.docx");
        const DocxReadResult fromBytes = ReadDocx(bytes);
        EXPECT_EQ(fromFile.status.code, code) << fromFile.status.message;
        EXPECT_EQ(fromFile.status.message, fromBytes.status.message);
        EXPECT_EQ(fromFile.document.warnings, fromBytes.document.warnings);
        EXPECT_EQ(fromFile.document.warnings.size(), warning.empty() ? 0u : 1u);
        if (!warning.empty() && !fromFile.document.warnings.empty())
            EXPECT_NE(fromFile.document.warnings[0].find(warning), std::string::npos);
    }
}

} // namespace
