#include "VisibleText.h"

#include "base/Text.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace {

bool IsInlineElement(const std::string& name) {
    static constexpr std::array<std::string_view, 22> kInline = {
        "a",   "abbr", "b", "bdi", "bdo",  "big",   "cite", "code",   "em",  "font", "i",
        "kbd", "mark", "q", "s",   "samp", "small", "span", "strong", "sub", "sup",  "u"};
    for (const std::string_view known : kInline)
        if (name == known)
            return true;
    return false;
}

// The character a reference names; 0 for a name not known here.
char32_t ReferencedCharacter(std::string_view reference) {
    if (reference.starts_with("#x") || reference.starts_with("#X"))
        return static_cast<char32_t>(std::strtoul(std::string(reference.substr(2)).c_str(), nullptr, 16));
    if (reference.starts_with("#"))
        return static_cast<char32_t>(std::strtoul(std::string(reference.substr(1)).c_str(), nullptr, 10));
    static constexpr std::array<std::pair<std::string_view, char32_t>, 10> kNamed = {{{"amp", '&'},
                                                                                      {"lt", '<'},
                                                                                      {"gt", '>'},
                                                                                      {"quot", '"'},
                                                                                      {"apos", '\''},
                                                                                      {"nbsp", ' '},
                                                                                      {"copy", 0xA9},
                                                                                      {"reg", 0xAE},
                                                                                      {"middot", 0xB7},
                                                                                      {"hellip", 0x2026}}};
    for (const auto& [name, character] : kNamed)
        if (reference == name)
            return character;
    return 0;
}

void AppendSpace(std::string& text) {
    if (!text.empty() && text.back() != ' ')
        text += ' ';
}

} // namespace

std::string VisibleText(std::string_view html) {
    std::string text;
    const std::string lower = AsciiLower(std::string(html));
    size_t at = lower.find("<body");
    at = at == std::string::npos ? 0 : at;
    while (at < html.size()) {
        const char c = html[at];
        if (c == '<') {
            if (lower.compare(at, 4, "<!--") == 0) {
                const size_t end = lower.find("-->", at + 4);
                at = end == std::string::npos ? html.size() : end + 3;
                continue;
            }
            size_t nameStart = at + 1 + (at + 1 < html.size() && html[at + 1] == '/' ? 1 : 0);
            size_t nameEnd = nameStart;
            while (nameEnd < lower.size() && std::isalnum(static_cast<unsigned char>(lower[nameEnd])))
                ++nameEnd;
            const std::string name = lower.substr(nameStart, nameEnd - nameStart);
            const size_t close = lower.find('>', at);
            if (close == std::string::npos)
                break;
            at = close + 1;
            if ((name == "script" || name == "style") && html[nameStart - 1] != '/') {
                const size_t end = lower.find("</" + name, at);
                at = end == std::string::npos ? html.size() : lower.find('>', end) + 1;
                if (at == 0)
                    at = html.size();
            }
            if (!IsInlineElement(name))
                AppendSpace(text);
        } else if (c == '&') {
            const size_t end = html.find(';', at);
            const char32_t named =
                end != std::string::npos && end - at <= 10 ? ReferencedCharacter(html.substr(at + 1, end - at - 1)) : 0;
            if (named == 0 || named > 0x10FFFF || (named >= 0xD800 && named < 0xE000)) {
                text += '&';
                ++at;
            } else if (named == ' ') {
                AppendSpace(text);
                at = end + 1;
            } else {
                AppendUtf8(text, named);
                at = end + 1;
            }
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            AppendSpace(text);
            ++at;
        } else {
            text += c;
            ++at;
        }
    }
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    if (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}
