#pragma once
// A part's relationships (its _rels/<name>.rels part): id -> target, with internal targets resolved to part names.

#include "base/Status.h"

#include <map>
#include <string>

struct Relationship {
    std::string type;   // the relationship type URI
    std::string target; // a part name without leading '/', or the raw URI when external
    bool external = false;
    bool outsidePackage = false; // an internal target that climbs above the package root
};

struct RelationshipsResult {
    Status status;
    std::map<std::string, Relationship> byId;
};

// The .rels part name for a part: "word/document.xml" -> "word/_rels/document.xml.rels"; "" -> "_rels/.rels".
std::string RelationshipsPartName(const std::string& partName);
// Resolves target against the folder of sourcePart; false when it leads out of the package.
bool ResolvePartName(const std::string& sourcePart, const std::string& target, std::string& partName);
RelationshipsResult ParseRelationships(const std::string& xml, const std::string& sourcePart);
// The first relationship whose type ends with typeSuffix ("/officeDocument"), or nullptr.
const Relationship* FindRelationshipByType(const RelationshipsResult& relationships, const std::string& typeSuffix);
