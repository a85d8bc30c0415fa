#include "NumberingReader.h"

#include "base/Text.h"
#include "docserver/docx/FormatReader.h"
#include "docserver/package/XmlPart.h"

#include <algorithm>

namespace {

// A level's number format. Newer Word writes formats older ones lack inside mc:AlternateContent: a custom format of
// zero-padded numbers ("001, 002, 003, ...") is read as decimal with that many digits, anything else by its fallback.
std::string LevelFormat(const pugi::xml_node& level) {
    if (Child(level, "numFmt"))
        return ChildValue(level, "numFmt", "decimal");
    const pugi::xml_node alternatives = Child(level, "AlternateContent");
    const pugi::xml_node chosen = Child(Child(alternatives, "Choice"), "numFmt");
    if (AttributeText(chosen, "val") == "custom") {
        const std::string pattern = AttributeText(chosen, "format");
        const size_t width = pattern.find_first_not_of("0123456789");
        const std::string first = pattern.substr(0, width);
        if (first.size() >= 2 && first.size() <= 9 && first.front() == '0')
            return first.size() == 2 ? "decimalZero" : "decimalZero" + std::to_string(first.size());
    } else if (chosen) {
        return ChildValue(Child(alternatives, "Choice"), "numFmt", "decimal");
    }
    return ChildValue(Child(alternatives, "Fallback"), "numFmt", "decimal");
}

NumberingLevel ReadLevel(const pugi::xml_node& node) {
    NumberingLevel level;
    level.start = ChildInt(node, "start", 1);
    level.format = LevelFormat(node);
    level.text = Utf8ToUtf16(ChildValue(node, "lvlText"));
    level.restartAfter = ChildInt(node, "lvlRestart", -1);
    level.legal = OnOff(node, "isLgl") == 1;
    level.style = ChildValue(node, "pStyle");
    if (const pugi::xml_node indent = Child(Child(node, "pPr"), "ind")) {
        const ParagraphFormat format = ReadParagraphFormat(Child(node, "pPr"), ThemeFonts{});
        level.indentLeft = std::max(format.indentLeft, 0);
        level.indentFirstLine = format.indentFirstLine;
    }
    level.suffix = ChildValue(node, "suff", "tab");
    return level;
}

} // namespace

Status ReadNumbering(const std::string& xml, Numbering& numbering) {
    pugi::xml_document parsed;
    if (Status parse = ParseXmlPart(parsed, xml, "word/numbering.xml"); !parse.ok())
        return parse;
    for (pugi::xml_node node : parsed.document_element().children()) {
        if (IsElement(node, "abstractNum")) {
            AbstractNumbering abstract;
            abstract.levels.resize(9);
            for (pugi::xml_node levelNode : node.children()) {
                if (!IsElement(levelNode, "lvl"))
                    continue;
                const int index = Attribute(levelNode, "ilvl").as_int(-1);
                if (index >= 0 && index < 9)
                    abstract.levels[static_cast<size_t>(index)] = ReadLevel(levelNode);
            }
            numbering.abstracts[Attribute(node, "abstractNumId").as_int()] = std::move(abstract);
        } else if (IsElement(node, "num")) {
            NumberingInstance instance;
            instance.abstractId = ChildInt(node, "abstractNumId", 0);
            for (pugi::xml_node override : node.children()) {
                if (!IsElement(override, "lvlOverride"))
                    continue;
                const int index = Attribute(override, "ilvl").as_int(-1);
                if (index < 0 || index >= 9)
                    continue;
                if (const pugi::xml_node start = Child(override, "startOverride"))
                    instance.startOverrides[index] = Attribute(start, "val").as_int(1);
                if (const pugi::xml_node level = Child(override, "lvl"))
                    instance.levelOverrides[index] = ReadLevel(level);
            }
            numbering.instances[Attribute(node, "numId").as_int()] = std::move(instance);
        }
    }
    return {};
}
