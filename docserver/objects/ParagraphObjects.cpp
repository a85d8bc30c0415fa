// Paragraphs, a paragraph, list paragraphs and list formats.
#include "docserver/objects/ServerObjects.h"

#include "docserver/model/Numbering.h"
#include "docserver/model/StoryEdit.h"
#include "docserver/model/StyleSheet.h"

#include "automation/HResult.h"

#include <cmath>

namespace {

LiveRange ParagraphRange(const Story& story, int storyIndex, size_t index) {
    return LiveRange{storyIndex, ParagraphStart(story, index), story.paragraphs[index].end};
}

// A paragraph is found again through the live start of its range, so it follows edits made before it.
class ParagraphObject : public RangeBound {
public:
    ParagraphObject(std::shared_ptr<DocumentState> document, LiveRange range)
        : RangeBound(WordObject::Paragraph, std::move(document), range) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        Story& story = doc.story(range_.story);
        const size_t index = ParagraphIndexAt(story, range_.start);
        // Only a change makes the paragraph's format its own: others may share it.
        auto format = [&story, index]() -> ParagraphFormat& { return story.paragraphs[index].format.Edit(); };
        switch (member) {
        case WordMember::ParagraphRange:
            ReturnObject(result, NewRange(document_, ParagraphRange(story, range_.story, index)));
            return;
        case WordMember::ParagraphOutlineLevel:
            ReturnInt(result, OutlineLevelOf(doc.model(), story.paragraphs[index].format));
            return;
        case WordMember::ParagraphNext:
        case WordMember::ParagraphPrevious: {
            const int32_t count = args.OptionalInt(0).value_or(1);
            const int64_t target = static_cast<int64_t>(index) +
                                   (member == WordMember::ParagraphNext ? count : -static_cast<int64_t>(count));
            if (target < 0 || target >= static_cast<int64_t>(story.paragraphs.size()))
                return ReturnObject(result, nullptr); // Word's "Nothing" past either end
            ReturnObject(result, NewParagraph(document_, range_.story, static_cast<size_t>(target)));
            return;
        }
        case WordMember::ParagraphLineSpacingRule:
            format().lineRule = args.Int(0);
            break;
        case WordMember::ParagraphSpaceBefore:
            format().spaceBefore = Twips(args.Float(0));
            break;
        case WordMember::ParagraphSpaceAfter:
            format().spaceAfter = Twips(args.Float(0));
            break;
        case WordMember::ParagraphSpaceBeforeAuto:
            format().spaceBeforeAuto = args.Int(0) ? 1 : 0;
            break;
        case WordMember::ParagraphSpaceAfterAuto:
            format().spaceAfterAuto = args.Int(0) ? 1 : 0;
            break;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
        doc.Changed();
    }

private:
    static int Twips(float points) {
        if (points < 0 || points > 1584)
            ThrowDocumentError("Value out of range: paragraph spacing lies between 0 and 1584 points.");
        return static_cast<int>(std::lround(points * 20));
    }
};

class ParagraphsObject : public DocumentBound {
public:
    explicit ParagraphsObject(std::shared_ptr<DocumentState> document)
        : DocumentBound(WordObject::Paragraphs, std::move(document)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        Story& story = doc.story(kMainStory);
        switch (member) {
        case WordMember::ParagraphsCount:
            ReturnInt(result, static_cast<int32_t>(story.paragraphs.size()));
            return;
        case WordMember::ParagraphsItem: {
            const int32_t index = args.Int(0);
            if (index < 1 || index > static_cast<int32_t>(story.paragraphs.size()))
                ThrowDocumentError("The requested member of the collection does not exist (paragraph " +
                                   std::to_string(index) + " of " + std::to_string(story.paragraphs.size()) + ").");
            ReturnObject(result, NewParagraph(document_, kMainStory, static_cast<size_t>(index - 1)));
            return;
        }
        case WordMember::ParagraphsAdd: {
            if (const VARIANT* where = args.At(0)) {
                // With a range, the new paragraph goes in front of it.
                RangeBound* anchor = where->vt == VT_DISPATCH ? ServerObjectCast<RangeBound>(where->pdispVal) : nullptr;
                if (!anchor || &anchor->document() != &doc)
                    throw ServerError{DISP_E_TYPEMISMATCH, "", 0};
                doc.Insert(anchor->range().story, anchor->range().start,
                           TextFragment(doc.story(anchor->range().story), anchor->range().start, u"\r"));
                const Story& target = doc.story(anchor->range().story);
                ReturnObject(result, NewParagraph(document_, anchor->range().story,
                                                  ParagraphIndexAt(target, anchor->range().start - 1)));
                return;
            }
            doc.AppendParagraph(kMainStory);
            ReturnObject(result, NewParagraph(document_, kMainStory, doc.story(kMainStory).paragraphs.size() - 1));
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }
};

// Paragraphs of the main story that show a list number or bullet; worked out afresh on every call.
std::vector<size_t> ListParagraphIndexes(DocumentState& doc) {
    std::vector<size_t> indexes;
    const Story& story = doc.story(kMainStory);
    for (size_t i = 0; i < story.paragraphs.size(); ++i) {
        const ListMembership list = ListOf(doc.model(), story.paragraphs[i].format);
        if (list.numId > 0 && FindNumberingLevel(doc.model().numbering, list.numId, list.level))
            indexes.push_back(i);
    }
    return indexes;
}

class ListParagraphsObject : public DocumentBound {
public:
    explicit ListParagraphsObject(std::shared_ptr<DocumentState> document)
        : DocumentBound(WordObject::ListParagraphs, std::move(document)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        const std::vector<size_t> indexes = ListParagraphIndexes(doc);
        switch (member) {
        case WordMember::ListParagraphsCount:
            ReturnInt(result, static_cast<int32_t>(indexes.size()));
            return;
        case WordMember::ListParagraphsItem: {
            const int32_t index = args.Int(0);
            if (index < 1 || index > static_cast<int32_t>(indexes.size()))
                ThrowDocumentError("The requested member of the collection does not exist.");
            ReturnObject(result, NewParagraph(document_, kMainStory, indexes[static_cast<size_t>(index - 1)]));
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }
};

class ListFormatObject : public RangeBound {
public:
    ListFormatObject(std::shared_ptr<DocumentState> document, LiveRange range)
        : RangeBound(WordObject::ListFormat, std::move(document), range) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        DocumentState& doc = Doc();
        Story& story = doc.story(range_.story);
        const size_t first = ParagraphIndexAt(story, range_.start);
        switch (member) {
        case WordMember::ListFormatListString:
            ReturnText(result, doc.ListStrings(range_.story)[first]);
            return;
        case WordMember::ListFormatRemoveNumbers: {
            const size_t last = ParagraphIndexAt(story, std::max(range_.start, range_.end - 1));
            SharedFormatEdit<ParagraphFormat> edit;
            for (size_t i = first; i <= last; ++i)
                edit.Apply(story.paragraphs[i].format, [](ParagraphFormat& format) {
                    format.numId = 0; // explicitly in no list, whatever the style says
                    format.numLevel = -1;
                });
            doc.Changed();
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }
};

} // namespace

IDispatch* NewParagraphs(std::shared_ptr<DocumentState> document) {
    return new ParagraphsObject(std::move(document));
}

IDispatch* NewParagraph(std::shared_ptr<DocumentState> document, int story, size_t index) {
    const LiveRange range = ParagraphRange(document->story(story), story, index);
    return new ParagraphObject(std::move(document), range);
}

IDispatch* NewListParagraphs(std::shared_ptr<DocumentState> document) {
    return new ListParagraphsObject(std::move(document));
}

IDispatch* NewListFormat(std::shared_ptr<DocumentState> document, LiveRange range) {
    return new ListFormatObject(std::move(document), range);
}
