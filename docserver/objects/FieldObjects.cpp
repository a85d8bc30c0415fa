// Fields and footnotes: a story's fields with their codes and kinds, and the notes with their text and marks.
#include "docserver/objects/ServerObjects.h"

#include "automation/HResult.h"

#include <algorithm>

namespace {

std::u16string UpperAscii(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

// Word's WdFieldType of an instruction, by its first word; -1 (wdFieldEmpty) for one without a keyword.
int32_t FieldTypeOf(const std::u16string& instruction) {
    const size_t first = instruction.find_first_not_of(u" \t");
    if (first == std::u16string::npos)
        return -1;
    const size_t last = instruction.find_first_of(u" \t\\\"", first);
    const std::u16string keyword = UpperAscii(instruction.substr(first, last - first));
    static const std::pair<const char16_t*, int32_t> kTypes[] = {
        {u"REF", 3},    {u"XE", 4},        {u"FOOTNOTEREF", 5}, {u"SET", 6},  {u"IF", 7},        {u"INDEX", 8},
        {u"TC", 9},     {u"STYLEREF", 10}, {u"RD", 11},         {u"SEQ", 12}, {u"TOC", 13},      {u"INFO", 14},
        {u"TITLE", 15}, {u"PAGE", 33},     {u"PAGEREF", 37},    {u"TA", 40},  {u"HYPERLINK", 88}};
    for (const auto& [name, type] : kTypes)
        if (keyword == name)
            return type;
    // Any other word is a field Word knows by a number this server need not tell apart.
    return keyword.empty() ? -1 : 0;
}

// The code of a field as Word hands it out: a range at the field whose text is the instruction.
class FieldCodeObject : public RangeObject {
public:
    FieldCodeObject(std::shared_ptr<DocumentState> document, LiveRange range, std::u16string instruction)
        : RangeObject(std::move(document), range), instruction_(std::move(instruction)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        if (member == WordMember::RangeText) {
            Doc();
            ReturnText(result, instruction_);
            return;
        }
        if (member == WordMember::RangeSetText || member == WordMember::RangeCut || member == WordMember::RangePaste)
            ThrowDocumentError("A field's code cannot be edited through this range.");
        RangeObject::Call(member, args, result);
    }

private:
    std::u16string instruction_;
};

class FieldObject : public DocumentBound {
public:
    FieldObject(std::shared_ptr<DocumentState> document, int story, FieldSpan field, size_t hint)
        : DocumentBound(WordObject::Field, std::move(document)), story_(story), field_(std::move(field)), hint_(hint) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        DocumentState& doc = Doc();
        auto& fields = doc.story(story_).fields;
        auto same = [&](const FieldSpan& field) {
            return field.start == field_.start && field.end == field_.end && field.instruction == field_.instruction;
        };
        // Where the field stood when this object was made, unless an edit has moved it since.
        auto found = hint_ < fields.size() && same(fields[hint_]) ? fields.begin() + static_cast<ptrdiff_t>(hint_)
                                                                  : std::find_if(fields.begin(), fields.end(), same);
        if (found == fields.end())
            ThrowDocumentError("The field no longer exists in the document.");
        switch (member) {
        case WordMember::FieldCode:
            ReturnObject(result, new FieldCodeObject(document_, LiveRange{story_, found->start, found->start},
                                                     found->instruction));
            return;
        case WordMember::FieldType:
            ReturnInt(result, FieldTypeOf(found->instruction));
            return;
        case WordMember::FieldDelete: {
            // The field goes with what it shows; a field nested in its result goes with it.
            const FieldSpan field = *found;
            fields.erase(found);
            if (field.end > field.start)
                doc.Erase(story_, field.start, field.end);
            doc.Changed();
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    int story_;
    FieldSpan field_;
    size_t hint_;
};

// The fields of a story in the order their codes start, or those lying within a range of it.
class FieldsObject : public DocumentBound {
public:
    FieldsObject(std::shared_ptr<DocumentState> document, LiveRange range, bool wholeStory)
        : DocumentBound(WordObject::Fields, std::move(document)), range_(range), wholeStory_(wholeStory) {
        document_->Register(&range_);
    }
    ~FieldsObject() override { document_->Unregister(&range_); }

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        const std::vector<size_t>& fields = Fields(doc);
        switch (member) {
        case WordMember::FieldsCount:
            ReturnInt(result, static_cast<int32_t>(fields.size()));
            return;
        case WordMember::FieldsItem: {
            const int32_t index = args.Int(0);
            if (index < 1 || index > static_cast<int32_t>(fields.size()))
                ThrowDocumentError("The requested member of the collection does not exist.");
            const size_t at = fields[static_cast<size_t>(index - 1)];
            ReturnObject(result, new FieldObject(document_, range_.story, doc.story(range_.story).fields[at], at));
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    // The listed fields as indexes into the story's, kept until the document changes: callers ask for the items
    // one by one, and a document's contents alone can hold thousands of fields.
    const std::vector<size_t>& Fields(DocumentState& doc) {
        const auto& all = doc.story(range_.story).fields;
        if (version_ == doc.Version() && listedFrom_ == all.data() && listedSize_ == all.size() &&
            listedRange_.start == range_.start && listedRange_.end == range_.end)
            return listed_;
        listed_.clear();
        for (size_t i = 0; i < all.size(); ++i)
            if (wholeStory_ || (all[i].start >= range_.start && all[i].end <= range_.end))
                listed_.push_back(i);
        // A field is listed when it closes, so an outer field follows the fields nested in it; Word counts by start.
        std::stable_sort(listed_.begin(), listed_.end(),
                         [&](size_t a, size_t b) { return all[a].start < all[b].start; });
        version_ = doc.Version();
        listedFrom_ = all.data();
        listedSize_ = all.size();
        listedRange_ = range_;
        return listed_;
    }

    LiveRange range_;
    bool wholeStory_;
    std::vector<size_t> listed_;
    uint64_t version_ = ~uint64_t{0};
    const FieldSpan* listedFrom_ = nullptr;
    size_t listedSize_ = 0;
    LiveRange listedRange_;
};

// A footnote or an endnote: both answer the same members.
class NoteObject : public DocumentBound {
public:
    NoteObject(std::shared_ptr<DocumentState> document, int story, bool endnote)
        : DocumentBound(endnote ? WordObject::Endnote : WordObject::Footnote, std::move(document)), story_(story) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        DocumentState& doc = Doc();
        const auto& notes = doc.story(kMainStory).notes;
        const auto note =
            std::find_if(notes.begin(), notes.end(), [&](const NoteSpan& n) { return n.story == story_; });
        if (note == notes.end())
            ThrowDocumentError("The note no longer exists in the document.");
        switch (member) {
        case WordMember::FootnoteRange:
        case WordMember::EndnoteRange: {
            // The note's text, without the mark that closes its story.
            const auto length = static_cast<int32_t>(doc.story(story_).text.size());
            ReturnObject(result, NewRange(document_, LiveRange{story_, 0, std::max(0, length - 1)}));
            return;
        }
        case WordMember::FootnoteReference:
        case WordMember::EndnoteReference:
            ReturnObject(result, NewRange(document_, LiveRange{kMainStory, note->start, note->end}));
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    int story_;
};

// The main text's footnotes, or its endnotes, in the order of their marks.
class NotesObject : public DocumentBound {
public:
    NotesObject(std::shared_ptr<DocumentState> document, bool endnotes)
        : DocumentBound(endnotes ? WordObject::Endnotes : WordObject::Footnotes, std::move(document)),
          endnotes_(endnotes) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        std::vector<int> stories;
        for (const NoteSpan& note : doc.story(kMainStory).notes)
            if (note.endnote == endnotes_ && note.story >= 0)
                stories.push_back(note.story);
        switch (member) {
        case WordMember::FootnotesCount:
        case WordMember::EndnotesCount:
            ReturnInt(result, static_cast<int32_t>(stories.size()));
            return;
        case WordMember::FootnotesItem:
        case WordMember::EndnotesItem: {
            const int32_t index = args.Int(0);
            if (index < 1 || index > static_cast<int32_t>(stories.size()))
                ThrowDocumentError("The requested member of the collection does not exist.");
            ReturnObject(result, new NoteObject(document_, stories[static_cast<size_t>(index - 1)], endnotes_));
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    bool endnotes_;
};

} // namespace

IDispatch* NewFields(std::shared_ptr<DocumentState> document, const LiveRange* range) {
    if (!range)
        return new FieldsObject(std::move(document), LiveRange{kMainStory, 0, 0}, true);
    return new FieldsObject(std::move(document), *range, false);
}

IDispatch* NewNotes(std::shared_ptr<DocumentState> document, bool endnotes) {
    return new NotesObject(std::move(document), endnotes);
}
