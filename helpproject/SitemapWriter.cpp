#include "SitemapWriter.h"

#include "base/CodePageText.h"

void AppendSitemapHead(LineList& lines, uint32_t codePage) {
    lines.push_back("<HTML>");
    lines.push_back("<HEAD>");
    lines.push_back("<meta http-equiv=Content-Type content=\"text/html; charset=" + PageCharsetName(codePage) + "\">");
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

void AppendTopicEntry(LineList& lines, const BookTopic& topic, uint32_t codePage) {
    lines.push_back("<LI> <OBJECT type=\"text/sitemap\">");
    lines.push_back("<param name=\"Name\" value=\"" + EscapedHelpText(topic.title, codePage) + "\">");
    lines.push_back("<param name=\"Local\" value=\"" + HelpFileName(topic.pageName, codePage) + "\">");
    if (topic.children.empty())
        lines.push_back("<param name=\"ImageNumber\" value=\"11\">");
    lines.push_back("</OBJECT>");
}
