// Hyperlinks: the document's or a range's, one link, and adding one.
#include "docserver/objects/ServerObjects.h"

#include "docserver/model/StoryEdit.h"
#include "docserver/model/StyleSheet.h"

#include "automation/HResult.h"

#include <algorithm>

namespace {

class HyperlinkObject : public DocumentBound {
public:
    HyperlinkObject(std::shared_ptr<DocumentState> document, int story, uint32_t id)
        : DocumentBound(WordObject::Hyperlink, std::move(document)), story_(story), id_(id) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        auto& links = doc.story(story_).links;
        const auto link = std::find_if(links.begin(), links.end(), [&](const LinkSpan& l) { return l.id == id_; });
        if (link == links.end())
            ThrowDocumentError("The hyperlink no longer exists in the document.");
        switch (member) {
        // A link to a bookmark is named after the bookmark; a link to an address after the address.
        case WordMember::HyperlinkName:
            ReturnText(result, link->subAddress.empty() ? link->address : link->subAddress);
            return;
        case WordMember::HyperlinkAddress:
            ReturnText(result, link->address);
            return;
        case WordMember::HyperlinkSetAddress: {
            // The bookmark stays as the fragment: the saved page links to "2.html#_Toc123".
            std::u16string address = args.Text(0);
            if (const size_t hash = address.find(u'#'); hash != std::u16string::npos) {
                link->subAddress = address.substr(hash + 1);
                address.resize(hash);
            }
            link->address = std::move(address);
            doc.Changed();
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    int story_;
    uint32_t id_;
};

// Links in a range: those that overlap it. Without a range: every link of the main story.
class HyperlinksObject : public DocumentBound {
public:
    HyperlinksObject(std::shared_ptr<DocumentState> document, const LiveRange* range)
        : DocumentBound(WordObject::Hyperlinks, std::move(document)) {
        if (range) {
            range_ = *range;
            ofRange_ = true;
            document_->Register(&range_);
        }
    }
    ~HyperlinksObject() override {
        if (ofRange_)
            document_->Unregister(&range_);
    }

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        switch (member) {
        case WordMember::HyperlinksCount:
            ReturnInt(result, static_cast<int32_t>(Links(doc).size()));
            return;
        case WordMember::HyperlinksItem: {
            const auto links = Links(doc);
            const int32_t index = args.Int(0);
            if (index < 1 || index > static_cast<int32_t>(links.size()))
                ThrowDocumentError("The requested member of the collection does not exist.");
            ReturnObject(result, new HyperlinkObject(document_, Story(), links[static_cast<size_t>(index - 1)]->id));
            return;
        }
        case WordMember::HyperlinksAdd:
            ReturnObject(result, Add(doc, args));
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    int Story() const { return ofRange_ ? range_.story : kMainStory; }

    std::vector<const LinkSpan*> Links(DocumentState& doc) {
        std::vector<const LinkSpan*> links;
        for (const LinkSpan& link : doc.story(Story()).links)
            if (!ofRange_ || (link.start < range_.end && link.end > range_.start) ||
                (range_.start == range_.end && link.start <= range_.start && range_.start < link.end))
                links.push_back(&link);
        return links;
    }

    IDispatch* Add(DocumentState& doc, const Arguments& args) {
        RangeBound* anchor = ServerObjectCast<RangeBound>(args.Object(0));
        if (!anchor || anchor->kind() != WordObject::Range)
            throw ServerError{DISP_E_TYPEMISMATCH, "", 0};
        if (&anchor->document() != &doc)
            ThrowDocumentError("The anchor of a hyperlink must be a range of the same document.");
        std::u16string address = args.OptionalText(1).value_or(u"");
        std::u16string subAddress = args.OptionalText(2).value_or(u"");
        if (const size_t hash = address.find(u'#'); hash != std::u16string::npos) {
            if (subAddress.empty())
                subAddress = address.substr(hash + 1);
            address.resize(hash);
        }
        if (address.empty() && subAddress.empty())
            ThrowDocumentError("A hyperlink needs an address or a place in the document.");
        const LiveRange where = anchor->range();
        int32_t start = where.start;
        int32_t end = where.end;
        if (const auto display = args.OptionalText(4)) {
            doc.Erase(where.story, start, end);
            end = start + doc.Insert(where.story, start, TextFragment(doc.story(where.story), start, *display));
        }
        // A link never takes in the paragraph marks at the end of its anchor.
        const std::u16string& text = doc.story(where.story).text;
        while (end > start && (text[static_cast<size_t>(end - 1)] == kParagraphMark ||
                               text[static_cast<size_t>(end - 1)] == kPageBreak))
            --end;
        // With no text of its own to show, Word shows the address.
        if (end == start)
            end =
                start + doc.Insert(where.story, start,
                                   TextFragment(doc.story(where.story), start, address.empty() ? subAddress : address));
        ::Story& story = doc.story(where.story);
        std::erase_if(story.links, [&](const LinkSpan& link) { return link.start < end && link.end > start; });
        LinkSpan link;
        link.start = start;
        link.end = end;
        link.id = doc.model().nextLinkId++;
        link.address = std::move(address);
        link.subAddress = std::move(subAddress);
        link.screenTip = args.OptionalText(3).value_or(u"");
        const uint32_t id = link.id;
        story.links.insert(std::upper_bound(story.links.begin(), story.links.end(), link,
                                            [](const LinkSpan& a, const LinkSpan& b) { return a.start < b.start; }),
                           std::move(link));
        // Word formats the anchor with the "Hyperlink" character style.
        std::string styleId = "Hyperlink";
        for (const Style& style : doc.model().styles)
            if (style.type == "character" && (style.name == "Hyperlink" || style.name == "hyperlink"))
                styleId = style.id;
        ChangeRunFormat(story, start, end, [&](RunFormat& format) { format.characterStyle = styleId; });
        doc.Changed();
        return new HyperlinkObject(document_, where.story, id);
    }

    LiveRange range_;
    bool ofRange_ = false;
};

} // namespace

IDispatch* NewHyperlinks(std::shared_ptr<DocumentState> document, const LiveRange* range) {
    return new HyperlinksObject(std::move(document), range);
}
