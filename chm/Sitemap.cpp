#include "Sitemap.h"

#include "TextCodec.h"

#include <algorithm>
#include <cstdlib>

namespace chm {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c < 0x80 ? std::tolower(c) : c); });
    return text;
}

struct Tag {
    std::string name; // lower case, "/ul" for an end tag
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string Attribute(const std::string& wanted) const {
        for (const auto& [key, value] : attributes) {
            if (key == wanted) {
                return value;
            }
        }
        return {};
    }
};

class SitemapParser {
public:
    SitemapParser(const std::string& bytes, std::uint32_t codePage) : text(bytes), codePage(codePage) {}

    SitemapParseResult Run() {
        SitemapParseResult result;
        std::vector<std::vector<SitemapEntry>*> lists{&result.sitemap.entries};
        bool inObject = false;
        bool objectIsEntry = false;
        SitemapEntry entry;
        while (true) {
            const std::size_t open = text.find('<', position);
            if (open == std::string::npos) {
                break;
            }
            position = open;
            if (text.compare(position, 4, "<!--") == 0) {
                const std::size_t close = text.find("-->", position + 4);
                if (close == std::string::npos) {
                    return Fail(result, "comment is not closed");
                }
                position = close + 3;
                continue;
            }
            Tag tag;
            if (!ReadTag(tag, result.message)) {
                return result;
            }
            if (tag.name == "ul") {
                if (static_cast<int>(lists.size()) >= kMaxSitemapDepth) {
                    return Fail(result, "lists are nested deeper than " + std::to_string(kMaxSitemapDepth));
                }
                // A list right after an entry holds its children; a list with no entry before it just groups.
                std::vector<SitemapEntry>* current = lists.back();
                lists.push_back(current->empty() ? current : &current->back().children);
            } else if (tag.name == "/ul") {
                if (lists.size() == 1) {
                    return Fail(result, "</UL> without a matching <UL>");
                }
                lists.pop_back();
            } else if (tag.name == "object") {
                if (inObject) {
                    return Fail(result, "<OBJECT> inside another <OBJECT>");
                }
                inObject = true;
                objectIsEntry = Lower(tag.Attribute("type")) == "text/sitemap";
                entry = SitemapEntry{};
            } else if (tag.name == "/object") {
                if (!inObject) {
                    return Fail(result, "</OBJECT> without a matching <OBJECT>");
                }
                inObject = false;
                if (objectIsEntry) {
                    if (entry.name.empty()) {
                        entry.name = entry.keyword;
                    }
                    lists.back()->push_back(std::move(entry));
                }
            } else if (tag.name == "param" && inObject) {
                const std::string name = Lower(tag.Attribute("name"));
                const std::string value = tag.Attribute("value");
                if (!objectIsEntry) {
                    result.sitemap.properties.emplace_back(tag.Attribute("name"), value);
                } else if (name == "name") {
                    if (entry.name.empty()) {
                        entry.name = value;
                    }
                    entry.targets.emplace_back(value, std::string());
                } else if (name == "local") {
                    if (entry.local.empty()) {
                        entry.local = value;
                    }
                    if (entry.targets.empty() || !entry.targets.back().second.empty()) {
                        entry.targets.emplace_back(entry.name, value);
                    } else {
                        entry.targets.back().second = value;
                    }
                } else if (name == "keyword") {
                    entry.keyword = value;
                } else if (name == "see also") {
                    entry.seeAlso = value;
                } else if (name == "imagenumber") {
                    entry.imageNumber = std::atoi(value.c_str());
                }
            }
        }
        if (inObject) {
            return Fail(result, "<OBJECT> is not closed");
        }
        result.ok = true;
        return result;
    }

private:
    SitemapParseResult& Fail(SitemapParseResult& result, const std::string& message) {
        result.ok = false;
        result.message = "line " + std::to_string(LineAt(position)) + ": " + message;
        return result;
    }

    std::size_t LineAt(std::size_t offset) const {
        return 1 +
               static_cast<std::size_t>(std::count(text.begin(), text.begin() + std::min(offset, text.size()), '\n'));
    }

    bool ReadTag(Tag& tag, std::string& message) {
        const std::size_t start = position;
        std::size_t i = position + 1;
        auto failAt = [&](const std::string& what) {
            message = "line " + std::to_string(LineAt(start)) + ": " + what;
            return false;
        };
        auto skipSpace = [&]() {
            while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
                ++i;
            }
        };
        std::size_t nameStart = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '>') {
            ++i;
        }
        tag.name = Lower(text.substr(nameStart, i - nameStart));
        while (true) {
            skipSpace();
            if (i >= text.size()) {
                return failAt("tag is not closed");
            }
            if (text[i] == '>') {
                position = i + 1;
                return true;
            }
            const std::size_t keyStart = i;
            while (i < text.size() && text[i] != '=' && text[i] != '>' &&
                   !std::isspace(static_cast<unsigned char>(text[i]))) {
                ++i;
            }
            std::string key = Lower(text.substr(keyStart, i - keyStart));
            skipSpace();
            std::string value;
            if (i < text.size() && text[i] == '=') {
                ++i;
                skipSpace();
                if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                    const char quote = text[i];
                    const std::size_t close = text.find(quote, i + 1);
                    if (close == std::string::npos) {
                        return failAt("quoted value is not closed");
                    }
                    value = text.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t valueStart = i;
                    while (i < text.size() && text[i] != '>' && !std::isspace(static_cast<unsigned char>(text[i]))) {
                        ++i;
                    }
                    value = text.substr(valueStart, i - valueStart);
                }
            }
            if (value.size() > kMaxSitemapValueLength) {
                return failAt("a value is longer than " + std::to_string(kMaxSitemapValueLength) + " bytes");
            }
            if (key.empty()) {
                ++i; // a stray character such as "/" in "<br/>"
                continue;
            }
            tag.attributes.emplace_back(key, DecodeCharacterReferences(codePage, value));
        }
    }

    const std::string& text;
    const std::uint32_t codePage;
    std::size_t position = 0;
};

} // namespace

SitemapParseResult ParseSitemap(const std::string& bytes, std::uint32_t codePage) {
    return SitemapParser(bytes, codePage).Run();
}

} // namespace chm
