// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/ColorMap.h"

#include <cstring>

#include "gif/GIFImage.h"
#include "gif/Header.h"
#include "gif/SubImage.h"
#include "platform/GIFException.h"

namespace fl {

int TGIFColorMap::Depth() const
{
    if (count_ == 0)
        return 0;
    int bits = 1;
    while ((1 << bits) < count_)
        ++bits;
    return bits;
}

void TGIFColorMap::GrowCapacity(int count)
{
    if (count < capacity_)
        return;
    capacity_ = count <= 16 ? 16 : std::min(256, (count + 31) / 32 * 32);
    data_.resize(static_cast<size_t>(capacity_) * 3);
}

void TGIFColorMap::Reset()
{
    data_.clear();
    data_.shrink_to_fit();
    count_ = 0;
    capacity_ = 0;
    sorted_ = false;
}

int TGIFColorMap::Add(TColor color)
{
    if (count_ >= 256)
        throw GIFException("Color table overflow");
    GrowCapacity(count_ + 1);
    uint8_t* entry = &data_[static_cast<size_t>(count_) * 3];
    entry[0] = RedOf(color);
    entry[1] = GreenOf(color);
    entry[2] = BlueOf(color);
    ++count_;
    sorted_ = false;
    TableChanged();
    return count_ - 1;
}

int TGIFColorMap::Find(TColor color) const
{
    const uint8_t red = RedOf(color), green = GreenOf(color), blue = BlueOf(color);
    auto matches = [&](int i) {
        const uint8_t* entry = &data_[static_cast<size_t>(i) * 3];
        return entry[0] == red && entry[1] == green && entry[2] == blue;
    };
    // A sorted table has its most used colors first.
    if (sorted_) {
        for (int i = 0; i < count_; ++i)
            if (matches(i))
                return i;
    } else {
        for (int i = count_ - 1; i >= 0; --i)
            if (matches(i))
                return i;
    }
    return -1;
}

int TGIFColorMap::AddUnique(TColor color)
{
    const int index = Find(color);
    return index >= 0 ? index : Add(color);
}

void TGIFColorMap::Delete(int index)
{
    if (index < 0 || index >= count_)
        throw GIFException("Invalid color index");
    uint8_t* entry = &data_[static_cast<size_t>(index) * 3];
    std::memmove(entry, entry + 3, static_cast<size_t>(count_ - index - 1) * 3);
    --count_;
    sorted_ = false;
    TableChanged();
}

TColor TGIFColorMap::ColorAt(int index)
{
    if (index < 0 || index >= count_) {
        Warn(wsWarning, "Invalid color index");
        index = 0;
        if (count_ == 0)
            throw GIFException("Color table is empty");
    }
    const uint8_t* entry = &data_[static_cast<size_t>(index) * 3];
    return MakeColor(entry[0], entry[1], entry[2]);
}

void TGIFColorMap::SetColorAt(int index, TColor color)
{
    if (index < 0 || index >= count_)
        throw GIFException("Invalid color index");
    uint8_t* entry = &data_[static_cast<size_t>(index) * 3];
    entry[0] = RedOf(color);
    entry[1] = GreenOf(color);
    entry[2] = BlueOf(color);
    TableChanged();
}

void TGIFColorMap::LoadEntries(TStream& stream, int count)
{
    Reset();
    GrowCapacity(count);
    const size_t bytes = static_cast<size_t>(count) * 3;
    if (stream.Read(data_.data(), bytes) != bytes)
        throw GIFException("Premature end of data");
    count_ = count;
}

void TGIFColorMap::WriteEntries(TStream& stream) const
{
    if (count_ == 0)
        return;
    // Pad with black to the power-of-two size the flags announce.
    uint8_t table[256 * 3] = {};
    std::memcpy(table, data_.data(), static_cast<size_t>(count_) * 3);
    stream.Write(table, static_cast<size_t>(1 << Depth()) * 3);
}

void TGIFColorMap::FromPlatformPalette(const TPaletteHandle& palette)
{
    Reset();
    if (!palette || palette->Entries.empty())
        return;
    const int count = std::min<int>(256, static_cast<int>(palette->Entries.size()));
    GrowCapacity(count);
    for (int i = 0; i < count; ++i) {
        const TPaletteEntry& source = palette->Entries[static_cast<size_t>(i)];
        uint8_t* entry = &data_[static_cast<size_t>(i) * 3];
        entry[0] = source.red;
        entry[1] = source.green;
        entry[2] = source.blue;
    }
    count_ = count;
    TableChanged();
}

void TGIFColorMap::FromRGBTriples(const uint8_t* triples, int count)
{
    Reset();
    count = std::min(count, 256);
    if (count <= 0)
        return;
    GrowCapacity(count);
    std::memcpy(data_.data(), triples, static_cast<size_t>(count) * 3);
    count_ = count;
    TableChanged();
}

void TGIFColorMap::FromRGBQuads(const uint8_t* quads, int count)
{
    Reset();
    count = std::min(count, 256);
    if (count <= 0)
        return;
    GrowCapacity(count);
    for (int i = 0; i < count; ++i) {
        uint8_t* entry = &data_[static_cast<size_t>(i) * 3];
        entry[0] = quads[i * 4 + 2];
        entry[1] = quads[i * 4 + 1];
        entry[2] = quads[i * 4];
    }
    count_ = count;
    TableChanged();
}

TPaletteHandle TGIFColorMap::ToPlatformPalette() const
{
    if (count_ == 0)
        return nullptr;
    auto palette = std::make_shared<TPalette>();
    palette->Entries.resize(static_cast<size_t>(count_));
    for (int i = 0; i < count_; ++i) {
        const uint8_t* entry = &data_[static_cast<size_t>(i) * 3];
        palette->Entries[static_cast<size_t>(i)] = {entry[0], entry[1], entry[2], PC_NOCOLLAPSE};
    }
    return palette;
}

void TGIFColorMap::CopyFrom(const TGIFColorMap& other)
{
    data_ = other.data_;
    count_ = other.count_;
    capacity_ = other.capacity_;
    sorted_ = other.sorted_;
    TableChanged();
}

// Sorts (count, former index) pairs by count, largest first. This is the
// classic Hoare partition quicksort; it is not stable, and the order it gives
// to equal counts is part of the result.
static void SortUsage(TColorHistogram& pairs, int lo, int hi)
{
    int i;
    do {
        const uint64_t pivot = pairs[static_cast<size_t>((lo + hi) / 2)].Count;
        i = lo;
        int j = hi;
        do {
            while (pairs[static_cast<size_t>(i)].Count > pivot)
                ++i;
            while (pairs[static_cast<size_t>(j)].Count < pivot)
                --j;
            if (i <= j) {
                std::swap(pairs[static_cast<size_t>(i)], pairs[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j)
            SortUsage(pairs, lo, j);
        lo = i;
    } while (i < hi);
}

bool TGIFColorMap::SortColorMapByUse()
{
    if (count_ < 2)
        return false;
    sorted_ = true;

    TColorHistogram usage{};
    for (int i = 0; i < 256; ++i)
        usage[static_cast<size_t>(i)] = {0, i};
    CountUsage(usage);
    SortUsage(usage, 0, count_ - 1);

    bool moved = false;
    for (int i = 0; i < count_; ++i)
        moved |= usage[static_cast<size_t>(i)].Index != i;
    if (!moved)
        return true;

    TColorRemapTable remap{};
    for (int i = 0; i < 256; ++i)
        remap[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    for (int i = 0; i < count_; ++i)
        remap[static_cast<size_t>(usage[static_cast<size_t>(i)].Index)] = static_cast<uint8_t>(i);
    RemapPixels(remap);

    std::vector<uint8_t> sortedData(data_.size());
    int newCount = count_;
    for (int i = 0; i < count_; ++i) {
        const size_t from = static_cast<size_t>(usage[static_cast<size_t>(i)].Index) * 3;
        std::memcpy(&sortedData[static_cast<size_t>(i) * 3], &data_[from], 3);
        if (usage[static_cast<size_t>(i)].Count == 0 && newCount == count_)
            newCount = i;
    }
    data_ = std::move(sortedData);
    count_ = newCount;
    TableChanged();
    return true;
}

void TGIFColorMap::CountFramePixels(const TGIFSubImage& frame, TColorHistogram& histogram)
{
    const uint8_t* pixels = frame.Pixels();
    if (!pixels)
        return;
    const size_t count = std::min(frame.PixelBytes(), static_cast<size_t>(frame.Width()) * frame.Height());
    // Four partial histograms break the store-to-load chain on runs of
    // equal pixels.
    std::array<std::array<uint64_t, 256>, 4> partial{};
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        ++partial[0][pixels[i]];
        ++partial[1][pixels[i + 1]];
        ++partial[2][pixels[i + 2]];
        ++partial[3][pixels[i + 3]];
    }
    for (; i < count; ++i)
        ++partial[0][pixels[i]];
    for (size_t c = 0; c < 256; ++c)
        histogram[c].Count += partial[0][c] + partial[1][c] + partial[2][c] + partial[3][c];
}

void TGIFColorMap::RemapFramePixels(TGIFSubImage& frame, const TColorRemapTable& table)
{
    uint8_t* pixels = frame.Pixels();
    if (pixels) {
        const size_t count = std::min(frame.PixelBytes(), static_cast<size_t>(frame.Width()) * frame.Height());
        for (size_t i = 0; i < count; ++i)
            pixels[i] = table[pixels[i]];
    }
    if (frame.Transparent && frame.ControlBlock)
        frame.ControlBlock->SetTransparentIndex(table[frame.ControlBlock->TransparentIndex()]);
}

// Global colors

void TGIFGlobalColorMap::Warn(int severity, const std::string& message)
{
    header_.Warn(severity, message);
}

void TGIFGlobalColorMap::CountUsage(TColorHistogram& histogram)
{
    for (const auto& frame : header_.Image()->Frames)
        if (&frame->ActiveColors() == this)
            CountFramePixels(*frame, histogram);
}

void TGIFGlobalColorMap::RemapPixels(const TColorRemapTable& table)
{
    for (const auto& frame : header_.Image()->Frames)
        if (&frame->ActiveColors() == this)
            RemapFramePixels(*frame, table);
}

bool TGIFGlobalColorMap::SortColorMapByUse()
{
    if (header_.Image()->Frames.Count() == 0)
        return false;
    return TGIFColorMap::SortColorMapByUse();
}

void TGIFGlobalColorMap::TableChanged()
{
    if (TGIFImage* image = header_.Image())
        image->SetPaletteHandle(nullptr);
}

// Local colors

void TGIFLocalColorMap::Warn(int severity, const std::string& message)
{
    frame_.Warn(severity, message);
}

void TGIFLocalColorMap::CountUsage(TColorHistogram& histogram)
{
    CountFramePixels(frame_, histogram);
}

void TGIFLocalColorMap::RemapPixels(const TColorRemapTable& table)
{
    RemapFramePixels(frame_, table);
}

void TGIFLocalColorMap::TableChanged()
{
    frame_.SetPaletteHandle(nullptr);
}

} // namespace fl
