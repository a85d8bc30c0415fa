// Files that are not, or no longer, Word documents; members called the wrong way. Each fails the way Word would,
// with a description the user can act on, and nothing is written.
#include "ProcessEnd.h"
#include "ServerFixture.h"

#include "automation/HResult.h"
#include "docserver/package/CompoundFile.h"
#include "docserver/package/LegacyDocConverter.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <signal.h>

using namespace docx;

namespace {

std::string Valid() {
    DocxBuilder doc;
    doc.AddHeading(1, "Heading").AddParagraph("body");
    return doc.Build();
}

struct BadFile {
    std::string what;
    std::string bytes;
    std::string expected; // part of the description
};

std::vector<BadFile> BadFiles() {
    const std::string valid = Valid();
    DocxBuilder malformed;
    malformed.SetPart("word/document.xml", "<w:document xmlns:w=\"x\"><w:body><w:p></w:body>");
    DocxBuilder laughs;
    laughs.SetPart("word/document.xml",
                   "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                   "<w:document xmlns:w=\"x\"><w:body><w:p><w:r><w:t>&b;</w:t></w:r></w:p></w:body></w:document>");
    DocxBuilder outside;
    outside.AddDocumentRelationship("rIdEvil", "image", "../../../etc/passwd");
    DocxBuilder noMain;
    noMain.RemovePart("word/document.xml");
    DocxBuilder notWord;
    notWord.SetPart("word/document.xml", "<html><body>hello</body></html>");
    std::string deep = "<w:document xmlns:w=\"x\"><w:body><w:p>";
    for (int i = 0; i < 100000; ++i)
        deep += "<w:smartTag>";
    for (int i = 0; i < 100000; ++i)
        deep += "</w:smartTag>";
    DocxBuilder nested;
    nested.SetPart("word/document.xml", deep + "</w:p></w:body></w:document>");
    DocxBuilder bomb; // 80 MiB of spaces deflate to under 100 KiB
    bomb.SetPart("word/document.xml", std::string(80u << 20, ' '));
    DocxBuilder manyParts; // one picture below the per-part limit, shown five times: above the total
    manyParts.SetPart("word/media/big.png", std::string(60u << 20, '\0'))
        .AddDocumentRelationship("rIdBig", "image", "media/big.png");
    for (int i = 0; i < 5; ++i)
        manyParts.AddParagraph({RawXml("<w:r><w:drawing><wp:inline><a:graphic><a:graphicData><pic:pic><pic:blipFill>"
                                       "<a:blip r:embed=\"rIdBig\"/></pic:blipFill></pic:pic></a:graphicData>"
                                       "</a:graphic></wp:inline></w:drawing></w:r>")});

    return {
        {"empty file", "", "not a Word document"},
        {"plain text", "Hello, this is not a zip.", "not a Word document"},
        {"truncated zip", valid.substr(0, valid.size() / 2), "damaged"},
        {"zip without Word parts",
         [] {
             DocxBuilder other;
             other.RemovePart("_rels/.rels").RemovePart("word/document.xml");
             return other.Build();
         }(),
         "not a Word document"},
        {"main part missing", noMain.Build(), "missing"},
        {"malformed XML", malformed.Build(), "not well-formed XML"},
        {"entity expansion", laughs.Build(), "document type"},
        {"relationship outside the package", outside.Build(), "outside the package"},
        {"main part of another kind", notWord.Build(), "not a Word document"},
        {"absurd nesting", nested.Build(), "nests elements more than"},
        {"zip bomb, one part", bomb.Build(), "inflates to more than 64 MiB"},
        {"zip bomb, many parts", manyParts.Build(), "inflates to more than 256 MiB"},
    };
}

TEST_F(ServerTest, BadFilesFailWithADescriptionAndAreLeftUntouched) {
    for (const BadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.what);
        const std::filesystem::path path = folder / "bad.docx";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bad.bytes;
        const auto before = std::filesystem::last_write_time(path);
        const std::string description = OpenError(path);
        EXPECT_NE(description.find(bad.expected), std::string::npos) << description;
        EXPECT_NE(description.find("bad.docx"), std::string::npos) << description;
        EXPECT_EQ(std::filesystem::last_write_time(path), before);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1); // nothing else was written
}

TEST_F(ServerTest, MissingFilesFoldersAndLegacyFilesSayWhatIsWrong) {
    EXPECT_NE(OpenError(folder / "nowhere.docx").find("does not exist"), std::string::npos);
    EXPECT_NE(OpenError(folder).find("folder"), std::string::npos);
    // A file that only looks like a Word 97-2003 document: refused either way, with the reason.
    const std::filesystem::path legacy = folder / "old.doc";
    std::ofstream(legacy, std::ios::binary)
        << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) << std::string(504, '\0');
    const bool haveLibreOffice = std::system("command -v soffice >/dev/null 2>&1") == 0;
    EXPECT_NE(OpenError(legacy).find(haveLibreOffice ? "could not convert" : "not installed"), std::string::npos);
}

TEST_F(ServerTest, OpeningAndClosingNeverWritesTheSource) {
    DocxBuilder doc;
    doc.AddHeading(1, "Heading").AddParagraph("body");
    doc.Save(folder / "source.docx");
    const auto time = std::filesystem::last_write_time(folder / "source.docx");
    const auto size = std::filesystem::file_size(folder / "source.docx");
    const WordDocument document = OpenPath(folder / "source.docx");
    document.Paragraphs().Item(1).Range().SetText("changed");
    ScopedVariant save = ScopedVariant::I2(1); // even when asked to save
    document.Close(&save, &missing, &missing);
    EXPECT_EQ(std::filesystem::last_write_time(folder / "source.docx"), time);
    EXPECT_EQ(std::filesystem::file_size(folder / "source.docx"), size);
}

TEST_F(ServerTest, ObjectsOfAClosedDocumentRefuseCalls) {
    const WordDocument page = Blank();
    const WordParagraphs paragraphs = page.Paragraphs();
    Close(page);
    EXPECT_THROW(paragraphs.Count(), DispatchError);
    EXPECT_THROW(paragraphs.Item(5), DispatchError);
}

TEST_F(ServerTest, CollectionIndexesOutOfRangeAreWordErrors) {
    const WordDocument page = Blank();
    ScopedVariant zero = ScopedVariant::I4(0);
    EXPECT_THROW(page.Paragraphs().Item(2), DispatchError);
    EXPECT_THROW(page.Hyperlinks().Item(&zero), DispatchError);
    EXPECT_THROW(page.Bookmarks().Item(&zero), DispatchError);
    EXPECT_THROW(page.Styles().Item(&zero), DispatchError);
    EXPECT_THROW(page.ListParagraphs().Item(1), DispatchError);
    EXPECT_THROW(page.Paragraphs().Item(1).Range().Sections().Item(2), DispatchError);
    EXPECT_THROW(page.Paragraphs().Item(1).Range().Font().SetSize(0.0f), DispatchError);
}

// Raw invocations, as a client that disagrees with Word's type library would make them.
HRESULT RawInvoke(const DispatchRef& object, DISPID dispid, WORD kind, std::vector<VARIANT> args) {
    std::reverse(args.begin(), args.end());
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    DISPID put = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    UINT argErr = 0;
    const HRESULT status = object.get()->Invoke(dispid, IID_NULL, 0, kind, &params, &result, &info, &argErr);
    VariantClear(&result);
    return status;
}

VARIANT I4(int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

TEST_F(ServerTest, MembersCalledWronglyGiveWordsStatus) {
    const WordDocument page = Blank();
    const WordParagraph paragraph = page.Paragraphs().Item(1);
    const WordRange range = paragraph.Range();
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = nullptr; // the empty text
    struct Case {
        const char* what;
        const DispatchRef& object;
        DISPID dispid;
        WORD kind;
        std::vector<VARIANT> args;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {"unknown member", range, 9999, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND},
        {"get of a put-only property", paragraph, 111, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        {"too many arguments", range, 100, DISPATCH_METHOD, {I4(0), I4(0), I4(0)}, DISP_E_BADPARAMCOUNT},
        {"required argument missing", range, 100, DISPATCH_METHOD, {I4(0)}, DISP_E_PARAMNOTFOUND},
        {"text where a number goes", range, 100, DISPATCH_METHOD, {text, I4(0)}, DISP_E_TYPEMISMATCH},
        {"number where text goes", range, 0, DISPATCH_PROPERTYPUT, {I4(5)}, DISP_E_TYPEMISMATCH},
        {"correct call", range, 100, DISPATCH_METHOD, {I4(0), I4(1)}, S_OK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RawInvoke(c.object, c.dispid, c.kind, c.args), c.expected) << c.what;
}

} // namespace

namespace {

void PutU16(std::string& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    PutU16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
    PutU16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

// A compound file of 512-byte sectors holding one stream of 4096 bytes: header, allocation table (sector 0),
// directory (sector 1), then the stream (sectors 2-9).
std::string CompoundFileWith(const std::string& streamName, const std::string& stream) {
    std::string file(512 * 11, '\0');
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    PutU16(file, 0x1A, 3);
    PutU16(file, 0x1C, 0xFFFE);
    PutU16(file, 0x1E, 9);
    PutU32(file, 0x2C, 1);          // one allocation-table sector
    PutU32(file, 0x30, 1);          // the directory's first sector
    PutU32(file, 0x38, 4096);       // the mini-stream cutoff
    PutU32(file, 0x3C, 0xFFFFFFFE); // no mini allocation table
    PutU32(file, 0x44, 0xFFFFFFFE); // no further table lists
    for (size_t i = 0; i < 109; ++i)
        PutU32(file, 0x4C + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    const size_t fat = 512;
    for (size_t i = 0; i < 128; ++i)
        PutU32(file, fat + 4 * i, 0xFFFFFFFF);
    PutU32(file, fat, 0xFFFFFFFD);
    PutU32(file, fat + 4, 0xFFFFFFFE);
    for (uint32_t sector = 2; sector < 10; ++sector)
        PutU32(file, fat + 4 * sector, sector == 9 ? 0xFFFFFFFE : sector + 1);
    const size_t directory = 1024;
    auto entry = [&](size_t index, const std::string& name, uint8_t type, uint32_t start, uint32_t size) {
        const size_t at = directory + 128 * index;
        for (size_t c = 0; c < name.size(); ++c)
            PutU16(file, at + 2 * c, static_cast<uint8_t>(name[c]));
        PutU16(file, at + 0x40, static_cast<uint16_t>(2 * name.size() + 2));
        file[at + 0x42] = static_cast<char>(type);
        PutU32(file, at + 0x44, 0xFFFFFFFF);
        PutU32(file, at + 0x48, 0xFFFFFFFF);
        PutU32(file, at + 0x4C, type == 5 ? 1 : 0xFFFFFFFF);
        PutU32(file, at + 0x74, start);
        PutU32(file, at + 0x78, size);
    };
    entry(0, "Root Entry", 5, 0xFFFFFFFE, 0);
    entry(1, streamName, 2, 2, static_cast<uint32_t>(stream.size()));
    file.replace(1536, std::min<size_t>(stream.size(), 4096), stream, 0, 4096);
    return file;
}

// The start of a Word 97-2003 document's main stream: the magic number and the flags word.
std::string WordStream(uint16_t flags) {
    std::string stream(4096, '\0');
    PutU16(stream, 0, 0xA5EC);
    PutU16(stream, 10, flags);
    return stream;
}

} // namespace

TEST_F(ServerTest, AStalledLibreOfficeIsStoppedWithAllItStartedAndAPasswordIsNamed) {
    const std::filesystem::path legacy = folder / "old.doc";
    std::ofstream(legacy, std::ios::binary)
        << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) << std::string(504, '\0');
    // A LibreOffice that never ends, with a helper of its own.
    const std::filesystem::path bin = folder / "bin";
    std::filesystem::create_directories(bin);
    std::ofstream(bin / "soffice") << "#!/bin/sh\nsleep 300 &\necho $! > " << (folder / "helper.pid").string()
                                   << "\nwait\n";
    std::filesystem::permissions(bin / "soffice", std::filesystem::perms::owner_all);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    ::setenv("PATH", (bin.string() + ":" + savedPath).c_str(), 1);
    const LegacyConversionResult stalled = ConvertLegacyDocument(legacy, std::chrono::seconds(1));
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_FALSE(stalled.status.ok());
    EXPECT_NE(stalled.status.message.find("within 1 seconds and was stopped"), std::string::npos)
        << stalled.status.message;
    int helper = 0;
    std::ifstream(folder / "helper.pid") >> helper;
    ASSERT_GT(helper, 0);
    EXPECT_TRUE(ProcessEnds(helper)) << "the helper was stopped too";

    std::ofstream(folder / "locked.docx", std::ios::binary)
        << CompoundFileWith("EncryptedPackage", std::string(4096, 'x'));
    EXPECT_NE(OpenError(folder / "locked.docx").find("protected by a password"), std::string::npos);
}

TEST_F(ServerTest, PasswordProtectedWordFilesAreToldApartFromOthersAndDamagedOnesEndReading) {
    struct Case {
        const char* what;
        std::string bytes;
        bool passwordProtected;
    };
    std::string looped = CompoundFileWith("WordDocument", WordStream(0x0100));
    PutU32(looped, 512 + 4, 1); // the directory's chain points at itself
    std::string truncated = CompoundFileWith("WordDocument", WordStream(0x0100)).substr(0, 1600);
    const std::vector<Case> cases = {
        {"encrypted Word 97-2003 document", CompoundFileWith("WordDocument", WordStream(0x0100)), true},
        {"encrypted and obfuscated", CompoundFileWith("WordDocument", WordStream(0x8100)), true},
        {"encrypted package", CompoundFileWith("EncryptedPackage", std::string(4096, 'x')), true},
        {"plain Word 97-2003 document", CompoundFileWith("WordDocument", WordStream(0x0200)), false},
        {"another program's compound file", CompoundFileWith("Workbook", WordStream(0x0100)), false},
        {"directory chain in a loop", looped, false},
        {"cut off inside the stream", truncated, false},
        {"a header alone", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'), false},
    };
    for (const Case& c : cases) {
        const std::filesystem::path path = folder / "case.doc";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(IsPasswordProtectedWordFile(path), c.passwordProtected) << c.what;
    }
    std::ofstream(folder / "secret.doc", std::ios::binary) << CompoundFileWith("WordDocument", WordStream(0x0100));
    EXPECT_NE(OpenError(folder / "secret.doc").find("protected by a password"), std::string::npos);
}
