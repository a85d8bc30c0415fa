// Word's start for one conversion and its end.

#include "engine/ChmConverter.h"

#include "automation/CodePage.h"
#include "automation/HResult.h"
#include "automation/ServerWarnings.h"
#include "automation/Variant.h"
#include "word/AutomationError.h"
#include "word/MessageBox.h"

#include <exception>

int32_t ChmConverter::StartWordAndOpen() {
    HRESULT status = S_OK;
    if (!wordApp.CreateDispatch("Word.Application", &status)) {
        ShowMessageBox(DescribeHResult(status));
        return 0;
    }
    wordApp.SetVisible(false);
    WordDocuments documents = wordApp.Documents();
    TakeServerWarnings(); // nothing left from an earlier run on this thread belongs to this one

    auto trueValue = ScopedVariant::I2(1);
    auto falseValue = ScopedVariant::I2(0);
    auto missing = ScopedVariant::Missing();
    const auto wideName = NarrowToWide(sourcePath);
    if (!wideName)
        throw AutomationError(DISP_E_TYPEMISMATCH, "The document's path cannot be converted for Word.");
    auto fileName = ScopedVariant::Bstr(*wideName);

    // Read-only, not added to the recent files, no conversion dialog: the source file is never changed.
    WordDocument opened =
        documents.Open(&fileName, &falseValue, &trueValue, &falseValue, &missing, &missing, &falseValue, &missing,
                       &missing, &missing, &missing, &trueValue, &missing, &missing, &missing);
    document = opened;
    CollectServerWarnings("reading the document");
    return 1;
}

void ChmConverter::CloseAndQuitWord() {
    auto trueValue = ScopedVariant::I2(1);
    auto falseValue = ScopedVariant::I2(0);
    auto missing = ScopedVariant::Missing();
    // Word is quit even when closing the document failed, so no hidden Word outlives the conversion; the close's
    // error is still the one reported.
    std::exception_ptr closeError;
    try {
        document.Close(&falseValue, &missing, &missing);
    } catch (...) {
        closeError = std::current_exception();
    }
    try {
        wordApp.Quit(&falseValue, &trueValue, &falseValue);
    } catch (...) {
        if (!closeError)
            throw;
    }
    if (closeError)
        std::rethrow_exception(closeError);
}
