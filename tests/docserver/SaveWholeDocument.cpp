// save_whole_document SOURCE.docx PAGE.html: opens a document through the server as the system does and saves it
// whole as a page with AllowPNG set, printing the server's warnings. Used to make the fidelity screenshots.
#include "docserver/DocumentServer.h"
#include "word/AutomationError.h"
#include "word/WordObjects.h"

#include "automation/ComRuntime.h"
#include "automation/Variant.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: save_whole_document SOURCE.docx PAGE.html\n";
        return 2;
    }
    CoInitialize(nullptr);
    RegisterDocumentServer();
    WordApplication word;
    if (!word.CreateDispatch("Word.Application"))
        return 1;
    ScopedVariant missing = ScopedVariant::Missing();
    ScopedVariant no = ScopedVariant::I2(0);
    ScopedVariant yes = ScopedVariant::I2(1);
    try {
        ScopedVariant source = ScopedVariant::Bstr(std::filesystem::absolute(argv[1]).u16string());
        WordDocument document = word.Documents().Open(&source, &no, &yes, &no, &missing, &missing, &no, &missing,
                                                      &missing, &missing, &missing, &no, &missing, &missing, &missing);
        document.WebOptions().SetAllowPNG(true);
        ScopedVariant page = ScopedVariant::Bstr(std::filesystem::absolute(argv[2]).u16string());
        ScopedVariant format = ScopedVariant::I4(10);
        document.SaveAs(&page, &format, &missing, &missing, &no, &missing, &missing, &missing, &missing, &missing,
                        &missing, &missing, &missing, &missing, &missing, &missing);
        document.Close(&no, &missing, &missing);
    } catch (const DispatchError& error) {
        std::cerr << error.description() << "\n";
        return 1;
    }
    word.Quit(&no, &missing, &missing);
    return 0;
}
