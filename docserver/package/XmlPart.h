#pragma once
// Parsing one package part as XML. A part that declares a document type is refused, and no entity is ever
// expanded, so entity tricks (billion laughs, external entities) have nothing to work with.

#include "base/Status.h"

#include <pugixml.hpp>

#include <string>

// Damaged when the part is not well-formed, declares a document type or holds no element.
Status ParseXmlPart(pugi::xml_document& document, const std::string& data, const std::string& partName);
// The same, parsing in data itself instead of a copy: data is changed and must outlive document. For a large part,
// which would otherwise be held twice while it is parsed.
Status ParseXmlPartInPlace(pugi::xml_document& document, std::string& data, const std::string& partName);

// The local part of a qualified name: "w:p" -> "p". Word's prefixes are fixed in practice but not by the format.
const char* LocalName(const pugi::xml_node& node);
bool IsElement(const pugi::xml_node& node, const char* localName);
pugi::xml_node Child(const pugi::xml_node& node, const char* localName);
// An attribute by local name ("w:val" and "val" both match "val").
pugi::xml_attribute Attribute(const pugi::xml_node& node, const char* localName);
std::string AttributeText(const pugi::xml_node& node, const char* localName);
// w:val of the child element, or fallback when the child or the attribute is absent.
std::string ChildValue(const pugi::xml_node& node, const char* childName, const std::string& fallback = "");
int ChildInt(const pugi::xml_node& node, const char* childName, int fallback);
// A Word on/off property: present without w:val means on; "0", "false", "off" mean off. -1 when absent.
int OnOff(const pugi::xml_node& node, const char* childName);
// An on/off attribute (w:default, w:beforeAutospacing): -1 when absent, else 0 or 1 as OnOff reads values.
int OnOffAttribute(const pugi::xml_node& node, const char* localName);
