#include "Sitemap.h"

#include "TextCodec.h"
#include "base/Text.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct Tag {
    std::string name; // lower case, "/ul" for an end tag
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string Attribute(const std::string& wanted) const {
        for (const auto& [key, value] : attributes)
            if (key == wanted)
                return value;
        return {};
    }
};

class SitemapParser {
public:
    SitemapParser(const std::string& bytes, uint32_t codePage) : text_(bytes), codePage_(codePage) {}

    SitemapParseResult Run() {
        SitemapParseResult result;
        std::vector<std::vector<SitemapEntry>*> lists{&result.sitemap.entries};
        bool inObject = false;
        bool objectIsEntry = false;
        SitemapEntry entry;
        std::string firstName; // the entry's first Name and its Keyword as written, references undecoded
        std::string keyword;
        while (true) {
            const size_t open = text_.find('<', position_);
            if (open == std::string::npos)
                break;
            position_ = open;
            if (text_.compare(position_, 4, "<!--") == 0) {
                const size_t close = text_.find("-->", position_ + 4);
                if (close == std::string::npos)
                    return Fail(result, "comment is not closed");
                position_ = close + 3;
                continue;
            }
            Tag tag;
            if (!ReadTag(tag, result.status))
                return result;
            if (tag.name == "ul") {
                if (static_cast<int>(lists.size()) >= kMaxSitemapDepth)
                    return Fail(result, "lists are nested deeper than " + std::to_string(kMaxSitemapDepth));
                // A list right after an entry holds its children; a list with no entry before it just groups.
                std::vector<SitemapEntry>* current = lists.back();
                lists.push_back(current->empty() ? current : &current->back().children);
            } else if (tag.name == "/ul") {
                if (lists.size() == 1)
                    return Fail(result, "</UL> without a matching <UL>");
                lists.pop_back();
            } else if (tag.name == "object") {
                if (inObject)
                    return Fail(result, "<OBJECT> inside another <OBJECT>");
                inObject = true;
                objectIsEntry = AsciiLower(Decoded(tag.Attribute("type"))) == "text/sitemap";
                entry = SitemapEntry{};
                firstName.clear();
                keyword.clear();
            } else if (tag.name == "/object") {
                if (!inObject)
                    return Fail(result, "</OBJECT> without a matching <OBJECT>");
                inObject = false;
                if (objectIsEntry) {
                    if (entry.name.empty())
                        entry.name = entry.keyword;
                    entry.keywordText = DecodeToUtf16(codePage_, keyword.empty() ? firstName : keyword);
                    lists.back()->push_back(std::move(entry));
                }
            } else if (tag.name == "param" && inObject) {
                const std::string name = AsciiLower(Decoded(tag.Attribute("name")));
                const std::string raw = tag.Attribute("value");
                const std::string value = Decoded(raw);
                const std::string shown = DecodeReferencesForDisplay(codePage_, raw);
                if (!objectIsEntry) {
                    result.sitemap.properties.emplace_back(Decoded(tag.Attribute("name")), value);
                } else if (name == "name") {
                    if (entry.name.empty()) {
                        entry.name = shown;
                        firstName = raw;
                    }
                    entry.targets.emplace_back(shown, std::string());
                } else if (name == "local") {
                    if (entry.local.empty())
                        entry.local = value;
                    if (entry.targets.empty() || !entry.targets.back().second.empty())
                        entry.targets.emplace_back(entry.name, value);
                    else
                        entry.targets.back().second = value;
                } else if (name == "keyword") {
                    entry.keyword = shown;
                    keyword = raw;
                } else if (name == "see also") {
                    entry.seeAlso = shown;
                } else if (name == "imagenumber") {
                    entry.imageNumber = std::atoi(value.c_str());
                }
            }
        }
        if (inObject)
            return Fail(result, "<OBJECT> is not closed");
        return result;
    }

private:
    std::string Decoded(const std::string& raw) const { return DecodeCharacterReferences(codePage_, raw); }

    SitemapParseResult& Fail(SitemapParseResult& result, const std::string& message) {
        result.status = Failure(StatusCode::Damaged, "line " + std::to_string(LineAt(position_)) + ": " + message);
        return result;
    }

    size_t LineAt(size_t offset) const {
        return 1 + static_cast<size_t>(std::count(text_.begin(), text_.begin() + std::min(offset, text_.size()), '\n'));
    }

    bool ReadTag(Tag& tag, Status& status) {
        const size_t start = position_;
        size_t i = position_ + 1;
        auto failAt = [&](const std::string& what) {
            status = Failure(StatusCode::Damaged, "line " + std::to_string(LineAt(start)) + ": " + what);
            return false;
        };
        auto skipSpace = [&]() {
            while (i < text_.size() && std::isspace(static_cast<unsigned char>(text_[i]))) {
                ++i;
            }
        };
        size_t nameStart = i;
        while (i < text_.size() && !std::isspace(static_cast<unsigned char>(text_[i])) && text_[i] != '>')
            ++i;
        tag.name = AsciiLower(text_.substr(nameStart, i - nameStart));
        while (true) {
            skipSpace();
            if (i >= text_.size())
                return failAt("tag is not closed");
            if (text_[i] == '>') {
                position_ = i + 1;
                return true;
            }
            const size_t keyStart = i;
            while (i < text_.size() && text_[i] != '=' && text_[i] != '>' &&
                   !std::isspace(static_cast<unsigned char>(text_[i])))
                ++i;
            std::string key = AsciiLower(text_.substr(keyStart, i - keyStart));
            skipSpace();
            std::string value;
            if (i < text_.size() && text_[i] == '=') {
                ++i;
                skipSpace();
                if (i < text_.size() && (text_[i] == '"' || text_[i] == '\'')) {
                    const char quote = text_[i];
                    const size_t close = text_.find(quote, i + 1);
                    if (close == std::string::npos)
                        return failAt("quoted value is not closed");
                    value = text_.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const size_t valueStart = i;
                    while (i < text_.size() && text_[i] != '>' && !std::isspace(static_cast<unsigned char>(text_[i])))
                        ++i;
                    value = text_.substr(valueStart, i - valueStart);
                }
            }
            if (value.size() > kMaxSitemapValueLength)
                return failAt("a value is longer than " + std::to_string(kMaxSitemapValueLength) + " bytes");
            if (key.empty()) {
                ++i; // a stray character such as "/" in "<br/>"
                continue;
            }
            tag.attributes.emplace_back(key, value); // decoded by the reader: names and paths differ
        }
    }

    const std::string& text_;
    const uint32_t codePage_;
    size_t position_ = 0;
};

} // namespace

SitemapParseResult ParseSitemap(const std::string& bytes, uint32_t codePage) {
    return SitemapParser(bytes, codePage).Run();
}
