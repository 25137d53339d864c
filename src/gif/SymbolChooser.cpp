// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/SymbolChooser.h"

#include <algorithm>

namespace fl {

namespace {

constexpr size_t kPairs = size_t(4096) << 8;
// Codes up to 4094 are assigned; the next new string starts a new table.
constexpr uint32_t kCodeLimit = 4095;

} // namespace

TSymbolChooser::TSymbolChooser() : codes_(kPairs), stamps_(kPairs) {}

void TSymbolChooser::Add(uint32_t prefix, uint8_t symbol, uint16_t code)
{
    const uint32_t key = prefix << 8 | symbol;
    codes_[key] = code;
    stamps_[key] = generation_;
}

void TSymbolChooser::Reset()
{
    if (++generation_ == 0) {
        std::fill(stamps_.begin(), stamps_.end(), uint16_t(0));
        generation_ = 1;
    }
}

void TSymbolChooser::Choose(const uint8_t* own, const uint8_t* other, uint8_t* chosen, size_t count,
                            int minCodeSize, bool startOwn)
{
    if (count == 0)
        return;
    Reset();
    const uint32_t base = (1u << minCodeSize) + 2;
    uint32_t next = base;
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
            if (next < kCodeLimit) {
                Add(prefix, symbol, uint16_t(next++));
            } else {
                Reset();
                next = base;
            }
            prefix = symbol;
        }
    }
}

} // namespace fl
