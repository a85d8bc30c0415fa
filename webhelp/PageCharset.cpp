#include "PageCharset.h"

#include "base/Charset.h"
#include "base/Text.h"

namespace {

// Browsers also look for the declaration only near the top.
constexpr size_t kDeclarationWindow = 4096;
constexpr std::string_view kUtf8Declaration = "<meta charset=\"utf-8\">";

struct Declaration {
    size_t tagStart = std::string_view::npos; // the meta element holding it
    size_t tagEnd = 0;                        // one past its '>'
    std::string charset;
};

Declaration FindDeclaration(std::string_view html) {
    const std::string head = AsciiLower(std::string(html.substr(0, kDeclarationWindow)));
    for (size_t tag = head.find("<meta"); tag != std::string::npos; tag = head.find("<meta", tag + 1)) {
        const size_t end = head.find('>', tag);
        if (end == std::string::npos)
            break;
        const size_t key = head.find("charset=", tag);
        if (key == std::string::npos || key > end)
            continue;
        size_t start = key + 8;
        while (start < end && (head[start] == '"' || head[start] == '\'' || head[start] == ' '))
            ++start;
        size_t stop = start;
        while (stop < end && head[stop] != '"' && head[stop] != '\'' && head[stop] != ' ' && head[stop] != ';' &&
               head[stop] != '/' && head[stop] != '>')
            ++stop;
        return {tag, end + 1, head.substr(start, stop - start)};
    }
    return {};
}

// The declared names of the code pages a help file uses, as iconv knows them. GB2312 and GBK pages are read as their
// superset GB18030, as browsers do.
std::string IconvName(const std::string& declared) {
    if (declared == "utf-8" || declared == "utf8")
        return "UTF-8";
    if (declared == "gb2312" || declared == "gbk" || declared == "x-gbk" || declared == "cp936" ||
        declared == "euc-cn" || declared == "gb18030")
        return "GB18030";
    if (declared == "shift_jis" || declared == "x-sjis" || declared == "sjis")
        return "CP932";
    if (declared == "ks_c_5601-1987" || declared == "euc-kr")
        return "CP949";
    if (declared == "big5")
        return "BIG5-HKSCS";
    if (declared.starts_with("windows-"))
        return "CP" + declared.substr(8);
    return declared;
}

bool IsValidUtf8(std::string_view text) {
    int replaced = 0;
    Utf8ToUtf16(std::string(text), &replaced);
    return replaced == 0;
}

} // namespace

std::string DeclaredCharset(std::string_view html) {
    return FindDeclaration(html).charset;
}

Utf8Page PageAsUtf8(std::string_view html) {
    Utf8Page page;
    const Declaration declaration = FindDeclaration(html);
    // The declaration is ASCII in every charset a page may declare, so it is replaced before the text is read.
    std::string declared;
    if (declaration.tagStart == std::string_view::npos) {
        declared = std::string(html);
        // Into the head when there is one: anything before the doctype would turn on quirks mode.
        const std::string top = AsciiLower(declared.substr(0, kDeclarationWindow));
        size_t head = top.find("<head");
        while (head != std::string::npos && head + 5 < top.size() && top[head + 5] != '>' && top[head + 5] != ' ')
            head = top.find("<head", head + 5);
        const size_t headEnd = head == std::string::npos ? std::string::npos : top.find('>', head);
        declared.insert(headEnd == std::string::npos ? 0 : headEnd + 1, kUtf8Declaration);
    } else {
        declared = std::string(html.substr(0, declaration.tagStart)) + std::string(kUtf8Declaration) +
                   std::string(html.substr(declaration.tagEnd));
    }
    const std::string charset = declaration.charset.empty() ? "UTF-8" : IconvName(declaration.charset);
    if (charset == "UTF-8") {
        if (!IsValidUtf8(declared)) {
            page.status = Failure(StatusCode::Damaged, declaration.charset.empty()
                                                           ? "the page declares no charset and is not UTF-8"
                                                           : "the page is not the UTF-8 it declares");
            return page;
        }
        page.html = std::move(declared);
        return page;
    }
    std::optional<std::string> converted = ConvertToUtf8Skipping(charset, declared, page.skippedBytes);
    if (!converted) {
        page.status = Failure(StatusCode::NotThisFormat, "the page's charset is unknown: " + declaration.charset);
        return page;
    }
    page.html = std::move(*converted);
    return page;
}
