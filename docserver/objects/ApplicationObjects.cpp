// Application and Documents: starting, opening, adding and quitting.
#include "docserver/DocumentServer.h"

#include "docserver/docx/DocxReader.h"
#include "docserver/model/BlankDocument.h"
#include "docserver/objects/ServerObjects.h"
#include "docserver/package/LegacyDocConverter.h"
#include "docserver/package/PackageLimits.h"
#include "docserver/package/XmlPart.h"

#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "automation/ServerWarnings.h"
#include "base/Text.h"
#include "base/Utf8Path.h"

#include <atomic>
#include <fstream>

namespace {

class ApplicationObject : public ServerObject {
public:
    explicit ApplicationObject(std::shared_ptr<ApplicationState> state)
        : ServerObject(WordObject::Application), state_(std::move(state)) {}
    ~ApplicationObject() override { Quit(); }

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        switch (member) {
        case WordMember::ApplicationVisible:
            state_->visible = args.Bool(0);
            return;
        case WordMember::ApplicationDocuments:
            ReturnObject(result, NewDocuments(state_));
            return;
        case WordMember::ApplicationQuit:
            Quit();
            return; // nothing is ever saved, whatever SaveChanges says
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    void Quit() {
        for (auto& document : state_->documents)
            document->Close();
        state_->documents.clear();
        state_->clipboard = Fragment{};
        state_->hasClipboard = false;
        state_->metafiles = MetafileCache{};
    }
    std::shared_ptr<ApplicationState> state_;
};

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + Utf8FromPath(path) + "\"";
}

// The file's first bytes, or a message for the user. Only reads.
bool ReadSourceHead(const std::filesystem::path& path, std::string& head, std::string& message) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        message = "The file " + Quoted(path) + " does not exist. Check the name and folder.";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        message = Quoted(path) + " is a folder or a device, not a Word document.";
        return false;
    }
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxSourceFileBytes) {
        message = Quoted(path) + " is larger than " + std::to_string(kMaxSourceFileBytes >> 20) +
                  " MiB, more than this program opens.";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in || error) {
        message = "The file " + Quoted(path) + " cannot be read. Check that you may read it.";
        return false;
    }
    // Only the first bytes, which tell a .doc from a .docx: a package is read part by part from the file later.
    head.resize(8);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return true;
}

class DocumentsObject : public ServerObject {
public:
    explicit DocumentsObject(std::shared_ptr<ApplicationState> state)
        : ServerObject(WordObject::Documents), state_(std::move(state)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        switch (member) {
        case WordMember::DocumentsOpen:
            ReturnObject(result, Open(args.Text(0)));
            return;
        case WordMember::DocumentsAdd:
            ReturnObject(result, Add());
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    IDispatch* Open(const std::u16string& fileName) {
        if (fileName.empty())
            ThrowDocumentError("No file name was given to open.");
        const std::filesystem::path path = PathFromUtf8(Utf16ToUtf8(fileName));
        std::string head;
        std::string message;
        if (!ReadSourceHead(path, head, message))
            ThrowDocumentError(message);
        DocxReadResult read;
        if (IsLegacyWordFile(head)) {
            LegacyConversionResult converted = ConvertLegacyDocument(path);
            if (!converted.status.ok())
                ThrowDocumentError("Word cannot open " + Quoted(path) + ": " + converted.status.message + ".");
            read = ReadDocx(std::move(converted.docxBytes));
        } else {
            read = ReadDocxFile(path);
        }
        if (!read.status.ok()) {
            if (read.status.code == StatusCode::NotThisFormat)
                ThrowDocumentError(Quoted(path) + " is not a Word document (" + read.status.message +
                                   "). Choose a .docx or .doc file.");
            ThrowDocumentError(Quoted(path) + " is damaged and cannot be opened: " + read.status.message + ".");
        }
        for (const std::string& warning : read.document.warnings)
            AddServerWarning(warning);
        auto document = std::make_shared<DocumentState>(std::move(read.document), Utf8FromPath(path), state_);
        state_->documents.push_back(document);
        return NewDocument(document);
    }

    IDispatch* Add() {
        auto document =
            std::make_shared<DocumentState>(MakeBlankDocument(), "Document" + std::to_string(++untitled_), state_);
        state_->documents.push_back(document);
        return NewDocument(document);
    }

    std::shared_ptr<ApplicationState> state_;
    inline static std::atomic<int> untitled_ = 0;
};

} // namespace

IDispatch* NewApplication() {
    return new ApplicationObject(std::make_shared<ApplicationState>());
}

IDispatch* NewDocuments(std::shared_ptr<ApplicationState> application) {
    return new DocumentsObject(std::move(application));
}

void RegisterDocumentServer() {
    RegisterAutomationClass("Word.Application", [](IDispatch** object) {
        *object = NewApplication();
        return S_OK;
    });
}
