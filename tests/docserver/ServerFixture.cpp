#include "ServerFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

void ServerTest::SetUp() {
    CoInitialize(nullptr);
    RegisterDocumentServer();
    ASSERT_TRUE(word.CreateDispatch("Word.Application"));
    word.SetVisible(false);
    folder = std::filesystem::temp_directory_path() / ("leafbind-docserver-" + std::to_string(::getpid()) + "-" +
                                                       testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
}

void ServerTest::TearDown() {
    ScopedVariant no = ScopedVariant::I2(0);
    ScopedVariant original = ScopedVariant::I2(1);
    if (word)
        word.Quit(&no, &original, &no);
    word.ReleaseDispatch();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

WordDocument ServerTest::OpenPath(const std::filesystem::path& path) {
    ScopedVariant name = ScopedVariant::Bstr(path.u16string());
    ScopedVariant readOnly = ScopedVariant::I2(1);
    ScopedVariant no = ScopedVariant::I2(0);
    return word.Documents().Open(&name, &no, &readOnly, &no, &missing, &missing, &no, &missing, &missing, &missing,
                                 &missing, &no, &missing, &missing, &missing);
}

WordDocument ServerTest::Open(const docx::DocxBuilder& builder, const std::string& name) {
    builder.Save(folder / name);
    return OpenPath(folder / name);
}

WordDocument ServerTest::OpenBytes(const std::string& bytes, const std::string& name) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
    return OpenPath(folder / name);
}

std::string ServerTest::OpenError(const std::filesystem::path& path) {
    try {
        OpenPath(path);
    } catch (const DispatchError& error) {
        return error.description();
    }
    ADD_FAILURE() << path << " opened although it should not";
    return {};
}

WordDocument ServerTest::Blank() {
    ScopedVariant no = ScopedVariant::I2(0);
    ScopedVariant yes = ScopedVariant::I2(1);
    return word.Documents().Add(&missing, &no, &missing, &yes);
}

void ServerTest::Close(const WordDocument& document) {
    ScopedVariant no = ScopedVariant::I2(0);
    document.Close(&no, &missing, &missing);
}

std::vector<std::string> ServerTest::Texts(const WordDocument& document) {
    std::vector<std::string> texts;
    const WordParagraphs paragraphs = document.Paragraphs();
    for (int32_t i = 1, count = paragraphs.Count(); i <= count; ++i)
        texts.push_back(paragraphs.Item(i).Range().Text());
    return texts;
}

std::string ServerTest::DocumentText(const WordDocument& document) {
    ScopedVariant start = ScopedVariant::I4(0);
    const WordParagraphs paragraphs = document.Paragraphs();
    ScopedVariant end = ScopedVariant::I4(paragraphs.Item(paragraphs.Count()).Range().End());
    return document.Range(&start, &end).Text();
}

std::string ServerTest::SavePage(const WordDocument& document, const std::string& name) {
    ScopedVariant path = ScopedVariant::Bstr((folder / name).u16string());
    ScopedVariant format = ScopedVariant::I4(10);
    ScopedVariant no = ScopedVariant::Bool(false);
    document.SaveAs(&path, &format, &missing, &missing, &no, &missing, &missing, &missing, &missing, &missing, &missing,
                    &missing, &missing, &missing, &missing, &missing);
    return ReadText(folder / name);
}

void ServerTest::ExpectGolden(const std::string& name, const std::string& html) {
    const auto golden = std::filesystem::path(LEAFBIND_SOURCE_DIR) / "tests/docserver/golden/html" / (name + ".html");
    if (const char* update = std::getenv("LEAFBIND_UPDATE_GOLDEN"); update && *update == '1') {
        std::ofstream(golden, std::ios::binary) << html;
        return;
    }
    EXPECT_EQ(ReadText(golden), html) << "golden " << golden << " differs; LEAFBIND_UPDATE_GOLDEN=1 rewrites it";
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Narrow(const std::string& utf8) {
    return Utf8ToNarrow(utf8).value_or("?");
}
