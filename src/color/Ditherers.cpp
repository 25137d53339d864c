// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/Ditherers.h"

#include "platform/GIFException.h"

#include <stdexcept>

namespace fl {

// ---- TDitherEngine -------------------------------------------------------

TDitherEngine::TDitherEngine(int width, TColorLookup& lookup) : FLookup(&lookup), FWidth(width)
{
}

uint8_t TDitherEngine::DitherPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                                   uint8_t& outB)
{
    return MapAndStep(*FLookup, r, g, b, outR, outG, outB);
}

void TDitherEngine::AdvanceRow()
{
    const int old = FDirection;
    FDirection = -FDirection;
    FColumn = old == -1 ? 0 : FWidth - 1;
}

void TDitherEngine::CheckSource(const TBGRRowSource& source) const
{
    if (source.Width != FWidth)
        throw GIFException("Image width does not match the dither engine");
}

void TDitherEngine::DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target)
{
    CheckSource(source);
    VisitLookup(*FLookup, [&](auto& lookup) {
        for (int y = 0; y < source.Height; ++y) {
            const uint8_t* row = source.Row(y);
            uint8_t* indices = target(y);
            while (FColumn >= 0 && FColumn < FWidth) {
                const uint8_t* p = row + 3 * FColumn;
                uint8_t* out = indices + FColumn;
                uint8_t r, g, b;
                *out = MapAndStep(lookup, p[2], p[1], p[0], r, g, b);
            }
            TDitherEngine::AdvanceRow();
        }
    });
}

// ---- TFloydSteinbergDitherer ---------------------------------------------

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TDitherEngine(width, lookup), FBuffer(3 * size_t(width + 2), 0)
{
}

uint8_t TFloydSteinbergDitherer::DitherPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                                             uint8_t& outB)
{
    std::array<uint8_t, 3> out;
    const uint8_t index = Step(*FLookup, {r, g, b}, FBuffer.data(), FPosition, FDirection, FCarry, out);
    FColumn += FDirection;
    FPosition += FDirection;
    outR = out[0];
    outG = out[1];
    outB = out[2];
    return index;
}

void TFloydSteinbergDitherer::AdvanceRow()
{
    // The last pixel's share for the cell below it was still carried.
    int* behind = FBuffer.data() + 3 * FPosition;
    for (int c = 0; c < 3; ++c)
        behind[c] = FCarry.BelowPrevious[c];
    FCarry = {};
    TDitherEngine::AdvanceRow();
    ResetPosition();
}

namespace {

// One row in a fixed direction. Everything the loop updates is a local of
// this function, so stores into the error row cannot alias it and the
// carried values stay in registers.
template <int Direction, class L>
void FloydSteinbergRow(L& lookup, const uint8_t* source, uint8_t* target, int* buffer, int width, int& column,
                       int& position, TFloydSteinbergDitherer::TCarry& carryInOut)
{
    TFloydSteinbergDitherer::TCarry carry = carryInOut;
    int x = column;
    int p = position;
    std::array<uint8_t, 3> out;
    for (; x >= 0 && x < width; x += Direction, p += Direction) {
        const uint8_t* pixel = source + 3 * x;
        target[x] = TFloydSteinbergDitherer::Step(lookup, {pixel[2], pixel[1], pixel[0]}, buffer, p,
                                                  Direction, carry, out);
    }
    column = x;
    position = p;
    carryInOut = carry;
}

} // namespace

template <class L> void TFloydSteinbergDitherer::Row(L& lookup, const uint8_t* source, uint8_t* target)
{
    if (FDirection > 0)
        FloydSteinbergRow<1>(lookup, source, target, FBuffer.data(), FWidth, FColumn, FPosition, FCarry);
    else
        FloydSteinbergRow<-1>(lookup, source, target, FBuffer.data(), FWidth, FColumn, FPosition, FCarry);
}

void TFloydSteinbergDitherer::DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target)
{
    CheckSource(source);
    VisitLookup(*FLookup, [&](auto& lookup) {
        for (int y = 0; y < source.Height; ++y) {
            Row(lookup, source.Row(y), target(y));
            TFloydSteinbergDitherer::AdvanceRow();
        }
    });
}

// ---- TKernelDitherer -----------------------------------------------------

TKernelDitherer::TKernelDitherer(int width, TColorLookup& lookup, const TDitherKernel& kernel)
    : TDitherEngine(width, lookup), FKernel(kernel), FRounding(kernel.Divisor / 2)
{
    // The row loop keeps the taps in a fixed array; our kernels use at most 12.
    if (kernel.Rows < 1 || kernel.Rows > int(FRows.size()) || kernel.Taps.size() > 16)
        throw std::invalid_argument("Dither kernel too large");
    for (int k = 0; k < FKernel.Rows; ++k) {
        FStorage.emplace_back(3 * size_t(width + 2 * FKernel.Spare), 0);
        FRows[size_t(k)] = FStorage.back().data();
    }
    ResetPosition();
}

uint8_t TKernelDitherer::DitherPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t& outR, uint8_t& outG,
                                     uint8_t& outB)
{
    return Pixel(*FLookup, r, g, b, outR, outG, outB);
}

void TKernelDitherer::AdvanceRow()
{
    const size_t cells = 3 * size_t(FWidth + 2 * FKernel.Spare);
    int* cleared = FRows[0];
    std::fill_n(cleared, cells, 0);
    for (int k = 1; k < FKernel.Rows; ++k)
        FRows[size_t(k - 1)] = FRows[size_t(k)];
    FRows[size_t(FKernel.Rows - 1)] = cleared;
    TDitherEngine::AdvanceRow();
    ResetPosition();
}

namespace {

// One row of a kernel engine in a fixed direction, with its state in locals
// (see FloydSteinbergRow) and a constant divisor where the kernel has one of
// the known ones, so the division becomes a multiplication.
template <int Direction, int Divisor, class L>
void KernelRow(L& lookup, const TDitherKernel& kernel, int* const* rows, const uint8_t* source,
               uint8_t* target, int width, int& column, int& position)
{
    const int divisor = Divisor != 0 ? Divisor : kernel.Divisor;
    const int rounding = divisor / 2;
    struct TTapCell {
        int* Base; // the tap's cell for buffer position 0
        int Weight;
    };
    std::array<TTapCell, 16> taps;
    size_t tapCount = 0;
    for (const TDitherKernel::TTap& tap : kernel.Taps)
        taps[tapCount++] = {rows[tap.Row] + 3 * tap.Offset * Direction, tap.Weight};
    const int* current = rows[0];

    int x = column;
    int p = position;
    for (; x >= 0 && x < width; x += Direction, p += Direction) {
        const uint8_t* pixel = source + 3 * x;
        const int* accumulated = current + 3 * p;
        const std::array<int, 3> input{pixel[2], pixel[1], pixel[0]};
        std::array<int, 3> adjusted;
        for (int c = 0; c < 3; ++c)
            adjusted[c] = std::clamp(input[c] + (accumulated[c] + rounding) / divisor, 0, 255);
        uint8_t outR, outG, outB;
        target[x] = LookupColor(lookup, uint8_t(adjusted[0]), uint8_t(adjusted[1]), uint8_t(adjusted[2]),
                                outR, outG, outB);
        const std::array<int, 3> error{adjusted[0] - outR, adjusted[1] - outG, adjusted[2] - outB};
        if (error[0] | error[1] | error[2]) {
            for (size_t t = 0; t < tapCount; ++t) {
                int* cell = taps[t].Base + 3 * p;
                for (int c = 0; c < 3; ++c)
                    cell[c] += error[c] * taps[t].Weight;
            }
        }
    }
    column = x;
    position = p;
}

template <int Direction, class L>
void KernelRowFor(L& lookup, const TDitherKernel& kernel, int* const* rows, const uint8_t* source,
                  uint8_t* target, int width, int& column, int& position)
{
    switch (kernel.Divisor) {
    case 32:
        return KernelRow<Direction, 32>(lookup, kernel, rows, source, target, width, column, position);
    case 42:
        return KernelRow<Direction, 42>(lookup, kernel, rows, source, target, width, column, position);
    case 48:
        return KernelRow<Direction, 48>(lookup, kernel, rows, source, target, width, column, position);
    case 200:
        return KernelRow<Direction, 200>(lookup, kernel, rows, source, target, width, column, position);
    default:
        return KernelRow<Direction, 0>(lookup, kernel, rows, source, target, width, column, position);
    }
}

} // namespace

void TKernelDitherer::DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target)
{
    CheckSource(source);
    VisitLookup(*FLookup, [&](auto& lookup) {
        for (int y = 0; y < source.Height; ++y) {
            const uint8_t* row = source.Row(y);
            uint8_t* indices = target(y);
            if (FDirection > 0)
                KernelRowFor<1>(lookup, FKernel, FRows.data(), row, indices, FWidth, FColumn, FPosition);
            else
                KernelRowFor<-1>(lookup, FKernel, FRows.data(), row, indices, FWidth, FColumn, FPosition);
            TKernelDitherer::AdvanceRow();
        }
    });
}

// ---- the kernels ---------------------------------------------------------

namespace {

// Taps are {row, offset in the direction of travel, weight}, one line per row.
// clang-format off
const TDitherKernel& StuckiKernel()
{
    static const TDitherKernel kernel{3, 2, 42, {
        {0, 1, 8}, {0, 2, 4},
        {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
        {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}};
    return kernel;
}

const TDitherKernel& SierraKernel()
{
    static const TDitherKernel kernel{3, 2, 32, {
        {0, 1, 5}, {0, 2, 3},
        {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
        {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}};
    return kernel;
}

const TDitherKernel& JaJuNiKernel()
{
    static const TDitherKernel kernel{3, 2, 48, {
        {0, 1, 7}, {0, 2, 5},
        {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
        {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}};
    return kernel;
}

const TDitherKernel& SteveArcheKernel()
{
    static const TDitherKernel kernel{4, 3, 200, {
        {0, 2, 32},
        {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
        {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
        {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}};
    return kernel;
}

const TDitherKernel& BurkesKernel()
{
    static const TDitherKernel kernel{2, 2, 32, {
        {0, 1, 8}, {0, 2, 4},
        {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}};
    return kernel;
}
// clang-format on

} // namespace

TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, StuckiKernel())
{
}
TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, SierraKernel())
{
}
TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, JaJuNiKernel())
{
}
TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TKernelDitherer(width, lookup, SteveArcheKernel())
{
}
TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TKernelDitherer(width, lookup, BurkesKernel())
{
}

std::unique_ptr<TDitherEngine> CreateDitherEngine(uint8_t mode, int width, TColorLookup& lookup)
{
    switch (mode) {
    case ditherNearest:
        return std::make_unique<TDitherEngine>(width, lookup);
    case ditherFloydSteinberg:
        return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case ditherStucki:
        return std::make_unique<TStuckiDitherer>(width, lookup);
    case ditherSierra:
        return std::make_unique<TSierraDitherer>(width, lookup);
    case ditherJaJuNi:
        return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case ditherSteveArche:
        return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case ditherBurkes:
        return std::make_unique<TBurkesDitherer>(width, lookup);
    default:
        return nullptr;
    }
}

bool DitherImage(const TBGRRowSource& source, const TIndexRowTarget& target, TColorLookup& lookup,
                 uint8_t mode)
{
    if (lookup.ColorCount() == 0)
        return false;
    const std::unique_ptr<TDitherEngine> engine = CreateDitherEngine(mode, source.Width, lookup);
    if (!engine)
        return false;
    engine->DitherImage(source, target);
    return true;
}

} // namespace fl
