// SPDX-License-Identifier: GPL-3.0-or-later
// Dither engines: map true-color pixels to palette indices in serpentine
// order (first row left to right, the next right to left, ...), the
// error-diffusing ones spreading each pixel's mapping error onto neighbours
// not yet visited. All arithmetic is integer; division truncates toward zero.
//
// Per pixel the caller may use the virtual DitherPixel; DitherImage runs a
// whole image with a loop instantiated for the engine and the concrete
// lookup, so no virtual call is made per pixel.
#pragma once

#include "color/ColorLookup.h"
#include "color/RowAccess.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace fl {

// Dither mode codes as the animation stores them.
inline constexpr uint8_t ditherNearest = 0;
inline constexpr uint8_t ditherFloydSteinberg = 1;
inline constexpr uint8_t ditherStucki = 2;
inline constexpr uint8_t ditherSierra = 3;
inline constexpr uint8_t ditherJaJuNi = 4;
inline constexpr uint8_t ditherSteveArche = 5;
inline constexpr uint8_t ditherBurkes = 6;

// Plain nearest-color mapping; the base of the error-diffusing engines.
class TDitherEngine {
public:
    // The lookup is not owned and must outlive the engine.
    TDitherEngine(int width, TColorLookup& lookup);
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    // Maps the pixel at Column() and moves the column on by Direction().
    virtual uint8_t DitherPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB);
    // Ends a row: reverses the direction and starts at the new row's first column.
    virtual void AdvanceRow();

    // Maps every row of the source, top to bottom, into the target, visiting
    // each row from Column() in Direction() and calling AdvanceRow after it.
    // The source width must be the engine's (GIFException otherwise).
    virtual void DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target);

    int Direction() const { return FDirection; }
    int Column() const { return FColumn; }
    int Width() const { return FWidth; }
    TColorLookup& Lookup() const { return *FLookup; }

protected:
    template <class L>
    uint8_t MapAndStep(L& lookup, uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                       uint8_t& outB)
    {
        const uint8_t index = LookupColor(lookup, r, g, b, outR, outG, outB);
        FColumn += FDirection;
        return index;
    }
    void CheckSource(const TBGRRowSource& source) const;

    int FDirection = 1;
    int FColumn = 0;
    TColorLookup* FLookup;
    int FWidth;
};

// Floyd–Steinberg (divisor 16): one error row (red, green, blue interleaved
// per cell) plus, per channel, three carried values (current, below,
// below-previous). Column c lies in cell c + 1.
class TFloydSteinbergDitherer final : public TDitherEngine {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);

    uint8_t DitherPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                        uint8_t& outB) override;
    void AdvanceRow() override;
    void DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target) override;

    struct TCarry {
        std::array<int, 3> Current{}, Below{}, BelowPrevious{};
    };

    // One pixel with the carried values and position held by the caller;
    // the row loop keeps them in locals so they can live in registers.
    template <class L>
    static uint8_t Step(L& lookup, const std::array<int, 3>& input, int* buffer, int position, int direction,
                        TCarry& carry, std::array<uint8_t, 3>& out)
    {
        const int* ahead = buffer + 3 * (position + direction);
        std::array<int, 3> adjusted;
        for (int c = 0; c < 3; ++c)
            adjusted[c] = std::clamp(input[c] + (carry.Current[c] + ahead[c] + 8) / 16, 0, 255);
        const uint8_t index = LookupColor(lookup, uint8_t(adjusted[0]), uint8_t(adjusted[1]),
                                          uint8_t(adjusted[2]), out[0], out[1], out[2]);
        int* behind = buffer + 3 * position;
        for (int c = 0; c < 3; ++c) {
            const int e = adjusted[c] - out[c];
            behind[c] = carry.BelowPrevious[c] + 3 * e;
            carry.BelowPrevious[c] = carry.Below[c] + 5 * e;
            carry.Below[c] = e;
            carry.Current[c] = 7 * e;
        }
        return index;
    }

private:
    template <class L> void Row(L& lookup, const uint8_t* source, uint8_t* target);
    void ResetPosition() { FPosition = FDirection > 0 ? 0 : FWidth + 1; }

    std::vector<int> FBuffer; // width + 2 cells of red, green, blue
    TCarry FCarry;
    int FPosition = 0;
};

// One error kernel: taps (row, column offset in the direction of travel, weight).
struct TDitherKernel {
    struct TTap {
        int Row, Offset, Weight;
    };
    int Rows;    // error rows kept: the current one and those below
    int Spare;   // spare cells on each side, the kernel's reach
    int Divisor; // the weights' sum; half of it is added before dividing
    std::vector<TTap> Taps;
};

// Error diffusion with one error buffer per kernel row (red, green, blue
// interleaved per cell). Column c lies in cell c + Spare; row advance
// rotates the buffers instead of copying.
class TKernelDitherer : public TDitherEngine {
public:
    uint8_t DitherPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB) final;
    void AdvanceRow() final;
    void DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target) final;

    const TDitherKernel& Kernel() const { return FKernel; }

    template <class L>
    uint8_t Pixel(L& lookup, uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG, uint8_t& outB)
    {
        const int* accumulated = FRows[0] + 3 * FPosition;
        const std::array<int, 3> input{r, g, b};
        std::array<int, 3> adjusted;
        for (int c = 0; c < 3; ++c)
            adjusted[c] = std::clamp(input[c] + (accumulated[c] + FRounding) / FKernel.Divisor, 0, 255);
        const uint8_t index = MapAndStep(lookup, uint8_t(adjusted[0]), uint8_t(adjusted[1]),
                                         uint8_t(adjusted[2]), outR, outG, outB);
        const std::array<int, 3> error{adjusted[0] - outR, adjusted[1] - outG, adjusted[2] - outB};
        if (error[0] | error[1] | error[2]) {
            for (const TDitherKernel::TTap& tap : FKernel.Taps) {
                int* cell = FRows[tap.Row] + 3 * (FPosition + tap.Offset * FDirection);
                for (int c = 0; c < 3; ++c)
                    cell[c] += error[c] * tap.Weight;
            }
        }
        FPosition += FDirection;
        return index;
    }

protected:
    TKernelDitherer(int width, TColorLookup& lookup, const TDitherKernel& kernel);

private:
    void ResetPosition() { FPosition = FDirection > 0 ? FKernel.Spare : FWidth + FKernel.Spare - 1; }

    const TDitherKernel& FKernel;
    int FRounding;
    std::vector<std::vector<int>> FStorage; // one per kernel row
    std::array<int*, 4> FRows{};            // FRows[k] is the buffer of row +k
    int FPosition = 0;
};

// Two rows below, five columns wide; the subclasses set the weights.
class T5by3Ditherer : public TKernelDitherer {
protected:
    using TKernelDitherer::TKernelDitherer;
};

class TStuckiDitherer final : public T5by3Ditherer {
public:
    TStuckiDitherer(int width, TColorLookup& lookup);
};

class TSierraDitherer final : public T5by3Ditherer {
public:
    TSierraDitherer(int width, TColorLookup& lookup);
};

class TJaJuNiDitherer final : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int width, TColorLookup& lookup);
};

class TSteveArcheDitherer final : public TKernelDitherer {
public:
    TSteveArcheDitherer(int width, TColorLookup& lookup);
};

class TBurkesDitherer final : public TKernelDitherer {
public:
    TBurkesDitherer(int width, TColorLookup& lookup);
};

// The engine for a dither mode code, or null for a code above 6.
std::unique_ptr<TDitherEngine> CreateDitherEngine(uint8_t mode, int width, TColorLookup& lookup);

// The pixel mapping of a color reduction: a fresh engine of the given mode
// maps every pixel of the source into the target. False (target untouched)
// for a mode above 6 or a lookup without colors.
bool DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target, TColorLookup& lookup,
                 uint8_t mode);

} // namespace fl
