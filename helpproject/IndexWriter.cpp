// The index file: every topic one keyword, in document order, in one flat list.

#include "engine/ChmConverter.h"
#include "helpproject/SitemapWriter.h"

namespace {

void AppendIndexList(LineList& lines, const TopicNode* first) {
    for (const TopicNode* node = first; node; node = node->nextSibling) {
        AppendTopicEntry(lines, *node);
        if (node->firstChild)
            AppendIndexList(lines, node->firstChild);
    }
}

} // namespace

bool ChmConverter::WriteIndexFile(const std::string& indexPath) {
    LineList lines;
    AppendSitemapHead(lines);
    lines.push_back("<UL>");
    AppendIndexList(lines, root->firstChild);
    AppendSitemapTail(lines);
    return WriteLineList(lines, workFolder, indexPath);
}
