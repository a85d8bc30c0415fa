#include "Fragment.h"

#include "base/Text.h"
#include "docserver/model/FormatOverlay.h"
#include "docserver/model/StoryEdit.h"
#include "docserver/model/StyleSheet.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <span>

namespace {

template <typename Span> bool Overlaps(const Span& span, int32_t start, int32_t end) {
    return span.start < end && span.end > start;
}

template <typename Span> bool Inside(const Span& span, int32_t start, int32_t end) {
    return span.start >= start && span.end <= end && (span.start < end || span.start == span.end);
}

void CollectStyle(const Document& document, const std::string& id, std::set<std::string>& ids) {
    std::string current = id;
    for (int guard = 0; guard < 32 && !current.empty() && ids.insert(current).second; ++guard) {
        const Style* style = FindStyle(document, current);
        if (!style)
            break;
        current = style->basedOn;
    }
}

// The span tables of a story are sorted by start (the reader sorts them, every edit keeps the order), so the
// spans of a range are found by binary search: copying every page of a large document stays linear.
template <typename Span> auto FirstStartingAt(const std::vector<Span>& spans, int32_t position) {
    return std::partition_point(spans.begin(), spans.end(), [&](const Span& span) { return span.start < position; });
}

// Spans that start in [start, end], where a span wholly inside the range can start.
template <typename Span> std::span<const Span> StartingIn(const std::vector<Span>& spans, int32_t start, int32_t end) {
    const auto first = FirstStartingAt(spans, start);
    const auto last = std::partition_point(first, spans.end(), [&](const Span& span) { return span.start <= end; });
    return {first, last};
}

// Links that overlap [start, end). Word does not nest hyperlinks, so of those starting before the range only the ones
// just before it can reach into it. (A link field inside a hyperlink, which only a hand-made file holds, never shows
// on a page: the outer link is written over it.)
std::span<const LinkSpan> LinksOverlapping(const std::vector<LinkSpan>& links, int32_t start, int32_t end) {
    auto first = FirstStartingAt(links, start);
    while (first != links.begin() && std::prev(first)->end > start)
        --first;
    const auto last = std::partition_point(first, links.end(), [&](const LinkSpan& link) { return link.start < end; });
    return {first, last};
}

// Tables that may overlap [start, end): a nested table lies inside its outer one and outer tables do not overlap,
// so going back from the range, an outer table that ends before it is the last one to look at.
std::span<const TableSpan> TablesNear(const std::vector<TableSpan>& tables, int32_t start, int32_t end) {
    auto first = FirstStartingAt(tables, start);
    while (first != tables.begin() && (std::prev(first)->end > start || std::prev(first)->depth > 1))
        --first;
    const auto last =
        std::partition_point(first, tables.end(), [&](const TableSpan& table) { return table.start < end; });
    return {first, last};
}

} // namespace

Fragment ExtractFragment(const Document& document, const Story& story, int32_t start, int32_t end,
                         const StoryLists* lists) {
    Fragment fragment;
    fragment.defaults = document.defaults;
    Story& out = fragment.story;
    start = std::clamp(start, 0, static_cast<int32_t>(story.text.size()));
    end = std::clamp(end, start, static_cast<int32_t>(story.text.size()));
    out.text = story.text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));

    // Runs are contiguous: the first one ending after start is the first in the range.
    for (auto run = std::partition_point(story.runs.begin(), story.runs.end(),
                                         [&](const RunSpan& each) { return each.end <= start; });
         run != story.runs.end() && run->start < end; ++run)
        if (Overlaps(*run, start, end))
            out.runs.push_back(
                RunSpan{std::max(run->start, start) - start, std::min(run->end, end) - start, run->format});
    SharedFormatEdit<ParagraphFormat> nameDefault;
    for (size_t i = ParagraphIndexAt(story, start); i < story.paragraphs.size(); ++i) {
        const ParagraphEntry& paragraph = story.paragraphs[i];
        if (paragraph.end > end)
            break;
        if (paragraph.end > start) {
            out.paragraphs.push_back(ParagraphEntry{paragraph.end - start, paragraph.format, 0});
            // Name the source's default style, so the target maps it by name rather than using its own default.
            if (out.paragraphs.back().format->style.empty())
                nameDefault.Apply(out.paragraphs.back().format,
                                  [&](ParagraphFormat& format) { format.style = DefaultParagraphStyle(document); });
        }
    }
    for (const LinkSpan& link : LinksOverlapping(story.links, start, end))
        if (Overlaps(link, start, end)) {
            LinkSpan copy = link;
            copy.start = std::max(link.start, start) - start;
            copy.end = std::min(link.end, end) - start;
            out.links.push_back(copy);
        }
    for (const BookmarkSpan& bookmark : StartingIn(story.bookmarks, start, end))
        if (Inside(bookmark, start, end))
            out.bookmarks.push_back(BookmarkSpan{bookmark.start - start, bookmark.end - start, bookmark.name});
    for (const EquationSpan& equation : StartingIn(story.equations, start, end))
        if (Inside(equation, start, end))
            out.equations.push_back(EquationSpan{equation.start - start, equation.end - start, equation.markup});
    for (const FieldSpan& field : StartingIn(story.fields, start, end))
        if (Inside(field, start, end))
            out.fields.push_back(FieldSpan{field.start - start, field.end - start, field.instruction});
    for (const PictureSpan& picture : StartingIn(story.pictures, start, end))
        if (picture.start >= start && picture.start < end) {
            PictureSpan copy = picture;
            copy.start -= start;
            copy.end -= start;
            out.pictures.push_back(std::move(copy));
        }
    for (const NoteSpan& note : StartingIn(story.notes, start, end))
        if (Inside(note, start, end)) {
            NoteSpan copy = note;
            copy.start -= start;
            copy.end -= start;
            copy.story = -1;
            if (note.story >= 0 && static_cast<size_t>(note.story) < document.stories.size()) {
                fragment.stories.push_back(document.stories[static_cast<size_t>(note.story)]);
                copy.story = static_cast<int>(fragment.stories.size()) - 1;
            }
            out.notes.push_back(copy);
        }
    for (const TextBoxSpan& box : StartingIn(story.textBoxes, start, end))
        if (box.start >= start && box.start < end && box.story >= 0 &&
            static_cast<size_t>(box.story) < document.stories.size()) {
            fragment.stories.push_back(document.stories[static_cast<size_t>(box.story)]);
            out.textBoxes.push_back(TextBoxSpan{box.start - start, box.end - start,
                                                static_cast<int>(fragment.stories.size()) - 1, box.fill, box.outline,
                                                box.chartLabel});
        }
    for (const TableSpan& table : TablesNear(story.tables, start, end)) {
        if (!Overlaps(table, start, end))
            continue;
        TableSpan copy;
        copy.start = std::max(table.start, start) - start;
        copy.end = std::min(table.end, end) - start;
        copy.depth = table.depth;
        std::copy(std::begin(table.borders), std::end(table.borders), std::begin(copy.borders));
        copy.width = table.width;
        copy.gridColumns = table.gridColumns;
        copy.cellMargins = table.cellMargins;
        copy.shading = table.shading;
        copy.alignment = table.alignment;
        copy.indent = table.indent;
        for (const TableRow& row : table.rows) {
            TableRow rowCopy;
            rowCopy.heightTwips = row.heightTwips;
            rowCopy.exactHeight = row.exactHeight;
            rowCopy.gridBefore = row.gridBefore;
            for (const TableCell& cell : row.cells)
                if (Overlaps(cell, start, end)) {
                    TableCell cellCopy = cell;
                    cellCopy.start = std::max(cell.start, start) - start;
                    cellCopy.end = std::min(cell.end, end) - start;
                    rowCopy.cells.push_back(cellCopy);
                }
            if (!rowCopy.cells.empty())
                copy.rows.push_back(std::move(rowCopy));
        }
        if (!copy.rows.empty())
            out.tables.push_back(std::move(copy));
    }

    // The styles and lists the piece uses, with the styles they are based on.
    std::set<std::string> styleIds;
    std::set<int> numIds;
    auto useParagraph = [&](const ParagraphFormat& format) {
        CollectStyle(document, format.style.empty() ? DefaultParagraphStyle(document) : format.style, styleIds);
        CollectStyle(document, format.markFormat.characterStyle, styleIds);
        const ListMembership list = ListOf(document, format);
        if (list.numId > 0)
            numIds.insert(list.numId);
    };
    for (const ParagraphEntry& paragraph : out.paragraphs)
        useParagraph(*paragraph.format);
    for (const RunSpan& run : out.runs)
        CollectStyle(document, run.format->characterStyle, styleIds);
    for (const std::string& id : styleIds)
        if (const Style* style = FindStyle(document, id)) {
            fragment.styles.push_back(*style);
            if (style->paragraph.numId > 0)
                numIds.insert(style->paragraph.numId);
        }
    const size_t firstParagraph = ParagraphIndexAt(story, start);
    for (int numId : numIds)
        if (auto instance = document.numbering.instances.find(numId); instance != document.numbering.instances.end()) {
            NumberingInstance& copy = fragment.numbering.instances[numId] = instance->second;
            if (auto abstract = document.numbering.abstracts.find(instance->second.abstractId);
                abstract != document.numbering.abstracts.end()) {
                AbstractNumbering& abstractCopy = fragment.numbering.abstracts[abstract->first] = abstract->second;
                if (lists)
                    if (auto reached = CountersBefore(*lists, abstract->first, firstParagraph))
                        abstractCopy.reached = reached;
            }
            if (lists)
                if (auto used = lists->firstUse.find(numId);
                    used != lists->firstUse.end() && used->second < firstParagraph)
                    copy.startOverridesUsed = true;
        }
    return fragment;
}

Fragment TextFragment(const Story& story, int32_t position, const std::u16string& typed) {
    // Word takes CR LF, CR and LF alike as the end of a paragraph.
    std::u16string text;
    text.reserve(typed.size());
    for (size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] == u'\r' && i + 1 < typed.size() && typed[i + 1] == u'\n')
            continue;
        text += typed[i] == u'\n' ? kParagraphMark : typed[i];
    }
    Fragment fragment;
    fragment.story.text = text;
    if (text.empty())
        return fragment;
    // Typed text takes the formatting of the character before it within the paragraph, else the one after it.
    const size_t paragraph = ParagraphIndexAt(story, position);
    const int32_t from = position > ParagraphStart(story, paragraph) ? position - 1 : position;
    SharedFormat<RunFormat> format;
    for (const RunSpan& run : story.runs)
        if (run.start <= from && from < run.end) {
            format = run.format;
            break;
        }
    fragment.story.runs.push_back(RunSpan{0, static_cast<int32_t>(text.size()), format});
    const SharedFormat<ParagraphFormat> paragraphFormat =
        paragraph < story.paragraphs.size() ? story.paragraphs[paragraph].format : SharedFormat<ParagraphFormat>();
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == kParagraphMark)
            fragment.story.paragraphs.push_back(ParagraphEntry{static_cast<int32_t>(i) + 1, paragraphFormat, 0});
    return fragment;
}

Fragment AdoptFragment(Document& document, Fragment fragment) {
    // Styles: matched by name; a new style keeps its id unless the document uses that id for another style.
    std::map<std::string, std::string> renamed;
    for (const Style& style : fragment.styles) {
        const auto existing = std::find_if(document.styles.begin(), document.styles.end(), [&](const Style& own) {
            return EqualsIgnoringAsciiCase(own.name, style.name);
        });
        if (existing != document.styles.end()) {
            renamed[style.id] = existing->id;
            continue;
        }
        std::string id = style.id;
        for (int suffix = 1; FindStyle(document, id); ++suffix)
            id = style.id + std::to_string(suffix);
        renamed[style.id] = id;
    }
    auto rename = [&](std::string& id) {
        if (auto found = renamed.find(id); found != renamed.end())
            id = found->second;
    };

    // Lists: every pasted list becomes a list of its own in the target.
    std::map<int, int> numIds;
    std::map<int, int> abstractIds;
    int nextNumId = document.numbering.instances.empty() ? 1 : document.numbering.instances.rbegin()->first + 1;
    int nextAbstractId = document.numbering.abstracts.empty() ? 0 : document.numbering.abstracts.rbegin()->first + 1;
    for (const auto& [id, abstract] : fragment.numbering.abstracts) {
        abstractIds[id] = nextAbstractId;
        document.numbering.abstracts[nextAbstractId++] = abstract;
    }
    for (const auto& [id, instance] : fragment.numbering.instances) {
        NumberingInstance copy = instance;
        copy.abstractId = abstractIds.count(instance.abstractId) ? abstractIds[instance.abstractId] : 0;
        numIds[id] = nextNumId;
        document.numbering.instances[nextNumId++] = copy;
    }
    auto renumber = [&](int& numId) {
        if (auto found = numIds.find(numId); found != numIds.end())
            numId = found->second;
    };
    auto adoptParagraph = [&](ParagraphFormat& format) {
        rename(format.style);
        rename(format.markFormat.characterStyle);
        renumber(format.numId);
    };
    for (const Style& style : fragment.styles) {
        const std::string& id = renamed[style.id];
        Style copy = style;
        copy.id = id;
        copy.isDefault = false;
        rename(copy.basedOn);
        adoptParagraph(copy.paragraph);
        rename(copy.run.characterStyle);
        const auto own =
            std::find_if(document.styles.begin(), document.styles.end(), [&](const Style& s) { return s.id == id; });
        if (own == document.styles.end()) {
            document.styles.push_back(std::move(copy));
        } else if (own->type == copy.type) {
            // The source's look, with what was set on the document's own style (links without underline) kept.
            copy.isDefault = own->isDefault;
            copy.runChanges = own->runChanges;
            copy.run = OverlayRun(copy.run, own->runChanges);
            *own = std::move(copy);
        }
    }
    SharedFormatEdit<ParagraphFormat> paragraphEdit;
    SharedFormatEdit<RunFormat> runEdit;
    auto renameRun = [&](RunFormat& format) { rename(format.characterStyle); };
    for (ParagraphEntry& paragraph : fragment.story.paragraphs)
        paragraphEdit.Apply(paragraph.format, adoptParagraph);
    DocumentDefaults& defaults = document.defaults;
    defaults.run = OverlayRun(defaults.run, fragment.defaults.run);
    defaults.paragraph = OverlayParagraph(defaults.paragraph, fragment.defaults.paragraph);
    if (!fragment.defaults.language.empty())
        defaults.language = fragment.defaults.language;
    if (!fragment.defaults.eastAsiaLanguage.empty())
        defaults.eastAsiaLanguage = fragment.defaults.eastAsiaLanguage;
    for (RunSpan& run : fragment.story.runs)
        runEdit.Apply(run.format, renameRun);
    for (Story& note : fragment.stories) {
        for (ParagraphEntry& paragraph : note.paragraphs)
            paragraphEdit.Apply(paragraph.format, adoptParagraph);
        for (RunSpan& run : note.runs)
            runEdit.Apply(run.format, renameRun);
    }
    fragment.styles.clear();
    fragment.numbering = Numbering{};
    return fragment;
}
