#include "WordMemberTable.h"

std::string_view WordObjectName(WordObject object) {
    switch (object) {
    case WordObject::None:
        return "None";
    case WordObject::Application:
        return "Application";
    case WordObject::Documents:
        return "Documents";
    case WordObject::Document:
        return "Document";
    case WordObject::Paragraphs:
        return "Paragraphs";
    case WordObject::Paragraph:
        return "Paragraph";
    case WordObject::Range:
        return "Range";
    case WordObject::Sections:
        return "Sections";
    case WordObject::Section:
        return "Section";
    case WordObject::HeadersFooters:
        return "HeadersFooters";
    case WordObject::HeaderFooter:
        return "HeaderFooter";
    case WordObject::Hyperlinks:
        return "Hyperlinks";
    case WordObject::Hyperlink:
        return "Hyperlink";
    case WordObject::Bookmarks:
        return "Bookmarks";
    case WordObject::Bookmark:
        return "Bookmark";
    case WordObject::Styles:
        return "Styles";
    case WordObject::Style:
        return "Style";
    case WordObject::Font:
        return "Font";
    case WordObject::ListFormat:
        return "ListFormat";
    case WordObject::ListParagraphs:
        return "ListParagraphs";
    case WordObject::InlineShapes:
        return "InlineShapes";
    case WordObject::InlineShape:
        return "InlineShape";
    case WordObject::HorizontalLineFormat:
        return "HorizontalLineFormat";
    case WordObject::WebOptions:
        return "WebOptions";
    case WordObject::Fields:
        return "Fields";
    case WordObject::Field:
        return "Field";
    case WordObject::Footnotes:
        return "Footnotes";
    case WordObject::Footnote:
        return "Footnote";
    case WordObject::Endnotes:
        return "Endnotes";
    case WordObject::Endnote:
        return "Endnote";
    }
    return "?";
}

VARTYPE ParamVarType(char letter) {
    switch (letter) {
    case 'V':
        return VT_VARIANT | VT_BYREF;
    case 'I':
        return VT_I4;
    case 'F':
        return VT_R4;
    case 'B':
        return VT_BOOL;
    case 'S':
        return VT_BSTR;
    case 'D':
        return VT_DISPATCH;
    default:
        return VT_EMPTY;
    }
}

std::optional<WordMember> FindWordMember(WordObject object, DISPID dispid, WORD kind) {
    for (const WordMemberInfo& info : kWordMembers)
        if (info.object == object && info.dispid == dispid && info.kind == kind)
            return info.member;
    return std::nullopt;
}
