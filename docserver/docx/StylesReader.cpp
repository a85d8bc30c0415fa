#include "StylesReader.h"

#include "docserver/docx/FormatReader.h"
#include "docserver/docx/TableFormatReader.h"
#include "docserver/model/StyleSheet.h"
#include "docserver/package/XmlPart.h"

Status ReadStyles(const std::string& xml, const ThemeFontScheme& theme, const ThemeColorScheme& colors,
                  Document& document) {
    pugi::xml_document parsed;
    if (Status parse = ParseXmlPart(parsed, xml, "word/styles.xml"); !parse.ok())
        return parse;
    const pugi::xml_node defaults = Child(parsed.document_element(), "docDefaults");
    const pugi::xml_node defaultRun = Child(Child(defaults, "rPrDefault"), "rPr");
    const pugi::xml_node language = Child(defaultRun, "lang");
    document.defaults.language = AttributeText(language, "val");
    document.defaults.eastAsiaLanguage = AttributeText(language, "eastAsia");
    document.themeFonts = ResolveThemeFonts(theme, document.defaults.eastAsiaLanguage);
    document.defaults.run = ReadRunFormat(defaultRun, document.themeFonts, &colors);
    document.defaults.paragraph =
        ReadParagraphFormat(Child(Child(defaults, "pPrDefault"), "pPr"), document.themeFonts, &colors);
    for (pugi::xml_node node : parsed.document_element().children()) {
        if (!IsElement(node, "style"))
            continue;
        Style style;
        style.id = AttributeText(node, "styleId");
        style.type = AttributeText(node, "type");
        if (style.type.empty())
            style.type = "paragraph";
        style.isDefault = OnOffAttribute(node, "default") == 1;
        style.name = ChildValue(node, "name", style.id);
        style.basedOn = ChildValue(node, "basedOn");
        style.paragraph = ReadParagraphFormat(Child(node, "pPr"), document.themeFonts, &colors);
        style.run = ReadRunFormat(Child(node, "rPr"), document.themeFonts, &colors);
        // The default paragraph style's language is the one its text gets, over the document defaults'.
        if (style.isDefault && style.type == "paragraph") {
            const pugi::xml_node styleLanguage = Child(Child(node, "rPr"), "lang");
            if (!AttributeText(styleLanguage, "val").empty())
                document.defaults.language = AttributeText(styleLanguage, "val");
            if (!AttributeText(styleLanguage, "eastAsia").empty())
                document.defaults.eastAsiaLanguage = AttributeText(styleLanguage, "eastAsia");
        }
        if (style.type == "table") {
            ReadBorders(Child(Child(node, "tblPr"), "tblBorders"), style.tableBorders, 6);
            style.table = ReadTableStyleFormat(node, document.themeFonts, &colors);
        }
        if (!style.id.empty() && !FindStyle(document, style.id))
            document.styles.push_back(std::move(style));
    }
    return {};
}
