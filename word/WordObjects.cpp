#include "WordObjects.h"

namespace {

using A = InvokeArg;
using M = WordMember;

template <typename Wrapper>
Wrapper Object(const DispatchRef& ref, WordMember member, std::initializer_list<InvokeArg> args = {}) {
    IDispatch* object = nullptr;
    ref.Invoke(member, &object, args);
    return Wrapper(object);
}

int32_t Int(const DispatchRef& ref, WordMember member) {
    int32_t value = 0;
    ref.Invoke(member, &value);
    return value;
}

std::string Text(const DispatchRef& ref, WordMember member) {
    std::string value;
    ref.Invoke(member, &value);
    return value;
}

void Call(const DispatchRef& ref, WordMember member, std::initializer_list<InvokeArg> args = {}) {
    ref.Invoke(member, nullptr, args);
}

} // namespace

void WordApplication::SetVisible(bool visible) const {
    Call(*this, M::ApplicationVisible, {A::Bool(visible)});
}
WordDocuments WordApplication::Documents() const {
    return Object<WordDocuments>(*this, M::ApplicationDocuments);
}
void WordApplication::Quit(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const {
    Call(*this, M::ApplicationQuit, {A::Variant(saveChanges), A::Variant(originalFormat), A::Variant(routeDocument)});
}

WordDocument WordDocuments::Open(VARIANT* fileName, VARIANT* confirmConversions, VARIANT* readOnly,
                                 VARIANT* addToRecentFiles, VARIANT* passwordDocument, VARIANT* passwordTemplate,
                                 VARIANT* revert, VARIANT* writePasswordDocument, VARIANT* writePasswordTemplate,
                                 VARIANT* format, VARIANT* encoding, VARIANT* visible, VARIANT* openAndRepair,
                                 VARIANT* documentDirection, VARIANT* noEncodingDialog) const {
    return Object<WordDocument>(
        *this, M::DocumentsOpen,
        {A::Variant(fileName), A::Variant(confirmConversions), A::Variant(readOnly), A::Variant(addToRecentFiles),
         A::Variant(passwordDocument), A::Variant(passwordTemplate), A::Variant(revert),
         A::Variant(writePasswordDocument), A::Variant(writePasswordTemplate), A::Variant(format), A::Variant(encoding),
         A::Variant(visible), A::Variant(openAndRepair), A::Variant(documentDirection), A::Variant(noEncodingDialog)});
}
WordDocument WordDocuments::Add(VARIANT* templateName, VARIANT* newTemplate, VARIANT* documentType,
                                VARIANT* visible) const {
    return Object<WordDocument>(
        *this, M::DocumentsAdd,
        {A::Variant(templateName), A::Variant(newTemplate), A::Variant(documentType), A::Variant(visible)});
}

WordBookmarks WordDocument::Bookmarks() const {
    return Object<WordBookmarks>(*this, M::DocumentBookmarks);
}
WordParagraphs WordDocument::Paragraphs() const {
    return Object<WordParagraphs>(*this, M::DocumentParagraphs);
}
WordStyles WordDocument::Styles() const {
    return Object<WordStyles>(*this, M::DocumentStyles);
}
WordHyperlinks WordDocument::Hyperlinks() const {
    return Object<WordHyperlinks>(*this, M::DocumentHyperlinks);
}
WordListParagraphs WordDocument::ListParagraphs() const {
    return Object<WordListParagraphs>(*this, M::DocumentListParagraphs);
}
WordWebOptions WordDocument::WebOptions() const {
    return Object<WordWebOptions>(*this, M::DocumentWebOptions);
}
void WordDocument::SaveAs(VARIANT* fileName, VARIANT* fileFormat, VARIANT* lockComments, VARIANT* password,
                          VARIANT* addToRecentFiles, VARIANT* writePassword, VARIANT* readOnlyRecommended,
                          VARIANT* embedTrueTypeFonts, VARIANT* saveNativePictureFormat, VARIANT* saveFormsData,
                          VARIANT* saveAsAOCELetter, VARIANT* encoding, VARIANT* insertLineBreaks,
                          VARIANT* allowSubstitutions, VARIANT* lineEnding, VARIANT* addBiDiMarks) const {
    Call(*this, M::DocumentSaveAs,
         {A::Variant(fileName), A::Variant(fileFormat), A::Variant(lockComments), A::Variant(password),
          A::Variant(addToRecentFiles), A::Variant(writePassword), A::Variant(readOnlyRecommended),
          A::Variant(embedTrueTypeFonts), A::Variant(saveNativePictureFormat), A::Variant(saveFormsData),
          A::Variant(saveAsAOCELetter), A::Variant(encoding), A::Variant(insertLineBreaks),
          A::Variant(allowSubstitutions), A::Variant(lineEnding), A::Variant(addBiDiMarks)});
}
void WordDocument::Close(VARIANT* saveChanges, VARIANT* originalFormat, VARIANT* routeDocument) const {
    Call(*this, M::DocumentClose, {A::Variant(saveChanges), A::Variant(originalFormat), A::Variant(routeDocument)});
}
WordRange WordDocument::Range(VARIANT* start, VARIANT* end) const {
    return Object<WordRange>(*this, M::DocumentRange, {A::Variant(start), A::Variant(end)});
}

int32_t WordParagraphs::Count() const {
    return Int(*this, M::ParagraphsCount);
}
WordParagraph WordParagraphs::Item(int32_t index) const {
    return Object<WordParagraph>(*this, M::ParagraphsItem, {A::I4(index)});
}
WordParagraph WordParagraphs::Add(VARIANT* range) const {
    return Object<WordParagraph>(*this, M::ParagraphsAdd, {A::Variant(range)});
}

WordRange WordParagraph::Range() const {
    return Object<WordRange>(*this, M::ParagraphRange);
}
int32_t WordParagraph::OutlineLevel() const {
    return Int(*this, M::ParagraphOutlineLevel);
}
WordParagraph WordParagraph::Next(VARIANT* count) const {
    return Object<WordParagraph>(*this, M::ParagraphNext, {A::Variant(count)});
}
WordParagraph WordParagraph::Previous(VARIANT* count) const {
    return Object<WordParagraph>(*this, M::ParagraphPrevious, {A::Variant(count)});
}
void WordParagraph::SetLineSpacingRule(int32_t rule) const {
    Call(*this, M::ParagraphLineSpacingRule, {A::I4(rule)});
}
void WordParagraph::SetSpaceBefore(float points) const {
    Call(*this, M::ParagraphSpaceBefore, {A::R4(points)});
}
void WordParagraph::SetSpaceAfter(float points) const {
    Call(*this, M::ParagraphSpaceAfter, {A::R4(points)});
}
void WordParagraph::SetSpaceBeforeAuto(int32_t automatic) const {
    Call(*this, M::ParagraphSpaceBeforeAuto, {A::I4(automatic)});
}
void WordParagraph::SetSpaceAfterAuto(int32_t automatic) const {
    Call(*this, M::ParagraphSpaceAfterAuto, {A::I4(automatic)});
}

std::string WordRange::Text() const {
    return ::Text(*this, M::RangeText);
}
void WordRange::SetText(const std::string& text) const {
    Call(*this, M::RangeSetText, {A::Text(text)});
}
int32_t WordRange::Start() const {
    return Int(*this, M::RangeStart);
}
int32_t WordRange::End() const {
    return Int(*this, M::RangeEnd);
}
int32_t WordRange::LanguageID() const {
    return Int(*this, M::RangeLanguageID);
}
int32_t WordRange::LanguageIDFarEast() const {
    return Int(*this, M::RangeLanguageIDFarEast);
}
WordFont WordRange::Font() const {
    return Object<WordFont>(*this, M::RangeFont);
}
WordSections WordRange::Sections() const {
    return Object<WordSections>(*this, M::RangeSections);
}
WordListFormat WordRange::ListFormat() const {
    return Object<WordListFormat>(*this, M::RangeListFormat);
}
WordHyperlinks WordRange::Hyperlinks() const {
    return Object<WordHyperlinks>(*this, M::RangeHyperlinks);
}
WordInlineShapes WordRange::InlineShapes() const {
    return Object<WordInlineShapes>(*this, M::RangeInlineShapes);
}
void WordRange::SetRange(int32_t start, int32_t end) const {
    Call(*this, M::RangeSetRange, {A::I4(start), A::I4(end)});
}
void WordRange::Cut() const {
    Call(*this, M::RangeCut);
}
void WordRange::Copy() const {
    Call(*this, M::RangeCopy);
}
void WordRange::Paste() const {
    Call(*this, M::RangePaste);
}

WordSection WordSections::Item(int32_t index) const {
    return Object<WordSection>(*this, M::SectionsItem, {A::I4(index)});
}

WordHeadersFooters WordSection::Headers() const {
    return Object<WordHeadersFooters>(*this, M::SectionHeaders);
}
WordHeadersFooters WordSection::Footers() const {
    return Object<WordHeadersFooters>(*this, M::SectionFooters);
}

WordHeaderFooter WordHeadersFooters::Item(int32_t index) const {
    return Object<WordHeaderFooter>(*this, M::HeadersFootersItem, {A::I4(index)});
}

WordRange WordHeaderFooter::Range() const {
    return Object<WordRange>(*this, M::HeaderFooterRange);
}

int32_t WordHyperlinks::Count() const {
    return Int(*this, M::HyperlinksCount);
}
WordHyperlink WordHyperlinks::Item(VARIANT* index) const {
    return Object<WordHyperlink>(*this, M::HyperlinksItem, {A::Variant(index)});
}
WordHyperlink WordHyperlinks::Add(const DispatchRef& anchor, VARIANT* address, VARIANT* subAddress, VARIANT* screenTip,
                                  VARIANT* textToDisplay, VARIANT* target) const {
    return Object<WordHyperlink>(*this, M::HyperlinksAdd,
                                 {A::Dispatch(anchor), A::Variant(address), A::Variant(subAddress),
                                  A::Variant(screenTip), A::Variant(textToDisplay), A::Variant(target)});
}

std::string WordHyperlink::Name() const {
    return ::Text(*this, M::HyperlinkName);
}
std::string WordHyperlink::Address() const {
    return ::Text(*this, M::HyperlinkAddress);
}
void WordHyperlink::SetAddress(const std::string& address) const {
    Call(*this, M::HyperlinkSetAddress, {A::Text(address)});
}

void WordBookmarks::SetShowHidden(bool show) const {
    Call(*this, M::BookmarksShowHidden, {A::Bool(show)});
}
int32_t WordBookmarks::Count() const {
    return Int(*this, M::BookmarksCount);
}
WordBookmark WordBookmarks::Item(VARIANT* index) const {
    return Object<WordBookmark>(*this, M::BookmarksItem, {A::Variant(index)});
}

std::string WordBookmark::Name() const {
    return ::Text(*this, M::BookmarkName);
}
WordRange WordBookmark::Range() const {
    return Object<WordRange>(*this, M::BookmarkRange);
}

int32_t WordStyles::Count() const {
    return Int(*this, M::StylesCount);
}
WordStyle WordStyles::Item(VARIANT* index) const {
    return Object<WordStyle>(*this, M::StylesItem, {A::Variant(index)});
}

std::string WordStyle::NameLocal() const {
    return ::Text(*this, M::StyleNameLocal);
}
WordFont WordStyle::Font() const {
    return Object<WordFont>(*this, M::StyleFont);
}

void WordFont::SetUnderline(int32_t underline) const {
    Call(*this, M::FontUnderline, {A::I4(underline)});
}
void WordFont::SetSize(float points) const {
    Call(*this, M::FontSize, {A::R4(points)});
}
void WordFont::SetColor(int32_t bgrColor) const {
    Call(*this, M::FontColor, {A::I4(bgrColor)});
}

std::string WordListFormat::ListString() const {
    return ::Text(*this, M::ListFormatListString);
}
void WordListFormat::RemoveNumbers(VARIANT* numberType) const {
    Call(*this, M::ListFormatRemoveNumbers, {A::Variant(numberType)});
}

int32_t WordListParagraphs::Count() const {
    return Int(*this, M::ListParagraphsCount);
}
WordParagraph WordListParagraphs::Item(int32_t index) const {
    return Object<WordParagraph>(*this, M::ListParagraphsItem, {A::I4(index)});
}

WordInlineShape WordInlineShapes::AddHorizontalLineStandard(VARIANT* range) const {
    return Object<WordInlineShape>(*this, M::InlineShapesAddHorizontalLineStandard, {A::Variant(range)});
}

WordHorizontalLineFormat WordInlineShape::HorizontalLineFormat() const {
    return Object<WordHorizontalLineFormat>(*this, M::InlineShapeHorizontalLineFormat);
}

void WordHorizontalLineFormat::SetPercentWidth(float percent) const {
    Call(*this, M::HorizontalLineFormatPercentWidth, {A::R4(percent)});
}

void WordWebOptions::SetAllowPNG(bool allow) const {
    Call(*this, M::WebOptionsAllowPNG, {A::Bool(allow)});
}

WordFields WordDocument::Fields() const {
    return Object<WordFields>(*this, M::DocumentFields);
}
WordFootnotes WordDocument::Footnotes() const {
    return Object<WordFootnotes>(*this, M::DocumentFootnotes);
}
WordFields WordRange::Fields() const {
    return Object<WordFields>(*this, M::RangeFields);
}
WordBookmark WordBookmarks::Add(const std::string& name, const DispatchRef& range) const {
    return Object<WordBookmark>(*this, M::BookmarksAdd, {A::Text(name), A::Dispatch(range)});
}

int32_t WordFields::Count() const {
    return Int(*this, M::FieldsCount);
}
WordField WordFields::Item(int32_t index) const {
    return Object<WordField>(*this, M::FieldsItem, {A::I4(index)});
}
WordRange WordField::Code() const {
    return Object<WordRange>(*this, M::FieldCode);
}
int32_t WordField::Type() const {
    return Int(*this, M::FieldType);
}
void WordField::Delete() const {
    Call(*this, M::FieldDelete);
}

int32_t WordFootnotes::Count() const {
    return Int(*this, M::FootnotesCount);
}
WordFootnote WordFootnotes::Item(int32_t index) const {
    return Object<WordFootnote>(*this, M::FootnotesItem, {A::I4(index)});
}
WordRange WordFootnote::Range() const {
    return Object<WordRange>(*this, M::FootnoteRange);
}
WordRange WordFootnote::Reference() const {
    return Object<WordRange>(*this, M::FootnoteReference);
}

WordEndnotes WordDocument::Endnotes() const {
    return Object<WordEndnotes>(*this, M::DocumentEndnotes);
}
int32_t WordEndnotes::Count() const {
    return Int(*this, M::EndnotesCount);
}
WordEndnote WordEndnotes::Item(int32_t index) const {
    return Object<WordEndnote>(*this, M::EndnotesItem, {A::I4(index)});
}
WordRange WordEndnote::Range() const {
    return Object<WordRange>(*this, M::EndnoteRange);
}
WordRange WordEndnote::Reference() const {
    return Object<WordRange>(*this, M::EndnoteReference);
}
