#include "SitemapWriter.h"

#include "engine/ConvertOptions.h"

#include "automation/CodePage.h"
#include "automation/HeadingText.h"

void AppendSitemapHead(LineList& lines) {
    lines.push_back("<HTML>");
    lines.push_back("<HEAD>");
    lines.push_back("<meta http-equiv=Content-Type content=\"text/html; charset=gb2312\">");
    lines.push_back("  <meta name=\"GENERATOR\" content=\"Leafbind\">");
    lines.push_back("<!-- Sitemap 1.0 -->");
    lines.push_back("</HEAD>");
    lines.push_back("<BODY>");
}

void AppendSiteProperties(LineList& lines) {
    lines.push_back("<OBJECT type=\"text/site properties\">");
    lines.push_back("\t<param name=\"Window Styles\" value=\"0x800235\">");
    lines.push_back("</OBJECT>");
}

void AppendSitemapTail(LineList& lines) {
    lines.push_back("</UL>");
    lines.push_back("</BODY>");
    lines.push_back("</HTML>");
}

std::string TopicTitle(const TopicNode& node) {
    std::string text = PlainTitle(node);
    if (ConvertOptions::Instance().showNumbering && !node.paragraph.empty()) {
        const std::string number = node.paragraph.Range().ListFormat().ListString();
        if (!number.empty())
            text = number + " " + text;
    }
    const auto wide = NarrowToWide(text);
    if (!wide)
        return text;
    return WideToNarrow(ShortTitle(PlainHeadingText(*wide))).value_or(text);
}

void AppendTopicEntry(LineList& lines, const TopicNode& node) {
    lines.push_back("<LI> <OBJECT type=\"text/sitemap\">");
    lines.push_back("<param name=\"Name\" value=\"" + EscapedHelpText(TopicTitle(node)) + "\">");
    lines.push_back("<param name=\"Local\" value=\"" + node.pageName + "\">");
    if (!node.firstChild)
        lines.push_back("<param name=\"ImageNumber\" value=\"11\">");
    lines.push_back("</OBJECT>");
}
