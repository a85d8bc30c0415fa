// The contents file: the topic tree as nested lists.

#include "engine/ChmConverter.h"
#include "helpproject/SitemapWriter.h"

namespace {

void AppendContentsList(LineList& lines, const TopicNode* first, bool withNumbers) {
    for (const TopicNode* node = first; node; node = node->nextSibling) {
        AppendTopicEntry(lines, *node, withNumbers);
        if (node->firstChild) {
            lines.push_back("<UL>");
            AppendContentsList(lines, node->firstChild, withNumbers);
            lines.push_back("</UL>");
        }
    }
}

} // namespace

bool ChmConverter::WriteContentsFile(const std::string& contentsPath) {
    LineList lines;
    AppendSitemapHead(lines);
    AppendSiteProperties(lines);
    lines.push_back("<UL>");
    AppendContentsList(lines, root->firstChild, Options().showNumbering);
    AppendSitemapTail(lines);
    return WriteLineList(lines, workFolder, contentsPath);
}
