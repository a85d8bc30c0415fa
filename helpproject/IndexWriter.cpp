// The index file: every topic one keyword, in document order, in one flat list; then the document's own index
// entries.

#include "helpproject/IndexKeywords.h"
#include "helpproject/SitemapWriter.h"

namespace {

void AppendIndexList(LineList& lines, const std::vector<BookTopic>& topics, uint32_t codePage) {
    for (const BookTopic& topic : topics) {
        AppendTopicEntry(lines, topic, codePage);
        AppendIndexList(lines, topic.children, codePage);
    }
}

} // namespace

bool WriteIndexFile(const std::vector<BookTopic>& topics, const std::vector<IndexKeyword>& keywords, uint32_t codePage,
                    const std::string& folder, const std::string& path) {
    LineList lines;
    AppendSitemapHead(lines, codePage);
    lines.push_back("<UL>");
    AppendIndexList(lines, topics, codePage);
    AppendIndexKeywords(lines, keywords, codePage);
    AppendSitemapTail(lines);
    return WriteLineList(lines, folder, path);
}
