#include "BlankDocument.h"

#include "base/Text.h"

#include <algorithm>

namespace {

std::vector<Style> BuiltInStyles() {
    std::vector<Style> styles;
    Style normal;
    normal.id = "Normal";
    normal.name = "Normal";
    normal.isDefault = true;
    styles.push_back(normal);
    for (int level = 1; level <= 9; ++level) {
        Style heading;
        heading.id = "Heading" + std::to_string(level);
        heading.name = "heading " + std::to_string(level);
        heading.basedOn = "Normal";
        heading.paragraph.outlineLevel = level - 1;
        heading.run.bold = 1;
        heading.run.sizeHalfPoints = level == 1 ? 32 : level == 2 ? 26 : 24;
        styles.push_back(heading);
    }
    Style defaultFont;
    defaultFont.id = "DefaultParagraphFont";
    defaultFont.name = "Default Paragraph Font";
    defaultFont.type = "character";
    defaultFont.isDefault = true;
    styles.push_back(defaultFont);
    Style hyperlink;
    hyperlink.id = "Hyperlink";
    hyperlink.name = "Hyperlink";
    hyperlink.type = "character";
    hyperlink.basedOn = "DefaultParagraphFont";
    hyperlink.run.color = 0xFF0000; // blue as 0xBBGGRR
    hyperlink.run.underline = 1;
    styles.push_back(hyperlink);
    Style followed = hyperlink;
    followed.id = "FollowedHyperlink";
    followed.name = "FollowedHyperlink";
    followed.run.color = 0x800080;
    styles.push_back(followed);
    Style table;
    table.id = "TableNormal";
    table.name = "Normal Table";
    table.type = "table";
    table.isDefault = true;
    styles.push_back(table);
    Style noList;
    noList.id = "NoList";
    noList.name = "No List";
    noList.type = "numbering";
    noList.isDefault = true;
    styles.push_back(noList);
    for (const char* name : {"Header", "Footer"}) {
        Style style;
        style.id = name;
        style.name = AsciiLower(name);
        style.basedOn = "Normal";
        styles.push_back(style);
    }
    return styles;
}

} // namespace

void AddMissingDefaultStyles(Document& document) {
    for (Style& builtIn : BuiltInStyles()) {
        const bool present = std::any_of(document.styles.begin(), document.styles.end(), [&](const Style& style) {
            return style.id == builtIn.id || EqualsIgnoringAsciiCase(style.name, builtIn.name);
        });
        if (present)
            continue;
        // A document that names its own default keeps it.
        if (builtIn.isDefault)
            builtIn.isDefault = std::none_of(document.styles.begin(), document.styles.end(), [&](const Style& style) {
                return style.isDefault && style.type == builtIn.type;
            });
        document.styles.push_back(std::move(builtIn));
    }
}

Document MakeBlankDocument() {
    Document document;
    Story body;
    body.text = u"\r";
    body.paragraphs.push_back(ParagraphEntry{1, ParagraphFormat{}, 0});
    body.runs.push_back(RunSpan{0, 1, RunFormat{}});
    document.stories.push_back(std::move(body));
    document.sections.emplace_back();
    AddMissingDefaultStyles(document);
    return document;
}
