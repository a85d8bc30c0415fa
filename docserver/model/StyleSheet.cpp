#include "StyleSheet.h"

#include "base/Text.h"

#include <algorithm>

const Style* FindStyle(const Document& document, const std::string& id) {
    for (const Style& style : document.styles)
        if (style.id == id)
            return &style;
    return nullptr;
}

std::string DefaultParagraphStyle(const Document& document) {
    for (const Style& style : document.styles)
        if (style.isDefault && style.type == "paragraph")
            return style.id;
    return "Normal";
}

namespace {

// Calls visit on the paragraph's style and its ancestors until visit returns true; loops in basedOn are cut.
template <typename Visit> void WalkStyleChain(const Document& document, const ParagraphFormat& format, Visit visit) {
    std::string id = format.style.empty() ? DefaultParagraphStyle(document) : format.style;
    for (int guard = 0; guard < 32 && !id.empty(); ++guard) {
        const Style* style = FindStyle(document, id);
        if (!style || visit(*style))
            return;
        id = style->basedOn;
    }
}

int BuiltInHeadingLevel(const std::string& name) {
    const std::string lower = AsciiLower(name);
    if (lower.size() == 9 && lower.compare(0, 8, "heading ") == 0 && lower[8] >= '1' && lower[8] <= '9')
        return lower[8] - '0';
    return 0;
}

int LevelFromOutlineValue(int value) {
    return value >= 0 && value <= 8 ? value + 1 : kBodyTextLevel;
}

} // namespace

int OutlineLevelOf(const Document& document, const ParagraphFormat& format) {
    if (format.outlineLevel >= 0)
        return LevelFromOutlineValue(format.outlineLevel);
    int level = 0;
    WalkStyleChain(document, format, [&](const Style& style) {
        if (style.paragraph.outlineLevel >= 0) {
            level = LevelFromOutlineValue(style.paragraph.outlineLevel);
            return true;
        }
        if (const int builtIn = BuiltInHeadingLevel(style.name)) {
            level = builtIn;
            return true;
        }
        return false;
    });
    return level ? level : kBodyTextLevel;
}

ListMembership ListOf(const Document& document, const ParagraphFormat& format) {
    ListMembership list;
    int numId = format.numId;
    int level = format.numLevel;
    if (numId < 0 || level < 0) {
        WalkStyleChain(document, format, [&](const Style& style) {
            if (numId < 0 && style.paragraph.numId >= 0)
                numId = style.paragraph.numId;
            if (level < 0 && style.paragraph.numLevel >= 0)
                level = style.paragraph.numLevel;
            return numId >= 0 && level >= 0;
        });
    }
    if (numId <= 0)
        return list;
    list.numId = numId;
    list.level = std::clamp(level, 0, 8);
    // A heading style linked to a list level through w:pStyle takes that level.
    if (level < 0)
        if (auto instance = document.numbering.instances.find(numId); instance != document.numbering.instances.end())
            if (auto abstract = document.numbering.abstracts.find(instance->second.abstractId);
                abstract != document.numbering.abstracts.end()) {
                const std::string styleId = format.style.empty() ? DefaultParagraphStyle(document) : format.style;
                for (size_t i = 0; i < abstract->second.levels.size(); ++i)
                    if (abstract->second.levels[i].style == styleId)
                        list.level = static_cast<int>(i);
            }
    return list;
}
