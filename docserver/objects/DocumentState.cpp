#include "DocumentState.h"

#include "docserver/model/Numbering.h"
#include "docserver/model/StoryEdit.h"
#include "docserver/objects/ServerObject.h"

#include <algorithm>

DocumentState::DocumentState(Document model, std::string fullName, std::weak_ptr<ApplicationState> application)
    : model_(std::move(model)), fullName_(std::move(fullName)), application_(std::move(application)) {}

Story& DocumentState::story(int index) {
    if (index < 0 || static_cast<size_t>(index) >= model_.stories.size())
        ThrowDocumentError("The range belongs to a part of the document that no longer exists.");
    return model_.stories[static_cast<size_t>(index)];
}

void DocumentState::Close() {
    closed_ = true;
    model_ = Document{};
    bookmarkListing = BookmarkListing{};
    listVersion_.clear();
    lists_.clear();
}

void DocumentState::CheckOpen() const {
    if (closed_)
        ThrowDocumentError("The document has been closed; this object is no longer available.");
}

int32_t DocumentState::Insert(int storyIndex, int32_t position, const Fragment& fragment,
                              bool intoRangesStartingThere) {
    Story& target = story(storyIndex);
    position = std::clamp(position, 0, static_cast<int32_t>(target.text.size()) - 1);
    const int32_t length = InsertFragment(model_, storyIndex, position, fragment);
    for (LiveRange* range : ranges_)
        if (range->story == storyIndex) {
            const bool collapsed = range->start == range->end;
            if (intoRangesStartingThere && !collapsed && range->start == position) {
                range->end += length;
                continue;
            }
            range->start = StartAfterInsert(range->start, position, length);
            range->end =
                collapsed ? range->start : std::max(range->start, EndAfterInsert(range->end, position, length));
        }
    Changed();
    return length;
}

void DocumentState::AppendParagraph(int storyIndex) {
    Story& target = story(storyIndex);
    const int32_t finalMark = static_cast<int32_t>(target.text.size()) - 1;
    Fragment mark;
    mark.story.text = std::u16string(1, kParagraphMark);
    const ParagraphEntry& last = target.paragraphs.back();
    mark.story.paragraphs.push_back(ParagraphEntry{1, last.format, last.section});
    mark.story.runs.push_back(RunSpan{0, 1, last.format->markFormat});
    // The ranges are moved here, not by Insert's rule: Word puts the new mark inside the last paragraph's range.
    std::vector<std::pair<LiveRange*, LiveRange>> before;
    for (LiveRange* range : ranges_)
        if (range->story == storyIndex)
            before.emplace_back(range, *range);
    InsertFragment(model_, storyIndex, finalMark, mark);
    for (auto& [range, old] : before) {
        if (old.start <= finalMark && finalMark < old.end) {
            range->start = old.start;
            range->end = old.end + 1;
        } else {
            range->start = StartAfterInsert(old.start, finalMark, 1);
            range->end = std::max(range->start, EndAfterInsert(old.end, finalMark, 1));
        }
    }
    Changed();
}

int32_t DocumentState::Erase(int storyIndex, int32_t start, int32_t end) {
    Story& target = story(storyIndex);
    const int32_t finalMark = static_cast<int32_t>(target.text.size()) - 1;
    start = std::clamp(start, 0, finalMark);
    end = std::clamp(end, start, finalMark); // the final mark is never removed
    if (end == start)
        return end;
    const size_t paragraphsBefore = target.paragraphs.size();
    EraseText(target, start, end);
    // A story whose paragraphs were all cut away starts afresh, as a new document would; replacing the text of a
    // lone paragraph keeps its formatting.
    if (target.text.size() == 1 && paragraphsBefore > 1) {
        target.paragraphs.back().format = SharedFormat<ParagraphFormat>();
        target.runs.assign(1, RunSpan{0, 1, {}});
    }
    for (LiveRange* range : ranges_)
        if (range->story == storyIndex) {
            range->start = PositionAfterErase(range->start, start, end);
            range->end = PositionAfterErase(range->end, start, end);
        }
    Changed();
    return end;
}

const StoryLists& DocumentState::Lists(int storyIndex) {
    const Story& target = story(storyIndex);
    const size_t slot = static_cast<size_t>(storyIndex);
    if (lists_.size() <= slot) {
        lists_.resize(slot + 1);
        listVersion_.resize(slot + 1, ~uint64_t{0});
    }
    if (listVersion_[slot] != version_) {
        lists_[slot] = ComputeStoryLists(model_, target);
        listVersion_[slot] = version_;
    }
    return lists_[slot];
}
