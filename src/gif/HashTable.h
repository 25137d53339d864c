// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace fl {

// The LZW encoder's string table: open addressing over 8009 (prime) slots.
// A slot packs (key << 12) | code, so a probe is one comparison; an empty
// slot has all bits set, which no key can produce (keys stay below
// 4095 << 8). Keys are prefix code * 256 + pixel.
//
// The probe from slot h goes to 2h mod 8009 (and from 0 to 8008). Since 2 has
// order 4004 modulo 8009, the slots 1..8008 fall apart into two closed cycles
// of 4004 slots each; slot 0 leads into the cycle of 8008. A search only ever
// stops at an empty slot, so a cycle that fills up completely would make the
// next search of an absent key loop forever. A table generation can hold up
// to 4089 strings (minimum code size 2), more than a cycle, so before a store
// the encoder asks HasRoomAt and starts a new generation instead when the
// store would take the last empty slot of its cycle; any decoder follows that
// because it is an ordinary clear code. Up to 4003 stores a cycle cannot be
// full, and real data spreads over both cycles and never comes near it.
class THashTable {
public:
    static constexpr int kSlots = 8009;
    static constexpr int kCycleLength = 4004;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    // Stores per generation that can never take the last slot of a cycle.
    static constexpr int kSafeStores = kCycleLength - 1;

    THashTable() { Clear(); }
    // Leaves the slots unset, for an owner that clears them only if used.
    struct TUncleared {};
    explicit THashTable(TUncleared) {}

    void Clear();

    // (key xor (key shr 4)) mod 8009. Keys stay below 2^20, where dividing
    // by multiplying with the 40-bit reciprocal is exact.
    static int Hash(uint32_t key)
    {
        const uint64_t x = key ^ (key >> 4);
        const uint64_t quotient = (x * kReciprocal) >> 40;
        return static_cast<int>(x - quotient * kSlots);
    }

    // Hash of the key prefix * 256 + pixel, the same value with fewer steps
    // on the encoder's critical path: the bits 8..19 of key xor (key shr 4)
    // depend on the prefix alone, so their share of the remainder comes from
    // a table, and the low byte adds at most 255.
    static int HashOf(uint32_t prefix, uint32_t pixel)
    {
        const uint32_t low = (pixel ^ (((prefix & 0xF) << 4) | (pixel >> 4))) & 0xFF;
        const int sum = kPrefixShare[prefix] + static_cast<int>(low);
        return sum >= kSlots ? sum - kSlots : sum;
    }

    // h - (8009 - h), or h - 1 for h = 0, plus 8009 when negative. Written
    // with masks: whether a probe wraps is random, a branch would guess.
    static constexpr int NextProbe(int slot)
    {
        int next = 2 * slot - kSlots + static_cast<int>(slot == 0) * (kSlots - 1);
        next += (next >> 31) & kSlots;
        return next;
    }

    // Looks key up from its hash. Answers the code, or -1 with `slot` set to
    // the empty slot where a store of the key would go.
    int Find(uint32_t key, int hash, int& slot) const
    {
        int s = hash;
        for (;;) {
            const uint32_t entry = slots_[s];
            if ((entry >> 12) == key)
                return static_cast<int>(entry & 0xFFF);
            if (entry == kEmpty) {
                slot = s;
                return -1;
            }
            s = NextProbe(s);
        }
    }

    // The code of key, or -1.
    int Lookup(uint32_t key) const
    {
        int slot = 0;
        return Find(key, Hash(key), slot);
    }

    // Whether a store into the empty `slot` leaves another empty slot in its
    // cycle. Walks the cycle from there; with the table at most half full
    // that takes a step or two.
    bool HasRoomAt(int slot) const
    {
        if (slot == 0)
            return true;
        for (int s = NextProbe(slot); s != slot; s = NextProbe(s))
            if (slots_[s] == kEmpty)
                return true;
        return false;
    }

    // Raw slot access for the encoder's inner loop, which walks the probes
    // itself: an entry is (key << 12) | code, or kEmpty.
    uint32_t At(int slot) const { return slots_[slot]; }
    void Put(int slot, uint32_t entry) { slots_[slot] = entry; }

    // Stores into the empty slot that Find answered.
    void StoreAt(int slot, uint32_t key, uint32_t code) { slots_[slot] = (key << 12) | code; }

    // Stores a key that Lookup does not find. The caller checked HasRoom.
    void Store(uint32_t key, uint32_t code)
    {
        int slot = 0;
        Find(key, Hash(key), slot);
        StoreAt(slot, key, code);
    }

    bool HasRoom(uint32_t key) const
    {
        int slot = 0;
        return Find(key, Hash(key), slot) >= 0 || HasRoomAt(slot);
    }

private:
    static constexpr uint64_t kReciprocal = ((uint64_t{1} << 40) + kSlots - 1) / kSlots;

    static constexpr std::array<uint16_t, 4096> MakePrefixShares()
    {
        std::array<uint16_t, 4096> shares{};
        for (uint32_t prefix = 0; prefix < 4096; ++prefix)
            shares[prefix] = static_cast<uint16_t>(((prefix ^ (prefix >> 4)) << 8) % kSlots);
        return shares;
    }
    static const std::array<uint16_t, 4096> kPrefixShare;

    std::array<uint32_t, kSlots> slots_;
};

// An exact string table for frames with a minimum code size of 7 or 8, where
// a table generation holds at most 3965 strings and THashTable can never
// reach its full-cycle clear: there any table that answers every lookup
// exactly gives the same output. This one is built for the encoder's
// branch-free step. Linear probing over 8192 slots (32 KiB, within the
// first-level cache), entries packed as in THashTable; a key hashes to a
// pair of slots, both read at once, and with the table under half full a
// search rarely goes past the pair. Probes only go forward and nothing is
// ever removed, so when the first slot of a pair is empty, so is the second.
class TPairTable {
public:
    static constexpr int kPairs = 4096;
    static constexpr int kSlots = 2 * kPairs;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    // Slot beyond the table that takes the stores the encoder does not want.
    static constexpr int kDiscard = kSlots;

    TPairTable() = default; // uncleared, see Clear
    void Clear();

    // The first pair slot of prefix * 256 + pixel: the prefix (below 4096)
    // xor a spread of the pixel, one operation on the encoder's critical
    // path; the spread comes from the pixel alone, known early.
    static uint32_t PairOf(uint32_t prefix, uint32_t pixel) { return prefix ^ ((pixel * 0x9E3779B1u) >> 20); }

    // The entry bits of prefix * 256 + pixel; an entry e holds that key when
    // (e xor EntryKey) < 4096. An empty slot never does, as keys stay below
    // 4095 << 8.
    static uint32_t EntryKey(uint32_t prefix, uint32_t pixel) { return prefix << 20 | pixel << 12; }
    static bool Holds(uint32_t entry, uint32_t entryKey) { return (entry ^ entryKey) < 4096; }

    uint32_t At(int slot) const { return slots_[slot]; }
    void Put(int slot, uint32_t entry) { slots_[slot] = entry; }

    // Continues a search from `slot` on: answers the code, or -1 with
    // `slot` set to the empty slot where the key would go.
    int FindFrom(int& slot, uint32_t entryKey) const
    {
        for (;;) {
            const uint32_t entry = slots_[slot];
            if (Holds(entry, entryKey))
                return static_cast<int>(entry & 0xFFF);
            if (entry == kEmpty)
                return -1;
            slot = (slot + 1) & (kSlots - 1);
        }
    }

    // The code of prefix * 256 + pixel, or -1 with `slot` set as above.
    int Find(uint32_t prefix, uint32_t pixel, int& slot) const
    {
        slot = static_cast<int>(2 * PairOf(prefix, pixel));
        return FindFrom(slot, EntryKey(prefix, pixel));
    }

    void Store(int slot, uint32_t prefix, uint32_t pixel, uint32_t code)
    {
        slots_[slot] = EntryKey(prefix, pixel) | code;
    }

private:
    uint32_t slots_[kSlots + 1];
};

} // namespace fl
