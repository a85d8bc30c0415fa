#include "XmlPart.h"

#include <cstdlib>
#include <cstring>

XmlParseResult ParseXmlPart(pugi::xml_document& document, const std::string& data, const std::string& partName) {
    XmlParseResult result;
    // pugixml never defines or expands entities; a DOCTYPE is kept as a node only so it can be refused below.
    const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype;
    const pugi::xml_parse_result parsed = document.load_buffer(data.data(), data.size(), options, pugi::encoding_auto);
    if (!parsed) {
        result.message = "the part /" + partName + " is not well-formed XML (" + parsed.description() + " at byte " +
                         std::to_string(parsed.offset) + ")";
        return result;
    }
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling())
        if (node.type() == pugi::node_doctype) {
            // Word documents never declare a document type; one here is an entity trick or a foreign file.
            result.message = "the part /" + partName + " declares a document type (DTD), which Word documents never do";
            return result;
        }
    if (!document.document_element()) {
        result.message = "the part /" + partName + " holds no XML element";
        return result;
    }
    result.ok = true;
    return result;
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

std::u16string Utf8ToUtf16(const std::string& text, int* replaced) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    auto continuation = [&](size_t at) { return at < text.size() && (static_cast<unsigned char>(text[at]) >> 6) == 2; };
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // A sequence that is cut short, overlong, a surrogate or beyond U+10FFFF is one U+FFFD per byte
        // consumed, so what follows it still reads.
        uint32_t code = 0xFFFD;
        size_t length = 1;
        uint32_t least = 0;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte >> 5) == 6) {
            length = 2;
            least = 0x80;
            code = byte & 0x1F;
        } else if ((byte >> 4) == 14) {
            length = 3;
            least = 0x800;
            code = byte & 0x0F;
        } else if ((byte >> 3) == 30) {
            length = 4;
            least = 0x10000;
            code = byte & 0x07;
        }
        if (length > 1) {
            bool valid = true;
            for (size_t k = 1; k < length && valid; ++k) {
                valid = continuation(i + k);
                if (valid)
                    code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            }
            if (!valid || code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
                length = 0;
        } else if (byte >= 0x80) {
            length = 0;
        }
        if (length == 0) {
            code = 0xFFFD;
            length = 1;
            if (replaced)
                ++*replaced;
        }
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}
