// Index entries: their codes, the converter's steps that find them through Word and mark their places, and the
// keywords they make.

#include "engine/IndexEntries.h"

#include "engine/ChmConverter.h"
#include "engine/PageDecoration.h"
#include "helpproject/IndexKeywords.h"

#include "automation/CodePage.h"
#include "automation/Variant.h"
#include "base/Text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0x00A0 || c == 0x3000;
}

std::u16string Trimmed(const std::u16string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsSpace(text[first]))
        ++first;
    while (last > first && IsSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

char16_t LowerAscii(char16_t c) {
    return static_cast<char16_t>(AsciiLower(char32_t{c}));
}

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (LowerAscii(text[i]) != LowerAscii(prefix[i]))
            return false;
    return true;
}

// One argument of a field code: a quoted text (with \" and \\ inside) or a word. Other backslash pairs are kept,
// so the entry text's own escapes (\:) survive to the split into levels.
std::u16string ReadArgument(const std::u16string& code, size_t& at) {
    while (at < code.size() && IsSpace(code[at]))
        ++at;
    std::u16string value;
    if (at < code.size() && (code[at] == u'"' || code[at] == 0x201C)) {
        ++at;
        while (at < code.size() && code[at] != u'"' && code[at] != 0x201D) {
            if (code[at] == u'\\' && at + 1 < code.size() && (code[at + 1] == u'"' || code[at + 1] == u'\\')) {
                if (code[at + 1] == u'\\')
                    value += u'\\';
                ++at;
            }
            value += code[at++];
        }
        ++at;
        return value;
    }
    while (at < code.size() && !IsSpace(code[at]))
        value += code[at++];
    return value;
}

// The cross-reference as the keyword it names: Word's text reads "See Installing".
std::u16string ReferredKeyword(const std::u16string& text) {
    std::u16string keyword = Trimmed(text);
    for (const std::u16string prefix : {u"see also ", u"see "}) {
        if (StartsWithNoCase(keyword, prefix)) {
            keyword = Trimmed(keyword.substr(prefix.size()));
            break;
        }
    }
    for (const std::u16string prefix : {u"\u53C2\u89C1", u"\u8BF7\u53C2\u9605", u"\u53E6\u89C1"}) // 参见 请参阅 另见
        if (keyword.starts_with(prefix)) {
            keyword = Trimmed(keyword.substr(prefix.size()));
            break;
        }
    while (!keyword.empty() && (keyword.back() == u'.' || keyword.back() == 0x3002))
        keyword.pop_back();
    return keyword;
}

std::vector<std::u16string> SplitLevels(const std::u16string& text) {
    std::vector<std::u16string> levels(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u':') {
            levels.back() += u':';
            ++i;
        } else if (text[i] == u':' && levels.size() < kMaxIndexLevels) {
            levels.emplace_back();
        } else {
            levels.back() += text[i];
        }
    }
    for (std::u16string& level : levels)
        level = Trimmed(level);
    // "a::b" or a trailing colon leaves an empty level, which Word's index leaves out as well.
    std::erase_if(levels, [](const std::u16string& level) { return level.empty(); });
    return levels;
}

std::string Narrow(const std::u16string& wide) {
    return WideToNarrow(wide).value_or(std::string());
}

// Where an entry stands in the source, as Word reported it.
struct FoundEntry {
    std::u16string code;
    int32_t position = 0; // in the main text; a note's entry stands at the note's mark
};

void CollectEntryFields(const WordFields& fields, int32_t notePosition, std::vector<FoundEntry>& found) {
    const int32_t count = fields.Count();
    for (int32_t i = 1; i <= count; ++i) {
        WordField field = fields.Item(i);
        if (field.Type() != kFieldIndexEntry)
            continue;
        WordRange code = field.Code();
        const auto wide = NarrowToWide(code.Text());
        found.push_back({wide.value_or(u""), notePosition >= 0 ? notePosition : code.Start()});
    }
}

bool ReadPage(const std::string& path, std::string& html) {
    const auto file = NarrowToPath(path);
    if (!file)
        return false;
    std::ifstream in(*file, std::ios::binary);
    html.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

} // namespace

IndexEntryCode ParseIndexEntryCode(const std::u16string& code) {
    IndexEntryCode entry;
    size_t at = 0;
    const std::u16string keyword = ReadArgument(code, at);
    if (keyword.size() != 2 || LowerAscii(keyword[0]) != u'x' || LowerAscii(keyword[1]) != u'e')
        return entry;
    bool haveText = false;
    while (at < code.size()) {
        while (at < code.size() && IsSpace(code[at]))
            ++at;
        if (at >= code.size())
            break;
        if (code[at] == u'\\' && at + 1 < code.size()) {
            const char16_t letter = LowerAscii(code[at + 1]);
            at += 2;
            if (letter == u't')
                entry.seeAlso = ReferredKeyword(ReadArgument(code, at));
            else if (letter == u'r')
                entry.rangeBookmark = Trimmed(ReadArgument(code, at));
            else if (letter == u'f' || letter == u'y')
                ReadArgument(code, at);
            continue; // \b and \i take no argument
        }
        std::u16string text = ReadArgument(code, at);
        if (!haveText) {
            entry.text = text;
            haveText = true;
        }
    }
    entry.levels = SplitLevels(entry.text);
    return entry;
}

std::vector<IndexKeyword> IndexKeywordsOf(const std::vector<IndexEntry>& entries,
                                          const std::vector<std::string>& pageTitles) {
    std::vector<IndexKeyword> keywords;
    for (const IndexEntry& entry : entries) {
        if (entry.page < 0 || static_cast<size_t>(entry.page) >= pageTitles.size())
            continue;
        IndexKeyword keyword{entry.path, entry.seeAlso, pageTitles[static_cast<size_t>(entry.page)],
                             std::to_string(entry.page) + ".html"};
        if (!entry.pageTop && !entry.anchor.empty())
            keyword.local += "#" + entry.anchor;
        keywords.push_back(std::move(keyword));
    }
    return keywords;
}

void ChmConverter::RemoveWordIndex() {
    // Word's own index is a copy of the entries made when it was last updated: as text on a page it would be a
    // list of page numbers that lead nowhere, and its entries are the help file's index already.
    WordFields fields = document.Fields();
    for (int32_t i = fields.Count(); i >= 1; --i) {
        WordField field = fields.Item(i);
        if (field.Type() == kFieldIndex)
            field.Delete();
    }
}

void ChmConverter::CollectIndexEntries() {
    indexEntries.clear();
    std::vector<TopicNode*> topics;
    CollectPreOrder(root->firstChild, topics);
    if (topics.empty())
        return;
    std::vector<FoundEntry> found;
    CollectEntryFields(document.Fields(), -1, found);
    // A note's entries stand at its mark: that is where the page shows the note's place in the text.
    WordFootnotes footnotes = document.Footnotes();
    const int32_t footnoteCount = footnotes.Count();
    for (int32_t i = 1; i <= footnoteCount; ++i) {
        WordFootnote note = footnotes.Item(i);
        CollectEntryFields(note.Range().Fields(), note.Reference().Start(), found);
    }
    WordEndnotes endnotes = document.Endnotes();
    const int32_t endnoteCount = endnotes.Count();
    for (int32_t i = 1; i <= endnoteCount; ++i) {
        WordEndnote note = endnotes.Item(i);
        CollectEntryFields(note.Range().Fields(), note.Reference().Start(), found);
    }
    if (found.empty())
        return;
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.position < b.position; });

    // The source's bookmarks: those \r names, and the names the entries' own must not take.
    std::map<std::string, int32_t> bookmarkStarts; // lower-case name: Word matches bookmarks in any case
    ForEachBookmark(document, [&](WordBookmark& bookmark) {
        WordRange range = bookmark.Range();
        bookmarkStarts.emplace(AsciiLower(bookmark.Name()), range.Start());
        return true;
    });

    // Where each topic's heading starts and ends, read once: entries are placed by halving over the starts.
    std::vector<int32_t> headingStarts;
    std::vector<int32_t> headingEnds;
    for (const TopicNode* topic : topics) {
        if (topic->paragraph.empty()) { // the front page: from the document's start, with no heading line
            headingStarts.push_back(0);
            headingEnds.push_back(0);
            continue;
        }
        WordRange heading = topic->paragraph.Range();
        headingStarts.push_back(heading.Start());
        headingEnds.push_back(heading.End());
    }
    WordBookmarks bookmarks = document.Bookmarks();
    int32_t nextNumber = 1;
    for (const FoundEntry& place : found) {
        const IndexEntryCode code = ParseIndexEntryCode(place.code);
        const std::string quoted = "\"" + Narrow(code.text) + "\"";
        if (code.levels.empty()) {
            warnings.push_back("an index entry without text (field code \"" + Narrow(Trimmed(place.code)) +
                               "\") is left out of the index");
            continue;
        }
        int32_t position = place.position;
        if (!code.rangeBookmark.empty()) {
            const auto bookmark = bookmarkStarts.find(AsciiLower(Narrow(code.rangeBookmark)));
            if (bookmark == bookmarkStarts.end())
                warnings.push_back("the index entry " + quoted + " names the bookmark " + Narrow(code.rangeBookmark) +
                                   ", which the document does not have: the entry leads to its own place");
            else
                position = bookmark->second;
        }
        if (position < headingStarts.front()) {
            warnings.push_back("the index entry " + quoted +
                               " lies before the first heading, in no topic: it is left out of the index");
            continue;
        }
        IndexEntry entry;
        for (const std::u16string& level : code.levels)
            entry.path.push_back(Narrow(level));
        entry.seeAlso = Narrow(code.seeAlso);
        entry.page = static_cast<int32_t>(std::upper_bound(headingStarts.begin(), headingStarts.end(), position) -
                                          headingStarts.begin() - 1);
        // In the heading the page's top is the place; elsewhere an anchor marks it.
        entry.pageTop = position < headingEnds[static_cast<size_t>(entry.page)];
        if (!entry.pageTop && entry.seeAlso.empty()) {
            std::string name;
            do
                name = "_Idx" + std::to_string(nextNumber++);
            while (bookmarkStarts.contains(AsciiLower(name)));
            auto at = ScopedVariant::I4(position);
            bookmarks.Add(name, document.Range(&at, &at));
            entry.anchor = name;
        }
        indexEntries.push_back(std::move(entry));
    }
}

void ChmConverter::CheckIndexEntryAnchors() {
    std::map<int32_t, std::string> pages;
    for (IndexEntry& entry : indexEntries) {
        if (entry.anchor.empty() || entry.pageTop)
            continue;
        auto page = pages.find(entry.page);
        if (page == pages.end()) {
            std::string html;
            ReadPage(workFolder + "/" + std::to_string(entry.page) + ".html", html);
            page = pages.emplace(entry.page, std::move(html)).first;
        }
        // A place the page did not keep still has its topic: the page opens at its top.
        if (page->second.find("name=\"" + entry.anchor + "\"") == std::string::npos)
            entry.pageTop = true;
    }
}
