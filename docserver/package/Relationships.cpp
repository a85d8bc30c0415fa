#include "Relationships.h"

#include "docserver/package/XmlPart.h"

#include "base/Text.h"

#include <vector>

std::string RelationshipsPartName(const std::string& partName) {
    const size_t slash = partName.rfind('/');
    if (slash == std::string::npos)
        return "_rels/" + partName + ".rels";
    return partName.substr(0, slash) + "/_rels/" + partName.substr(slash + 1) + ".rels";
}

bool ResolvePartName(const std::string& sourcePart, const std::string& target, std::string& partName) {
    std::string path = PercentDecoded(target);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    std::vector<std::string> segments;
    if (path.empty() || path[0] != '/') {
        const size_t slash = sourcePart.rfind('/');
        if (slash != std::string::npos) {
            size_t begin = 0;
            const std::string folder = sourcePart.substr(0, slash);
            while (begin <= folder.size()) {
                const size_t end = folder.find('/', begin);
                const std::string segment = folder.substr(begin, end == std::string::npos ? end : end - begin);
                if (!segment.empty())
                    segments.push_back(segment);
                if (end == std::string::npos)
                    break;
                begin = end + 1;
            }
        }
    }
    size_t begin = 0;
    while (begin <= path.size()) {
        const size_t end = path.find('/', begin);
        const std::string segment = path.substr(begin, end == std::string::npos ? end : end - begin);
        if (segment == "..") {
            if (segments.empty())
                return false;
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    partName.clear();
    for (const std::string& segment : segments)
        partName += (partName.empty() ? "" : "/") + segment;
    return !partName.empty();
}

RelationshipsResult ParseRelationships(const std::string& xml, const std::string& sourcePart) {
    RelationshipsResult result;
    pugi::xml_document document;
    result.status = ParseXmlPart(document, xml, RelationshipsPartName(sourcePart));
    if (!result.status.ok())
        return result;
    for (pugi::xml_node node : document.document_element().children()) {
        if (!IsElement(node, "Relationship"))
            continue;
        Relationship relationship;
        relationship.type = AttributeText(node, "Type");
        relationship.external = AttributeText(node, "TargetMode") == "External";
        const std::string target = AttributeText(node, "Target");
        if (relationship.external) {
            relationship.target = target;
        } else if (!ResolvePartName(sourcePart, target, relationship.target)) {
            relationship.outsidePackage = true;
            relationship.target = target;
        }
        result.byId[AttributeText(node, "Id")] = relationship;
    }
    return result;
}

const Relationship* FindRelationshipByType(const RelationshipsResult& relationships, const std::string& typeSuffix) {
    for (const auto& [id, relationship] : relationships.byId)
        if (relationship.type.size() >= typeSuffix.size() &&
            relationship.type.compare(relationship.type.size() - typeSuffix.size(), typeSuffix.size(), typeSuffix) == 0)
            return &relationship;
    return nullptr;
}
