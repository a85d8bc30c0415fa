#pragma once
// Saves documents as pages (Document.SaveAs, format 10) through the word/ wrappers, with the server's own document
// state at hand for its warnings, and checks the pictures a page names.

#include "ServerFixture.h"

#include "docserver/docx/DocxReader.h"
#include "docserver/objects/ServerObjects.h"

#include <png.h>

#include <memory>
#include <regex>
#include <set>
#include <string>

inline bool PngDecodes(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    const bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

class HtmlExport : public ServerTest {
protected:
    // The document as the server holds it (for its warnings), used only through the wrappers. Read from a file of its
    // own, as the server opens documents, so its pictures are read from the package as its pages are saved.
    WordDocument Load(const docx::DocxBuilder& builder) {
        source = folder / ("source" + std::to_string(++loaded) + ".docx");
        builder.Save(source);
        DocxReadResult read = ReadDocxFile(source);
        EXPECT_TRUE(read.status.ok()) << read.status.message;
        state = std::make_shared<DocumentState>(std::move(read.document), "doc.docx",
                                                std::weak_ptr<ApplicationState>(application));
        application->documents.push_back(state);
        return WordDocument(NewDocument(state));
    }

    void SaveAs(const WordDocument& document, const std::filesystem::path& page) {
        ScopedVariant name = ScopedVariant::Bstr(page.u16string());
        ScopedVariant format = ScopedVariant::I4(10);
        ScopedVariant no = ScopedVariant::Bool(false);
        document.SaveAs(&name, &format, &missing, &missing, &no, &missing, &missing, &missing, &missing, &missing,
                        &missing, &missing, &missing, &missing, &missing, &missing);
    }

    std::string Save(const WordDocument& document) {
        SaveAs(document, folder / "0.html");
        return ReadText(folder / "0.html");
    }

    // Every <img> names a file in the page's folder, PNGs decode, and the folder holds nothing else.
    void ExpectPicturesResolve(const std::string& html) {
        const std::regex source("<img[^>]* src=\"([^\"]+)\"");
        std::set<std::string> named;
        for (auto it = std::sregex_iterator(html.begin(), html.end(), source); it != std::sregex_iterator(); ++it) {
            const std::string relative = (*it)[1];
            EXPECT_EQ(relative.rfind("0.files/", 0), 0u) << relative;
            const std::filesystem::path file = folder / relative;
            EXPECT_TRUE(std::filesystem::is_regular_file(file)) << relative;
            if (file.extension() == ".png") {
                EXPECT_TRUE(PngDecodes(file)) << relative;
            }
            named.insert(file.filename().string());
        }
        std::set<std::string> present;
        if (std::filesystem::exists(folder / "0.files"))
            for (const auto& entry : std::filesystem::directory_iterator(folder / "0.files"))
                present.insert(entry.path().filename().string());
        EXPECT_EQ(named, present);
    }

    std::set<std::string> FolderEntries() {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() != ".docx")
                names.insert(entry.path().filename().string());
        return names;
    }

    bool WarnedAbout(const std::string& words) {
        for (const std::string& warning : state->model().warnings)
            if (warning.find(words) != std::string::npos)
                return true;
        return false;
    }

    std::shared_ptr<ApplicationState> application = std::make_shared<ApplicationState>();
    std::shared_ptr<DocumentState> state;
    std::filesystem::path source; // the file the last Load read
    int loaded = 0;
};
