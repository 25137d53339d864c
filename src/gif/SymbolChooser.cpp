// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/SymbolChooser.h"

#include <algorithm>

namespace fl {

namespace {

constexpr size_t kCodes = 4096;
// Codes up to 4094 are assigned; the next new string starts a new table.
constexpr uint32_t kCodeLimit = 4095;
constexpr int kMaxCodeSize = 12;

} // namespace

TSymbolChooser::TSymbolChooser()
    : slots_(kSlots, TSlot{0, 0, 0}), lastChild_(kCodes, ~0u), firstChild_(kCodes), nextSibling_(kCodes),
      symbolOf_(kCodes)
{
}

void TSymbolChooser::Add(uint32_t prefix, uint8_t symbol, uint16_t code)
{
    const uint32_t key = prefix << 8 | symbol;
    uint32_t slot = Hash(key);
    while (slots_[slot].Generation == generation_)
        slot = (slot + 1) & (kSlots - 1);
    slots_[slot] = {key, code, generation_};
    symbolOf_[code] = symbol;
    nextSibling_[code] = firstChild_[prefix];
    firstChild_[prefix] = code;
    touched_ = std::max(touched_, uint32_t(code) + 1);
}

void TSymbolChooser::Reset()
{
    // Only codes up to the highest one made can have children.
    std::fill_n(lastChild_.begin(), touched_, ~0u);
    std::fill_n(firstChild_.begin(), touched_, uint16_t(0));
    touched_ = 256;
    if (++generation_ == 0) {
        std::fill(slots_.begin(), slots_.end(), TSlot{0, 0, 0});
        generation_ = 1;
    }
}

// The clear code first, each string's code at the width the coder has
// reached, a clear code where the table is full, and the end code.
TSymbolChooser::TCoder::TCoder(TSymbolChooser& chooser, int minCodeSize)
    : Chooser(chooser), MinCodeSize(minCodeSize), Base((1u << minCodeSize) + 2), Next(Base),
      Width(minCodeSize + 1), Bits(size_t(minCodeSize) + 1)
{
    Chooser.Reset();
}

void TSymbolChooser::TCoder::EndString(uint32_t prefix, uint8_t symbol)
{
    Bits += size_t(Width);
    if (Next > (1u << Width) - 1 && Width < kMaxCodeSize)
        ++Width;
    if (Next < kCodeLimit) {
        Chooser.Add(prefix, symbol, uint16_t(Next++));
    } else {
        Bits += size_t(Width);
        Chooser.Reset();
        Next = Base;
        Width = MinCodeSize + 1;
    }
}

size_t TSymbolChooser::TCoder::Finish()
{
    // The last string and the end code.
    return Bits + 2 * size_t(Width);
}

size_t TSymbolChooser::Choose(const uint8_t* own, const uint8_t* other, uint8_t* chosen, size_t count,
                              int minCodeSize, bool startOwn)
{
    TCoder coder(*this, minCodeSize);
    if (count == 0)
        return coder.Finish();
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
            coder.EndString(prefix, symbol);
            prefix = symbol;
        }
    }
    return coder.Finish();
}

} // namespace fl
