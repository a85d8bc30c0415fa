#include "SitemapWriter.h"

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

std::string TopicTitle(const TopicNode& node, bool withNumber) {
    WordRange range = node.paragraph.Range();
    std::string text = range.Text(); // its paragraph mark goes when the line is written
    if (withNumber)
        return range.ListFormat().ListString() + " " + text;
    return text;
}

void AppendTopicEntry(LineList& lines, const TopicNode& node, bool withNumber) {
    lines.push_back("<LI> <OBJECT type=\"text/sitemap\">");
    lines.push_back("<param name=\"Name\" value=\"" + TopicTitle(node, withNumber) + "\">");
    lines.push_back("<param name=\"Local\" value=\"" + node.pageName + "\">");
    if (!node.firstChild)
        lines.push_back("<param name=\"ImageNumber\" value=\"11\">");
    lines.push_back("</OBJECT>");
}
