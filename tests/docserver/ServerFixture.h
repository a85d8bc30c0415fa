#pragma once
// Starts the document server the way the system does (CreateDispatch "Word.Application") and opens documents
// built with DocxBuilder from a private temporary folder.

#include "docbuilder/DocxBuilder.h"
#include "docserver/DocumentServer.h"
#include "word/AutomationError.h"
#include "word/WordObjects.h"

#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/Variant.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class ServerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    WordDocument Open(const docx::DocxBuilder& builder, const std::string& name = "doc.docx");
    WordDocument OpenPath(const std::filesystem::path& path);
    WordDocument OpenBytes(const std::string& bytes, const std::string& name = "doc.docx");
    // The description of the DispatchError that opening raises; fails the test when it opens.
    std::string OpenError(const std::filesystem::path& path);
    WordDocument Blank();
    void Close(const WordDocument& document);

    // Paragraph texts of a document, each with its mark, in order.
    std::vector<std::string> Texts(const WordDocument& document);
    std::string DocumentText(const WordDocument& document);

    // Document.SaveAs as a filtered page (format 10) into the test's folder; returns the page.
    std::string SavePage(const WordDocument& document, const std::string& name = "0.html");
    // Compares a page with tests/docserver/golden/html/NAME.html; LEAFBIND_UPDATE_GOLDEN=1 rewrites the golden.
    void ExpectGolden(const std::string& name, const std::string& html);

    WordApplication word;
    std::filesystem::path folder;
    ScopedVariant missing = ScopedVariant::Missing();
};

std::string ReadText(const std::filesystem::path& path);

// UTF-8 (what tests are written in) to the program's narrow code page, for Chinese expectations.
std::string Narrow(const std::string& utf8);
