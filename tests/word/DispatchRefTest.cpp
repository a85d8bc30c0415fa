#include "FakeWordServer.h"

#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "automation/Variant.h"
#include "word/AutomationError.h"
#include "word/WordObjects.h"

#include <gtest/gtest.h>

#include <functional>

TEST(DispatchRef, OwnsOneCountAndReleasesItOnce) {
    FakeWordServer server;
    {
        WordDocument document(server.Create(WordObject::Document, "doc"));
        WordDocument copy = document; // copies by value: one more count
        EXPECT_EQ(server.LiveReferences(), 2);
    }
    EXPECT_EQ(server.LiveReferences(), 0);
    EXPECT_EQ(server.referenceEvents, (std::vector<std::string>{"AddRef doc", "Release doc", "Release doc"}));
}

TEST(DispatchRef, AssignmentAddsTheNewReferenceBeforeReleasingTheOld) {
    FakeWordServer server;
    WordRange target(server.Create(WordObject::Range, "old"));
    WordRange source(server.Create(WordObject::Range, "new"));
    server.referenceEvents.clear();
    target = source;
    EXPECT_EQ(server.referenceEvents, (std::vector<std::string>{"AddRef new", "Release old"}));
    // Assigning the object a reference already holds must not drop it to zero on the way.
    server.referenceEvents.clear();
    target = WordRange(source);
    EXPECT_EQ(server.referenceEvents.front(), "AddRef new");
    EXPECT_EQ(target.get(), source.get());
}

TEST(DispatchRef, DetachKeepsTheCountAndReleaseEmpties) {
    FakeWordServer server;
    WordParagraph paragraph(server.Create(WordObject::Paragraph, "p"));
    WordParagraph other = paragraph;
    IDispatch* raw = paragraph.DetachDispatch();
    EXPECT_TRUE(paragraph.empty());
    EXPECT_NE(raw, nullptr);
    EXPECT_EQ(server.releases, 0) << "detaching makes no call on the object";
    other.ReleaseDispatch();
    EXPECT_TRUE(other.empty());
    EXPECT_EQ(server.releases, 1);
    other.ReleaseDispatch(); // a second release of an empty reference does nothing
    EXPECT_EQ(server.releases, 1);
}

TEST(DispatchRef, EmptyReferenceMakesNoCallAndLeavesTheResultAlone) {
    DispatchRef empty;
    int32_t marker = 0x5EED;
    std::string text = "untouched";
    EXPECT_NO_THROW(empty.InvokeHelper(2, DISPATCH_PROPERTYGET, VT_I4, &marker, {}));
    EXPECT_NO_THROW(empty.InvokeHelper(0, DISPATCH_PROPERTYGET, VT_BSTR, &text, {}));
    EXPECT_EQ(marker, 0x5EED);
    EXPECT_EQ(text, "untouched");

    auto no = ScopedVariant::I2(0), missing = ScopedVariant::Missing();
    EXPECT_NO_THROW(WordDocument().Close(&no, &missing, &missing));
    EXPECT_NO_THROW(WordApplication().Quit(&no, &no, &no));
    EXPECT_TRUE(WordParagraphs().Item(1).empty());
}

TEST(DispatchRef, CreateDispatchReportsTheStatusOfAnUnknownServer) {
    CoInitialize(nullptr);
    FakeWordServer server; // outlives the reference below
    WordApplication word;
    HRESULT status = S_OK;
    EXPECT_FALSE(word.CreateDispatch("Word.Application", &status));
    EXPECT_EQ(status, CO_E_CLASSSTRING);
    EXPECT_TRUE(word.empty());

    server.Register();
    EXPECT_TRUE(word.CreateDispatch("Word.Application", &status));
    EXPECT_EQ(status, S_OK);
    EXPECT_FALSE(word.empty());
}

TEST(AutomationErrors, WordsOwnReportBecomesADispatchErrorWithItsDetails) {
    FakeWordServer server;
    server.FailWith(WordMember::DocumentParagraphs, DISP_E_EXCEPTION, "This file could not be found.");
    WordDocument document(server.Create(WordObject::Document, "doc"));
    try {
        document.Paragraphs();
        FAIL() << "no error raised";
    } catch (const DispatchError& error) {
        EXPECT_EQ(error.description(), "This file could not be found.");
        EXPECT_STREQ(error.what(), "This file could not be found.");
        EXPECT_EQ(error.details().source, "Microsoft Word");
        EXPECT_EQ(error.status(), DISP_E_EXCEPTION);
    }
    EXPECT_EQ(server.LiveReferences(), 1) << "only the document itself is still held";
}

TEST(AutomationErrors, OtherFailuresBecomePlainAutomationErrorsWithTheirStatus) {
    struct Case {
        const char* what;
        std::function<void(FakeWordServer&)> arrange;
        std::function<void(FakeWordServer&)> act;
        HRESULT status;
    };
    auto paragraphs = [](FakeWordServer& s) { return WordParagraphs(s.Create(WordObject::Paragraphs, "ps")); };
    const Case cases[] = {
        {"a failing status", [](auto& s) { s.FailWith(WordMember::ParagraphsCount, E_FAIL); },
         [&](auto& s) { paragraphs(s).Count(); }, E_FAIL},
        {"text where a number was expected",
         [](auto& s) {
             auto text = ScopedVariant::Bstr(u"many");
             s.AnswerWith(WordMember::ParagraphsCount, text.get());
         },
         [&](auto& s) { paragraphs(s).Count(); }, DISP_E_TYPEMISMATCH},
        {"a number where an object was expected",
         [](auto& s) {
             auto number = ScopedVariant::I4(7);
             s.AnswerWith(WordMember::ParagraphsItem, number.get());
         },
         [&](auto& s) { paragraphs(s).Item(1); }, DISP_E_TYPEMISMATCH},
        {"no object where one is required", [](auto& s) { s.AnswerNothing(WordMember::ParagraphsItem); },
         [&](auto& s) { paragraphs(s).Item(1); }, E_POINTER},
        {"a text from Word that has no narrow form",
         [](auto& s) {
             auto broken = ScopedVariant::Bstr(std::u16string(1, char16_t(0xDC00)));
             s.AnswerWith(WordMember::RangeText, broken.get());
         },
         [](auto& s) { WordRange(s.Create(WordObject::Range, "r")).Text(); }, DISP_E_TYPEMISMATCH},
        {"a narrow text that cannot be converted", [](auto&) {},
         [](auto& s) { WordRange(s.Create(WordObject::Range, "r")).SetText("\x81"); }, DISP_E_TYPEMISMATCH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWordServer server;
        c.arrange(server);
        try {
            c.act(server);
            ADD_FAILURE() << "no error raised";
        } catch (const DispatchError&) {
            ADD_FAILURE() << "a plain failure is not Word's report";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.status(), c.status);
            EXPECT_FALSE(std::string(error.what()).empty());
        }
        EXPECT_EQ(server.LiveReferences(), 0) << "nothing leaks on the way out";
    }
}

TEST(AutomationErrors, NoObjectIsAnAnswerWhereWordMayGiveNone) {
    FakeWordServer server;
    server.AnswerNothing(WordMember::ParagraphNext);
    WordParagraph last(server.Create(WordObject::Paragraph, "last"));
    auto missing = ScopedVariant::Missing();
    EXPECT_TRUE(last.Next(&missing).empty());
}
