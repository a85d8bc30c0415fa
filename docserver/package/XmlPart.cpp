#include "XmlPart.h"

#include <cstdlib>
#include <cstring>

namespace {

// pugixml never defines or expands entities; a DOCTYPE is kept as a node only so it can be refused below.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype;

Status CheckParsed(const pugi::xml_document& document, const pugi::xml_parse_result& parsed,
                   const std::string& partName) {
    if (!parsed) {
        return Failure(StatusCode::Damaged, "the part /" + partName + " is not well-formed XML (" +
                                                parsed.description() + " at byte " + std::to_string(parsed.offset) +
                                                ")");
    }
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype) {
            // Word documents never declare a document type; one here is an entity trick or a foreign file.
            return Failure(StatusCode::Damaged,
                           "the part /" + partName + " declares a document type (DTD), which Word documents never do");
        }
    if (!document.document_element())
        return Failure(StatusCode::Damaged, "the part /" + partName + " holds no XML element");
    return {};
}

} // namespace

Status ParseXmlPart(pugi::xml_document& document, const std::string& data, const std::string& partName) {
    return CheckParsed(document, document.load_buffer(data.data(), data.size(), kParseOptions, pugi::encoding_auto),
                       partName);
}

Status ParseXmlPartInPlace(pugi::xml_document& document, std::string& data, const std::string& partName) {
    return CheckParsed(
        document, document.load_buffer_inplace(data.data(), data.size(), kParseOptions, pugi::encoding_auto), partName);
}

const char* LocalName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool IsElement(const pugi::xml_node& node, const char* localName) {
    return node.type() == pugi::node_element && std::strcmp(LocalName(node), localName) == 0;
}

pugi::xml_node Child(const pugi::xml_node& node, const char* localName) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (IsElement(child, localName))
            return child;
    return {};
}

pugi::xml_attribute Attribute(const pugi::xml_node& node, const char* localName) {
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        const char* colon = std::strchr(name, ':');
        if (std::strcmp(colon ? colon + 1 : name, localName) == 0)
            return attribute;
    }
    return {};
}

std::string AttributeText(const pugi::xml_node& node, const char* localName) {
    return Attribute(node, localName).as_string();
}

std::string ChildValue(const pugi::xml_node& node, const char* childName, const std::string& fallback) {
    const pugi::xml_node child = Child(node, childName);
    if (!child)
        return fallback;
    const pugi::xml_attribute value = Attribute(child, "val");
    return value ? value.as_string() : fallback;
}

int ChildInt(const pugi::xml_node& node, const char* childName, int fallback) {
    const std::string text = ChildValue(node, childName);
    if (text.empty())
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || value > 1000000000L || value < -1000000000L)
        return fallback;
    return static_cast<int>(value);
}

namespace {

// Every spelling of "off" the format allows; anything else, an empty value included, is "on".
int OnOffValue(const std::string& value) {
    return (value == "0" || value == "false" || value == "off" || value == "none") ? 0 : 1;
}

} // namespace

int OnOff(const pugi::xml_node& node, const char* childName) {
    const pugi::xml_node child = Child(node, childName);
    if (!child)
        return -1;
    return OnOffValue(AttributeText(child, "val"));
}

int OnOffAttribute(const pugi::xml_node& node, const char* localName) {
    const pugi::xml_attribute attribute = Attribute(node, localName);
    if (!attribute)
        return -1;
    return OnOffValue(attribute.as_string());
}
