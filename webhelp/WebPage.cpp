#include "WebPage.h"

#include "base/HtmlEscape.h"
#include "base/Text.h"

namespace {

std::string HeadElements(const std::string& dataScript) {
    std::string head = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<link rel=\"stylesheet\" href=\"_web/leafbind.css\">\n"
                       "<script src=\"_web/book.js\"></script>\n";
    if (!dataScript.empty())
        head += "<script src=\"" + dataScript + "\"></script>\n";
    return head + "<script src=\"_web/leafbind.js\" defer></script>\n";
}

// The title bar and the side panel, then the start of the topic's area (kind and page for the script).
std::string FrameTop(const std::string& bookTitle, const std::string& kind, const std::string& pageName) {
    const std::string title = EscapedHtmlAttribute(bookTitle);
    return "\n<a class=\"lb-skip\" href=\"#lb-main\">Skip to the topic</a>\n"
           "<header id=\"lb-top\"><button id=\"lb-menu\" type=\"button\" aria-controls=\"lb-side\" "
           "aria-expanded=\"false\" title=\"Contents and index\">&#9776;</button>"
           "<a id=\"lb-title\" href=\"index.html\">" +
           title +
           "</a><form id=\"lb-search\" action=\"search.html\" role=\"search\">"
           "<input type=\"search\" name=\"q\" aria-label=\"Search the topics\" placeholder=\"Search\">"
           "<button type=\"submit\">Search</button></form></header>\n"
           "<nav id=\"lb-side\" aria-label=\"Contents and index\"></nav>\n"
           "<main id=\"lb-main\" tabindex=\"-1\" data-kind=\"" +
           kind + "\" data-page=\"" + EscapedHtmlAttribute(pageName) + "\">\n";
}

std::string Trail(const std::string& bookTitle, const PagePlace& place) {
    std::string trail = "<nav class=\"lb-trail\" aria-label=\"Place in the contents\"><a href=\"index.html\">" +
                        EscapedHtmlAttribute(bookTitle) + "</a>";
    for (size_t i = 0; i < place.trail.size(); ++i) {
        const PagePlace::Step& step = place.trail[i];
        trail += " <span aria-hidden=\"true\">&rsaquo;</span> ";
        if (i + 1 == place.trail.size())
            trail += "<span aria-current=\"page\">" + EscapedHtmlAttribute(step.title) + "</span>";
        else
            trail +=
                "<a href=\"" + EscapedHtmlAttribute(step.pageName) + "\">" + EscapedHtmlAttribute(step.title) + "</a>";
    }
    return trail + "</nav>\n";
}

// Where in lower (the page folded to lower case) the named tag opens, else npos.
size_t TagStart(const std::string& lower, const std::string& name, bool last = false) {
    const std::string open = "<" + name;
    for (size_t at = last ? lower.rfind(open) : lower.find(open); at != std::string::npos;
         at = last ? (at == 0 ? std::string::npos : lower.rfind(open, at - 1)) : lower.find(open, at + 1)) {
        const char after = at + open.size() < lower.size() ? lower[at + open.size()] : '>';
        if (after == '>' || after == ' ' || after == '\t' || after == '\r' || after == '\n')
            return at;
    }
    return std::string::npos;
}

} // namespace

std::string TopicInFrame(const std::string& page, const std::string& bookTitle, const std::string& pageName,
                         const PagePlace& place) {
    std::string framed = page;
    std::string lower = AsciiLower(framed);
    // From the end backwards, so that each place found stays where it was.
    const size_t bodyEnd = TagStart(lower, "/body", true);
    framed.insert(bodyEnd == std::string::npos ? framed.size() : bodyEnd, "\n</main>\n");
    const size_t body = TagStart(lower, "body");
    const size_t bodyOpenEnd = body == std::string::npos ? std::string::npos : lower.find('>', body);
    const std::string top = FrameTop(bookTitle, "topic", pageName) + Trail(bookTitle, place);
    size_t headEnd = TagStart(lower, "/head");
    if (bodyOpenEnd != std::string::npos) {
        framed.insert(bodyOpenEnd + 1, top);
    } else {
        framed.insert(headEnd == std::string::npos ? 0 : lower.find('>', headEnd) + 1, "<body>" + top);
    }
    // The frame's style sheet comes last, so its layout wins over the page's own rules for the body.
    if (headEnd == std::string::npos)
        headEnd = body == std::string::npos ? 0 : body;
    framed.insert(headEnd, HeadElements(""));
    return framed;
}

std::string FramePage(const std::string& bookTitle, const std::string& heading, const std::string& kind,
                      const std::string& dataScript) {
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + EscapedHtmlAttribute(heading) +
           " - " + EscapedHtmlAttribute(bookTitle) + "</title>\n" + HeadElements(dataScript) + "</head>\n<body>" +
           FrameTop(bookTitle, kind, "") + "<h1>" + EscapedHtmlAttribute(heading) +
           "</h1>\n<div id=\"lb-content\"><p>This page needs scripts, which are turned off.</p></div>\n</main>\n"
           "</body>\n</html>\n";
}
