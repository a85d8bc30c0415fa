// The index file: every topic one keyword, in document order, in one flat list.

#include "engine/ChmConverter.h"
#include "helpproject/SitemapWriter.h"

namespace {

void AppendIndexList(LineList& lines, const TopicNode* first, bool withNumbers) {
    for (const TopicNode* node = first; node; node = node->nextSibling) {
        AppendTopicEntry(lines, *node, withNumbers);
        if (node->firstChild)
            AppendIndexList(lines, node->firstChild, withNumbers);
    }
}

} // namespace

bool ChmConverter::WriteIndexFile(const std::string& indexPath) {
    LineList lines;
    AppendSitemapHead(lines);
    lines.push_back("<UL>");
    AppendIndexList(lines, root->firstChild, Options().showNumbering);
    AppendSitemapTail(lines);
    return WriteLineList(lines, workFolder, indexPath);
}
