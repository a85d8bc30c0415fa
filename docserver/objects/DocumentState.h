#pragma once
// One open document inside the server: the model, the live ranges that move with its edits, and the answers
// that are worth keeping until the next edit (list numbers).

#include "docserver/html/MetafileConverter.h"
#include "docserver/model/DocumentModel.h"
#include "docserver/model/Fragment.h"
#include "docserver/model/Numbering.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

struct ApplicationState;

// A range that follows edits, as Word's Range objects do. Registered with its document while it lives.
struct LiveRange {
    int story = kMainStory;
    int32_t start = 0;
    int32_t end = 0;
};

class DocumentState {
public:
    DocumentState(Document model, std::string fullName, std::weak_ptr<ApplicationState> application);

    Document& model() { return model_; }
    const Document& model() const { return model_; }
    Story& story(int index);
    const std::string& fullName() const { return fullName_; }
    std::shared_ptr<ApplicationState> application() const { return application_.lock(); }

    bool closed() const { return closed_; }
    // Objects of a closed document may outlive it (a client that never releases them, as Word's own clients may
    // not); they only ever fail from now on, so the model's memory goes now rather than with the last of them.
    void Close();
    // Raises Word's error for a call on a closed document.
    void CheckOpen() const;

    bool showHiddenBookmarks = false;

    void Register(LiveRange* range) { ranges_.insert(range); }
    void Unregister(LiveRange* range) { ranges_.erase(range); }

    // The edits. Each keeps the final paragraph mark of the story and moves every live range.
    // Inserts at position; returns the length inserted. A range starting at position moves after the insertion,
    // unless intoRangesStartingThere: then it takes it in (a shape added to a range belongs to that range).
    int32_t Insert(int story, int32_t position, const Fragment& fragment, bool intoRangesStartingThere = false);
    // Paragraphs.Add: a new mark just before the final one; every range that holds the final mark grows over it.
    void AppendParagraph(int story);
    // Removes [start, end) except a final paragraph mark; returns the end actually removed.
    int32_t Erase(int story, int32_t start, int32_t end);

    // List number text of every paragraph of a story, computed after each edit when first asked.
    const std::vector<std::u16string>& ListStrings(int story) { return Lists(story).strings; }
    const StoryLists& Lists(int story);
    void Changed() { ++version_; }
    uint64_t Version() const { return version_; }

    // The bookmarks as Word lists them, kept with the version they were listed at (see VisibleBookmarks).
    struct BookmarkListing {
        uint64_t version = ~uint64_t{0};
        bool showHidden = false;
        const BookmarkSpan* data = nullptr;
        size_t size = 0;
        std::vector<const BookmarkSpan*> list;
    } bookmarkListing;

private:
    Document model_;
    std::string fullName_;
    std::weak_ptr<ApplicationState> application_;
    bool closed_ = false;
    std::set<LiveRange*> ranges_;
    uint64_t version_ = 0;
    std::vector<uint64_t> listVersion_;
    std::vector<StoryLists> lists_;
};

// The application: its open documents and the clipboard its ranges share.
struct ApplicationState {
    std::vector<std::shared_ptr<DocumentState>> documents;
    bool hasClipboard = false;
    Fragment clipboard;
    bool visible = false;
    MetafileCache metafiles; // converted once for every page that shows them
};
