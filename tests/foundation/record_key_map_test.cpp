#include "foundation/record_key_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

uint64_t Key(uint32_t type, uint32_t id)
{
    return (static_cast<uint64_t>(type) << 32) | id;
}

// Random inserts, assignments and erasures over few keys, so that runs of
// neighbouring slots form and erasures move keys back; each step is compared
// with a standard map.
TEST(TNRecordKeyMap, AgreesWithAStandardMapOverRandomChanges)
{
    std::mt19937 random(7);
    TNRecordKeyMap map;
    std::unordered_map<uint64_t, int32_t> expected;
    std::vector<uint64_t> keys;
    for (uint32_t type = 1; type <= 13; ++type)
        for (uint32_t id = 1; id <= 40; ++id)
            keys.push_back(Key(type, id));
    keys.push_back(Key(13, 4200000001u));
    for (int step = 0; step < 200000; ++step) {
        uint64_t key = keys[random() % keys.size()];
        auto position = static_cast<int32_t>(random() % 1000);
        switch (random() % 4) {
        case 0: {
            auto [at, added] = expected.emplace(key, position);
            ASSERT_EQ(map.insert(key, position), at->second) << "step " << step;
            (void)added;
            break;
        }
        case 1:
            expected[key] = position;
            map.assign(key, position);
            break;
        default:
            ASSERT_EQ(map.erase(key), expected.erase(key) == 1) << "step " << step;
            break;
        }
        ASSERT_EQ(map.size(), expected.size());
        if (step % 97 == 0) {
            for (uint64_t probe : keys) {
                auto found = expected.find(probe);
                ASSERT_EQ(map.find(probe), found == expected.end() ? -1 : found->second)
                    << "step " << step << ", key " << probe;
            }
        }
    }
}

TEST(TNRecordKeyMap, GrowsAndClearsWithoutLosingKeys)
{
    TNRecordKeyMap map;
    EXPECT_EQ(map.find(Key(2, 1)), -1);
    EXPECT_FALSE(map.erase(Key(2, 1)));
    for (uint32_t id = 1; id <= 100000; ++id)
        map.assign(Key(2, id), static_cast<int32_t>(id));
    TNRecordKeyMap moved = std::move(map);
    EXPECT_EQ(map.size(), 0u);
    EXPECT_EQ(map.find(Key(2, 5)), -1);
    ASSERT_EQ(moved.size(), 100000u);
    for (uint32_t id = 1; id <= 100000; id += 777)
        EXPECT_EQ(moved.find(Key(2, id)), static_cast<int32_t>(id));
    EXPECT_EQ(moved.find(Key(3, 5)), -1);
    moved.clear();
    EXPECT_EQ(moved.find(Key(2, 5)), -1);
    moved.assign(Key(2, 5), 9);
    EXPECT_EQ(moved.find(Key(2, 5)), 9);
}

} // namespace
