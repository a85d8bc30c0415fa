// The index file: every topic one keyword, in document order, in one flat list.

#include "helpproject/SitemapWriter.h"

namespace {

void AppendIndexList(LineList& lines, const std::vector<BookTopic>& topics) {
    for (const BookTopic& topic : topics) {
        AppendTopicEntry(lines, topic);
        AppendIndexList(lines, topic.children);
    }
}

} // namespace

bool WriteIndexFile(const std::vector<BookTopic>& topics, const std::string& folder, const std::string& path) {
    LineList lines;
    AppendSitemapHead(lines);
    lines.push_back("<UL>");
    AppendIndexList(lines, topics);
    AppendSitemapTail(lines);
    return WriteLineList(lines, folder, path);
}
