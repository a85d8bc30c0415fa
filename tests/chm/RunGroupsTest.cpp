#include "RunGroups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

// Pairs as pages add them: topics ascending, each page's runs once. The first characters lie in several bands and
// include second bytes that fold alike ('A' and 'a'), the last that folds ('Z'), one just past it ('[') and one
// that sorts between them once folded ('`'); the characters after them do too, so runs that fold alike share
// topics. Topics step by 0 to millions, so the distances take every length. One first character starts a hundred
// thousand runs, more than a batch and many chunks.
std::vector<RunInTopic> SamplePairs() {
    const std::vector<uint16_t> firsts = {0x8141, 0x8161, 0x815A, 0x817A, 0x815B, 0x8160,
                                          0x8240, 0xB0A1, 0xD7F9, 0xFE4F, 0xFE6F, 0x9F41};
    const std::vector<uint16_t> others = {0x8141, 0x8161, 0x815A, 0x817A, 0xB0A1, 0xC4E3, 0xFE4F};
    const std::vector<uint32_t> steps = {0, 1, 2, 30, 31, 32, 158, 159, 20000, 3000000};
    std::mt19937 generator(7);
    std::vector<RunInTopic> pairs;
    uint32_t topic = 0;
    for (int page = 0; page < 8000; ++page) {
        topic += steps[generator() % steps.size()];
        std::set<uint64_t> runs;
        for (int k = 0; k < 30; ++k) {
            // Half the runs start with the heavy character.
            uint64_t run = generator() % 2 == 0 ? 0xC4E3 : firsts[generator() % firsts.size()];
            const int characters = 2 + static_cast<int>(generator() % 3);
            for (int c = 1; c < characters; ++c)
                run = run << 16 | others[generator() % others.size()];
            runs.insert(run << 16 * (4 - characters));
        }
        for (const uint64_t run : runs)
            pairs.push_back({FoldedBytes(run), run, topic});
    }
    return pairs;
}

std::vector<RunInTopic> InReadersOrder(std::vector<RunInTopic> pairs) {
    std::sort(pairs.begin(), pairs.end(), [](const RunInTopic& a, const RunInTopic& b) {
        if (a.folded != b.folded)
            return a.folded < b.folded;
        return a.topic != b.topic ? a.topic < b.topic : a.run < b.run;
    });
    return pairs;
}

} // namespace

TEST(RunGroups, FoldsOnlyAsciiCapitals) {
    EXPECT_EQ(FoldedBytes(0x4140'5A5B'8141'C15A), 0x6140'7A5B'8161'C17A);
    EXPECT_EQ(FoldedBytes(0x6160'7A7B'0000'DADB), 0x6160'7A7B'0000'DADB);
}

// Read group by group in their order, each let go once read (a band's memory goes with its last group), and taken a
// batch at a time, the groups give back every pair as a sort of all of them orders them.
TEST(RunGroups, GiveBackEveryPairInTheReadersOrder) {
    const std::vector<RunInTopic> added = SamplePairs();
    const std::vector<RunInTopic> expected = InReadersOrder(added);
    RunGroups groups;
    for (const RunInTopic& pair : added)
        groups.Add(pair.run, pair.topic);
    ASSERT_EQ(groups.Pairs(), added.size());

    RunPairs byGroup;
    size_t largest = 0;
    for (const uint32_t group : groups.GroupsInOrder()) {
        const size_t before = byGroup.size();
        groups.Read(group, byGroup);
        EXPECT_EQ(byGroup.size() - before, groups.Pairs(group));
        largest = std::max(largest, byGroup.size() - before);
        groups.Release(group);
    }
    EXPECT_GT(largest, size_t{1} << 16);
    EXPECT_TRUE(std::ranges::equal(byGroup, expected));

    RunGroups again;
    for (const RunInTopic& pair : added)
        again.Add(pair.run, pair.topic);
    RunGroupReader reader(again);
    RunPairs batched;
    RunPairs batch;
    int batches = 0;
    while (reader.Next(batch)) {
        batched.insert(batched.end(), batch.begin(), batch.end());
        ++batches;
    }
    EXPECT_GT(batches, 1);
    EXPECT_FALSE(reader.Next(batch));
    EXPECT_TRUE(std::ranges::equal(batched, expected));
}

TEST(RunGroups, NoRunsNoGroups) {
    RunGroups groups;
    EXPECT_TRUE(groups.GroupsInOrder().empty());
    RunGroupReader reader(groups);
    RunPairs batch;
    EXPECT_FALSE(reader.Next(batch));
}
