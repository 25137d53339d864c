// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing, for pixels that may take either of two indices without changing
// the picture (their own color, or the transparent index where the frame
// underneath shows that color), the index that lets the LZW coder continue
// the string it is building, so that the strings get longer and the frame
// smaller.
#pragma once

#include <algorithm>
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

    // For lossy coding: each pixel has its exact index and may take any
    // index `accepts(i, symbol)` allows, which answers how far that index's
    // color is from the pixel's (0 for its own) or a negative number for
    // one it may not take. The string being built continues with the
    // nearest index it can; a new string starts with the exact index.
    // Answers the bits, as Choose does.
    template <class TAccepts>
    size_t ChooseClose(const uint8_t* exact, const TAccepts& accepts, uint8_t* chosen, size_t count,
                       int minCodeSize);

private:
    // Counts the bits of the strings as the coder outputs them, and keeps
    // the table as the coder does.
    struct TCoder {
        TSymbolChooser& Chooser;
        int MinCodeSize;
        uint32_t Base;
        uint32_t Next;
        int Width;
        size_t Bits;
        explicit TCoder(TSymbolChooser& chooser, int minCodeSize);
        // Outputs the string `prefix`; the pixel `symbol` starts the next.
        void EndString(uint32_t prefix, uint8_t symbol);
        size_t Finish();
    };

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
    struct TCandidate {
        uint16_t Code;
        uint32_t From;
        uint8_t Symbol;
        uint64_t Distance;
    };
    static constexpr size_t kMaxCandidates = 32;
    std::vector<std::vector<TCandidate>> steps_;
    // Each code's children as a list (first child, next sibling; 0 ends),
    // and the symbol that made each code.
    std::vector<uint16_t> firstChild_;
    std::vector<uint16_t> nextSibling_;
    std::vector<uint8_t> symbolOf_;
    // Above the highest code made since the last new table (roots at least).
    uint32_t touched_ = 4096;
};

template <class TAccepts>
size_t TSymbolChooser::ChooseClose(const uint8_t* exact, const TAccepts& accepts, uint8_t* chosen, size_t count,
                                   int minCodeSize)
{
    TCoder coder(*this, minCodeSize);
    // Every string the pixels since the string's start can spell within
    // the bound, one step per pixel (at most kMaxCandidates, the closest
    // kept): its code, the entry it grew from, the index the pixel took and
    // the distance so far. The longest string wins, as the coder takes the
    // longest string it knows; of those the closest.
    size_t first = 0;
    while (first < count) {
        if (steps_.empty())
            steps_.emplace_back();
        steps_[0].assign(1, {exact[first], 0, exact[first], 0});
        size_t depth = 0;
        size_t i = first + 1;
        for (; i < count; ++i) {
            if (steps_.size() <= depth + 1)
                steps_.emplace_back();
            std::vector<TCandidate>& grown = steps_[depth + 1];
            grown.clear();
            const std::vector<TCandidate>& current = steps_[depth];
            for (uint32_t k = 0; k < current.size(); ++k)
                for (uint16_t child = firstChild_[current[k].Code]; child != 0; child = nextSibling_[child])
                    if (const int64_t distance = accepts(i, symbolOf_[child]); distance >= 0)
                        grown.push_back({child, k, symbolOf_[child], current[k].Distance + uint64_t(distance)});
            if (grown.empty())
                break;
            if (grown.size() > kMaxCandidates) {
                std::nth_element(grown.begin(), grown.begin() + kMaxCandidates, grown.end(),
                                 [](const TCandidate& a, const TCandidate& b) { return a.Distance < b.Distance; });
                grown.resize(kMaxCandidates);
            }
            ++depth;
        }
        uint32_t k = 0;
        for (uint32_t c = 1; c < steps_[depth].size(); ++c)
            if (steps_[depth][c].Distance < steps_[depth][k].Distance)
                k = c;
        const uint16_t code = steps_[depth][k].Code;
        for (size_t d = depth;; --d) {
            chosen[first + d] = steps_[d][k].Symbol;
            if (d == 0)
                break;
            k = steps_[d][k].From;
        }
        if (i < count)
            coder.EndString(code, exact[i]);
        first = i;
    }
    return coder.Finish();
}

} // namespace fl
