// SPDX-License-Identifier: GPL-3.0-or-later
// Shrinking an animation without changing how it plays: sorted and trimmed
// color tables, transparency and disposal settings without visible effect
// dropped, pixels that repeat the previous frame made transparent,
// transparent borders trimmed, never-shown blocks removed.
//
// Every change here must leave what a player draws untouched, frame for
// frame and millisecond for millisecond; where the plain rule would not,
// the frame is left as it is (see the comments marked "kept").
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>

#include "gif/GIFImage.h"
#include "gif/PixelEncoder.h"
#include "gif/SymbolChooser.h"
#include "gif/SubImage.h"

namespace fl {

namespace {

const char* const kOptimizing = "Optimizing...";

bool IsTransparent(const TGIFSubImage& frame)
{
    return frame.Transparent && frame.ControlBlock;
}

// The disposal a player applies: frames without a control block are kept.
int DisposalOf(const TGIFSubImage& frame)
{
    return frame.ControlBlock ? frame.ControlBlock->Disposal() : disposeKeep;
}

// Frames whose stored size and pixels disagree are never touched: the
// renderers refuse them, and reading them would overrun.
bool HasWholePixels(const TGIFSubImage& frame)
{
    return !frame.IsEmpty() && frame.PixelBytes() >= size_t(frame.Width()) * size_t(frame.Height());
}

size_t PixelCount(const TGIFSubImage& frame)
{
    return size_t(frame.Width()) * size_t(frame.Height());
}

bool UsesIndex(const TGIFSubImage& frame, uint8_t index)
{
    return std::memchr(frame.Pixels(), index, PixelCount(frame)) != nullptr;
}

bool Covers(const TRect& outer, const TRect& inner)
{
    return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
           outer.Bottom >= inner.Bottom;
}

// The delay a player waits after the frame, in delay units.
int EffectiveDelay(const TGIFSubImage& frame)
{
    const int delay = frame.ControlBlock ? frame.ControlBlock->Delay : 0;
    return delay > 0 ? std::max(delay, GIFMinimumDelay) : GIFDefaultDelay;
}

// The loop extension a player honours: the first one in play order. It also
// marks where later passes start, so it is never removed.
TGIFAppExtNSLoop* HonouredLoop(TGIFImage& image)
{
    for (const auto& frame : image.Frames)
        if (auto* loop = frame->Extensions.Find<TGIFAppExtNSLoop>())
            return loop;
    return nullptr;
}

// The colors as a renderer sees them, packed; indices past the table read
// black.
using TPackedColors = std::array<uint32_t, 256>;

TPackedColors PackColors(const TGIFColorMap& colors)
{
    TPackedColors packed{};
    const uint8_t* data = colors.Data();
    for (int i = 0; i < colors.Count(); ++i)
        packed[size_t(i)] =
            uint32_t(data[3 * i]) | uint32_t(data[3 * i + 1]) << 8 | uint32_t(data[3 * i + 2]) << 16;
    return packed;
}

// How far apart two packed colors look: red, green and blue differences
// weighted by how the eye takes them (more for green, red and blue by the
// mean red level), squared. Equal differences of d in each channel come to
// about 9 d squared.
uint32_t ColorDistance2(uint32_t a, uint32_t b)
{
    const int red = int(a & 255) - int(b & 255);
    const int green = int(a >> 8 & 255) - int(b >> 8 & 255);
    const int blue = int(a >> 16 & 255) - int(b >> 16 & 255);
    const int meanRed = (int(a & 255) + int(b & 255)) / 2;
    return uint32_t(((512 + meanRed) * red * red >> 8) + 4 * green * green + ((767 - meanRed) * blue * blue >> 8));
}

TColor EntryColor(const TGIFColorMap& colors, int index)
{
    const uint8_t* entry = colors.Data() + 3 * size_t(index);
    return MakeColor(entry[0], entry[1], entry[2]);
}

} // namespace

void TGIFSubImage::TrimToContent()
{
    if (!HasWholePixels(*this) || !IsTransparent(*this))
        return;
    const uint8_t t = ControlBlock->TransparentIndex();
    const int width = Width(), height = Height();

    // One pass finds both ranges: every opaque pixel lies within the
    // columns found, so a row holds one there exactly when it holds any.
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels_.data() + size_t(y) * size_t(width);
        int first = 0;
        while (first < width && row[first] == t)
            ++first;
        if (first == width)
            continue;
        int last = width - 1;
        while (row[last] == t)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        if (top < 0)
            top = y;
        bottom = y;
    }
    if (top < 0) {
        Reset();
        return;
    }

    const int newWidth = right - left + 1, newHeight = bottom - top + 1;
    std::vector<uint8_t> trimmed(size_t(newWidth) * size_t(newHeight));
    for (int y = 0; y < newHeight; ++y)
        std::memcpy(trimmed.data() + size_t(y) * size_t(newWidth),
                    pixels_.data() + size_t(top + y) * size_t(width) + size_t(left), size_t(newWidth));
    pixels_ = std::move(trimmed);
    SetStoredGeometry(uint16_t(Left() + left), uint16_t(Top() + top), uint16_t(newWidth),
                      uint16_t(newHeight));
    bitmap_.reset();
    MaskPending = true;
}

void TGIFSubImage::RemoveDuplicatePixels(TGIFSubImage* previous)
{
    if (!previous || previous == this || !HasWholePixels(*this) || !HasWholePixels(*previous))
        return;
    // A predecessor that is restored after it was shown, or not drawn at all
    // (disposals 4 to 7), is not what this frame is drawn over.
    if (DisposalOf(*previous) > disposeKeep)
        return;
    const TRect mine = BoundsRect(), theirs = previous->BoundsRect();
    const int x0 = std::max(mine.Left, theirs.Left), x1 = std::min(mine.Right, theirs.Right);
    const int y0 = std::max(mine.Top, theirs.Top), y1 = std::min(mine.Bottom, theirs.Bottom);
    if (x0 >= x1 || y0 >= y1)
        return;

    TGIFColorMap& colors = ActiveColors();
    // A transparent index past the table that no pixel holds (sorting the
    // table drops unused entries) would make pixels no file can hold: such a
    // frame picks an index as an opaque one does.
    const bool transparent = IsTransparent(*this) && (ControlBlock->TransparentIndex() < colors.Count() ||
                                                      UsesIndex(*this, ControlBlock->TransparentIndex()));
    // The pixels that show what the previous frame shows there.
    const TPackedColors own = PackColors(colors);
    const TPackedColors other = PackColors(previous->ActiveColors());
    const int transparentIndex = transparent ? ControlBlock->TransparentIndex() : -1;
    const int previousTransparentIndex = IsTransparent(*previous) ? previous->ControlBlock->TransparentIndex() : -1;
    std::vector<uint8_t> repeats(PixelCount(*this));
    size_t replaced = 0;
    for (int y = y0; y < y1; ++y) {
        const size_t start = size_t(y - Top()) * size_t(Width()) + size_t(x0 - Left());
        const uint8_t* row = pixels_.data() + start;
        const uint8_t* below = previous->Pixels() + size_t(y - previous->Top()) * size_t(previous->Width()) +
                               size_t(x0 - previous->Left());
        for (int x = 0; x < x1 - x0; ++x) {
            const uint8_t p = row[x], q = below[x];
            if (p != transparentIndex && q != previousTransparentIndex && own[p] == other[q]) {
                repeats[start + size_t(x)] = 1;
                ++replaced;
            }
        }
    }
    if (replaced == 0)
        return;

    int target = transparentIndex;
    bool appendTarget = false;
    if (!transparent) {
        // Fixed: the new transparent index must be one that no pixel left
        // opaque holds, else pixels of that color would vanish. An entry
        // they do not use is taken; failing that one black entry is
        // appended to the active table (no frame shows the new index, so
        // nothing else changes); a full table leaves the frame as it is.
        if (colors.Count() == 0)
            return;
        std::array<bool, 256> used{};
        const uint8_t* pixels = Pixels();
        for (size_t i = 0, n = PixelCount(*this); i < n; ++i)
            if (!repeats[i])
                used[pixels[i]] = true;
        for (int i = 0; i < colors.Count() && target < 0; ++i)
            if (!used[size_t(i)])
                target = i;
        if (target < 0) {
            // A table that needs another bit for the new entry would widen
            // the codes of every frame written with it.
            const int count = colors.Count();
            if (count >= 256 || used[size_t(count)] || (count & (count - 1)) == 0)
                return;
            target = colors.Count();
            appendTarget = true;
        }
    }
    for (size_t i = 0, n = PixelCount(*this); i < n; ++i)
        if (repeats[i])
            pixels_[i] = uint8_t(target);

    if (!transparent && replaced > 0) {
        if (appendTarget)
            colors.Add(MakeColor(0, 0, 0));
        TGIFGraphicControlExtension* control = ControlBlock;
        if (!control) {
            auto created = std::make_unique<TGIFGraphicControlExtension>(*this);
            control = created.get();
            Extensions.Append(std::move(created));
        }
        control->SetTransparent(true);
        control->SetTransparentIndex(target);
    }
    bitmap_.reset();
    MaskPending = true;
}

namespace {

// The color players clear to, as they compute it, without the warnings a
// lookup outside the table gives.
TColor PlayedBackground(TGIFImage& image)
{
    TGIFColorMap& global = image.GlobalColors();
    if (global.Count() == 0)
        return MakeColor(255, 255, 255);
    const int index = image.Header.BackgroundIndex < global.Count() ? image.Header.BackgroundIndex : 0;
    return EntryColor(global, index);
}

bool AnyFrameClearsToBackground(TGIFImage& image)
{
    for (const auto& frame : image.Frames)
        if (DisposalOf(*frame) == disposeBackground)
            return true;
    return false;
}

// Sorting the global table moves the entry the background index points to,
// and drops it when no pixel uses it: the index follows its color, and a
// dropped color comes back at the end when a frame is cleared to it.
void SortGlobalColors(TGIFImage& image)
{
    TGIFColorMap& global = image.GlobalColors();
    const TColor background = PlayedBackground(image);
    // A backdrop color stands in for the background: nothing to follow.
    const bool ownBackground = image.BackdropColor == clNone;
    if (!global.SortColorMapByUse() || !ownBackground)
        return;
    int index = global.Find(background);
    if (index < 0 && AnyFrameClearsToBackground(image) && global.Count() < 256)
        index = global.Add(background);
    // Otherwise no player shows it; an index past the table would only
    // warn each time it is looked up.
    if (index < 0 && image.Header.BackgroundIndex >= global.Count())
        index = 0;
    if (index >= 0)
        image.Header.BackgroundIndex = uint8_t(index);
}

// Counts what is written to it and keeps nothing: the size of encoded
// pixels without their bytes.
class TCountingStream final : public TStream {
public:
    size_t Read(void*, size_t) override { throw EStreamError("Stream read error"); }
    void Write(const void*, size_t count) override { size_ += count; }
    int64_t Position() const override { return int64_t(size_); }
    void SetPosition(int64_t position) override { size_ = size_t(position); }
    int64_t Size() const override { return int64_t(size_); }

private:
    size_t size_ = 0;
};

class TOptimizer {
public:
    TOptimizer(TGIFImage& image, TGIFOptimizeOptions options, int lossy)
        : image_(image), options_(options), total_(6 * image.Frames.Count()), lossy_(std::clamp(lossy, 0, 200))
    {
        // A color difference of about lossy / 5 in each channel (lossy / 5.2),
        // squared, in the weighted distance below: on photographs a level
        // then gives about the quality other GIF optimizers give for it.
        bound2_ = uint32_t(lossy_ * lossy_) * 33 / 100;
    }

    void Run()
    {
        if (options_ & optimizeColorTables)
            SortColorTables();
        if (options_ & optimizeCleanup) {
            DropUnusedTransparency();
            DropCoveredDisposals();
        } else {
            Advance(2 * Count());
        }
        if (options_ & optimizeMergePixels)
            MergePixels();
        else
            Advance(Count());
        if (options_ & optimizeTrim)
            Trim();
        else
            Advance(Count());
        Advance(Count());
        if (options_ & optimizeCleanup)
            RemoveInvisible();
        if (lossy_ > 0)
            ApproximatePixels();
        else if (options_ & optimizeMergePixels)
            ChooseRepeatedPixels();
        if ((options_ & optimizeMergePixels) || lossy_ > 0)
            image_.ChooseCodeSizes();
        if (options_ != 0 || lossy_ > 0) {
            image_.DropRenderings();
            image_.SignalChange();
        }
    }

private:
    int Count() const { return image_.Frames.Count(); }
    TGIFSubImage& Frame(int index) const { return *image_.Frames[index]; }

    void Step()
    {
        ++steps_;
        Report();
    }
    void Advance(int steps)
    {
        steps_ += steps;
        Report();
    }
    void Report()
    {
        const int percent = total_ > 0 ? int(int64_t(steps_) * 100 / total_) : 100;
        image_.ReportProgress(TProgressStage::Running, percent, false, kOptimizing);
    }

    // Pixels of one color take one entry: the first their table holds it
    // at, other than the frame's transparent index. Tables joined from
    // others often hold a color several times, and a picture that spells a
    // color two ways repeats itself less for the coder; sorting then drops
    // the entries no pixel uses any more.
    void UseFirstEntryOfEachColor()
    {
        std::array<uint8_t, 256> entryFor;
        std::vector<std::pair<uint32_t, int>> byColor;
        for (int f = 0; f < Count(); ++f) {
            TGIFSubImage& frame = Frame(f);
            if (!HasWholePixels(frame))
                continue;
            const TGIFColorMap& table = frame.ActiveColors();
            const TPackedColors colors = PackColors(table);
            const int t = IsTransparent(frame) ? frame.ControlBlock->TransparentIndex() : -1;
            byColor.clear();
            for (int c = 0; c < table.Count(); ++c)
                if (c != t)
                    byColor.push_back({colors[size_t(c)], c});
            std::sort(byColor.begin(), byColor.end());
            std::iota(entryFor.begin(), entryFor.end(), uint8_t(0));
            bool remaps = false;
            for (size_t k = 1; k < byColor.size(); ++k)
                if (byColor[k].first == byColor[k - 1].first) {
                    entryFor[size_t(byColor[k].second)] = entryFor[size_t(byColor[k - 1].second)];
                    remaps = true;
                }
            if (!remaps)
                continue;
            uint8_t* pixels = frame.Pixels();
            for (size_t i = 0, n = PixelCount(frame); i < n; ++i)
                pixels[i] = entryFor[pixels[i]];
        }
    }

    void SortColorTables()
    {
        UseFirstEntryOfEachColor();
        if (image_.GlobalColors().Count() > 0)
            SortGlobalColors(image_);
        for (int i = 0; i < Count(); ++i) {
            if (Frame(i).LocalColors.Count() > 0)
                Frame(i).LocalColors.SortColorMapByUse();
            Step();
        }
    }

    void DropUnusedTransparency()
    {
        for (int i = 0; i < Count(); ++i) {
            TGIFSubImage& frame = Frame(i);
            if (IsTransparent(frame) && HasWholePixels(frame) &&
                !UsesIndex(frame, frame.ControlBlock->TransparentIndex()))
                frame.ControlBlock->SetTransparent(false);
            Step();
        }
    }

    // A frame restored after it was shown whose successor paints over all of
    // it opaquely needs no restoring.
    void DropCoveredDisposals()
    {
        for (int i = 0; i + 1 < Count(); ++i) {
            TGIFSubImage& frame = Frame(i);
            TGIFSubImage& next = Frame(i + 1);
            const int disposal = DisposalOf(frame);
            // Kept when the successor restores the state before itself, or
            // is not drawn: that state holds this frame's disposal, which
            // would show again.
            const int nextDisposal = DisposalOf(next);
            const bool nextPaints = HasWholePixels(next) && nextDisposal <= disposeBackground;
            if ((disposal == disposeBackground || disposal == disposePrevious) && !IsTransparent(next) &&
                nextPaints && Covers(next.BoundsRect(), frame.BoundsRect()))
                frame.ControlBlock->SetDisposal(disposeUnspecified);
            Step();
        }
    }

    void MergePixels()
    {
        // Later passes start at the honoured loop extension's frame, after
        // the last frame: a frame whose predecessor lies before that start
        // is drawn over another picture then, so it is kept.
        TGIFAppExtNSLoop* loop = HonouredLoop(image_);
        const int loopStart = loop ? image_.Frames.IndexOf(&loop->Frame()) : 0;
        // Merging adds a color only where the table has room at its depth.
        sharedDepth_ = image_.MaxDepth();
        for (int c = Count() - 1; c >= 1; --c) {
            int b = c - 1;
            while (b > 0 && DisposalOf(Frame(b)) == disposePrevious)
                --b;
            if (b >= loopStart || loopStart > c)
                MergeFramePixels(Frame(c), Frame(b));
            Step();
        }
    }

    int CodeDepth(const TGIFSubImage& frame) const
    {
        return frame.LocalColors.Count() > 0 ? frame.LocalColors.Depth() : sharedDepth_;
    }

    // A pixel that shows what is already on the screen may be transparent
    // or opaque in that color, whichever the frame held: the chooser picks
    // per pixel what lets the coder's strings run on, and the frame keeps
    // the shorter of its pixels and the chosen ones. The screen is followed
    // in play order as colors, unknown where a player may show different
    // things (before the first frame, cleared areas, frames not drawn).
    void ChooseRepeatedPixels()
    {
        if (image_.Encoding != encodeLZW)
            return;
        FollowScreens(
            1,
            [this](TGIFSubImage& frame, bool pastLoopStart, TScreens& screens) {
                if (pastLoopStart && !frame.Interlaced())
                    ChooseFramePixels(frame, screens[0]);
            },
            [this](TGIFSubImage& frame, TScreens& screens) { Draw(frame, frame.Pixels(), screens[0]); });
    }

    using TScreens = std::vector<std::vector<uint32_t>>;

    // Walks the frames in play order following screens of colors (kUnknown
    // where a player may show different things: before the first frame,
    // from the loop's restart frame on, after a clear or a frame not
    // drawn). For each frame drawn, `visit(frame, pastLoopStart, screens)`
    // runs first, then `draw(frame, screens)` draws it on each screen, and
    // its disposal is applied to all of them.
    template <class TVisit, class TDraw>
    void FollowScreens(size_t count, const TVisit& visit, const TDraw& draw)
    {
        const size_t screenPixels = ScreenWorthFollowing();
        if (screenPixels == 0)
            return;
        TScreens screens(count, std::vector<uint32_t>(screenPixels, kUnknown));
        TScreens saved;
        // Later passes start at the honoured loop extension's frame.
        TGIFAppExtNSLoop* loop = HonouredLoop(image_);
        const int loopStart = loop ? image_.Frames.IndexOf(&loop->Frame()) : 0;
        sharedDepth_ = image_.MaxDepth();
        for (int i = 0; i < Count(); ++i) {
            TGIFSubImage& frame = Frame(i);
            const int disposal = DisposalOf(frame);
            const bool drawn = HasWholePixels(frame) && disposal <= disposePrevious;
            // Later passes draw the loop's first frame over the last one's
            // screen, and a frame not drawn leaves it to the player: nothing
            // shown before is known from there on.
            if (i == loopStart || !drawn)
                for (std::vector<uint32_t>& screen : screens)
                    std::fill(screen.begin(), screen.end(), kUnknown);
            if (!drawn)
                continue;
            visit(frame, i > loopStart, screens);
            if (disposal == disposePrevious)
                saved = screens;
            draw(frame, screens);
            if (disposal == disposePrevious) {
                screens.swap(saved);
            } else if (disposal == disposeBackground) {
                const TRect bounds = ClippedBounds(frame);
                for (std::vector<uint32_t>& screen : screens)
                    for (int y = bounds.Top; y < bounds.Bottom; ++y)
                        std::fill_n(screen.begin() +
                                        ptrdiff_t(size_t(y) * size_t(image_.Width()) + size_t(bounds.Left)),
                                    bounds.Right - bounds.Left, kUnknown);
            }
        }
    }

    static constexpr uint32_t kUnknown = 0xFF000000u;

    // The screen's pixels, or 0 when following it is not worth its 4 bytes
    // a pixel: a screen far larger than the frames drawn on it.
    size_t ScreenWorthFollowing() const
    {
        const size_t screenPixels = size_t(image_.Width()) * size_t(image_.Height());
        size_t framePixels = 0;
        for (const auto& frame : image_.Frames)
            framePixels += PixelCount(*frame);
        if (screenPixels > GIFMemoryLimits.MaxFramePixels || screenPixels > 4 * framePixels + (size_t(1) << 20))
            return 0;
        return screenPixels;
    }

    // Lossy coding: a pixel may take any index whose color is within the
    // bound of what the original animation shows there at that moment, or
    // the transparent index where what the lossy animation shows underneath
    // is within it. Every pixel is measured against the original's screen,
    // never against the lossy one, so errors do not add up from frame to
    // frame.
    void ApproximatePixels()
    {
        if (image_.Encoding != encodeLZW)
            return;
        // Screen 0 is the original's, screen 1 the lossy animation's.
        std::vector<uint8_t> exact;
        FollowScreens(
            2,
            [this, &exact](TGIFSubImage& frame, bool pastLoopStart, TScreens& screens) {
                exact.assign(frame.Pixels(), frame.Pixels() + PixelCount(frame));
                if (!frame.Interlaced())
                    ApproximateFrame(frame, exact, screens[0], screens[1], pastLoopStart);
            },
            [this, &exact](TGIFSubImage& frame, TScreens& screens) {
                Draw(frame, exact.data(), screens[0]);
                Draw(frame, frame.Pixels(), screens[1]);
            });
    }

    // `exact` holds the frame's pixels as they came. The frame keeps the
    // lossy pixels only when they take fewer bits than the best lossless
    // ones, so that lossy coding never makes a frame larger.
    void ApproximateFrame(TGIFSubImage& frame, const std::vector<uint8_t>& exact,
                          const std::vector<uint32_t>& target, const std::vector<uint32_t>& shown,
                          bool pastLoopStart)
    {
        TGIFColorMap& table = frame.ActiveColors();
        const int entries = table.Count();
        const TPackedColors colors = PackColors(table);
        const bool transparent = IsTransparent(frame);
        const int t = transparent ? frame.ControlBlock->TransparentIndex() : -1;
        const int usableT = t < entries ? t : -1;
        const size_t count = PixelCount(frame);
        // What each pixel must come close to (kUnknown: its own index
        // only), and whether the transparent index may show what is
        // underneath.
        std::vector<uint32_t> goal(count, kUnknown);
        // 1 + the distance, 0 where it may not.
        std::vector<uint32_t> underOk(count);
        const TRect bounds = ClippedBounds(frame);
        for (int y = bounds.Top; y < bounds.Bottom; ++y)
            for (int x = bounds.Left; x < bounds.Right; ++x) {
                const size_t at = size_t(y) * size_t(image_.Width()) + size_t(x);
                const size_t i = size_t(y - frame.Top()) * size_t(frame.Width()) + size_t(x - frame.Left());
                goal[i] = transparent && exact[i] == t ? target[at] : colors[exact[i]];
                if (goal[i] != kUnknown && shown[at] != kUnknown)
                    if (const uint32_t distance = ColorDistance2(shown[at], goal[i]); distance <= bound2_)
                        underOk[i] = distance + 1;
            }
        const auto accepts = [&](size_t i, uint8_t symbol) -> int64_t {
            if (goal[i] == kUnknown)
                return -1;
            if (symbol == usableT)
                return underOk[i] ? int64_t(underOk[i]) - 1 : -1;
            if (symbol >= entries || symbol == t)
                return -1;
            const uint32_t distance = ColorDistance2(colors[symbol], goal[i]);
            return distance <= bound2_ ? int64_t(distance) : -1;
        };
        std::vector<uint8_t> chosen(count);
        const size_t lossyBits = WrittenBits(
            Chooser().ChooseClose(exact.data(), accepts, chosen.data(), count, std::clamp(CodeDepth(frame), 2, 8)));
        // Transparent pixels of the lossless choice show what the lossy
        // animation shows underneath, which is as close to the original as
        // the bound allows.
        std::optional<size_t> losslessBits;
        if (pastLoopStart && (options_ & optimizeMergePixels))
            losslessBits = ChooseFramePixels(frame, target);
        if (!losslessBits)
            losslessBits = PixelBits(frame, exact, {0, 0, frame.Width(), frame.Height()});
        if (lossyBits < *losslessBits)
            std::memcpy(frame.Pixels(), chosen.data(), count);
    }

    TRect ClippedBounds(const TGIFSubImage& frame) const
    {
        const TRect bounds = frame.BoundsRect();
        return {std::max(bounds.Left, 0), std::max(bounds.Top, 0), std::min(bounds.Right, image_.Width()),
                std::min(bounds.Bottom, image_.Height())};
    }

    // Draws the frame, or other pixels of its size, on a screen.
    void Draw(TGIFSubImage& frame, const uint8_t* pixels, std::vector<uint32_t>& screen) const
    {
        const TPackedColors colors = PackColors(frame.ActiveColors());
        const int t = IsTransparent(frame) ? frame.ControlBlock->TransparentIndex() : -1;
        const TRect bounds = ClippedBounds(frame);
        for (int y = bounds.Top; y < bounds.Bottom; ++y) {
            const uint8_t* row = pixels + size_t(y - frame.Top()) * size_t(frame.Width());
            uint32_t* out = screen.data() + size_t(y) * size_t(image_.Width());
            for (int x = bounds.Left; x < bounds.Right; ++x) {
                const uint8_t p = row[x - frame.Left()];
                if (p != t)
                    out[x] = colors[p];
            }
        }
    }

    // Answers the bits the frame's pixels now take, when it counted them.
    std::optional<size_t> ChooseFramePixels(TGIFSubImage& frame, const std::vector<uint32_t>& screen)
    {
        if (!IsTransparent(frame))
            return std::nullopt;
        const uint8_t t = frame.ControlBlock->TransparentIndex();
        TGIFColorMap& table = frame.ActiveColors();
        if (t >= table.Count())
            return std::nullopt;
        const TPackedColors colors = PackColors(table);
        // The first entry of each color, for transparent pixels shown
        // opaque; none for the transparent entry's own color.
        std::vector<std::pair<uint32_t, uint8_t>> entries;
        for (int c = 0; c < table.Count(); ++c)
            if (c != t)
                entries.push_back({colors[size_t(c)], uint8_t(c)});
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        // Neighbours mostly share their colors: the last answer first.
        uint32_t lastColor = kUnknown;
        int lastIndex = -1;
        const auto entryOf = [&](uint32_t color, uint8_t& index) {
            if (color != lastColor) {
                auto found = std::lower_bound(entries.begin(), entries.end(), std::make_pair(color, uint8_t(0)),
                                              [](const auto& a, const auto& b) { return a.first < b.first; });
                lastColor = color;
                lastIndex = found == entries.end() || found->first != color ? -1 : found->second;
            }
            index = uint8_t(lastIndex);
            return lastIndex >= 0;
        };
        const size_t count = PixelCount(frame);
        const std::vector<uint8_t> current(frame.Pixels(), frame.Pixels() + count);
        std::vector<uint8_t> own(current), other(current);
        bool choices = false;
        const TRect bounds = ClippedBounds(frame);
        for (int y = bounds.Top; y < bounds.Bottom; ++y) {
            for (int x = bounds.Left; x < bounds.Right; ++x) {
                const uint32_t under = screen[size_t(y) * size_t(image_.Width()) + size_t(x)];
                const size_t i = size_t(y - frame.Top()) * size_t(frame.Width()) + size_t(x - frame.Left());
                if (under == kUnknown)
                    continue;
                if (current[i] == t) {
                    uint8_t index;
                    if (entryOf(under, index)) {
                        own[i] = index;
                        choices = true;
                    }
                } else if (colors[current[i]] == under) {
                    other[i] = t;
                    choices = true;
                }
            }
        }
        if (!choices)
            return std::nullopt;
        std::vector<uint8_t> chosen;
        const size_t chosenBits = ChooseShortest(own, other, chosen);
        const size_t currentBits = PixelBits(frame, current, {0, 0, frame.Width(), frame.Height()});
        if (chosenBits >= currentBits)
            return currentBits;
        std::memcpy(frame.Pixels(), chosen.data(), count);
        return chosenBits;
    }

    // The frame's pixels within a box of it, row by row.
    static std::vector<uint8_t> Cut(const TGIFSubImage& frame, const uint8_t* pixels, const TRect& box)
    {
        const size_t width = size_t(box.Right - box.Left);
        std::vector<uint8_t> cut(width * size_t(box.Bottom - box.Top));
        for (int y = box.Top; y < box.Bottom; ++y)
            std::memcpy(cut.data() + size_t(y - box.Top) * width,
                        pixels + size_t(y) * size_t(frame.Width()) + size_t(box.Left), width);
        return cut;
    }

    // The box of a merged frame that trimming will keep: the pixels other
    // than the transparent one, or the whole frame when it is not trimmed.
    TRect KeptBox(const TGIFSubImage& frame) const
    {
        const TRect whole{0, 0, frame.Width(), frame.Height()};
        if (!(options_ & optimizeTrim) || DisposalOf(frame) == disposeBackground)
            return whole;
        const uint8_t t = frame.ControlBlock->TransparentIndex();
        TRect box{frame.Width(), frame.Height(), 0, 0};
        for (int y = 0; y < frame.Height(); ++y) {
            const uint8_t* row = frame.Pixels() + size_t(y) * size_t(frame.Width());
            for (int x = 0; x < frame.Width(); ++x)
                if (row[x] != t) {
                    box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                           std::max(box.Bottom, y + 1)};
                }
        }
        return box.Left < box.Right ? box : whole;
    }

    TSymbolChooser& Chooser()
    {
        if (!chooser_)
            chooser_ = std::make_unique<TSymbolChooser>();
        return *chooser_;
    }

    // What a frame's pixel data takes in the file, in bits, for codes of
    // `codeBits` bits: the code size byte, the codes in sub-blocks of 255
    // bytes with their length bytes, the terminator.
    static size_t WrittenBits(size_t codeBits)
    {
        const size_t data = (codeBits + 7) / 8;
        return 8 * (data + (data + 254) / 255 + 2);
    }

    // The bits the pixels of a box take in the file, as saving with the
    // smallest code size writes them.
    size_t PixelBits(const TGIFSubImage& frame, const std::vector<uint8_t>& cut, const TRect& box)
    {
        TCountingStream counter;
        EncodeFramePixels(counter, cut.data(), box.Right - box.Left, box.Bottom - box.Top, frame.Interlaced(),
                          NeededDepth(cut, cut), 256, image_.Encoding);
        return 8 * size_t(counter.Size());
    }

    // The runs of pixels whose two indices differ: start and length.
    using TRuns = std::vector<std::pair<size_t, size_t>>;
    static TRuns RunsOfChoices(const std::vector<uint8_t>& own, const std::vector<uint8_t>& other)
    {
        TRuns runs;
        for (size_t i = 0, n = own.size(); i < n; ++i) {
            size_t end = i;
            while (end < n && own[end] != other[end])
                ++end;
            if (end > i)
                runs.push_back({i, end - i});
            i = end;
        }
        return runs;
    }

    // Runs of choices shorter than `minRun` keep their own index:
    // scattered transparent pixels break the strings the picture's own
    // colors would build, while long runs of them pay.
    static void KeepShortRuns(const std::vector<uint8_t>& own, const std::vector<uint8_t>& other,
                              const TRuns& runs, size_t minRun, std::vector<uint8_t>& kept)
    {
        kept = other;
        for (const auto& [start, length] : runs)
            if (length < minRun)
                std::copy_n(own.begin() + ptrdiff_t(start), length, kept.begin() + ptrdiff_t(start));
    }

    // The code size pixels that take one of two indices need (at least 2):
    // what saving with the smallest code size writes.
    static int NeededDepth(const std::vector<uint8_t>& own, const std::vector<uint8_t>& other)
    {
        uint8_t highest = 0;
        for (size_t i = 0, n = own.size(); i < n; ++i)
            highest |= uint8_t(own[i] | other[i]);
        return std::max(2, int(std::bit_width(highest)));
    }

    // The chooser's picks and their bits, the shortest found. Runs of
    // choices below a minimum length keep their own index; the minimum is
    // searched from the one the last frames liked best, since neighbouring
    // frames are alike, and only now and then or after it moved, since the
    // search costs a count of the frame per step. The last minimum leaves
    // every pixel its own index. Without `search`, the last minimum only.
    size_t ChooseShortest(const std::vector<uint8_t>& own, const std::vector<uint8_t>& other,
                          std::vector<uint8_t>& chosen, bool search = true)
    {
        static constexpr size_t kMinRuns[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, SIZE_MAX};
        constexpr int kSteps = int(std::size(kMinRuns));
        // Runs of choices as long as a step's minimum and shorter than the
        // next one's: where there are none, the two steps choose alike.
        const TRuns runs = RunsOfChoices(own, other);
        std::array<size_t, kSteps> runsFrom{};
        for (const auto& [start, length] : runs)
            ++runsFrom[size_t(std::upper_bound(std::begin(kMinRuns), std::end(kMinRuns), length) -
                              std::begin(kMinRuns) - 1)];
        const int depth = NeededDepth(own, other);
        std::vector<uint8_t> kept, picks(own.size());
        chosen.resize(own.size());
        size_t best = SIZE_MAX;
        int bestStep = minRunStep_;
        const auto improves = [&](int step) {
            KeepShortRuns(own, other, runs, kMinRuns[step], kept);
            const size_t bits =
                WrittenBits(Chooser().Choose(own.data(), kept.data(), picks.data(), picks.size(), depth));
            if (bits >= best)
                return false;
            best = bits;
            bestStep = step;
            chosen.swap(picks);
            return true;
        };
        improves(minRunStep_);
        constexpr int kSearchEvery = 4;
        if (search && (minRunMoved_ || ++framesSinceSearch_ >= kSearchEvery)) {
            framesSinceSearch_ = 0;
            for (int direction : {-1, 1}) {
                int from = minRunStep_;
                for (int step = from + direction; step >= 0 && step < kSteps; step += direction) {
                    if (runsFrom[size_t(std::min(step, step - direction))] == 0)
                        continue;
                    if (!improves(step))
                        break;
                    from = step;
                }
            }
            minRunMoved_ = bestStep != minRunStep_;
            minRunStep_ = bestStep;
        }
        return best;
    }

    // A merged frame's repeated pixels may all be transparent, none, or
    // those the chooser picks to let the coder's strings run on, in the box
    // trimming keeps (`box`). The shortest is kept; answers its bits.
    // Keeping none transparent still leaves the box smaller than the frame,
    // and lets the later choice of repeated pixels start from the merged
    // frame.
    size_t ChooseMergedPixels(TGIFSubImage& frame, const std::vector<uint8_t>& original, const TRect& box)
    {
        std::vector<uint8_t> best = Cut(frame, frame.Pixels(), box);
        size_t bestBits = PixelBits(frame, best, box);
        std::vector<uint8_t> own = Cut(frame, original.data(), box);
        if (!frame.Interlaced() && image_.Encoding == encodeLZW) {
            std::vector<uint8_t> chosen;
            if (const size_t bits = ChooseShortest(own, best, chosen, false); bits < bestBits) {
                bestBits = bits;
                best.swap(chosen);
            }
        }
        if (const size_t bits = PixelBits(frame, own, box); bits < bestBits) {
            bestBits = bits;
            best.swap(own);
        }
        const size_t width = size_t(box.Right - box.Left);
        for (int y = box.Top; y < box.Bottom; ++y)
            std::memcpy(frame.Pixels() + size_t(y) * size_t(frame.Width()) + size_t(box.Left),
                        best.data() + size_t(y - box.Top) * width, width);
        return bestBits;
    }

    // Repeated pixels made transparent usually compress better, but in a
    // busy picture the scattered transparent ones can break the strings the
    // compressor found: a frame that would be written longer is put back.
    void MergeFramePixels(TGIFSubImage& frame, TGIFSubImage& previous)
    {
        if (!HasWholePixels(frame))
            return;
        TGIFColorMap& colors = frame.ActiveColors();
        const std::vector<uint8_t> pixels(frame.Pixels(), frame.Pixels() + PixelCount(frame));
        const bool hadControl = frame.ControlBlock != nullptr;
        const bool wasTransparent = frame.Transparent;
        const int oldIndex = hadControl ? frame.ControlBlock->TransparentIndex() : 0;
        const int oldCount = colors.Count();
        const bool oldSorted = colors.Sorted();
        // A transparent index the table does not hold cannot be set back;
        // an opaque frame's index means nothing.
        if (wasTransparent && hadControl && oldIndex >= oldCount && oldCount > 0) {
            frame.RemoveDuplicatePixels(&previous);
            return;
        }
        frame.RemoveDuplicatePixels(&previous);
        if (std::memcmp(frame.Pixels(), pixels.data(), pixels.size()) == 0)
            return;
        const TRect whole{0, 0, frame.Width(), frame.Height()};
        const TRect box = KeptBox(frame);
        // A new control block costs its 8 bytes.
        const size_t after = ChooseMergedPixels(frame, pixels, box) + (hadControl ? 0 : 64);
        // A frame that already has its control block, cut to a smaller box,
        // is as good as never written longer: the whole frame is only
        // counted where the outcome is open.
        if (hadControl && box != whole)
            return;
        if (after < PixelBits(frame, pixels, whole))
            return;
        std::memcpy(frame.Pixels(), pixels.data(), pixels.size());
        if (colors.Count() > oldCount) {
            colors.Delete(colors.Count() - 1);
            colors.SetSorted(oldSorted);
        }
        if (!hadControl) {
            if (frame.ControlBlock)
                frame.Extensions.Delete(frame.Extensions.IndexOf(frame.ControlBlock));
        } else {
            frame.ControlBlock->SetTransparent(wasTransparent);
            if (oldIndex < colors.Count())
                frame.ControlBlock->SetTransparentIndex(oldIndex);
        }
    }

    // Whether a frame without any opaque pixel can go, its time given to its
    // predecessor. Kept: frame 0 (nothing to give its time to), a frame
    // after one that is restored (the restoring shows when this frame is
    // drawn), a frame holding the loop extension, and a merged delay the
    // player would cut.
    bool CanDeleteInvisible(int c, int& mergedDelay) const
    {
        if (c == 0)
            return false;
        const TGIFSubImage& frame = Frame(c);
        const TGIFSubImage& before = Frame(c - 1);
        if (frame.Extensions.Find<TGIFAppExtNSLoop>() || !HasWholePixels(before) ||
            DisposalOf(before) > disposeKeep)
            return false;
        mergedDelay = EffectiveDelay(before) + EffectiveDelay(frame);
        return mergedDelay <= GIFMaximumDelay;
    }

    bool HasOpaquePixel(const TGIFSubImage& frame) const
    {
        const uint8_t t = frame.ControlBlock->TransparentIndex();
        const uint8_t* pixels = frame.Pixels();
        for (size_t i = 0, n = PixelCount(frame); i < n; ++i)
            if (pixels[i] != t)
                return true;
        return false;
    }

    void Trim()
    {
        for (int c = Count() - 1; c >= 0; --c) {
            TGIFSubImage& frame = Frame(c);
            // Kept: a frame cleared to the background after it is shown
            // clears its whole rectangle, transparent border included.
            if (HasWholePixels(frame) && IsTransparent(frame) && DisposalOf(frame) != disposeBackground) {
                int mergedDelay = 0;
                if (HasOpaquePixel(frame)) {
                    frame.TrimToContent();
                } else if (CanDeleteInvisible(c, mergedDelay)) {
                    TGIFSubImage& before = Frame(c - 1);
                    // Fixed: the predecessor takes the time both frames were
                    // shown, whatever its transparency (a control block is
                    // made when it has none). For stored delays of 3 or more
                    // that is their plain sum; 0, 1 and 2 are lengthened by
                    // the player and are counted as shown.
                    if (!before.ControlBlock)
                        before.Extensions.Append(std::make_unique<TGIFGraphicControlExtension>(before));
                    before.ControlBlock->Delay = uint16_t(mergedDelay);
                    image_.Frames.Delete(c);
                }
            }
            Step();
        }
    }

    static bool IsInvisibleExtension(const TGIFExtension& extension, const TGIFAppExtNSLoop* keptLoop)
    {
        if (dynamic_cast<const TGIFCommentExtension*>(&extension) ||
            dynamic_cast<const TGIFTextExtension*>(&extension))
            return true;
        if (auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(&extension))
            return loop != keptLoop;
        return dynamic_cast<const TGIFApplicationExtension*>(&extension) != nullptr;
    }

    void RemoveInvisible()
    {
        const bool single = Count() == 1;
        // Only the first loop extension counts for a player, and only with
        // more than one frame. Kept wherever it is: one in a later frame
        // also sets where later passes start.
        const TGIFAppExtNSLoop* keptLoop = single ? nullptr : HonouredLoop(image_);
        for (int n = Count() - 1; n >= 0; --n) {
            TGIFSubImage& frame = Frame(n);
            for (int e = frame.Extensions.Count() - 1; e >= 0; --e)
                if (IsInvisibleExtension(*frame.Extensions[e], keptLoop))
                    frame.Extensions.Delete(e);
            if (TGIFGraphicControlExtension* control = frame.ControlBlock) {
                const int disposal = control->Disposal();
                const int index = frame.Extensions.IndexOf(control);
                if (index >= 0 && (control->Delay == 0 || single) && !frame.Transparent &&
                    !control->WaitForInput() &&
                    (disposal == disposeUnspecified || disposal == disposeKeep || single))
                    frame.Extensions.Delete(index);
            }
            // Kept: an empty frame before others ends each pass there, and
            // the only frame left keeps the document writable.
            if (frame.IsEmpty() && frame.Extensions.Count() == 0 && n == Count() - 1 && n > 0)
                image_.Frames.Delete(n);
            Report();
        }
    }

    TGIFImage& image_;
    TGIFOptimizeOptions options_;
    int total_;
    // The depth frames without colors of their own are encoded with.
    int sharedDepth_ = 8;
    // Made when first needed.
    std::unique_ptr<TSymbolChooser> chooser_;
    // Where ChooseShortest starts its search of minimum run lengths,
    // whether the last search moved it, and the frames since that search.
    int minRunStep_ = 5;
    bool minRunMoved_ = true;
    int framesSinceSearch_ = 0;
    // 0 for lossless coding, up to 200; the squared color distance it allows.
    int lossy_ = 0;
    uint32_t bound2_ = 0;
    int steps_ = 0;
};

} // namespace

namespace {

// The smallest free entry becomes the transparent index, so that a small
// frame that uses few colors of a large table needs few bits.
void LowerTransparentIndex(TGIFSubImage& frame)
{
    if (!IsTransparent(frame))
        return;
    const uint8_t t = frame.ControlBlock->TransparentIndex();
    uint8_t* pixels = frame.Pixels();
    const size_t count = PixelCount(frame);
    std::array<bool, 256> used{};
    for (size_t i = 0; i < count; ++i)
        used[pixels[i]] = true;
    used[t] = false;
    const int limit = std::min<int>(t, frame.ActiveColors().Count());
    int lowest = 0;
    while (lowest < limit && used[size_t(lowest)])
        ++lowest;
    if (lowest >= limit)
        return;
    std::replace(pixels, pixels + count, t, uint8_t(lowest));
    frame.ControlBlock->SetTransparentIndex(lowest);
}

} // namespace

void TGIFImage::ChooseCodeSizes()
{
    const int shared = MaxDepth();
    for (const auto& frame : Frames) {
        frame->CodeSize = 0;
        if (!HasWholePixels(*frame) || Encoding != encodeLZW)
            continue;
        LowerTransparentIndex(*frame);
        const uint8_t* pixels = frame->Pixels();
        const uint8_t highest = *std::max_element(pixels, pixels + PixelCount(*frame));
        int bits = 2;
        while (bits < 8 && (1 << bits) <= highest)
            ++bits;
        const int depth = std::clamp(frame->LocalColors.Count() > 0 ? frame->LocalColors.Depth() : shared, 2, 8);
        // Narrower codes start shorter and leave the string table more
        // room before it fills: on every frame of the test animations they
        // wrote less, so they are taken without encoding both.
        if (bits < depth)
            frame->CodeSize = uint8_t(bits);
    }
    DropRenderings();
}

void TGIFImage::Optimize(TGIFOptimizeOptions options, int lossy)
{
    if (IsEmpty())
        return;
    StopAllPlayers();
    std::lock_guard lock(playersLock_);
    Progress(TProgressStage::Starting, 0, false, kOptimizing);
    try {
        TOptimizer(*this, options, lossy).Run();
    } catch (...) {
        Progress(TProgressStage::Ending, 0, true, kOptimizing);
        throw;
    }
    Progress(TProgressStage::Ending, 100, true, kOptimizing);
}

} // namespace fl
