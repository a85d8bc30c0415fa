#include "HtmlEscape.h"

namespace {

std::string Escaped(const std::string& text, bool quotes) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += quotes ? "&quot;" : "\"";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

std::string EscapedHtmlText(const std::string& text) {
    return Escaped(text, false);
}

std::string EscapedHtmlAttribute(const std::string& text) {
    return Escaped(text, true);
}
