#include "automation/Bstr.h"
#include "automation/CodePage.h"
#include "automation/ComRuntime.h"
#include "automation/HResult.h"
#include "automation/Variant.h"
#include "automation/WordMemberTable.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <tuple>

TEST(Bstr, KeepsLengthEmbeddedZerosAndTreatsNullAsEmpty) {
    const char16_t text[] = {u'a', 0, u'b'};
    BSTR value = SysAllocStringLen(text, 3);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(SysStringLen(value), 3u);
    EXPECT_EQ(BstrView(value), std::u16string_view(text, 3));
    EXPECT_EQ(value[3], 0) << "a BSTR is also zero-terminated";
    SysFreeString(value);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_TRUE(BstrView(nullptr).empty());
}

TEST(CodePage, NarrowTextIsUtf8AndRoundTripsThroughWide) {
    const std::string song = "\xE5\xAE\x8B\xE4\xBD\x93"; // 宋体 in UTF-8
    auto wide = NarrowToWide(song);
    ASSERT_TRUE(wide);
    EXPECT_EQ(*wide, u"宋体");
    EXPECT_EQ(WideToNarrow(*wide), song);
    EXPECT_EQ(NarrowToUtf8(song), song);
    EXPECT_EQ(Utf8ToNarrow(song), song);
    // Every character survives, beyond the basic plane too.
    EXPECT_EQ(NarrowToWide(*WideToNarrow(u"😀 é Ä ж")), u"😀 é Ä ж");
    EXPECT_EQ(WideToNarrow(u"😀"), "\xF0\x9F\x98\x80");
}

TEST(CodePage, RefusesWhatCannotBeConverted) {
    EXPECT_FALSE(NarrowToWide("\x81")) << "a byte that starts no UTF-8 sequence";
    EXPECT_FALSE(NarrowToWide("\xCB\xCE\xCC\xE5")) << "GB2312 bytes are not narrow text";
    EXPECT_FALSE(NarrowToWide("\xE5\xAE")) << "a sequence cut short";
    EXPECT_FALSE(NarrowToWide("\xC0\xAF")) << "an overlong sequence";
    EXPECT_FALSE(WideToNarrow(std::u16string(1, char16_t(0xD800)))) << "an unpaired surrogate";
    EXPECT_FALSE(WideToNarrow(std::u16string(1, char16_t(0xDC00)) + u"x")) << "a low surrogate alone";
    EXPECT_FALSE(Utf8ToNarrow("\xFF\xFE"));
    EXPECT_FALSE(NarrowToUtf8("ok\xED\xA0\x80")) << "an encoded surrogate";
    EXPECT_FALSE(NarrowToPath("/tmp/\xCA\xD6.docx"));
}

TEST(CodePage, NarrowPathsNameUtf8Files) {
    auto path = NarrowToPath("/tmp/手册.docx");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->native(), "/tmp/手册.docx");
    EXPECT_EQ(PathToNarrow(*path), "/tmp/手册.docx");
}

TEST(Variant, CoercesNumbersAndTextLikeAutomation) {
    struct Case {
        VARIANT source;
        VARTYPE target;
        HRESULT status;
        double expected;
    };
    auto i2 = [](int16_t v) {
        VARIANT x{};
        x.vt = VT_I2;
        x.iVal = v;
        return x;
    };
    auto r4 = [](float v) {
        VARIANT x{};
        x.vt = VT_R4;
        x.fltVal = v;
        return x;
    };
    auto i4 = [](int32_t v) {
        VARIANT x{};
        x.vt = VT_I4;
        x.lVal = v;
        return x;
    };
    const Case cases[] = {
        {i2(-7), VT_I4, S_OK, -7},  {r4(2.5f), VT_I4, S_OK, 2}, // half to even
        {r4(3.5f), VT_I4, S_OK, 4}, {i4(40000), VT_I2, DISP_E_OVERFLOW, 0},
        {i4(3), VT_R4, S_OK, 3},    {VARIANT{}, VT_I4, S_OK, 0}, // empty reads as zero
    };
    for (const Case& c : cases) {
        VARIANT out;
        VariantInit(&out);
        EXPECT_EQ(VariantChangeType(&out, &c.source, 0, c.target), c.status);
        if (c.status == S_OK) {
            EXPECT_EQ(out.vt, c.target);
            EXPECT_EQ(c.target == VT_I4 ? out.lVal : c.target == VT_I2 ? out.iVal : out.fltVal, c.expected);
        }
    }

    ScopedVariant text = ScopedVariant::Bstr(u" 42 ");
    VARIANT number;
    VariantInit(&number);
    EXPECT_EQ(VariantChangeType(&number, &text.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(number.lVal, 42);
    ScopedVariant word = ScopedVariant::Bstr(u"forty");
    EXPECT_EQ(VariantChangeType(&number, &word.get(), 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&number, &text.get(), 0, VT_DISPATCH), DISP_E_TYPEMISMATCH);
}

TEST(Variant, MissingArgumentIsTheParamNotFoundError) {
    ScopedVariant missing = ScopedVariant::Missing();
    EXPECT_EQ(missing.get().vt, VT_ERROR);
    EXPECT_EQ(missing.get().scode, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(static_cast<uint32_t>(DISP_E_PARAMNOTFOUND), 0x80020004u);
}

TEST(ComRuntime, CreationNeedsInitialisationAndAKnownProgId) {
    std::thread([] {
        IDispatch* object = reinterpret_cast<IDispatch*>(1);
        EXPECT_EQ(CreateDispatchObject("Word.Application", &object), CO_E_NOTINITIALIZED);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        EXPECT_EQ(CreateDispatchObject("No.Such.Server", &object), CO_E_CLASSSTRING);
        EXPECT_EQ(DescribeHResult(CO_E_CLASSSTRING), "Invalid class string.");
    }).join();
    EXPECT_EQ(DescribeHResult(static_cast<HRESULT>(0x80991234)), "Unknown error 0x80991234.");
}

TEST(WordMemberTable, RowsAreWellFormedAndUnambiguous) {
    std::set<std::tuple<WordObject, DISPID, WORD>> seen;
    for (size_t i = 0; i < kWordMembers.size(); ++i) {
        const WordMemberInfo& row = kWordMembers[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(static_cast<size_t>(row.member), i);
        EXPECT_NE(row.object, WordObject::None);
        EXPECT_TRUE(seen.insert({row.object, row.dispid, row.kind}).second) << "two rows answer the same call";
        EXPECT_EQ(row.result == VT_DISPATCH, row.resultObject != WordObject::None);
        for (char letter : row.params)
            EXPECT_NE(ParamVarType(letter), VT_EMPTY) << letter;
        if (row.kind == DISPATCH_PROPERTYPUT) {
            EXPECT_EQ(row.params.size(), 1u);
        }
        EXPECT_EQ(FindWordMember(row.object, row.dispid, row.kind), row.member);
    }
}
