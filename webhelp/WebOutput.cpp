#include "WebOutput.h"

#include "BookScript.h"
#include "PageCharset.h"
#include "SearchIndex.h"
#include "VisibleText.h"
#include "WebAssets.h"
#include "WebPage.h"

#include "automation/CodePage.h"
#include "automation/WordConventions.h"
#include "base/Utf8Path.h"

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

struct TopicPlace {
    std::string title;
    PagePlace place;
};

void CollectPlaces(const std::vector<WebTopic>& topics, PagePlace trail, std::map<std::string, TopicPlace>& places) {
    for (const WebTopic& topic : topics) {
        PagePlace place = trail;
        place.trail.push_back({topic.title, topic.pageName});
        places[topic.pageName] = {topic.title, place};
        CollectPlaces(topic.children, place, places);
    }
}

std::string Stem(const std::string& pageName) {
    const size_t point = pageName.rfind('.');
    return point == std::string::npos ? pageName : pageName.substr(0, point);
}

} // namespace

WebOutput::WebOutput(fs::path folder) : folder_(std::move(folder)) {}

Status WebOutput::Write(const HelpBook& book) {
    warnings_.clear();
    sizes_ = {};
    result_ = WriteFolder(book);
    return result_;
}

Status WebOutput::WriteFolder(const HelpBook& book) {
    const auto pageFolder = NarrowToPath(book.pageFolder);
    if (!pageFolder)
        return Failure(StatusCode::Io, "the page folder's name cannot be read");
    const std::string title = NarrowToUtf8(book.title).value_or(book.title);
    const std::vector<WebTopic> topics = WebTopics(book.topics);
    std::map<std::string, TopicPlace> places;
    CollectPlaces(topics, {}, places);

    const fs::path support = folder_ / kWebSupportFolder;
    std::error_code code;
    fs::create_directories(support / "text", code);
    if (code)
        return Failure(StatusCode::Io, "cannot create " + Utf8FromPath(support / "text") + ": " + code.message());
    auto write = [](const fs::path& path, const std::string& text, uintmax_t& counted) {
        counted += text.size();
        return WriteFile(path, text) ? Status{} : Failure(StatusCode::Io, "cannot write " + Utf8FromPath(path));
    };
    uintmax_t uncounted = 0;

    SearchIndex index;
    for (size_t page = 0; page < book.pageFiles.size(); ++page) {
        const std::string& pageName = book.pageFiles[page];
        const auto bytes = ReadFile(*pageFolder / pageName);
        if (!bytes)
            return Failure(StatusCode::Missing, "cannot read the page " + pageName);
        const Utf8Page utf8 = PageAsUtf8(*bytes);
        if (!utf8.status.ok())
            return Failure(utf8.status.code, pageName + ": " + utf8.status.message);
        if (utf8.skippedBytes > 0)
            warnings_.push_back(pageName + ": " + std::to_string(utf8.skippedBytes) +
                                " bytes meant nothing in the page's charset and were left out of the web help");
        const auto found = places.find(pageName);
        const TopicPlace place = found == places.end() ? TopicPlace{pageName, {}} : found->second;
        const std::string text = VisibleText(utf8.html);
        index.AddPage(place.title, pageName, text);
        const std::string framed = TopicInFrame(utf8.html, title, pageName, place.place);
        Status written = write(folder_ / pageName, framed, sizes_.pages);
        if (written.ok())
            written = write(support / "text" / (std::to_string(page) + ".js"),
                            PageTextScript(static_cast<uint32_t>(page), text), sizes_.pageText);
        if (written.ok() && page == 0)
            written = write(folder_ / "index.html", framed, uncounted);
        if (!written.ok())
            return written;
        const fs::path pictures = *pageFolder / PictureFolderName(Stem(pageName));
        if (fs::is_directory(pictures, code)) {
            fs::copy(pictures, folder_ / pictures.filename(), fs::copy_options::recursive, code);
            if (code)
                return Failure(StatusCode::Io, "cannot copy the pictures of " + pageName + ": " + code.message());
        }
    }

    const std::string home = book.pageFiles.empty() ? std::string("index.html") : book.pageFiles.front();
    std::vector<WebKeyword> keywords = KeywordsFromTopics(topics);
    AddIndexKeywords(keywords, book.keywords);
    const std::string bookScript = BookScript({title, home, topics, keywords, book.helpIds});
    const std::pair<std::string, std::string> files[] = {
        {std::string(kWebSupportFolder) + "/leafbind.css", kWebStyleSheet},
        {std::string(kWebSupportFolder) + "/leafbind.js", kWebScript},
        {std::string(kWebSupportFolder) + "/book.js", bookScript},
        {"search.html", FramePage(title, "Search", "search", std::string(kWebSupportFolder) + "/search.js")},
        {"open.html", FramePage(title, "Open a help ID", "open", "")},
    };
    for (const auto& [name, text] : files)
        if (Status written = write(folder_ / name, text, uncounted); !written.ok())
            return written;
    return write(support / "search.js", index.Script(), sizes_.searchIndex);
}
