// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing, for pixels that may take either of two indices without changing
// the picture (their own color, or the transparent index where the frame
// underneath shows that color), the index that lets the LZW coder continue
// the string it is building, so that the strings get longer and the frame
// smaller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fl {

class TSymbolChooser {
public:
    TSymbolChooser();

    // `own` and `other` hold each pixel's two allowed indices in the order
    // the coder takes them (equal where the pixel has no choice); `chosen`
    // receives the pick. The string table follows the frame encoder's:
    // codes from the first free one up to 4094, then a new table.
    // Where both indices continue the string, the one the next pixel
    // continues too is taken, else `other`. A string starts with `other`
    // unless only `own` lets the next pixel continue it; `startOwn` turns
    // that preference round. Answers the bits the coder writes for the
    // picks, which compares candidates without encoding them.
    size_t Choose(const uint8_t* own, const uint8_t* other, uint8_t* chosen, size_t count, int minCodeSize,
                  bool startOwn = false);

private:
    struct TSlot {
        uint32_t Key;
        uint16_t Code;
        uint16_t Generation;
    };
    static constexpr uint32_t kSlots = 1u << 14;

    static uint32_t Hash(uint32_t key) { return (key * 0x9E3779B1u) >> 18; }
    // The code of the string `prefix` followed by `symbol`, or 0.
    uint16_t Child(uint32_t prefix, uint8_t symbol)
    {
        // Runs and repeated patterns ask for the same child again and again.
        const uint32_t last = lastChild_[prefix];
        if ((last >> 16) == symbol)
            return uint16_t(last);
        const uint32_t key = prefix << 8 | symbol;
        for (uint32_t slot = Hash(key);; slot = (slot + 1) & (kSlots - 1)) {
            const TSlot& entry = slots_[slot];
            if (entry.Generation != generation_)
                return 0;
            if (entry.Key == key) {
                lastChild_[prefix] = uint32_t(symbol) << 16 | entry.Code;
                return entry.Code;
            }
        }
    }
    void Add(uint32_t prefix, uint8_t symbol, uint16_t code);
    void Reset();

    // The string table, at most 4094 entries in four times as many slots;
    // a slot counts only when stamped with the table's generation, so a new
    // table is one step.
    std::vector<TSlot> slots_;
    uint16_t generation_ = 1;
    // The child last found for each code: symbol << 16 | code, all bits set
    // for none.
    std::vector<uint32_t> lastChild_;
};

} // namespace fl
