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
    // that preference round.
    void Choose(const uint8_t* own, const uint8_t* other, uint8_t* chosen, size_t count, int minCodeSize,
                bool startOwn = false);

private:
    // The code of the string `prefix` followed by `symbol`, or 0.
    uint16_t Child(uint32_t prefix, uint8_t symbol) const
    {
        const uint32_t key = prefix << 8 | symbol;
        return stamps_[key] == generation_ ? codes_[key] : 0;
    }
    void Add(uint32_t prefix, uint8_t symbol, uint16_t code);
    void Reset();

    // A string table over every (prefix, symbol) pair; an entry counts only
    // when stamped with the table's generation, so a new table is one step.
    std::vector<uint16_t> codes_;
    std::vector<uint16_t> stamps_;
    uint16_t generation_ = 1;
};

} // namespace fl
