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

StoryLists ComputeStoryLists(const Document& document, const Story& story) {
    StoryLists lists;
    std::map<int, ListCounters> byAbstract;
    std::vector<std::u16string>& strings = lists.strings;
    strings.resize(story.paragraphs.size());

    for (size_t p = 0; p < story.paragraphs.size(); ++p) {
        const ListMembership list = ListOf(document, story.paragraphs[p].format);
        if (list.numId <= 0)
            continue;
        const auto instance = document.numbering.instances.find(list.numId);
        const NumberingLevel* level = FindNumberingLevel(document.numbering, list.numId, list.level);
        if (instance == document.numbering.instances.end() || !level)
            continue;
        const int abstractId = instance->second.abstractId;
        auto [entry, firstOfAbstract] = byAbstract.try_emplace(abstractId);
        ListCounters& counters = entry->second;
        if (firstOfAbstract)
            if (auto abstract = document.numbering.abstracts.find(abstractId);
                abstract != document.numbering.abstracts.end() && abstract->second.reached)
                counters = *abstract->second.reached;
        const auto numberingLevel = [&](int k) { return FindNumberingLevel(document.numbering, list.numId, k); };

        if (lists.firstUse.try_emplace(list.numId, p).second && !instance->second.startOverridesUsed)
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
        lists.countersAfter[abstractId].emplace_back(p, counters);

        std::u16string text;
        const std::u16string& pattern = level->text;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9') {
                const int k = pattern[i + 1] - u'1';
                const NumberingLevel* shown = numberingLevel(k);
                const size_t slot = static_cast<size_t>(k);
                const int value = counters.used[slot] ? counters.value[slot] : (shown ? shown->start : 1);
                // Legal numbering shows every level in Arabic digits; zero-padded ones already are.
                const std::string own = shown ? shown->format : std::string("decimal");
                const std::string format =
                    level->legal && own.rfind("decimalZero", 0) != 0 ? std::string("decimal") : own;
                text += FormatListNumber(value, format);
                ++i;
            } else {
                text += pattern[i];
            }
        }
        strings[p] = std::move(text);
    }
    return lists;
}

std::optional<ListCounters> CountersBefore(const StoryLists& lists, int abstractId, size_t paragraph) {
    const auto found = lists.countersAfter.find(abstractId);
    if (found == lists.countersAfter.end())
        return std::nullopt;
    const auto& after = found->second;
    auto next = std::lower_bound(after.begin(), after.end(), paragraph,
                                 [](const auto& entry, size_t index) { return entry.first < index; });
    if (next == after.begin())
        return std::nullopt;
    return std::prev(next)->second;
}
