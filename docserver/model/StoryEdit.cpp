#include "StoryEdit.h"

#include <algorithm>

size_t ParagraphIndexAt(const Story& story, int32_t position) {
    const auto found = std::upper_bound(story.paragraphs.begin(), story.paragraphs.end(), position,
                                        [](int32_t p, const ParagraphEntry& entry) { return p < entry.end; });
    if (found == story.paragraphs.end())
        return story.paragraphs.empty() ? 0 : story.paragraphs.size() - 1;
    return static_cast<size_t>(found - story.paragraphs.begin());
}

namespace {

template <typename Span> void ShiftForInsert(std::vector<Span>& spans, int32_t position, int32_t length) {
    for (Span& span : spans) {
        const bool collapsed = span.start == span.end;
        span.start = StartAfterInsert(span.start, position, length);
        span.end = collapsed ? span.start : std::max(span.start, EndAfterInsert(span.end, position, length));
    }
}

template <typename Span> void AddShifted(std::vector<Span>& spans, const std::vector<Span>& added, int32_t offset) {
    for (Span span : added) {
        span.start += offset;
        span.end += offset;
        spans.push_back(std::move(span));
    }
    std::stable_sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
}

// Spans whose text is gone go with it; an empty span that was empty before stays unless its place was removed.
template <typename Span> void ShrinkForErase(std::vector<Span>& spans, int32_t start, int32_t end) {
    std::erase_if(spans, [&](Span& span) {
        const bool wasCollapsed = span.start == span.end;
        if (wasCollapsed && span.start >= start && span.start < end)
            return true;
        span.start = PositionAfterErase(span.start, start, end);
        span.end = PositionAfterErase(span.end, start, end);
        return !wasCollapsed && span.start == span.end;
    });
}

void SplitRunAt(std::vector<RunSpan>& runs, int32_t position) {
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].start < position && position < runs[i].end) {
            RunSpan tail = runs[i];
            tail.start = position;
            runs[i].end = position;
            runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
            return;
        }
}

} // namespace

void SplitRunsAt(Story& story, int32_t position) {
    SplitRunAt(story.runs, position);
}

int32_t InsertFragment(Document& document, int storyIndex, int32_t position, const Fragment& fragment) {
    Story& story = document.stories[static_cast<size_t>(storyIndex)];
    const Story& piece = fragment.story;
    const int32_t length = static_cast<int32_t>(piece.text.size());
    if (length == 0)
        return 0;
    position = std::clamp(position, 0, std::max(0, static_cast<int32_t>(story.text.size()) - 1));

    // Paragraphs: the piece's marks start paragraphs of their own; the text around them joins the paragraph the
    // piece goes into, whose mark keeps its formatting.
    const size_t target = ParagraphIndexAt(story, position);
    const int section = story.paragraphs.empty() ? 0 : story.paragraphs[target].section;
    for (size_t i = target; i < story.paragraphs.size(); ++i)
        story.paragraphs[i].end += length;
    std::vector<ParagraphEntry> added;
    for (const ParagraphEntry& entry : piece.paragraphs)
        added.push_back(ParagraphEntry{entry.end + position, entry.format, section});
    story.paragraphs.insert(story.paragraphs.begin() + static_cast<std::ptrdiff_t>(target), added.begin(), added.end());

    SplitRunAt(story.runs, position);
    for (RunSpan& run : story.runs)
        if (run.start >= position) {
            run.start += length;
            run.end += length;
        }
    std::vector<RunSpan> runs = piece.runs;
    if (runs.empty())
        runs.push_back(RunSpan{0, length, RunFormat{}});
    AddShifted(story.runs, runs, position);

    ShiftForInsert(story.links, position, length);
    ShiftForInsert(story.bookmarks, position, length);
    ShiftForInsert(story.fields, position, length);
    ShiftForInsert(story.pictures, position, length);
    ShiftForInsert(story.notes, position, length);
    ShiftForInsert(story.textBoxes, position, length);
    ShiftForInsert(story.equations, position, length);
    for (TableSpan& table : story.tables) {
        for (TableRow& row : table.rows)
            ShiftForInsert(row.cells, position, length);
        table.start = StartAfterInsert(table.start, position, length);
        table.end = std::max(table.start, EndAfterInsert(table.end, position, length));
    }

    std::vector<LinkSpan> links = piece.links;
    for (LinkSpan& link : links)
        link.id = document.nextLinkId++;
    AddShifted(story.links, links, position);
    // A pasted bookmark replaces one of the same name, as Word keeps names unique.
    for (const BookmarkSpan& bookmark : piece.bookmarks)
        std::erase_if(story.bookmarks, [&](const BookmarkSpan& own) { return own.name == bookmark.name; });
    AddShifted(story.bookmarks, piece.bookmarks, position);
    AddShifted(story.fields, piece.fields, position);
    AddShifted(story.pictures, piece.pictures, position);
    AddShifted(story.equations, piece.equations, position);
    // The stories the piece refers to become stories of the document. document.stories grows here: story was
    // taken by reference, so it is taken again afterwards.
    auto adoptStory = [&](int& index) {
        if (index >= 0 && static_cast<size_t>(index) < fragment.stories.size()) {
            document.stories.push_back(fragment.stories[static_cast<size_t>(index)]);
            index = static_cast<int>(document.stories.size()) - 1;
        } else {
            index = -1;
        }
    };
    std::vector<NoteSpan> notes = piece.notes;
    for (NoteSpan& note : notes)
        adoptStory(note.story);
    std::vector<TextBoxSpan> boxes = piece.textBoxes;
    for (TextBoxSpan& box : boxes)
        adoptStory(box.story);
    Story& same = document.stories[static_cast<size_t>(storyIndex)];
    AddShifted(same.notes, notes, position);
    AddShifted(same.textBoxes, boxes, position);
    std::vector<TableSpan> tables = piece.tables;
    for (TableSpan& table : tables)
        for (TableRow& row : table.rows)
            for (TableCell& cell : row.cells) {
                cell.start += position;
                cell.end += position;
            }
    AddShifted(same.tables, tables, position);
    same.text.insert(static_cast<size_t>(position), piece.text);
    return length;
}

void EraseText(Story& story, int32_t start, int32_t end) {
    start = std::clamp(start, 0, static_cast<int32_t>(story.text.size()));
    end = std::clamp(end, start, static_cast<int32_t>(story.text.size()));
    if (end == start)
        return;
    // A mark deleted joins its paragraph to the next one, whose mark (and formatting) survives.
    std::erase_if(story.paragraphs, [&](const ParagraphEntry& entry) { return entry.end > start && entry.end <= end; });
    for (ParagraphEntry& entry : story.paragraphs)
        entry.end = PositionAfterErase(entry.end, start, end);
    ShrinkForErase(story.runs, start, end);
    ShrinkForErase(story.links, start, end);
    ShrinkForErase(story.bookmarks, start, end);
    ShrinkForErase(story.fields, start, end);
    ShrinkForErase(story.pictures, start, end);
    ShrinkForErase(story.notes, start, end);
    ShrinkForErase(story.textBoxes, start, end);
    // An equation cut into is only its remaining text.
    std::erase_if(story.equations, [&](const EquationSpan& equation) {
        return equation.start < end && equation.end > start && !(equation.start >= start && equation.end <= end);
    });
    ShrinkForErase(story.equations, start, end);
    for (TableSpan& table : story.tables) {
        for (TableRow& row : table.rows)
            ShrinkForErase(row.cells, start, end);
        std::erase_if(table.rows, [](const TableRow& row) { return row.cells.empty(); });
        table.start = PositionAfterErase(table.start, start, end);
        table.end = PositionAfterErase(table.end, start, end);
    }
    std::erase_if(story.tables, [](const TableSpan& table) { return table.rows.empty() || table.start == table.end; });
    story.text.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
}
