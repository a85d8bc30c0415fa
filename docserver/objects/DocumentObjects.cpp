// Document and the objects hanging from it: web options, styles and their fonts, bookmarks.
#include "docserver/objects/ServerObjects.h"

#include "docserver/html/HtmlExport.h"
#include "docserver/html/PictureExport.h"
#include "docserver/model/StoryEdit.h"
#include "docserver/model/StyleSheet.h"
#include "docserver/package/XmlPart.h"

#include "automation/HResult.h"
#include "automation/ServerWarnings.h"
#include "automation/WordConventions.h"
#include "base/CodePageText.h"
#include "base/Text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kDefaultPageCodePage = 936;

class DocumentObject : public DocumentBound {
public:
    explicit DocumentObject(std::shared_ptr<DocumentState> document)
        : DocumentBound(WordObject::Document, std::move(document)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        switch (member) {
        case WordMember::DocumentBookmarks:
            ReturnObject(result, NewBookmarks(document_));
            return;
        case WordMember::DocumentParagraphs:
            ReturnObject(result, NewParagraphs(document_));
            return;
        case WordMember::DocumentStyles:
            ReturnObject(result, NewStyles(document_));
            return;
        case WordMember::DocumentHyperlinks:
            ReturnObject(result, NewHyperlinks(document_, nullptr));
            return;
        case WordMember::DocumentListParagraphs:
            ReturnObject(result, NewListParagraphs(document_));
            return;
        case WordMember::DocumentWebOptions:
            ReturnObject(result, NewWebOptions(document_));
            return;
        case WordMember::DocumentFields:
            ReturnObject(result, NewFields(document_, nullptr));
            return;
        case WordMember::DocumentFootnotes:
            ReturnObject(result, NewNotes(document_, false));
            return;
        case WordMember::DocumentEndnotes:
            ReturnObject(result, NewNotes(document_, true));
            return;
        case WordMember::DocumentSaveAs:
            SaveAs(args);
            return;
        case WordMember::DocumentClose:
            Close(doc);
            return;
        case WordMember::DocumentRange: {
            const int32_t length = static_cast<int32_t>(doc.story(kMainStory).text.size());
            const int32_t start = args.OptionalInt(0).value_or(0);
            const int32_t end = args.OptionalInt(1).value_or(length);
            if (start < 0 || end < 0 || start > length || end > length)
                ThrowDocumentError("Value out of range: the document has " + std::to_string(length) +
                                   " characters, the range asked for is " + std::to_string(start) + " to " +
                                   std::to_string(end) + ".");
            ReturnObject(result,
                         NewRange(document_, LiveRange{kMainStory, std::min(start, end), std::max(start, end)}));
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    void SaveAs(const Arguments& args) {
        const std::optional<int32_t> format = args.OptionalInt(1);
        if (format && *format != kFilteredHtmlFormat)
            ThrowDocumentError("This document server saves only as filtered HTML (file format 10); format " +
                               std::to_string(*format) + " was asked for.");
        const std::optional<std::u16string> fileName = args.OptionalText(0);
        if (!fileName || fileName->empty())
            ThrowDocumentError("SaveAs needs a file name for the page.");
        // Encoding is a Windows code page (Word's msoEncoding values); without it the page is in the code page of
        // the Chinese systems this server stands in for.
        const int32_t encoding = args.OptionalInt(11).value_or(kDefaultPageCodePage);
        if (!IsHelpCodePage(static_cast<uint32_t>(encoding)))
            ThrowDocumentError("This document server saves pages in the code pages 1250-1254, 1257, 932, 936, 949 "
                               "and 950; encoding " +
                               std::to_string(encoding) + " was asked for.");
        DocumentState& doc = Doc();
        MetafileCache* metafiles = nullptr;
        if (auto application = doc.application()) {
            // The pages of a document are cut from the document that is open beside them: one converter run
            // serves the metafiles of all of them.
            MetafileCache& cache = application->metafiles;
            std::vector<MetafileInput> needed = MetafilesOf(doc.model());
            if (std::any_of(needed.begin(), needed.end(),
                            [&](const MetafileInput& input) { return !cache.Find(*input.bytes); })) {
                for (const auto& other : application->documents)
                    if (other && !other->closed() && other.get() != &doc) {
                        std::vector<MetafileInput> more = MetafilesOf(other->model());
                        needed.insert(needed.end(), more.begin(), more.end());
                    }
                cache.Prepare(needed);
            }
            metafiles = &cache;
        }
        HtmlSaveResult saved = SaveDocumentAsHtml(doc.model(), std::filesystem::path(*fileName),
                                                  static_cast<uint32_t>(encoding), metafiles);
        auto& warnings = doc.model().warnings;
        warnings.insert(warnings.end(), saved.warnings.begin(), saved.warnings.end());
        for (const std::string& warning : saved.warnings)
            AddServerWarning(warning);
        if (!saved.status.ok())
            ThrowDocumentError(saved.status.message);
    }

    void Close(DocumentState& doc) {
        doc.Close(); // never saved: the source stays as it was
        if (auto application = doc.application())
            std::erase(application->documents, document_);
    }
};

class WebOptionsObject : public DocumentBound {
public:
    explicit WebOptionsObject(std::shared_ptr<DocumentState> document)
        : DocumentBound(WordObject::WebOptions, std::move(document)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT*) override {
        if (member != WordMember::WebOptionsAllowPNG)
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        Doc().model().allowPng = args.Bool(0);
    }
};

// Word shows built-in style names capitalised ("heading 1" is "Heading 1").
std::u16string DisplayName(const std::string& name) {
    std::u16string display = Utf8ToUtf16(name);
    if (!display.empty() && display[0] >= u'a' && display[0] <= u'z')
        display[0] = static_cast<char16_t>(display[0] - u'a' + u'A');
    return display;
}

class FontObject : public DocumentBound {
public:
    FontObject(std::shared_ptr<DocumentState> document, LiveRange range)
        : DocumentBound(WordObject::Font, std::move(document)), range_(range), ofRange_(true) {
        document_->Register(&range_);
    }
    FontObject(std::shared_ptr<DocumentState> document, std::string styleId)
        : DocumentBound(WordObject::Font, std::move(document)), styleId_(std::move(styleId)) {}
    ~FontObject() override {
        if (ofRange_)
            document_->Unregister(&range_);
    }

protected:
    void Call(WordMember member, const Arguments& args, VARIANT*) override {
        switch (member) {
        case WordMember::FontUnderline: {
            const int32_t underline = args.Int(0);
            Apply([&](RunFormat& format) { format.underline = static_cast<int8_t>(std::clamp(underline, 0, 100)); });
            return;
        }
        case WordMember::FontSize: {
            const float points = args.Float(0);
            if (points < 1 || points > 1638)
                ThrowDocumentError("Value out of range: a font size lies between 1 and 1638 points.");
            Apply([&](RunFormat& format) { format.sizeHalfPoints = static_cast<int32_t>(std::lround(points * 2)); });
            return;
        }
        case WordMember::FontColor: {
            const int32_t color = args.Int(0);
            Apply([&](RunFormat& format) { format.color = color < 0 ? -1 : (color & 0xFFFFFF); });
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    template <typename Change> void Apply(Change change) {
        DocumentState& doc = Doc();
        if (ofRange_) {
            ChangeRunFormat(doc.story(range_.story), range_.start, range_.end, change);
        } else {
            auto style = std::find_if(doc.model().styles.begin(), doc.model().styles.end(),
                                      [&](const Style& s) { return s.id == styleId_; });
            if (style == doc.model().styles.end())
                ThrowDocumentError("The style no longer exists.");
            change(style->run);
            change(style->runChanges);
        }
        doc.Changed();
    }
    LiveRange range_;
    bool ofRange_ = false;
    std::string styleId_;
};

class StyleObject : public DocumentBound {
public:
    StyleObject(std::shared_ptr<DocumentState> document, std::string id)
        : DocumentBound(WordObject::Style, std::move(document)), id_(std::move(id)) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        const Style* style = FindStyle(Doc().model(), id_);
        if (!style)
            ThrowDocumentError("The style no longer exists.");
        switch (member) {
        case WordMember::StyleNameLocal:
            ReturnText(result, DisplayName(style->name));
            return;
        case WordMember::StyleFont:
            ReturnObject(result, NewStyleFont(document_, id_));
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    std::string id_;
};

class StylesObject : public DocumentBound {
public:
    explicit StylesObject(std::shared_ptr<DocumentState> document)
        : DocumentBound(WordObject::Styles, std::move(document)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        const std::vector<Style>& styles = Doc().model().styles;
        switch (member) {
        case WordMember::StylesCount:
            ReturnInt(result, static_cast<int32_t>(styles.size()));
            return;
        case WordMember::StylesItem: {
            if (const auto name = TextIndex(args)) {
                for (const Style& style : styles)
                    if (DisplayName(style.name) == *name || Utf8ToUtf16(style.name) == *name)
                        return ReturnObject(result, new StyleObject(document_, style.id));
                ThrowDocumentError("The requested member of the collection does not exist.");
            }
            const int32_t index = args.Int(0);
            if (index < 1 || index > static_cast<int32_t>(styles.size()))
                ThrowDocumentError("The requested member of the collection does not exist.");
            ReturnObject(result, new StyleObject(document_, styles[static_cast<size_t>(index - 1)].id));
            return;
        }
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

    static std::optional<std::u16string> TextIndex(const Arguments& args) {
        const VARIANT* index = args.At(0);
        if (index && (index->vt & VT_TYPEMASK) == VT_BSTR)
            return args.Text(0);
        return std::nullopt;
    }
};

// The bookmarks Word lists: sorted by name, hidden ones ("_Toc…", "_GoBack") only while ShowHidden is on.
// Kept until the document or the setting changes: the link fix-up asks for items one by one, thousands of times.
const std::vector<const BookmarkSpan*>& VisibleBookmarks(DocumentState& doc) {
    DocumentState::BookmarkListing& cache = doc.bookmarkListing;
    const auto& bookmarks = doc.story(kMainStory).bookmarks;
    if (cache.version == doc.Version() && cache.showHidden == doc.showHiddenBookmarks &&
        cache.data == bookmarks.data() && cache.size == bookmarks.size())
        return cache.list;
    cache =
        DocumentState::BookmarkListing{doc.Version(), doc.showHiddenBookmarks, bookmarks.data(), bookmarks.size(), {}};
    for (const BookmarkSpan& bookmark : bookmarks)
        if (doc.showHiddenBookmarks || bookmark.name.empty() || bookmark.name[0] != u'_')
            cache.list.push_back(&bookmark);
    std::stable_sort(cache.list.begin(), cache.list.end(),
                     [](const BookmarkSpan* a, const BookmarkSpan* b) { return a->name < b->name; });
    return cache.list;
}

class BookmarkObject : public DocumentBound {
public:
    BookmarkObject(std::shared_ptr<DocumentState> document, std::u16string name, size_t hint = 0)
        : DocumentBound(WordObject::Bookmark, std::move(document)), name_(std::move(name)), hint_(hint) {}

protected:
    void Call(WordMember member, const Arguments&, VARIANT* result) override {
        DocumentState& doc = Doc();
        const auto& bookmarks = doc.story(kMainStory).bookmarks;
        // Where the bookmark stood when this object was made, unless an edit has moved it since.
        auto found =
            hint_ < bookmarks.size() && bookmarks[hint_].name == name_ ? bookmarks.begin() + hint_ : bookmarks.end();
        if (found == bookmarks.end())
            found = std::find_if(bookmarks.begin(), bookmarks.end(),
                                 [&](const BookmarkSpan& bookmark) { return bookmark.name == name_; });
        if (found == bookmarks.end())
            ThrowDocumentError("The bookmark \"" + Utf16ToUtf8(name_) + "\" no longer exists.");
        switch (member) {
        case WordMember::BookmarkName:
            ReturnText(result, found->name);
            return;
        case WordMember::BookmarkRange:
            ReturnObject(result, NewRange(document_, LiveRange{kMainStory, found->start, found->end}));
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    std::u16string name_;
    size_t hint_;
};

class BookmarksObject : public DocumentBound {
public:
    explicit BookmarksObject(std::shared_ptr<DocumentState> document)
        : DocumentBound(WordObject::Bookmarks, std::move(document)) {}

protected:
    void Call(WordMember member, const Arguments& args, VARIANT* result) override {
        DocumentState& doc = Doc();
        switch (member) {
        case WordMember::BookmarksShowHidden:
            doc.showHiddenBookmarks = args.Bool(0);
            return;
        case WordMember::BookmarksCount:
            ReturnInt(result, static_cast<int32_t>(VisibleBookmarks(doc).size()));
            return;
        case WordMember::BookmarksItem: {
            const auto& list = VisibleBookmarks(doc);
            const VARIANT* index = args.At(0);
            if (index && (index->vt & VT_TYPEMASK) == VT_BSTR) {
                const std::u16string name = args.Text(0);
                for (const BookmarkSpan& bookmark : doc.story(kMainStory).bookmarks)
                    if (bookmark.name == name)
                        return ReturnObject(result, new BookmarkObject(document_, name));
                ThrowDocumentError("The requested member of the collection does not exist.");
            }
            const int32_t number = args.Int(0);
            if (number < 1 || number > static_cast<int32_t>(list.size()))
                ThrowDocumentError("The requested member of the collection does not exist.");
            const BookmarkSpan* bookmark = list[static_cast<size_t>(number - 1)];
            ReturnObject(result,
                         new BookmarkObject(document_, bookmark->name,
                                            static_cast<size_t>(bookmark - doc.story(kMainStory).bookmarks.data())));
            return;
        }
        case WordMember::BookmarksAdd:
            ReturnObject(result, Add(doc, args));
            return;
        default:
            throw ServerError{DISP_E_MEMBERNOTFOUND, ""};
        }
    }

private:
    // A bookmark of the same name moves to the new place, as in Word.
    IDispatch* Add(DocumentState& doc, const Arguments& args) {
        const std::u16string name = args.Text(0);
        RangeBound* range = ServerObjectCast<RangeBound>(args.Object(1));
        if (!range || range->kind() != WordObject::Range)
            throw ServerError{DISP_E_TYPEMISMATCH, "", 1};
        if (&range->document() != &doc)
            ThrowDocumentError("A bookmark must mark a range of its own document.");
        if (name.empty() || name.size() > kMaxBookmarkName ||
            std::any_of(name.begin(), name.end(), [](char16_t c) { return c <= u' ' || c == u'-' || c == u'.'; }))
            ThrowDocumentError("The bookmark name \"" + Utf16ToUtf8(name) + "\" is not valid.");
        if (range->range().story != kMainStory)
            ThrowDocumentError("Bookmarks can only mark the main text of the document.");
        auto& bookmarks = doc.story(kMainStory).bookmarks;
        std::erase_if(bookmarks, [&](const BookmarkSpan& bookmark) { return bookmark.name == name; });
        BookmarkSpan bookmark{range->range().start, range->range().end, name};
        const auto at =
            std::upper_bound(bookmarks.begin(), bookmarks.end(), bookmark,
                             [](const BookmarkSpan& a, const BookmarkSpan& b) { return a.start < b.start; });
        const auto index = static_cast<size_t>(bookmarks.insert(at, std::move(bookmark)) - bookmarks.begin());
        doc.Changed();
        return new BookmarkObject(document_, name, index);
    }

    static constexpr size_t kMaxBookmarkName = 40;
};

} // namespace

IDispatch* NewDocument(std::shared_ptr<DocumentState> document) {
    return new DocumentObject(std::move(document));
}
IDispatch* NewWebOptions(std::shared_ptr<DocumentState> document) {
    return new WebOptionsObject(std::move(document));
}
IDispatch* NewStyles(std::shared_ptr<DocumentState> document) {
    return new StylesObject(std::move(document));
}
IDispatch* NewBookmarks(std::shared_ptr<DocumentState> document) {
    return new BookmarksObject(std::move(document));
}
IDispatch* NewRangeFont(std::shared_ptr<DocumentState> document, LiveRange range) {
    return new FontObject(std::move(document), range);
}
IDispatch* NewStyleFont(std::shared_ptr<DocumentState> document, const std::string& styleId) {
    return new FontObject(std::move(document), styleId);
}
