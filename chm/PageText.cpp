#include "PageText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "TextCodec.h"
#include "base/Text.h"

namespace {

// Where the charset declaration is looked for: browsers give up after the first kilobytes too.
constexpr size_t kDeclarationWindow = 4096;
constexpr size_t kBinaryProbe = 8192;

std::string DeclaredCharset(std::string_view html) {
    const std::string_view head = html.substr(0, kDeclarationWindow);
    constexpr std::string_view kKey = "charset=";
    const auto found = std::search(head.begin(), head.end(), kKey.begin(), kKey.end(),
                                   [](char c, char key) { return AsciiLower(c) == key; });
    if (found == head.end())
        return {};
    size_t start = static_cast<size_t>(found - head.begin()) + kKey.size();
    while (start < head.size() && (head[start] == '"' || head[start] == '\'' || head[start] == ' '))
        ++start;
    std::string charset;
    for (size_t end = start;
         end < head.size() && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' ||
                               head[end] == '_' || head[end] == '.' || head[end] == ':');
         ++end)
        charset += AsciiLower(head[end]);
    return charset;
}

// The charset names pages use, as iconv knows them; GB2312 and GBK pages are read as their superset GB18030.
std::string IconvCharset(const std::string& declared) {
    if (declared == "utf-8" || declared == "utf8")
        return "UTF-8";
    if (declared == "gb2312" || declared == "gbk" || declared == "gb18030" || declared == "x-gbk" ||
        declared == "cp936" || declared == "x-euc-cn" || declared == "euc-cn")
        return "GB18030";
    if (declared == "big5" || declared == "x-x-big5")
        return "BIG5";
    if (declared == "shift_jis" || declared == "x-sjis" || declared == "sjis")
        return "CP932";
    if (declared == "ks_c_5601-1987" || declared == "euc-kr" || declared == "korean")
        return "CP949";
    if (declared.starts_with("windows-"))
        return "CP" + declared.substr(8);
    return declared;
}

std::string CodePageCharset(uint32_t codePage) {
    switch (codePage) {
    case 936:
        return "GB18030";
    case 950:
        return "CP950";
    case 932:
        return "CP932";
    case 65001:
        return "UTF-8";
    default:
        return "CP" + std::to_string(codePage);
    }
}

std::optional<std::u32string> DecodePage(std::string_view html, uint32_t fallbackCodePage, std::string& message) {
    if (html.starts_with("\xEF\xBB\xBF"))
        return DecodeUtf8Lenient(html.substr(3));
    if (html.starts_with("\xFF\xFE"))
        return DecodeCharsetLenient("UTF-16LE", html.substr(2));
    if (html.starts_with("\xFE\xFF"))
        return DecodeCharsetLenient("UTF-16BE", html.substr(2));
    if (std::memchr(html.data(), 0, std::min(html.size(), kBinaryProbe)) != nullptr) {
        message = "not a text page (binary data)";
        return std::nullopt;
    }
    const std::string declared = DeclaredCharset(html);
    std::string charset = declared.empty() ? std::string() : IconvCharset(declared);
    if (charset.empty()) {
        charset = IsValidUtf8(std::string(html.substr(0, kDeclarationWindow * 4))) ? "UTF-8"
                                                                                   : CodePageCharset(fallbackCodePage);
    }
    if (charset == "UTF-8")
        return DecodeUtf8Lenient(html);
    if (auto decoded = DecodeCharsetLenient(charset, html))
        return decoded;
    message = "unknown charset \"" + declared + "\", read as UTF-8";
    return DecodeUtf8Lenient(html);
}

struct NamedEntity {
    const char* name;
    char32_t code;
};

constexpr std::array kEntities = {
    NamedEntity{"amp", U'&'},         NamedEntity{"lt", U'<'},          NamedEntity{"gt", U'>'},
    NamedEntity{"quot", U'"'},        NamedEntity{"apos", U'\''},       NamedEntity{"nbsp", U'\u00A0'},
    NamedEntity{"copy", U'\u00A9'},   NamedEntity{"reg", U'\u00AE'},    NamedEntity{"trade", U'\u2122'},
    NamedEntity{"mdash", U'\u2014'},  NamedEntity{"ndash", U'\u2013'},  NamedEntity{"hellip", U'\u2026'},
    NamedEntity{"lsquo", U'\u2018'},  NamedEntity{"rsquo", U'\u2019'},  NamedEntity{"ldquo", U'\u201C'},
    NamedEntity{"rdquo", U'\u201D'},  NamedEntity{"middot", U'\u00B7'}, NamedEntity{"times", U'\u00D7'},
    NamedEntity{"deg", U'\u00B0'},    NamedEntity{"eacute", U'\u00E9'}, NamedEntity{"egrave", U'\u00E8'},
    NamedEntity{"agrave", U'\u00E0'}, NamedEntity{"uuml", U'\u00FC'},   NamedEntity{"ouml", U'\u00F6'},
    NamedEntity{"auml", U'\u00E4'},   NamedEntity{"szlig", U'\u00DF'},  NamedEntity{"bull", U'\u2022'},
};

// Decodes the reference starting at text[at] == '&'; returns the code point and advances at, or leaves at alone.
std::optional<char32_t> DecodeReference(std::u32string_view text, size_t& at) {
    const size_t end = text.find(U';', at + 1);
    if (end == std::u32string_view::npos || end - at > 12)
        return std::nullopt;
    std::string name;
    for (size_t i = at + 1; i < end; ++i) {
        if (text[i] > 0x7F)
            return std::nullopt;
        name += static_cast<char>(text[i]);
    }
    std::optional<char32_t> code;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits = name.substr(hex ? 2 : 1);
        char* parsedEnd = nullptr;
        const unsigned long value = digits.empty() ? 0 : std::strtoul(digits.c_str(), &parsedEnd, hex ? 16 : 10);
        if (!digits.empty() && *parsedEnd == '\0' && value > 0 && value <= 0x10FFFF)
            code = static_cast<char32_t>(value);
    } else {
        for (const NamedEntity& entity : kEntities)
            if (name == entity.name)
                code = entity.code;
    }
    if (code)
        at = end + 1;
    return code;
}

bool IsNameChar(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '!' || c == '-';
}

// Tags that end a line for a reader; inline tags such as <span> may split a Chinese word and must not.
bool IsBlockTag(const std::string& name) {
    static const char* const kBlockTags[] = {
        "p",     "div",        "br",    "h1",    "h2",     "h3",   "h4",     "h5",      "h6",      "li", "ul", "ol",
        "table", "tr",         "td",    "th",    "title",  "head", "body",   "html",    "hr",      "dt", "dd", "dl",
        "pre",   "blockquote", "tbody", "thead", "option", "form", "center", "caption", "address", "img"};
    return std::any_of(std::begin(kBlockTags), std::end(kBlockTags), [&](const char* tag) { return name == tag; });
}

size_t FindCaseless(std::u32string_view text, std::string_view needle, size_t from) {
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && AsciiLower(text[i + k]) == static_cast<char32_t>(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::u32string_view::npos;
}

// The end of the tag opened at text[at] == '<': the '>' outside quoted attribute values.
size_t TagEnd(std::u32string_view text, size_t at) {
    char32_t quote = 0;
    for (size_t i = at + 1; i < text.size(); ++i)
        if (quote != 0)
            quote = text[i] == quote ? 0 : quote;
        else if (text[i] == '"' || text[i] == '\'')
            quote = text[i];
        else if (text[i] == '>')
            return i;
    return std::u32string_view::npos;
}

// Gathers what a reader sees into the decoded page itself: no character of it takes more room than the text,
// reference or tag it comes from, so it is written behind the reading position and no second copy is made.
class TextCollector {
public:
    PageText Collect(std::u32string&& decoded) {
        page_.body = std::move(decoded);
        out_ = page_.body.data();
        const std::u32string_view text = page_.body;
        size_t at = 0;
        while (at < text.size()) {
            const char32_t c = text[at];
            if (c == '<') {
                at = Tag(text, at);
            } else if (c == '&') {
                const std::optional<char32_t> code = DecodeReference(text, at);
                Put(code.value_or(U'&'));
                at += code ? 0 : 1;
            } else {
                Put(c == '\r' || c == '\n' || c == '\t' || c == U'\u00A0' ? U' ' : c);
                ++at;
            }
        }
        page_.body.resize(static_cast<size_t>(out_ - page_.body.data()));
        // The body was written over the decoded page in place; pages wait in batches for the index, and each
        // would otherwise keep the whole page's four bytes a character.
        page_.body.shrink_to_fit();
        if (page_.title.empty())
            page_.title = firstHeading_;
        return std::move(page_);
    }

private:
    void Put(char32_t c) {
        *out_++ = c;
        if (copying_)
            CopyToTitles(c);
    }

    void CopyToTitles(char32_t c) {
        if (inTitle_)
            page_.title.push_back(c);
        if (inHeading_ && !headingDone_)
            firstHeading_.push_back(c);
    }

    size_t Tag(std::u32string_view text, size_t at) {
        if (text.substr(at, 4) == U"<!--") {
            const size_t close = text.find(U"-->", at + 4);
            return close == std::u32string_view::npos ? text.size() : close + 3;
        }
        const bool closing = at + 1 < text.size() && text[at + 1] == '/';
        size_t nameEnd = at + (closing ? 2 : 1);
        std::string name;
        while (nameEnd < text.size() && IsNameChar(text[nameEnd]) && name.size() < 16) {
            name += AsciiLower(static_cast<char>(text[nameEnd]));
            ++nameEnd;
        }
        const char32_t next = at + 1 < text.size() ? text[at + 1] : U' ';
        if (name.empty() && next != '?' && next != '/') { // a lone '<' in the text, as in "a < b"
            Put(U'<');
            return at + 1;
        }
        const size_t end = TagEnd(text, at);
        if (end == std::u32string_view::npos)
            return text.size(); // a tag cut off at the end of the page
        if (!closing && (name == "script" || name == "style")) {
            const size_t close = FindCaseless(text, name == "script" ? "</script" : "</style", end + 1);
            const size_t closeEnd = close == std::u32string_view::npos ? close : TagEnd(text, close);
            // A closing tag cut off at the end of the page ends the script there too.
            return closeEnd == std::u32string_view::npos ? text.size() : closeEnd + 1;
        }
        if (name == "title") {
            inTitle_ = !closing;
        } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
            inHeading_ = !closing;
            headingDone_ = headingDone_ || (closing && !firstHeading_.empty());
        }
        copying_ = inTitle_ || (inHeading_ && !headingDone_);
        if (IsBlockTag(name))
            Put(U' ');
        return end + 1;
    }

    PageText page_;
    char32_t* out_ = nullptr; // where the next character of the body goes, never ahead of the reading
    std::u32string firstHeading_;
    bool inTitle_ = false;
    bool inHeading_ = false;
    bool headingDone_ = false;
    bool copying_ = false; // into the title or the first heading
};

std::u32string Trimmed(const std::u32string& text) {
    std::u32string result;
    for (const char32_t c : text)
        if (c != U' ' || (!result.empty() && result.back() != U' '))
            result.push_back(c);
    while (!result.empty() && result.back() == U' ')
        result.pop_back();
    return result;
}

// The href and src values of the decoded page's tags, as PageLinks gives them.
std::vector<std::string> LinksOf(std::u32string_view text) {
    std::vector<std::string> links;
    const size_t size = text.size();
    const auto isSpace = [](char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; };
    const auto lowerName = [&](size_t from, size_t to) {
        std::string name;
        for (size_t k = from; k < to; ++k)
            name += text[k] < 0x80 ? static_cast<char>(AsciiLower(text[k])) : '?';
        return name;
    };
    // Only the attributes of tags count: a page that shows markup as text ("&lt;a href=...&gt;") links nowhere,
    // and neither do comments, scripts and styles.
    size_t i = 0;
    while ((i = text.find(U'<', i)) != std::u32string_view::npos) {
        if (text.compare(i, 4, U"<!--") == 0) {
            const size_t end = text.find(U"-->", i + 4);
            i = end == std::u32string_view::npos ? size : end + 3;
            continue;
        }
        ++i;
        if (i >= size || !((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z')))
            continue; // an end tag, a declaration or a lone "<"
        const size_t nameStart = i;
        while (i < size && !isSpace(text[i]) && text[i] != '>' && text[i] != '/')
            ++i;
        const std::string tag = lowerName(nameStart, i);
        while (i < size && text[i] != '>') {
            if (isSpace(text[i]) || text[i] == '/') {
                ++i;
                continue;
            }
            const size_t attributeStart = i;
            while (i < size && !isSpace(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/')
                ++i;
            const std::string attribute = lowerName(attributeStart, i);
            while (i < size && isSpace(text[i]))
                ++i;
            if (i >= size || text[i] != '=')
                continue;
            ++i;
            while (i < size && isSpace(text[i]))
                ++i;
            size_t begin = i;
            size_t end = i;
            if (i < size && (text[i] == '"' || text[i] == '\'')) {
                end = text.find(text[i], i + 1);
                if (end == std::u32string_view::npos)
                    break; // a quote never closed: the rest of the page is no tag
                begin = i + 1;
                i = end + 1;
            } else {
                while (end < size && !isSpace(text[end]) && text[end] != '>')
                    ++end;
                i = end;
            }
            if (attribute != "href" && attribute != "src")
                continue;
            std::u32string value;
            for (size_t k = begin; k < end;) {
                size_t next = k;
                const std::optional<char32_t> code = text[k] == '&' ? DecodeReference(text, next) : std::nullopt;
                value.push_back(code.value_or(text[k]));
                k = code ? next : k + 1;
            }
            links.push_back(EncodeUtf8(value));
        }
        if (tag == "script" || tag == "style") {
            const size_t close = FindCaseless(text, "</" + tag, i);
            i = close == std::u32string_view::npos ? size : close;
        }
    }
    return links;
}

} // namespace

PageTextResult ExtractPageText(std::string_view html, uint32_t fallbackCodePage, std::vector<std::string>* links) {
    PageTextResult result;
    std::string message;
    std::optional<std::u32string> decoded = DecodePage(html, fallbackCodePage, message);
    if (!decoded) {
        result.status = Failure(StatusCode::NotThisFormat, std::move(message));
        return result;
    }
    result.warning = std::move(message);
    if (links != nullptr)
        *links = LinksOf(*decoded);
    result.text = TextCollector().Collect(std::move(*decoded));
    result.text.title = Trimmed(result.text.title);
    return result;
}

std::vector<std::string> PageLinks(std::string_view html, uint32_t fallbackCodePage) {
    std::string message;
    const std::optional<std::u32string> decoded = DecodePage(html, fallbackCodePage, message);
    return decoded ? LinksOf(*decoded) : std::vector<std::string>();
}
