#pragma once
// The two edits every change is made of, applied to the text and every table of a story at once.

#include "docserver/model/DocumentModel.h"
#include "docserver/model/Fragment.h"

// Inserts an adopted fragment at position (before the final paragraph mark at the latest). Returns its length.
int32_t InsertFragment(Document& document, int storyIndex, int32_t position, const Fragment& fragment);

// Removes [start, end). The caller keeps the final paragraph mark out of the range.
void EraseText(Story& story, int32_t start, int32_t end);

// Where a position lands after an insertion of length at position. A span's start moves when the text goes at or
// before it; its end moves only when the text goes strictly before it.
inline int32_t StartAfterInsert(int32_t start, int32_t position, int32_t length) {
    return start >= position ? start + length : start;
}
inline int32_t EndAfterInsert(int32_t end, int32_t position, int32_t length) {
    return end > position ? end + length : end;
}
inline int32_t PositionAfterErase(int32_t p, int32_t start, int32_t end) {
    return p <= start ? p : p >= end ? p - (end - start) : start;
}

// The index of the paragraph holding position (the last one for the story's end).
size_t ParagraphIndexAt(const Story& story, int32_t position);
inline int32_t ParagraphStart(const Story& story, size_t index) {
    return index == 0 ? 0 : story.paragraphs[index - 1].end;
}

// Changes the run formatting of [start, end), marks included, splitting runs at the edges.
template <typename Change> void ChangeRunFormat(Story& story, int32_t start, int32_t end, Change change);
void SplitRunsAt(Story& story, int32_t position);

template <typename Change> void ChangeRunFormat(Story& story, int32_t start, int32_t end, Change change) {
    if (end <= start)
        return;
    SplitRunsAt(story, start);
    SplitRunsAt(story, end);
    SharedFormatEdit<RunFormat> runEdit;
    for (RunSpan& run : story.runs)
        if (run.start >= start && run.end <= end)
            runEdit.Apply(run.format, change);
    SharedFormatEdit<ParagraphFormat> markEdit;
    for (ParagraphEntry& paragraph : story.paragraphs)
        if (paragraph.end > start && paragraph.end <= end)
            markEdit.Apply(paragraph.format, [&](ParagraphFormat& format) { change(format.markFormat); });
}
