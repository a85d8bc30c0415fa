// Sections, and the headers and footers they show.
#include "docserver/objects/ServerObjects.h"

#include "docserver/model/StoryEdit.h"

#include "automation/HResult.h"

#include <algorithm>

namespace {

class HeaderFooterObject : public DocumentBound {
public:
    HeaderFooterObject(std::shared_ptr<DocumentState> document, int section, bool header, int kind)
        : DocumentBound(WordObject::HeaderFooter, std::move(document)), section_(section), header_(header),
          kind_(kind) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        if (member != WordMember::HeaderFooterRange)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        DocumentState& doc = Doc();
        Document& model = doc.model();
        if (section_ < 0 || static_cast<size_t>(section_) >= model.sections.size())
            ThrowDocumentError("The section no longer exists.");
        int& story = (header_ ? model.sections[static_cast<size_t>(section_)].headers
                              : model.sections[static_cast<size_t>(section_)].footers)[kind_];
        if (story < 0) {
            // A section without this header reads as an empty one, as in Word.
            Story empty;
            empty.text = u"\r";
            ParagraphEntry mark;
            mark.end = 1;
            mark.format.Edit().style = header_ ? "Header" : "Footer";
            empty.paragraphs.push_back(mark);
            empty.runs.push_back(RunSpan{0, 1, {}});
            model.stories.push_back(std::move(empty));
            story = static_cast<int>(model.stories.size()) - 1;
        }
        const int32_t length = static_cast<int32_t>(doc.story(story).text.size());
        ReturnObject(result, NewRange(document_, LiveRange{story, 0, length}));
    }

private:
    int section_;
    bool header_;
    int kind_;
};

class HeadersFootersObject : public DocumentBound {
public:
    HeadersFootersObject(std::shared_ptr<DocumentState> document, int section, bool header)
        : DocumentBound(WordObject::HeadersFooters, std::move(document)), section_(section), header_(header) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        if (member != WordMember::HeadersFootersItem)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        Doc();
        const int32_t kind = args.Int(0);
        if (kind < kHeaderFooterPrimary || kind > kHeaderFooterEvenPages)
            ThrowDocumentError("The requested member of the collection does not exist (headers and footers are 1 "
                               "primary, 2 first page, 3 even pages).");
        ReturnObject(result, new HeaderFooterObject(document_, section_, header_, kind));
    }

private:
    int section_;
    bool header_;
};

class SectionObject : public DocumentBound {
public:
    SectionObject(std::shared_ptr<DocumentState> document, int section)
        : DocumentBound(WordObject::Section, std::move(document)), section_(section) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        Doc();
        switch (member) {
        case WordMember::SectionHeaders:
            ReturnObject(result, new HeadersFootersObject(document_, section_, true));
            return;
        case WordMember::SectionFooters:
            ReturnObject(result, new HeadersFootersObject(document_, section_, false));
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    int section_;
};

class SectionsObject : public RangeBound {
public:
    SectionsObject(std::shared_ptr<DocumentState> document, LiveRange range)
        : RangeBound(WordObject::Sections, std::move(document), range) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        if (member != WordMember::SectionsItem)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        DocumentState& doc = Doc();
        const int32_t index = args.Int(0);
        // The sections the range touches; a header or footer range belongs to the first section.
        int first = 0;
        int last = 0;
        if (range_.story == kMainStory) {
            const Story& story = doc.story(kMainStory);
            first = story.paragraphs[ParagraphIndexAt(story, range_.start)].section;
            last = story.paragraphs[ParagraphIndexAt(story, std::max(range_.start, range_.end - 1))].section;
        }
        if (index < 1 || index > last - first + 1)
            ThrowDocumentError("The requested member of the collection does not exist.");
        ReturnObject(result, new SectionObject(document_, first + index - 1));
    }
};

} // namespace

IDispatch* NewSections(std::shared_ptr<DocumentState> document, LiveRange range) {
    return new SectionsObject(std::move(document), range);
}
