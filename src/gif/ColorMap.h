// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/GIFTypes.h"
#include "platform/Palette.h"
#include "platform/Stream.h"

namespace fl {

class TGIFHeader;
class TGIFImage;
class TGIFSubImage;

// Usage count of one color table entry, as the table sorts by use.
struct TUsageCount {
    uint64_t Count = 0;
    int Index = 0;
};
using TColorHistogram = std::array<TUsageCount, 256>;
using TColorRemapTable = std::array<uint8_t, 256>;

// A GIF color table: up to 256 RGB entries, red first.
class TGIFColorMap {
public:
    virtual ~TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted) { sorted_ = sorted; }
    // Bits per pixel needed for Count entries: 0 for none, else 1..8.
    int Depth() const;
    // Raw entries, three bytes each.
    const uint8_t* Data() const { return data_.data(); }

    void Reset();
    int Add(TColor color);
    int Find(TColor color) const;
    int AddUnique(TColor color);
    void Delete(int index);
    TColor ColorAt(int index);
    void SetColorAt(int index, TColor color);

    void LoadEntries(TStream& stream, int count);
    void WriteEntries(TStream& stream) const;
    void FromPlatformPalette(const TPaletteHandle& palette);
    void FromRGBTriples(const uint8_t* triples, int count);
    // Quads are stored blue, green, red, reserved.
    void FromRGBQuads(const uint8_t* quads, int count);
    TPaletteHandle ToPlatformPalette() const;
    void CopyFrom(const TGIFColorMap& other);

    virtual void Warn(int severity, const std::string& message) = 0;
    virtual void CountUsage(TColorHistogram& histogram) = 0;
    virtual void RemapPixels(const TColorRemapTable& table) = 0;
    // Sorts the entries by use, most used first, and drops unused ones at the
    // end; answers whether the table was considered for sorting.
    virtual bool SortColorMapByUse();
    virtual void TableChanged() = 0;

protected:
    TGIFColorMap() = default;
    void GrowCapacity(int count);
    // Remaps the pixels and transparent index of one frame that uses this table.
    static void RemapFramePixels(TGIFSubImage& frame, const TColorRemapTable& table);
    static void CountFramePixels(const TGIFSubImage& frame, TColorHistogram& histogram);

private:
    std::vector<uint8_t> data_;
    int count_ = 0;
    int capacity_ = 0;
    bool sorted_ = false;
};

class TGIFGlobalColorMap final : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader& header) : header_(header) {}

    void Warn(int severity, const std::string& message) override;
    void CountUsage(TColorHistogram& histogram) override;
    void RemapPixels(const TColorRemapTable& table) override;
    bool SortColorMapByUse() override;
    void TableChanged() override;

private:
    TGIFHeader& header_;
};

class TGIFLocalColorMap final : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage& frame) : frame_(frame) {}

    void Warn(int severity, const std::string& message) override;
    void CountUsage(TColorHistogram& histogram) override;
    void RemapPixels(const TColorRemapTable& table) override;
    void TableChanged() override;

private:
    TGIFSubImage& frame_;
};

} // namespace fl
