#pragma once
// The Word member table as data: client wrappers invoke through it, servers dispatch through it, and a test walks it.

#include "ComTypes.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

enum class WordObject {
    None,
    Application,
    Documents,
    Document,
    Paragraphs,
    Paragraph,
    Range,
    Sections,
    Section,
    HeadersFooters,
    HeaderFooter,
    Hyperlinks,
    Hyperlink,
    Bookmarks,
    Bookmark,
    Styles,
    Style,
    Font,
    ListFormat,
    ListParagraphs,
    InlineShapes,
    InlineShape,
    HorizontalLineFormat,
    WebOptions,
    Fields,
    Field,
    Footnotes,
    Footnote,
    Endnotes,
    Endnote,
};

std::string_view WordObjectName(WordObject object);

enum class WordMember {
#define WORD_MEMBER(id, ...) id,
#include "WordMembers.def"
#undef WORD_MEMBER
};

struct WordMemberInfo {
    WordMember member;
    WordObject object;
    std::string_view name;
    DISPID dispid;
    WORD kind; // DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
    VARTYPE result;
    WordObject resultObject;
    bool mayBeNull;
    std::string_view params; // one letter per argument, see WordMembers.def
};

inline constexpr std::array kWordMembers = {
#define GET DISPATCH_PROPERTYGET
#define PUT DISPATCH_PROPERTYPUT
#define METHOD DISPATCH_METHOD
#define WORD_MEMBER(id, object, name, dispid, kind, result, resultObject, mayBeNull, params)                           \
    WordMemberInfo{WordMember::id, WordObject::object,       name,           dispid, kind,                             \
                   result,         WordObject::resultObject, mayBeNull != 0, params},
#include "WordMembers.def"
#undef WORD_MEMBER
#undef GET
#undef PUT
#undef METHOD
};

inline const WordMemberInfo& MemberInfo(WordMember member) {
    return kWordMembers[static_cast<size_t>(member)];
}

// The VARTYPE an argument of the given table letter travels as.
VARTYPE ParamVarType(char letter);

// What a server answers for: the member of object with this DISPID and invoke kind, if the table has one.
std::optional<WordMember> FindWordMember(WordObject object, DISPID dispid, WORD kind);
