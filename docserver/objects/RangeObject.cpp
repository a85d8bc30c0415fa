// Range: text, positions, formatting views, and the clipboard edits.
#include "docserver/objects/ServerObjects.h"

#include "docserver/model/Fragment.h"
#include "docserver/model/StoryEdit.h"

#include "automation/HResult.h"
#include "base/HelpLanguage.h"

#include <algorithm>

// Every object over a range registers it, so the document's edits move it.
RangeBound::RangeBound(WordObject kind, std::shared_ptr<DocumentState> document, LiveRange range)
    : DocumentBound(kind, std::move(document)), range_(range) {
    document_->Register(&range_);
}

RangeBound::~RangeBound() {
    document_->Unregister(&range_);
}

namespace {

int32_t StoryLength(DocumentState& doc, int story) {
    return static_cast<int32_t>(doc.story(story).text.size());
}

} // namespace

void RangeObject::Call(WordMember member, const Arguments& args, VARIANT* result) {
    DocumentState& doc = Doc();
    const Story& story = doc.story(range_.story);
    switch (member) {
    case WordMember::RangeText:
        ReturnText(result, story.text.substr(static_cast<size_t>(range_.start),
                                             static_cast<size_t>(range_.end - range_.start)));
        return;
    case WordMember::RangeSetText:
        SetText(args.Text(0));
        return;
    case WordMember::RangeStart:
        ReturnInt(result, range_.start);
        return;
    case WordMember::RangeEnd:
        ReturnInt(result, range_.end);
        return;
    case WordMember::RangeLanguageID:
        // The language the document declares for its text (the defaults); runs marked otherwise are not told.
        ReturnInt(result, static_cast<int32_t>(LcidForTag(doc.model().defaults.language)));
        return;
    case WordMember::RangeLanguageIDFarEast:
        ReturnInt(result, static_cast<int32_t>(LcidForTag(doc.model().defaults.eastAsiaLanguage)));
        return;
    case WordMember::RangeFont:
        ReturnObject(result, NewRangeFont(document_, range_));
        return;
    case WordMember::RangeSections:
        ReturnObject(result, NewSections(document_, range_));
        return;
    case WordMember::RangeListFormat:
        ReturnObject(result, NewListFormat(document_, range_));
        return;
    case WordMember::RangeHyperlinks:
        ReturnObject(result, NewHyperlinks(document_, &range_));
        return;
    case WordMember::RangeInlineShapes:
        ReturnObject(result, NewInlineShapes(document_, range_));
        return;
    case WordMember::RangeFields:
        ReturnObject(result, NewFields(document_, &range_));
        return;
    case WordMember::RangeSetRange: {
        const int32_t length = StoryLength(doc, range_.story);
        const int32_t start = std::clamp(args.Int(0), 0, length);
        const int32_t end = std::clamp(args.Int(1), 0, length);
        range_.start = std::min(start, end);
        range_.end = std::max(start, end);
        return;
    }
    case WordMember::RangeCut:
        Cut();
        return;
    case WordMember::RangeCopy:
        Copy();
        return;
    case WordMember::RangePaste:
        Paste();
        return;
    default:
        throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
    }
}

void RangeObject::SetText(const std::u16string& text) {
    DocumentState& doc = Doc();
    const int32_t start = range_.start;
    const bool heldFinalMark = range_.end == StoryLength(doc, range_.story);
    doc.Erase(range_.story, range_.start, range_.end); // the final mark stays: Word keeps it
    const int32_t length = doc.Insert(range_.story, start, TextFragment(doc.story(range_.story), start, text));
    // The range now covers what was written, and the final mark if it held it before.
    range_.start = start;
    range_.end = start + length + (heldFinalMark ? 1 : 0);
}

void RangeObject::Copy() {
    DocumentState& doc = Doc();
    if (range_.start == range_.end)
        ThrowDocumentError("This method or property is not available because the object is empty.");
    auto application = doc.application();
    if (!application)
        ThrowDocumentError("The application has quit; the clipboard is gone.");
    application->clipboard =
        ExtractFragment(doc.model(), doc.story(range_.story), range_.start, range_.end, &doc.Lists(range_.story));
    application->hasClipboard = true;
}

void RangeObject::Cut() {
    Copy();
    DocumentState& doc = Doc();
    doc.Erase(range_.story, range_.start, range_.end);
}

void RangeObject::Paste() {
    DocumentState& doc = Doc();
    auto application = doc.application();
    if (!application || !application->hasClipboard)
        ThrowDocumentError("This method or property is not available because the Clipboard is empty or not valid.");
    const int32_t start = range_.start;
    doc.Erase(range_.story, range_.start, range_.end);
    const Fragment adopted = AdoptFragment(doc.model(), application->clipboard);
    const int32_t length = doc.Insert(range_.story, start, adopted);
    // Word widens the range over what was pasted.
    range_.start = start;
    range_.end = start + length;
}

IDispatch* NewRange(std::shared_ptr<DocumentState> document, LiveRange range) {
    return new RangeObject(std::move(document), range);
}
