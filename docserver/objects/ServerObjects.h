#pragma once
// The document server's objects, one per Word object kind of the member table. Each holds what it refers to (its
// document, a live range, a style id, a link id) and looks the thing up again on every call, so objects stay
// valid, or fail with Word's message, as the document changes.

#include "docserver/objects/DocumentState.h"
#include "docserver/objects/ServerObject.h"

#include <memory>

// Objects that belong to one document; every call first checks that the document is still open.
class DocumentBound : public ServerObject {
protected:
    DocumentBound(WordObject kind, std::shared_ptr<DocumentState> document)
        : ServerObject(kind), document_(std::move(document)) {}
    DocumentState& Doc() {
        document_->CheckOpen();
        return *document_;
    }
    std::shared_ptr<DocumentState> document_;
};

// Objects over a live range of one story.
class RangeBound : public DocumentBound {
public:
    const LiveRange& range() const { return range_; }
    DocumentState& document() { return Doc(); }

protected:
    RangeBound(WordObject kind, std::shared_ptr<DocumentState> document, LiveRange range);
    ~RangeBound() override;
    LiveRange range_;
};

class RangeObject : public RangeBound {
public:
    RangeObject(std::shared_ptr<DocumentState> document, LiveRange range)
        : RangeBound(WordObject::Range, std::move(document), range) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override;

private:
    void SetText(const std::u16string& text);
    void Cut();
    void Copy();
    void Paste();
};

// Factories: each returns a new object holding one reference for the caller.
IDispatch* NewApplication();
IDispatch* NewDocuments(std::shared_ptr<ApplicationState> application);
IDispatch* NewDocument(std::shared_ptr<DocumentState> document);
IDispatch* NewRange(std::shared_ptr<DocumentState> document, LiveRange range);
IDispatch* NewParagraphs(std::shared_ptr<DocumentState> document);
IDispatch* NewParagraph(std::shared_ptr<DocumentState> document, int story, size_t index);
IDispatch* NewListParagraphs(std::shared_ptr<DocumentState> document);
IDispatch* NewListFormat(std::shared_ptr<DocumentState> document, LiveRange range);
IDispatch* NewRangeFont(std::shared_ptr<DocumentState> document, LiveRange range);
IDispatch* NewStyleFont(std::shared_ptr<DocumentState> document, const std::string& styleId);
IDispatch* NewStyles(std::shared_ptr<DocumentState> document);
IDispatch* NewBookmarks(std::shared_ptr<DocumentState> document);
IDispatch* NewWebOptions(std::shared_ptr<DocumentState> document);
// range null: the whole main story.
IDispatch* NewHyperlinks(std::shared_ptr<DocumentState> document, const LiveRange* range);
IDispatch* NewSections(std::shared_ptr<DocumentState> document, LiveRange range);
IDispatch* NewInlineShapes(std::shared_ptr<DocumentState> document, LiveRange range);
// range null: every field of the main story; otherwise those within the range.
IDispatch* NewFields(std::shared_ptr<DocumentState> document, const LiveRange* range);
// The main text's footnotes, or its endnotes.
IDispatch* NewNotes(std::shared_ptr<DocumentState> document, bool endnotes);
