// The contents file: the topic tree as nested lists.

#include "helpproject/SitemapWriter.h"

namespace {

void AppendContentsList(LineList& lines, const std::vector<BookTopic>& topics) {
    for (const BookTopic& topic : topics) {
        AppendTopicEntry(lines, topic);
        if (!topic.children.empty()) {
            lines.push_back("<UL>");
            AppendContentsList(lines, topic.children);
            lines.push_back("</UL>");
        }
    }
}

} // namespace

bool WriteContentsFile(const std::vector<BookTopic>& topics, const std::string& folder, const std::string& path) {
    LineList lines;
    AppendSitemapHead(lines);
    AppendSiteProperties(lines);
    lines.push_back("<UL>");
    AppendContentsList(lines, topics);
    AppendSitemapTail(lines);
    return WriteLineList(lines, folder, path);
}
