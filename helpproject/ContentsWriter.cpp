// The contents file: the topic tree as nested lists.

#include "helpproject/SitemapWriter.h"

namespace {

void AppendContentsList(LineList& lines, const std::vector<BookTopic>& topics, uint32_t codePage) {
    for (const BookTopic& topic : topics) {
        AppendTopicEntry(lines, topic, codePage);
        if (!topic.children.empty()) {
            lines.push_back("<UL>");
            AppendContentsList(lines, topic.children, codePage);
            lines.push_back("</UL>");
        }
    }
}

} // namespace

bool WriteContentsFile(const std::vector<BookTopic>& topics, uint32_t codePage, const std::string& folder,
                       const std::string& path) {
    LineList lines;
    AppendSitemapHead(lines, codePage);
    AppendSiteProperties(lines);
    lines.push_back("<UL>");
    AppendContentsList(lines, topics, codePage);
    AppendSitemapTail(lines);
    return WriteLineList(lines, folder, path);
}
