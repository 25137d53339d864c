// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/SymbolChooser.h"

#include <algorithm>

namespace fl {

namespace {

// Codes up to 4094 are assigned; the next new string starts a new table.
constexpr uint32_t kCodeLimit = 4095;
constexpr int kMaxCodeSize = 12;

} // namespace

TSymbolChooser::TSymbolChooser() : slots_(kSlots, TSlot{0, 0, 0}), lastChild_(4096, ~0u) {}

void TSymbolChooser::Add(uint32_t prefix, uint8_t symbol, uint16_t code)
{
    const uint32_t key = prefix << 8 | symbol;
    uint32_t slot = Hash(key);
    while (slots_[slot].Generation == generation_)
        slot = (slot + 1) & (kSlots - 1);
    slots_[slot] = {key, code, generation_};
}

void TSymbolChooser::Reset()
{
    std::fill(lastChild_.begin(), lastChild_.end(), ~0u);
    if (++generation_ == 0) {
        std::fill(slots_.begin(), slots_.end(), TSlot{0, 0, 0});
        generation_ = 1;
    }
}

size_t TSymbolChooser::Choose(const uint8_t* own, const uint8_t* other, uint8_t* chosen, size_t count,
                              int minCodeSize, bool startOwn)
{
    Reset();
    const uint32_t base = (1u << minCodeSize) + 2;
    uint32_t next = base;
    // The clear code, then each string's code at the width the coder has
    // reached, then the end code.
    int width = minCodeSize + 1;
    size_t bits = size_t(width);
    const auto output = [&] {
        bits += size_t(width);
        if (next > (1u << width) - 1 && width < kMaxCodeSize)
            ++width;
    };
    if (count == 0)
        return bits + size_t(width);
    // Whether pixel i can continue the string `code` with either index.
    const auto continues = [&](uint32_t code, size_t i) {
        return i < count && (Child(code, other[i]) != 0 || Child(code, own[i]) != 0);
    };
    // A string's first pixel: the preferred index unless only the other one
    // lets the next pixel continue the string.
    const auto start = [&](size_t i) {
        const uint8_t a = startOwn ? own[i] : other[i], b = startOwn ? other[i] : own[i];
        return a != b && !continues(a, i + 1) && continues(b, i + 1) ? b : a;
    };
    uint32_t prefix = chosen[0] = start(0);
    for (size_t i = 1; i < count; ++i) {
        const uint8_t a = other[i], b = own[i];
        uint16_t viaA = Child(prefix, a);
        const uint16_t viaB = a != b ? Child(prefix, b) : 0;
        // Both continue: the one the next pixel continues too.
        if (viaA && viaB && !continues(viaA, i + 1) && continues(viaB, i + 1))
            viaA = 0;
        if (viaA) {
            chosen[i] = a;
            prefix = viaA;
        } else if (viaB) {
            chosen[i] = b;
            prefix = viaB;
        } else {
            // The coder outputs the string and stores it followed by this
            // pixel, which starts the next one.
            const uint8_t symbol = start(i);
            chosen[i] = symbol;
            output();
            if (next < kCodeLimit) {
                Add(prefix, symbol, uint16_t(next++));
            } else {
                Reset();
                next = base;
                width = minCodeSize + 1;
                bits += size_t(kMaxCodeSize);
            }
            prefix = symbol;
        }
    }
    output();
    return bits + size_t(width);
}

} // namespace fl
