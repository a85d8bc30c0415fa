#include "Numbering.h"

#include "docserver/model/NumberFormat.h"
#include "docserver/model/StyleSheet.h"

#include <algorithm>
#include <array>
#include <set>

const NumberingLevel* FindNumberingLevel(const Numbering& numbering, int numId, int level) {
    if (level < 0 || level >= 9)
        return nullptr;
    const auto instance = numbering.instances.find(numId);
    if (instance == numbering.instances.end())
        return nullptr;
    if (auto override = instance->second.levelOverrides.find(level); override != instance->second.levelOverrides.end())
        return &override->second;
    const auto abstract = numbering.abstracts.find(instance->second.abstractId);
    if (abstract == numbering.abstracts.end() || static_cast<size_t>(level) >= abstract->second.levels.size())
        return nullptr;
    return &abstract->second.levels[static_cast<size_t>(level)];
}

std::vector<std::u16string> ComputeListStrings(const Document& document, const Story& story) {
    struct Counters {
        std::array<int, 9> value{};
        std::array<bool, 9> used{};
    };
    std::map<int, Counters> byAbstract;
    std::set<int> instancesSeen;
    std::vector<std::u16string> strings(story.paragraphs.size());

    for (size_t p = 0; p < story.paragraphs.size(); ++p) {
        const ListMembership list = ListOf(document, story.paragraphs[p].format);
        if (list.numId <= 0)
            continue;
        const auto instance = document.numbering.instances.find(list.numId);
        const NumberingLevel* level = FindNumberingLevel(document.numbering, list.numId, list.level);
        if (instance == document.numbering.instances.end() || !level)
            continue;
        Counters& counters = byAbstract[instance->second.abstractId];
        const auto numberingLevel = [&](int k) { return FindNumberingLevel(document.numbering, list.numId, k); };

        if (instancesSeen.insert(list.numId).second)
            for (const auto& [overridden, start] : instance->second.startOverrides) {
                counters.value[static_cast<size_t>(overridden)] = start - 1;
                counters.used[static_cast<size_t>(overridden)] = true;
            }
        const size_t here = static_cast<size_t>(list.level);
        counters.value[here] = counters.used[here] ? counters.value[here] + 1 : level->start;
        counters.used[here] = true;
        for (int deeper = list.level + 1; deeper < 9; ++deeper) {
            const NumberingLevel* deeperLevel = numberingLevel(deeper);
            const int restartAfter = deeperLevel ? deeperLevel->restartAfter : -1;
            // lvlRestart counts levels from 1; restart when this level is at or above it.
            if (restartAfter == 0 || (restartAfter > 0 && list.level + 1 > restartAfter))
                continue;
            counters.used[static_cast<size_t>(deeper)] = false;
        }

        std::u16string text;
        const std::u16string& pattern = level->text;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9') {
                const int k = pattern[i + 1] - u'1';
                const NumberingLevel* shown = numberingLevel(k);
                const size_t slot = static_cast<size_t>(k);
                const int value = counters.used[slot] ? counters.value[slot] : (shown ? shown->start : 1);
                const std::string format = level->legal ? std::string("decimal")
                                           : shown      ? shown->format
                                                        : std::string("decimal");
                text += FormatListNumber(value, format);
                ++i;
            } else {
                text += pattern[i];
            }
        }
        strings[p] = std::move(text);
    }
    return strings;
}
