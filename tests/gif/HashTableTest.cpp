// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/HashTable.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace fl {
namespace {

TEST(HashTable, ProbeSequenceFollowsTheDoublingRule)
{
    EXPECT_EQ(THashTable::Hash(0), 0);
    EXPECT_EQ(THashTable::Hash(0x12345), (0x12345 ^ 0x1234) % 8009);
    EXPECT_EQ(THashTable::NextProbe(0), 8008);
    EXPECT_EQ(THashTable::NextProbe(1), 2);
    EXPECT_EQ(THashTable::NextProbe(4004), 8008);
    EXPECT_EQ(THashTable::NextProbe(4005), 1);
    EXPECT_EQ(THashTable::NextProbe(8008), 8007);
    // From any slot but 0 the probes come back after 4004 steps.
    std::set<int> visited;
    int slot = 3;
    do {
        visited.insert(slot);
        slot = THashTable::NextProbe(slot);
    } while (slot != 3);
    EXPECT_EQ(visited.size(), 4004u);
}

TEST(HashTable, FastHashesMatchTheDefinition)
{
    // Every key the encoder can form: the reciprocal division and the split
    // by prefix must give exactly (key xor (key shr 4)) mod 8009.
    for (uint32_t prefix = 0; prefix < 4096; ++prefix)
        for (uint32_t pixel = 0; pixel < 256; ++pixel) {
            const uint32_t key = prefix << 8 | pixel;
            const int expected = static_cast<int>((key ^ (key >> 4)) % 8009);
            ASSERT_EQ(THashTable::Hash(key), expected) << key;
            ASSERT_EQ(THashTable::HashOf(prefix, pixel), expected) << key;
        }
}

TEST(HashTable, StoresAndFindsEveryKeyOfAFullGeneration)
{
    auto table = std::make_unique<THashTable>();
    std::mt19937 rng(8);
    std::vector<uint32_t> keys;
    std::set<uint32_t> used;
    for (int code = 258; code <= 4094; ++code) {
        uint32_t key;
        do
            key = rng() % (4095u << 8);
        while (!used.insert(key).second);
        ASSERT_EQ(table->Lookup(key), -1);
        ASSERT_TRUE(table->HasRoom(key));
        table->Store(key, code);
        keys.push_back(key);
    }
    for (size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(table->Lookup(keys[i]), static_cast<int>(258 + i));
    table->Clear();
    for (uint32_t key : keys)
        ASSERT_EQ(table->Lookup(key), -1);
}

TEST(HashTable, KeepsAnEmptySlotInEveryProbeCycle)
{
    auto table = std::make_unique<THashTable>();
    // Keys that hash into the cycle through slot 1.
    std::set<int> cycle;
    for (int s = 1; cycle.insert(s).second; s = THashTable::NextProbe(s)) {
    }
    std::vector<uint32_t> inCycle;
    for (uint32_t key = 0; inCycle.size() < 4100; ++key)
        if (cycle.count(THashTable::Hash(key)))
            inCycle.push_back(key);

    int stored = 0;
    for (uint32_t key : inCycle) {
        if (!table->HasRoom(key))
            break;
        table->Store(key, stored++ & 0xFFF);
    }
    EXPECT_EQ(stored, 4003);
    // A search for an absent key in the crowded cycle still ends.
    EXPECT_EQ(table->Lookup(inCycle.back()), -1);
    // The other cycle is unaffected.
    uint32_t other = 0;
    while (cycle.count(THashTable::Hash(other)) || THashTable::Hash(other) == 0)
        ++other;
    EXPECT_TRUE(table->HasRoom(other));
    table->Clear();
    EXPECT_TRUE(table->HasRoom(inCycle.back()));
}

// The pair table against a plain map: a full generation of random strings,
// then strings that all start in the last pair, so that the search runs
// past full pairs and wraps around to slot 0.
TEST(PairTable, FindsExactlyWhatWasStored)
{
    auto table = std::make_unique<TPairTable>();
    for (int round = 0; round < 2; ++round) {
        table->Clear();
        std::mt19937 rng(static_cast<unsigned>(round));
        std::map<uint32_t, int> stored; // prefix << 8 | pixel -> code
        auto store = [&](uint32_t prefix, uint32_t pixel) {
            int slot = -1;
            ASSERT_EQ(table->Find(prefix, pixel, slot), -1);
            ASSERT_GE(slot, 0);
            ASSERT_LT(slot, TPairTable::kSlots);
            ASSERT_EQ(table->At(slot), TPairTable::kEmpty);
            const int code = 258 + static_cast<int>(stored.size());
            table->Store(slot, prefix, pixel, static_cast<uint32_t>(code));
            stored[prefix << 8 | pixel] = code;
        };
        if (round == 0) {
            while (stored.size() < 4094 - 258 + 1) {
                const uint32_t prefix = rng() % 4095;
                const uint32_t pixel = rng() % 256;
                if (!stored.count(prefix << 8 | pixel))
                    store(prefix, pixel);
            }
        } else {
            // Prefix 4095 is never a code.
            for (uint32_t pixel = 0; pixel < 256 && stored.size() < 40; ++pixel)
                if (const uint32_t prefix = TPairTable::PairOf(0, pixel) ^ (TPairTable::kPairs - 1); prefix < 4095)
                    store(prefix, pixel);
            // Forty strings from the last pair on fill slots 8190..8191 and
            // 0..37.
            EXPECT_NE(table->At(0), TPairTable::kEmpty);
            EXPECT_NE(table->At(37), TPairTable::kEmpty);
            EXPECT_EQ(table->At(38), TPairTable::kEmpty);
        }
        for (const auto& [key, code] : stored) {
            int slot = -1;
            ASSERT_EQ(table->Find(key >> 8, key & 0xFF, slot), code) << key;
        }
        // Neighbours of stored strings stay absent.
        for (int i = 0; i < 2000; ++i) {
            const uint32_t prefix = rng() % 4095;
            const uint32_t pixel = rng() % 256;
            int slot = -1;
            if (!stored.count(prefix << 8 | pixel)) {
                ASSERT_EQ(table->Find(prefix, pixel, slot), -1);
            }
        }
    }
    table->Clear();
    int slot = -1;
    EXPECT_EQ(table->Find(0, 0, slot), -1);
    EXPECT_EQ(slot, static_cast<int>(2 * TPairTable::PairOf(0, 0)));
}

} // namespace
} // namespace fl
