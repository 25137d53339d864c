// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Canvas.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "platform/PixelRows.h"

namespace fl {

namespace {

// Handles of the canvases alive now. A player thread asks whether its canvas
// still exists, so the set is shared between threads.
struct THandleRegistry {
    std::mutex Lock;
    std::unordered_set<TCanvasHandle> Live;
};

THandleRegistry& Registry()
{
    static THandleRegistry registry;
    return registry;
}

std::atomic<TCanvasHandle> nextHandle{1};

// Target pixels are 32-bit words whose bytes in memory are blue, green, red,
// unused; loads and stores go through memcpy, which compiles to one move.
inline uint32_t PackBGR(uint8_t blue, uint8_t green, uint8_t red)
{
    const uint8_t bytes[4] = {blue, green, red, 0};
    uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
}

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

inline void Store32(uint8_t* p, uint32_t value)
{
    std::memcpy(p, &value, 4);
}

// 5- and 6-bit channels widened so that full scale stays full scale, as the
// bitmap's own conversions do.
inline uint8_t Widen5(unsigned v)
{
    return static_cast<uint8_t>((v << 3) | (v >> 2));
}
inline uint8_t Widen6(unsigned v)
{
    return static_cast<uint8_t>((v << 2) | (v >> 4));
}

// An indexed bitmap's palette as ready-made target pixels, built once per
// call; indices past the palette give black.
struct TPixelTable {
    uint32_t Entries[256];
};

void MakePixelTable(const TBitmap& bitmap, TPixelTable& table)
{
    TBGRTable bgr;
    MakeBGRTable(bitmap.Palette().get(), bgr);
    for (int i = 0; i < 256; ++i)
        table.Entries[i] = PackBGR(bgr.Entries[i][0], bgr.Entries[i][1], bgr.Entries[i][2]);
}

// A half-open range on one axis, in 64 bits so that no rectangle can make
// its width overflow.
struct TSpan {
    int64_t Lo;
    int64_t Hi;
};

// The target pixels of one axis that a draw writes, [First, First + size),
// and the source pixel each one reads.
struct TAxisMap {
    int First = 0;
    bool Unscaled = false; // Source[i] == Source[0] + i
    std::vector<int> Source;
};

// Nearest-pixel mapping of destination range dst onto source range src,
// clipped to [0, targetExtent) and to the source pixels [0, sourceExtent).
// The mapping never decreases, so the pixels whose source lies inside the
// source bitmap form one run; answers whether it is not empty.
bool MapAxis(TSpan dst, TSpan src, int targetExtent, int sourceExtent, TAxisMap& map)
{
    map.Source.clear();
    if (dst.Lo >= dst.Hi || src.Lo >= src.Hi)
        return false;
    const int64_t lo = std::max<int64_t>(dst.Lo, 0);
    const int64_t hi = std::min<int64_t>(dst.Hi, targetExtent);
    if (lo >= hi)
        return false;
    // Both widths stay below 2^32 and so does t - dst.Lo, so the product
    // fits in 64 unsigned bits.
    const uint64_t dstWidth = uint64_t(dst.Hi - dst.Lo);
    const uint64_t srcWidth = uint64_t(src.Hi - src.Lo);
    map.Source.reserve(size_t(hi - lo));
    int64_t first = lo;
    for (int64_t t = lo; t < hi; ++t) {
        const int64_t s = src.Lo + int64_t(uint64_t(t - dst.Lo) * srcWidth / dstWidth);
        if (s < 0) {
            first = t + 1;
            continue;
        }
        if (s >= sourceExtent)
            break;
        map.Source.push_back(int(s));
    }
    map.First = int(first);
    map.Unscaled = dstWidth == srcWidth;
    return !map.Source.empty();
}

inline bool MaskBit(const uint8_t* maskRow, int x)
{
    return (maskRow[x >> 3] >> (7 - (x & 7))) & 1;
}

// Writes value unless the pixel is transparent, choosing with a mask rather
// than a branch: mixed mask bytes would make a branch mispredict half the time.
inline void MaskedStore(uint8_t* out, uint32_t value, bool transparent)
{
    const uint32_t keep = 0u - uint32_t(transparent);
    Store32(out, (Load32(out) & keep) | (value & ~keep));
}

// The inner loops for one source format: fetch(row, x) gives the target
// pixel for source pixel x of a source row. Unscaled column maps skip the
// map, and test the mask a byte (8 pixels) at a time where a byte is all
// transparent or all opaque.
template <class Fetch>
void DrawRows(TBitmap& target, const TBitmap& source, const TAxisMap& cols, const TAxisMap& rows,
              const TBitmap* mask, Fetch fetch)
{
    uint8_t* const targetBits = target.Bits();
    const size_t targetStride = target.RowBytes();
    const uint8_t* const sourceBits = source.Bits();
    const size_t sourceStride = source.RowBytes();
    const int count = int(cols.Source.size());
    const int* const colMap = cols.Source.data();
    const int first = colMap[0];

    for (size_t j = 0; j < rows.Source.size(); ++j) {
        const int sy = rows.Source[j];
        const uint8_t* src = sourceBits + size_t(sy) * sourceStride;
        uint8_t* out = targetBits + (size_t(rows.First) + j) * targetStride + size_t(cols.First) * 4;
        if (!mask) {
            if (cols.Unscaled) {
                for (int i = 0; i < count; ++i)
                    Store32(out + size_t(i) * 4, fetch(src, first + i));
            } else {
                for (int i = 0; i < count; ++i)
                    Store32(out + size_t(i) * 4, fetch(src, colMap[i]));
            }
            continue;
        }
        const uint8_t* maskRow = mask->Bits() + size_t(sy) * mask->RowBytes();
        if (cols.Unscaled) {
            int i = 0;
            while (i < count) {
                const int sx = first + i;
                if ((sx & 7) == 0 && count - i >= 8) {
                    const uint8_t bits = maskRow[sx >> 3];
                    if (bits == 0xFF) {
                        i += 8;
                        continue;
                    }
                    if (bits == 0x00) {
                        for (int k = 0; k < 8; ++k)
                            Store32(out + size_t(i + k) * 4, fetch(src, sx + k));
                        i += 8;
                        continue;
                    }
                }
                MaskedStore(out + size_t(i) * 4, fetch(src, sx), MaskBit(maskRow, sx));
                ++i;
            }
        } else {
            for (int i = 0; i < count; ++i) {
                const int sx = colMap[i];
                MaskedStore(out + size_t(i) * 4, fetch(src, sx), MaskBit(maskRow, sx));
            }
        }
    }
}

// Draws the src rectangle of source onto the dst rectangle of the 32-bit
// target, stretched, through a 1-bit mask of the source's size when given.
void Blit(TBitmap& target, TSpan dstX, TSpan dstY, const TBitmap& source, TSpan srcX, TSpan srcY,
          const TBitmap* mask)
{
    TAxisMap cols;
    TAxisMap rows;
    if (!MapAxis(dstX, srcX, target.Width(), source.Width(), cols) ||
        !MapAxis(dstY, srcY, target.Height(), source.Height(), rows))
        return;

    TPixelTable table;
    switch (source.PixelFormat()) {
    case TPixelFormat::pfDevice:
    case TPixelFormat::pf32bit:
        if (cols.Unscaled && !mask) {
            // Whole row runs; memmove because a canvas may copy within itself.
            const size_t bytes = cols.Source.size() * 4;
            for (size_t j = 0; j < rows.Source.size(); ++j)
                std::memmove(
                    target.Bits() + (size_t(rows.First) + j) * target.RowBytes() + size_t(cols.First) * 4,
                    source.Bits() + size_t(rows.Source[j]) * source.RowBytes() + size_t(cols.Source[0]) * 4,
                    bytes);
            return;
        }
        DrawRows(target, source, cols, rows, mask,
                 [](const uint8_t* row, int x) { return Load32(row + size_t(x) * 4); });
        return;
    case TPixelFormat::pf24bit:
        DrawRows(target, source, cols, rows, mask, [](const uint8_t* row, int x) {
            const uint8_t* p = row + size_t(x) * 3;
            return PackBGR(p[0], p[1], p[2]);
        });
        return;
    case TPixelFormat::pf16bit:
        DrawRows(target, source, cols, rows, mask, [](const uint8_t* row, int x) {
            const unsigned v = row[size_t(x) * 2] | (unsigned(row[size_t(x) * 2 + 1]) << 8);
            return PackBGR(Widen5(v & 0x1F), Widen6((v >> 5) & 0x3F), Widen5((v >> 11) & 0x1F));
        });
        return;
    case TPixelFormat::pf15bit:
        DrawRows(target, source, cols, rows, mask, [](const uint8_t* row, int x) {
            const unsigned v = row[size_t(x) * 2] | (unsigned(row[size_t(x) * 2 + 1]) << 8);
            return PackBGR(Widen5(v & 0x1F), Widen5((v >> 5) & 0x1F), Widen5((v >> 10) & 0x1F));
        });
        return;
    case TPixelFormat::pf8bit:
        MakePixelTable(source, table);
        DrawRows(target, source, cols, rows, mask,
                 [&table](const uint8_t* row, int x) { return table.Entries[row[x]]; });
        return;
    case TPixelFormat::pf4bit:
        MakePixelTable(source, table);
        DrawRows(target, source, cols, rows, mask, [&table](const uint8_t* row, int x) {
            const uint8_t pair = row[x >> 1];
            return table.Entries[(x & 1) ? pair & 0x0F : pair >> 4];
        });
        return;
    case TPixelFormat::pf1bit:
        MakePixelTable(source, table);
        DrawRows(target, source, cols, rows, mask,
                 [&table](const uint8_t* row, int x) { return table.Entries[MaskBit(row, x)]; });
        return;
    case TPixelFormat::pfCustom:
        return; // bitmaps never stay in it; nothing to draw
    }
}

// A mask of another format as 1 bit per pixel: any non-black pixel is
// transparent. Done once per draw, so the inner loops see only bits.
TBitmap MaskToBits(const TBitmap& mask)
{
    TBitmap bits(mask.Width(), mask.Height(), TPixelFormat::pf1bit);
    TBGRTable table;
    MakeBGRTable(IsIndexed(mask.PixelFormat()) ? mask.Palette().get() : nullptr, table);
    std::vector<uint8_t> bgr(size_t(mask.Width()) * 3);
    for (int y = 0; y < mask.Height(); ++y) {
        RowToBGR24(mask.PixelFormat(), mask.ScanLine(y), bgr.data(), mask.Width(), table);
        uint8_t* out = bits.ScanLine(y);
        for (int x = 0; x < mask.Width(); ++x) {
            const uint8_t* p = &bgr[size_t(x) * 3];
            if (p[0] | p[1] | p[2])
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
    return bits;
}

// The bitmap's format may have been changed since the canvas was made; the
// drawing loops write 4 bytes per pixel, so convert it back first.
void Ensure32(TBitmap& bitmap)
{
    if (bitmap.PixelFormat() != TPixelFormat::pf32bit && bitmap.PixelFormat() != TPixelFormat::pfDevice)
        bitmap.SetPixelFormat(TPixelFormat::pf32bit);
}

TSpan Horizontal(const TRect& r)
{
    return {r.Left, r.Right};
}
TSpan Vertical(const TRect& r)
{
    return {r.Top, r.Bottom};
}

} // namespace

bool IsDeviceContext(TCanvasHandle handle)
{
    THandleRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    return registry.Live.count(handle) != 0;
}

TCanvas::TCanvas(TBitmap& target) : target_(target), handle_(0)
{
    Ensure32(target_);
    handle_ = nextHandle.fetch_add(1);
    THandleRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Live.insert(handle_);
}

TCanvas::~TCanvas()
{
    THandleRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Live.erase(handle_);
}

void TCanvas::FillRect(const TRect& rect, TCanvasColor color)
{
    Ensure32(target_);
    const int left = std::max(rect.Left, 0);
    const int top = std::max(rect.Top, 0);
    const int right = std::min(rect.Right, target_.Width());
    const int bottom = std::min(rect.Bottom, target_.Height());
    if (left >= right || top >= bottom)
        return;
    // TColor is 0x00BBGGRR.
    const uint32_t pixel = PackBGR(uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color));
    for (int y = top; y < bottom; ++y) {
        uint8_t* out = target_.Bits() + size_t(y) * target_.RowBytes() + size_t(left) * 4;
        for (int x = left; x < right; ++x, out += 4)
            Store32(out, pixel);
    }
}

void TCanvas::CopyRect(const TRect& rect, const TCanvas& source, const TRect& sourceRect)
{
    Ensure32(target_);
    Blit(target_, Horizontal(rect), Vertical(rect), source.Bitmap(), Horizontal(sourceRect),
         Vertical(sourceRect), nullptr);
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap)
{
    Ensure32(target_);
    Blit(target_, Horizontal(rect), Vertical(rect), bitmap, {0, bitmap.Width()}, {0, bitmap.Height()},
         nullptr);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap)
{
    Ensure32(target_);
    Blit(target_, {x, int64_t(x) + bitmap.Width()}, {y, int64_t(y) + bitmap.Height()}, bitmap,
         {0, bitmap.Width()}, {0, bitmap.Height()}, nullptr);
}

void TCanvas::MaskedStretchDraw(const TRect& rect, const TBitmap& bitmap, const TBitmap& mask)
{
    if (mask.Width() != bitmap.Width() || mask.Height() != bitmap.Height())
        throw EBitmapError("Mask size does not match the bitmap");
    Ensure32(target_);
    const TSpan srcX{0, bitmap.Width()};
    const TSpan srcY{0, bitmap.Height()};
    if (mask.PixelFormat() == TPixelFormat::pf1bit) {
        Blit(target_, Horizontal(rect), Vertical(rect), bitmap, srcX, srcY, &mask);
        return;
    }
    const TBitmap bits = MaskToBits(mask);
    Blit(target_, Horizontal(rect), Vertical(rect), bitmap, srcX, srcY, &bits);
}

void TCanvas::Changed()
{
    target_.NotifyChanged();
}

} // namespace fl
