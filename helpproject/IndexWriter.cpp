// The index file: every topic one keyword, in document order, in one flat list; then the document's own index
// entries.

#include "helpproject/IndexKeywords.h"
#include "helpproject/SitemapWriter.h"

namespace {

void AppendIndexList(LineList& lines, const std::vector<BookTopic>& topics) {
    for (const BookTopic& topic : topics) {
        AppendTopicEntry(lines, topic);
        AppendIndexList(lines, topic.children);
    }
}

} // namespace

bool WriteIndexFile(const std::vector<BookTopic>& topics, const std::vector<IndexKeyword>& keywords,
                    const std::string& folder, const std::string& path) {
    LineList lines;
    AppendSitemapHead(lines);
    lines.push_back("<UL>");
    AppendIndexList(lines, topics);
    AppendIndexKeywords(lines, keywords);
    AppendSitemapTail(lines);
    return WriteLineList(lines, folder, path);
}
