// SPDX-License-Identifier: GPL-3.0-or-later
// Merging all color maps of an animation into one global map: a histogram per
// map, identical colors merged across maps, the most used colors kept and
// the rest mapped onto the closest kept one, a slot kept for transparency.
#include "gif/ColorMapOptimizer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "gif/SubImage.h"

namespace fl {

namespace {

constexpr uint32_t kUnassigned = 256;

struct THistogramEntry {
    int32_t Count = 0;
    uint32_t OldIndex = 0;
    uint32_t NewIndex = kUnassigned;
    // red | green << 8 | blue << 16
    uint32_t Color = 0;
    // For a merged duplicate: the entry that stands for its color.
    THistogramEntry* Representative = nullptr;
};

using TEntryList = std::vector<THistogramEntry*>;

int32_t SaturatingAdd(int32_t a, int64_t b)
{
    return int32_t(std::min<int64_t>(int64_t(a) + b, INT32_MAX));
}

// The quicksort every ordering here uses. It is not stable, so the order it
// leaves equal keys in is part of the result; compare answers below zero
// when the first item goes first. Partitions of disjoint ranges do not
// affect each other, so sorting the smaller side first and looping on the
// larger gives the same order with a bounded depth.
template <class Compare> void QuickSort(TEntryList& items, int lo, int hi, Compare compare)
{
    while (lo < hi) {
        THistogramEntry* pivot = items[size_t((lo + hi) / 2)];
        int i = lo, j = hi;
        do {
            while (compare(*items[size_t(i)], *pivot) < 0)
                ++i;
            while (compare(*items[size_t(j)], *pivot) > 0)
                --j;
            if (i <= j) {
                std::swap(items[size_t(i)], items[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j)
                QuickSort(items, lo, j, compare);
            lo = i;
        } else {
            if (i < hi)
                QuickSort(items, i, hi, compare);
            hi = j;
        }
    }
}

// Most used first.
int64_t CompareCount(const THistogramEntry& a, const THistogramEntry& b)
{
    return int64_t(b.Count) - int64_t(a.Count);
}

// Largest color value first.
int64_t CompareColor(const THistogramEntry& a, const THistogramEntry& b)
{
    return int64_t(b.Color) - int64_t(a.Color);
}

void SortEntries(TEntryList& items, int64_t (*compare)(const THistogramEntry&, const THistogramEntry&))
{
    if (items.size() > 1)
        QuickSort(items, 0, int(items.size()) - 1, compare);
}

// The uses of one color map's entries over the frames that draw with it.
class THistogram {
public:
    explicit THistogram(TGIFColorMap& map) : Map(map), Count(map.Count()), Entries(size_t(map.Count()))
    {
        const uint8_t* data = map.Data();
        for (size_t i = 0; i < Entries.size(); ++i) {
            Entries[i].OldIndex = uint32_t(i);
            Entries[i].Color =
                uint32_t(data[3 * i]) | uint32_t(data[3 * i + 1]) << 8 | uint32_t(data[3 * i + 2]) << 16;
            List.push_back(&Entries[i]);
        }
    }

    TGIFColorMap& Map;
    std::vector<TGIFSubImage*> Frames;
    int Count;
    std::vector<THistogramEntry> Entries;
    TEntryList List;

    // Counts the frame's pixels; answers whether it showed transparent ones.
    bool FeedFrame(TGIFSubImage& frame);
    // Most used first, unused entries cut off.
    void SortAndCut();
};

bool THistogram::FeedFrame(TGIFSubImage& frame)
{
    Frames.push_back(&frame);
    uint8_t* pixels = frame.Pixels();
    const size_t n = std::min(frame.PixelBytes(), size_t(frame.Width()) * size_t(frame.Height()));
    const bool transparent = frame.Transparent && frame.ControlBlock;
    const int t = transparent ? frame.ControlBlock->TransparentIndex() : -1;

    std::array<uint64_t, 256> uses{};
    for (size_t i = 0; i < n; ++i)
        ++uses[pixels[i]];
    const bool showedTransparent = t >= 0 && uses[size_t(t)] > 0;
    if (t >= 0)
        uses[size_t(t)] = 0;

    // Indices past the table draw no defined color: they become entry 0.
    uint64_t outside = 0;
    for (int p = Count; p < 256; ++p)
        outside += uses[size_t(p)];
    if (outside > 0) {
        frame.Warn(wsWarning, "Color not in color table");
        for (size_t i = 0; i < n; ++i)
            if (pixels[i] >= Count && pixels[i] != t)
                pixels[i] = 0;
        if (Count > 0)
            uses[0] += outside;
    }
    // Counts stop at the largest 32-bit value instead of wrapping.
    for (int p = 0; p < Count; ++p)
        Entries[size_t(p)].Count =
            SaturatingAdd(Entries[size_t(p)].Count, int64_t(std::min<uint64_t>(uses[size_t(p)], INT32_MAX)));

    if (transparent && !showedTransparent) {
        frame.ControlBlock->SetTransparentIndex(0);
        frame.ControlBlock->SetTransparent(false);
    }
    return showedTransparent;
}

void THistogram::SortAndCut()
{
    SortEntries(List, CompareCount);
    size_t used = 0;
    while (used < List.size() && List[used]->Count > 0)
        ++used;
    for (size_t i = used; i < List.size(); ++i)
        List[i]->Count = -1;
    List.resize(used);
    Count = int(used);
}

int ChannelDistance(uint32_t a, uint32_t b)
{
    return std::abs(int(a & 0xFF) - int(b & 0xFF)) + std::abs(int(a >> 8 & 0xFF) - int(b >> 8 & 0xFF)) +
           std::abs(int(a >> 16 & 0xFF) - int(b >> 16 & 0xFF));
}

class TColorMapOptimizer {
public:
    explicit TColorMapOptimizer(TGIFImage& image) : image_(image) {}

    void Run()
    {
        const TColor background = PlayedBackground();
        MakeHistograms();
        if (histograms_.empty())
            return;
        for (auto& histogram : histograms_) {
            histogram->SortAndCut();
            combined_.insert(combined_.end(), histogram->List.begin(), histogram->List.end());
        }
        MergeIdentical();
        ChoosePalette();
        Install();
        KeepBackground(background);
        Remap();
        image_.DropRenderings();
    }

private:
    void MakeHistograms()
    {
        usesTransparency_ = false;
        TGIFColorMap& global = image_.GlobalColors();
        if (global.Count() > 0) {
            auto histogram = std::make_unique<THistogram>(global);
            for (const auto& frame : image_.Frames)
                if (!frame->IsEmpty() && frame->LocalColors.Count() == 0)
                    usesTransparency_ |= histogram->FeedFrame(*frame);
            if (!histogram->Frames.empty())
                histograms_.push_back(std::move(histogram));
        }
        for (const auto& frame : image_.Frames) {
            if (frame->IsEmpty() || frame->LocalColors.Count() == 0)
                continue;
            auto histogram = std::make_unique<THistogram>(frame->LocalColors);
            usesTransparency_ |= histogram->FeedFrame(*frame);
            histograms_.push_back(std::move(histogram));
        }
    }

    void MergeIdentical()
    {
        SortEntries(combined_, CompareColor);
        THistogramEntry* representative = nullptr;
        for (THistogramEntry* entry : combined_) {
            if (representative && entry->Color == representative->Color) {
                representative->Count = SaturatingAdd(representative->Count, entry->Count);
                entry->Count = 0;
                entry->Representative = representative;
            } else {
                representative = entry;
            }
        }
    }

    void ChoosePalette()
    {
        SortEntries(combined_, CompareCount);
        const size_t limit = usesTransparency_ ? 255 : 256;
        size_t kept = 0;
        while (kept < combined_.size() && kept < limit && combined_[kept]->Count > 0) {
            combined_[kept]->NewIndex = uint32_t(kept);
            finalColors_[kept] = combined_[kept]->Color;
            ++kept;
        }
        finalCount_ = int(kept);
        for (size_t i = kept; i < combined_.size(); ++i) {
            THistogramEntry& entry = *combined_[i];
            if (entry.Count > 0) {
                // Fixed: the closest kept color by the sum of the channel
                // differences; a sum of signed differences calls colors of
                // the same brightness but another hue identical.
                int best = 765;
                uint32_t index = 0;
                for (size_t k = 0; k < kept; ++k) {
                    const int distance = ChannelDistance(entry.Color, finalColors_[k]);
                    if (distance < best) {
                        best = distance;
                        index = uint32_t(k);
                    }
                }
                entry.NewIndex = index;
            } else {
                // Duplicates sort after every used entry, so their
                // representative is placed by now.
                entry.NewIndex = entry.Representative && entry.Representative->NewIndex < kUnassigned
                                     ? entry.Representative->NewIndex
                                     : 0;
            }
        }
        if (usesTransparency_) {
            transparentIndex_ = uint8_t(finalCount_);
            finalColors_[size_t(finalCount_)] = 0;
            ++finalCount_;
        }
    }

    void Install()
    {
        for (const auto& frame : image_.Frames) {
            if (frame->LocalColors.Count() > 0) {
                frame->LocalColors.Reset();
                frame->LocalColors.TableChanged();
            }
        }
        std::array<uint8_t, 256 * 3> triples{};
        for (int i = 0; i < finalCount_; ++i) {
            triples[size_t(3 * i)] = uint8_t(finalColors_[size_t(i)]);
            triples[size_t(3 * i + 1)] = uint8_t(finalColors_[size_t(i)] >> 8);
            triples[size_t(3 * i + 2)] = uint8_t(finalColors_[size_t(i)] >> 16);
        }
        TGIFColorMap& global = image_.GlobalColors();
        global.FromRGBTriples(triples.data(), finalCount_);
        global.SetSorted(true);
    }

    void Remap()
    {
        for (const auto& histogram : histograms_) {
            std::array<uint8_t, 256> table{};
            for (const THistogramEntry& entry : histogram->Entries)
                table[entry.OldIndex] = entry.NewIndex < kUnassigned ? uint8_t(entry.NewIndex) : 0;
            for (TGIFSubImage* frame : histogram->Frames) {
                std::array<uint8_t, 256> frameTable = table;
                if (frame->Transparent && frame->ControlBlock && usesTransparency_) {
                    frameTable[frame->ControlBlock->TransparentIndex()] = transparentIndex_;
                    frame->ControlBlock->SetTransparentIndex(transparentIndex_);
                }
                uint8_t* pixels = frame->Pixels();
                const size_t n =
                    std::min(frame->PixelBytes(), size_t(frame->Width()) * size_t(frame->Height()));
                for (size_t i = 0; i < n; ++i)
                    pixels[i] = frameTable[pixels[i]];
            }
        }
    }

    // The color players clear to, read without the warnings of a lookup
    // outside the table.
    TColor PlayedBackground()
    {
        TGIFColorMap& global = image_.GlobalColors();
        if (global.Count() == 0)
            return TGIFPainter::BackgroundColorOf(image_);
        const int index = image_.Header.BackgroundIndex < global.Count() ? image_.Header.BackgroundIndex : 0;
        const uint8_t* entry = global.Data() + 3 * size_t(index);
        return MakeColor(entry[0], entry[1], entry[2]);
    }

    // The new table moves the background's entry: the index follows the
    // color; when the color is gone and a frame is cleared to it, it comes
    // back at the end, or the closest color stands in for it.
    void KeepBackground(TColor background)
    {
        if (image_.BackdropColor != clNone)
            return;
        TGIFColorMap& global = image_.GlobalColors();
        int index = global.Find(background);
        if (index < 0) {
            bool cleared = false;
            for (const auto& frame : image_.Frames)
                cleared |= frame->ControlBlock && frame->ControlBlock->Disposal() == disposeBackground;
            // Otherwise no player shows it; an index past the table would
            // only warn each time it is looked up.
            if (!cleared) {
                if (image_.Header.BackgroundIndex >= global.Count())
                    image_.Header.BackgroundIndex = 0;
                return;
            }
            if (global.Count() < 256) {
                index = global.Add(background);
                global.SetSorted(true);
            } else {
                int best = INT_MAX;
                for (int i = 0; i < global.Count(); ++i) {
                    const uint32_t color = finalColors_[size_t(i)];
                    const int distance = ChannelDistance(color, background);
                    if (distance < best) {
                        best = distance;
                        index = i;
                    }
                }
            }
        }
        image_.Header.BackgroundIndex = uint8_t(index);
    }

    TGIFImage& image_;
    std::vector<std::unique_ptr<THistogram>> histograms_;
    TEntryList combined_;
    std::array<uint32_t, 256> finalColors_{};
    int finalCount_ = 0;
    bool usesTransparency_ = false;
    uint8_t transparentIndex_ = 0;
};

} // namespace

void MergeColorMaps(TGIFImage& image)
{
    image.StopAllPlayers();
    std::lock_guard lock(image.PlayersLock());
    TColorMapOptimizer(image).Run();
}

bool FitsOneColorMap(TGIFImage& image)
{
    std::vector<bool> seen(size_t(1) << 24);
    int distinct = 0;
    bool transparent = false;
    for (const auto& frame : image.Frames) {
        if (frame->IsEmpty())
            continue;
        std::array<bool, 256> used{};
        for (int y = 0; y < frame->Height(); ++y) {
            const uint8_t* row = frame->RowAt(y);
            for (int x = 0; x < frame->Width(); ++x)
                used[row[x]] = true;
        }
        TGIFColorMap& colors = frame->ActiveColors();
        const int clear = frame->Transparent && frame->ControlBlock ? frame->ControlBlock->TransparentIndex() : -1;
        for (int index = 0; index < 256; ++index) {
            if (!used[size_t(index)])
                continue;
            if (index == clear) {
                transparent = true;
            } else if (index < colors.Count()) {
                const size_t key = colors.ColorAt(index) & 0xFFFFFF;
                distinct += seen[key] ? 0 : 1;
                seen[key] = true;
            }
        }
        if (distinct > 256)
            return false;
    }
    return distinct + (transparent ? 1 : 0) <= 256;
}

} // namespace fl
