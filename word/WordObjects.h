#pragma once
// One thin wrapper per Word object kind, one method per member of the Word member table. A member that returns an
// object returns a new wrapper of that kind holding its own reference. VARIANT arguments are passed by reference,
// as Word's type library declares them.

#include "DispatchRef.h"

#include <cstdint>
#include <string>

class WordApplication;
class WordDocuments;
class WordDocument;
class WordParagraphs;
class WordParagraph;
class WordRange;
class WordSections;
class WordSection;
class WordHeadersFooters;
class WordHeaderFooter;
class WordHyperlinks;
class WordHyperlink;
class WordBookmarks;
class WordBookmark;
class WordStyles;
class WordStyle;
class WordFont;
class WordListFormat;
class WordListParagraphs;
class WordInlineShapes;
class WordInlineShape;
class WordHorizontalLineFormat;
class WordWebOptions;
class WordFields;
class WordField;
class WordFootnotes;
class WordFootnote;
class WordEndnotes;
class WordEndnote;

class WordApplication : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    void SetVisible(bool visible) const;
    WordDocuments Documents() const;
    void Quit(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const;
};

class WordDocuments : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordDocument Open(VARIANT* fileName, VARIANT* confirmConversions, VARIANT* readOnly, VARIANT* addToRecentFiles,
                      VARIANT* passwordDocument, VARIANT* passwordTemplate, VARIANT* revert,
                      VARIANT* writePasswordDocument, VARIANT* writePasswordTemplate, VARIANT* format,
                      VARIANT* encoding, VARIANT* visible, VARIANT* openAndRepair, VARIANT* documentDirection,
                      VARIANT* noEncodingDialog) const;
    WordDocument Add(VARIANT* templateName, VARIANT* newTemplate, VARIANT* documentType, VARIANT* visible) const;
};

class WordDocument : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordBookmarks Bookmarks() const;
    WordParagraphs Paragraphs() const;
    WordStyles Styles() const;
    WordHyperlinks Hyperlinks() const;
    WordListParagraphs ListParagraphs() const;
    WordWebOptions WebOptions() const;
    void SaveAs(VARIANT* fileName, VARIANT* fileFormat, VARIANT* lockComments, VARIANT* password,
                VARIANT* addToRecentFiles, VARIANT* writePassword, VARIANT* readOnlyRecommended,
                VARIANT* embedTrueTypeFonts, VARIANT* saveNativePictureFormat, VARIANT* saveFormsData,
                VARIANT* saveAsAOCELetter, VARIANT* encoding, VARIANT* insertLineBreaks, VARIANT* allowSubstitutions,
                VARIANT* lineEnding, VARIANT* addBiDiMarks) const;
    void Close(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const;
    WordRange Range(VARIANT* start, VARIANT* end) const;
    WordFields Fields() const;
    WordFootnotes Footnotes() const;
    WordEndnotes Endnotes() const;
};

class WordParagraphs : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordParagraph Item(int32_t index) const;
    WordParagraph Add(VARIANT* range) const;
};

class WordParagraph : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordRange Range() const;
    int32_t OutlineLevel() const;
    // Empty after the last (before the first) paragraph.
    WordParagraph Next(VARIANT* count) const;
    WordParagraph Previous(VARIANT* count) const;
    void SetLineSpacingRule(int32_t rule) const;
    void SetSpaceBefore(float points) const;
    void SetSpaceAfter(float points) const;
    void SetSpaceBeforeAuto(int32_t automatic) const;
    void SetSpaceAfterAuto(int32_t automatic) const;
};

class WordRange : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    std::string Text() const;
    void SetText(const std::string& text) const;
    int32_t Start() const;
    int32_t End() const;
    // The language of the range's text (an LCID): of its Latin text, and of its East Asian text.
    int32_t LanguageID() const;
    int32_t LanguageIDFarEast() const;
    WordFont Font() const;
    WordSections Sections() const;
    WordListFormat ListFormat() const;
    WordHyperlinks Hyperlinks() const;
    WordInlineShapes InlineShapes() const;
    WordFields Fields() const;
    void SetRange(int32_t start, int32_t end) const;
    void Cut() const;
    void Copy() const;
    void Paste() const;
};

class WordSections : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordSection Item(int32_t index) const;
};

class WordSection : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordHeadersFooters Headers() const;
    WordHeadersFooters Footers() const;
};

class WordHeadersFooters : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordHeaderFooter Item(int32_t index) const;
};

class WordHeaderFooter : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordRange Range() const;
};

class WordHyperlinks : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordHyperlink Item(VARIANT* index) const;
    WordHyperlink Add(const DispatchRef& anchor, VARIANT* address, VARIANT* subAddress, VARIANT* screenTip,
                      VARIANT* textToDisplay, VARIANT* target) const;
};

class WordHyperlink : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    std::string Name() const;
    std::string Address() const;
    void SetAddress(const std::string& address) const;
};

class WordBookmarks : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    void SetShowHidden(bool show) const;
    int32_t Count() const;
    WordBookmark Item(VARIANT* index) const;
    WordBookmark Add(const std::string& name, const DispatchRef& range) const;
};

class WordBookmark : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    std::string Name() const;
    WordRange Range() const;
};

class WordStyles : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordStyle Item(VARIANT* index) const;
};

class WordStyle : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    std::string NameLocal() const;
    WordFont Font() const;
};

class WordFont : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    void SetUnderline(int32_t underline) const;
    void SetSize(float points) const;
    void SetColor(int32_t bgrColor) const;
};

class WordListFormat : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    std::string ListString() const;
    void RemoveNumbers(VARIANT* numberType) const;
};

class WordListParagraphs : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordParagraph Item(int32_t index) const;
};

class WordInlineShapes : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordInlineShape AddHorizontalLineStandard(VARIANT* range) const;
};

class WordInlineShape : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordHorizontalLineFormat HorizontalLineFormat() const;
};

class WordHorizontalLineFormat : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    void SetPercentWidth(float percent) const;
};

class WordWebOptions : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    void SetAllowPNG(bool allow) const;
};

class WordFields : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordField Item(int32_t index) const;
};

// Word's field kinds (WdFieldType) that the conversion looks for.
constexpr int32_t kFieldIndexEntry = 4; // XE
constexpr int32_t kFieldIndex = 8;      // INDEX

class WordField : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    // The field's code as a range: its Text is the instruction (" XE \"entry\" ").
    WordRange Code() const;
    int32_t Type() const;
    void Delete() const;
};

class WordFootnotes : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordFootnote Item(int32_t index) const;
};

class WordFootnote : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    // The note's own text.
    WordRange Range() const;
    // The note's mark in the main text.
    WordRange Reference() const;
};

class WordEndnotes : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    int32_t Count() const;
    WordEndnote Item(int32_t index) const;
};

class WordEndnote : public DispatchRef {
public:
    using DispatchRef::DispatchRef;
    WordRange Range() const;
    WordRange Reference() const;
};
