#include "helpproject/IndexKeywords.h"

#include "automation/CodePage.h"
#include "base/CodePageText.h"
#include "base/Text.h"

#include <algorithm>
#include <map>
#include <memory>

namespace {

// Latin-1 letters with accents, from U+00C0, sorted beside their base letter ('*' for those without one).
constexpr char kLatinBase[] = "aaaaaaaceeeeiiiidnooooo*ouuuuyts"
                              "aaaaaaaceeeeiiiidnooooo*ouuuuyty";

// A key per character: ASCII and accented letters by their lower-case base letter (the accented one just after
// it), then Chinese and other characters of code page 936 in that code page's order, then the rest by number.
std::vector<uint32_t> CollationKey(const std::string& narrow) {
    std::vector<uint32_t> key;
    const std::u16string wide = NarrowToWide(narrow).value_or(std::u16string(narrow.begin(), narrow.end()));
    for (const char16_t c : wide) {
        if (c < 0x80) {
            const char16_t lower = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
            key.push_back(static_cast<uint32_t>(lower) << 8);
        } else if (c >= 0xC0 && c <= 0xFF && kLatinBase[c - 0xC0] != '*') {
            key.push_back((static_cast<uint32_t>(kLatinBase[c - 0xC0]) << 8) + 1 + (c - 0xC0));
        } else if (const std::string bytes = Utf8ToCodePagePlain(936, Utf16ToUtf8(std::u16string(1, c)));
                   bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) >= 0x80) {
            key.push_back(0x10000 + (static_cast<unsigned char>(bytes[0]) << 8) + static_cast<unsigned char>(bytes[1]));
        } else {
            key.push_back(0x20000 + c);
        }
    }
    return key;
}

struct KeywordNode {
    std::string text;
    std::string seeAlso;
    std::vector<std::pair<std::string, std::string>> topics; // title, local
    std::vector<std::unique_ptr<KeywordNode>> children;

    KeywordNode& Child(const std::string& childText) {
        for (auto& child : children)
            if (child->text == childText)
                return *child;
        children.push_back(std::make_unique<KeywordNode>());
        children.back()->text = childText;
        return *children.back();
    }
};

void AppendNodes(LineList& lines, std::vector<std::unique_ptr<KeywordNode>>& nodes, uint32_t codePage) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const auto& a, const auto& b) { return IndexKeywordLess(a->text, b->text); });
    for (auto& node : nodes) {
        // An entry cannot both lead to topics and refer elsewhere: the reference becomes a sub-keyword.
        if (!node->topics.empty() && !node->seeAlso.empty()) {
            KeywordNode& reference = node->Child(node->seeAlso);
            reference.seeAlso = node->seeAlso;
            node->seeAlso.clear();
        }
        lines.push_back("<LI> <OBJECT type=\"text/sitemap\">");
        lines.push_back("<param name=\"Name\" value=\"" + EscapedHelpText(node->text, codePage) + "\">");
        std::stable_sort(node->topics.begin(), node->topics.end(), [](const auto& a, const auto& b) {
            return IndexKeywordLess(a.first, b.first) || (a.first == b.first && a.second < b.second);
        });
        node->topics.erase(std::unique(node->topics.begin(), node->topics.end()), node->topics.end());
        if (node->topics.size() == 1) {
            lines.push_back("<param name=\"Local\" value=\"" + node->topics.front().second + "\">");
        } else {
            // Several topics: the viewer lists them by the names given here.
            for (const auto& [title, local] : node->topics) {
                lines.push_back("<param name=\"Name\" value=\"" + EscapedHelpText(title, codePage) + "\">");
                lines.push_back("<param name=\"Local\" value=\"" + local + "\">");
            }
        }
        if (node->topics.empty())
            lines.push_back("<param name=\"See Also\" value=\"" +
                            EscapedHelpText(node->seeAlso.empty() ? node->text : node->seeAlso, codePage) + "\">");
        lines.push_back("</OBJECT>");
        if (!node->children.empty()) {
            lines.push_back("<UL>");
            AppendNodes(lines, node->children, codePage);
            lines.push_back("</UL>");
        }
    }
}

} // namespace

bool IndexKeywordLess(const std::string& a, const std::string& b) {
    const std::vector<uint32_t> keyA = CollationKey(a);
    const std::vector<uint32_t> keyB = CollationKey(b);
    if (keyA != keyB)
        return keyA < keyB;
    return a < b;
}

void AppendIndexKeywords(LineList& lines, const std::vector<IndexKeyword>& keywords, uint32_t codePage) {
    KeywordNode root;
    for (const IndexKeyword& keyword : keywords) {
        if (keyword.path.empty())
            continue;
        KeywordNode* node = &root;
        for (const std::string& level : keyword.path)
            node = &node->Child(level);
        if (!keyword.seeAlso.empty())
            node->seeAlso = keyword.seeAlso;
        else if (!keyword.local.empty())
            node->topics.emplace_back(keyword.topicTitle, keyword.local);
    }
    AppendNodes(lines, root.children, codePage);
}
