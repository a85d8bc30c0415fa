// Inline shapes: adding a horizontal line and setting its width.
#include "docserver/objects/ServerObjects.h"

#include "automation/HResult.h"

#include <algorithm>

namespace {

PictureSpan* PictureAt(DocumentState& doc, const LiveRange& where) {
    for (PictureSpan& picture : doc.story(where.story).pictures)
        if (!picture.anchored && picture.start == where.start)
            return &picture;
    return nullptr;
}

class HorizontalLineFormatObject : public RangeBound {
public:
    HorizontalLineFormatObject(std::shared_ptr<DocumentState> document, LiveRange shape)
        : RangeBound(WordObject::HorizontalLineFormat, std::move(document), shape) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT*) override {
        if (member != WordMember::HorizontalLineFormatPercentWidth)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        const float percent = args.Float(0);
        PictureSpan* picture = PictureAt(Doc(), range_);
        if (!picture || !picture->horizontalLine)
            ThrowDocumentError("The horizontal line no longer exists in the document.");
        if (percent < 1 || percent > 100)
            ThrowDocumentError("Value out of range: the width of a horizontal line lies between 1 and 100 percent.");
        picture->percentWidth = percent;
        Doc().Changed();
    }
};

class InlineShapeObject : public RangeBound {
public:
    InlineShapeObject(std::shared_ptr<DocumentState> document, LiveRange shape)
        : RangeBound(WordObject::InlineShape, std::move(document), shape) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        if (member != WordMember::InlineShapeHorizontalLineFormat)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        PictureSpan* picture = PictureAt(Doc(), range_);
        if (!picture)
            ThrowDocumentError("The shape no longer exists in the document.");
        if (!picture->horizontalLine)
            ThrowDocumentError("This shape is not a horizontal line.");
        ReturnObject(result, new HorizontalLineFormatObject(document_, range_));
    }
};

class InlineShapesObject : public RangeBound {
public:
    InlineShapesObject(std::shared_ptr<DocumentState> document, LiveRange range)
        : RangeBound(WordObject::InlineShapes, std::move(document), range) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        if (member != WordMember::InlineShapesAddHorizontalLineStandard)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        DocumentState& doc = Doc();
        LiveRange where = range_;
        if (const VARIANT* given = args.At(0)) {
            RangeBound* anchor = given->vt == VT_DISPATCH ? ServerObjectCast<RangeBound>(given->pdispVal) : nullptr;
            if (!anchor || &anchor->document() != &doc)
                throw ServerError{DISP_E_TYPEMISMATCH, "", 0};
            where = anchor->range();
        }
        // The line is one picture character at the start of the range.
        Fragment line;
        line.story.text = std::u16string(1, kPictureChar);
        line.story.runs.push_back(RunSpan{0, 1, RunFormat{}});
        PictureSpan picture;
        picture.start = 0;
        picture.end = 1;
        picture.horizontalLine = true;
        line.story.pictures.push_back(picture);
        doc.Insert(where.story, where.start, line, true);
        ReturnObject(result, new InlineShapeObject(document_, LiveRange{where.story, where.start, where.start + 1}));
    }
};

} // namespace

IDispatch* NewInlineShapes(std::shared_ptr<DocumentState> document, LiveRange range) {
    return new InlineShapesObject(std::move(document), range);
}
