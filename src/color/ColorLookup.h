// SPDX-License-Identifier: GPL-3.0-or-later
// Mapping an RGB color to a palette index. Each concrete lookup is final and
// has an inline Map(); the virtual MapColor only forwards to it, so code that
// knows the concrete type (the dither loops, see VisitLookup) pays no virtual
// call per pixel.
#pragma once

#include "platform/Palette.h"

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

namespace fl {

class TColorLookup {
public:
    explicit TColorLookup(int colorCount) : FColorCount(colorCount) {}
    virtual ~TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;

    // The number of palette colors the lookup can return.
    int ColorCount() const { return FColorCount; }

    // Returns the palette index for (r, g, b) and the chosen palette color.
    virtual uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                             uint8_t& outB) = 0;

protected:
    int FColorCount;
};

// Nearest entry of an arbitrary palette by sum of absolute differences,
// cached per 5-5-5 cell. The cache is keyed by cell, not by color: the first
// answer found for a cell (or the lowest entry lying in it) serves every
// later color of that cell, so results depend on the visiting order.
class TFastColorLookup final : public TColorLookup {
public:
    explicit TFastColorLookup(const TPaletteHandle& palette);

    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        return Map(r, g, b, outR, outG, outB);
    }

    uint8_t Map(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB)
    {
        const unsigned cell = CellOf(r, g, b);
        int index = FCells[cell];
        if (index < 0) [[unlikely]] {
            index = Scan(r, g, b);
            FCells[cell] = int16_t(index);
        }
        const TPaletteEntry& entry = FEntries[unsigned(index)];
        outR = entry.red;
        outG = entry.green;
        outB = entry.blue;
        return uint8_t(index);
    }

    static unsigned CellOf(uint8_t r, uint8_t g, uint8_t b)
    {
        return unsigned(b >> 3) << 10 | unsigned(g >> 3) << 5 | unsigned(r >> 3);
    }
    // -1 while no index is cached for the cell.
    int CachedIndex(unsigned cell) const { return FCells[cell]; }

private:
    int Scan(int r, int g, int b) const;

    // Unused slots stay black, so an empty palette maps everything to index 0
    // without reading outside the table.
    std::array<TPaletteEntry, 256> FEntries{};
    // The entries again, one array per channel, so the scan vectorizes.
    std::array<int16_t, 256> FRed{}, FGreen{}, FBlue{};
    std::array<int16_t, 32768> FCells;
};

// The exact nearest palette entry by squared distance: for each 5-5-5 cell
// of the color cube the entries that can be nearest to some color in it
// are listed once, when the cell is first asked for, so that a color is
// compared with a handful of entries instead of the whole palette.
class TNearestColorLookup final : public TColorLookup {
public:
    explicit TNearestColorLookup(const TPaletteHandle& palette);

    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        return Map(r, g, b, outR, outG, outB);
    }

    uint8_t Map(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB)
    {
        const unsigned cell = unsigned(r >> 3) << 10 | unsigned(g >> 3) << 5 | unsigned(b >> 3);
        if (cellStart_[cell] < 0) [[unlikely]]
            ListCandidates(cell);
        const uint8_t* candidate = candidates_.data() + cellStart_[cell];
        const uint8_t* end = candidate + cellCount_[cell];
        int best = INT32_MAX;
        uint8_t index = 0;
        for (; candidate < end; ++candidate) {
            const TPaletteEntry& entry = entries_[*candidate];
            const int dr = int(entry.red) - r, dg = int(entry.green) - g, db = int(entry.blue) - b;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < best) {
                best = distance;
                index = *candidate;
            }
        }
        const TPaletteEntry& chosen = entries_[index];
        outR = chosen.red;
        outG = chosen.green;
        outB = chosen.blue;
        return index;
    }

private:
    void ListCandidates(unsigned cell);

    std::array<TPaletteEntry, 256> entries_{};
    std::array<int32_t, 32768> cellStart_;
    std::array<uint16_t, 32768> cellCount_{};
    std::vector<uint8_t> candidates_;
};

// The 216-color web-safe cube of MakeWebSafePalette.
class TNetscapeColorLookup final : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216) {}

    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        return Map(r, g, b, outR, outG, outB);
    }

    static uint8_t Map(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB)
    {
        const unsigned qr = (r + 3u) / 51u, qg = (g + 3u) / 51u, qb = (b + 3u) / 51u;
        outR = uint8_t(51 * qr);
        outG = uint8_t(51 * qg);
        outB = uint8_t(51 * qb);
        return uint8_t(qr * 36 + qg * 6 + qb);
    }
};

// The 256 grays of MakeGray256Palette.
class TGrayScaleLookup final : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}

    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        return Map(r, g, b, outR, outG, outB);
    }

    static uint8_t Map(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB)
    {
        const auto gray = uint8_t((77u * r + 150u * g + 29u * b) >> 8);
        outR = outG = outB = gray;
        return gray;
    }
};

// Black (0) and white (1) of MakeMonochromePalette.
class TMonochromeLookup final : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}

    uint8_t MapColor(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) override
    {
        return Map(r, g, b, outR, outG, outB);
    }

    static uint8_t Map(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB)
    {
        const bool white = 77u * r + 150u * g + 29u * b > 32512u;
        outR = outG = outB = white ? 255 : 0;
        return white ? 1 : 0;
    }
};

// Calls f with the lookup as its concrete type, so that a loop instantiated
// for it inlines Map. Lookups of other types (tests' own) get the base.
template <class F> decltype(auto) VisitLookup(TColorLookup& lookup, F&& f)
{
    if (auto* fast = dynamic_cast<TFastColorLookup*>(&lookup))
        return f(*fast);
    if (auto* nearest = dynamic_cast<TNearestColorLookup*>(&lookup))
        return f(*nearest);
    if (auto* web = dynamic_cast<TNetscapeColorLookup*>(&lookup))
        return f(*web);
    if (auto* gray = dynamic_cast<TGrayScaleLookup*>(&lookup))
        return f(*gray);
    if (auto* mono = dynamic_cast<TMonochromeLookup*>(&lookup))
        return f(*mono);
    return f(lookup);
}

// Uniform name for the per-pixel call: the inline Map of a concrete lookup,
// the virtual MapColor otherwise.
template <class L>
inline uint8_t LookupColor(L& lookup, uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                           uint8_t& outB)
{
    if constexpr (requires { lookup.Map(r, g, b, outR, outG, outB); })
        return lookup.Map(r, g, b, outR, outG, outB);
    else
        return lookup.MapColor(r, g, b, outR, outG, outB);
}

} // namespace fl
