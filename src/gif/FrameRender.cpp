// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering a frame's color indices into its cached 8-bit bitmap with a
// transparency mask, directly or dithered to the web cube.
#include "gif/SubImage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "color/ColorLookup.h"
#include "color/DIB.h"
#include "color/Ditherers.h"
#include "gif/FrameProgress.h"
#include "gif/GIFImage.h"
#include "platform/Abort.h"
#include "platform/GIFException.h"

namespace fl {

namespace {

using namespace frameprogress;

// Beyond this many pixels the rendering starts as a 1-bit bitmap, so that no
// large image is held while the 8-bit one is built.
constexpr uint64_t kLargeFramePixels = 500000;

// The frame's colors as a full table of red, green, blue: indices past the
// table's end read black instead of outside it.
using TRGBTable = std::array<std::array<uint8_t, 3>, 256>;

TRGBTable MakeRGBTable(const TGIFColorMap& colors)
{
    TRGBTable table{};
    for (int i = 0; i < colors.Count(); ++i)
        std::memcpy(table[size_t(i)].data(), colors.Data() + 3 * size_t(i), 3);
    return table;
}

// The transparency bits collected while rendering: rows padded to 16 bits,
// leftmost pixel in the most significant bit, 1 = transparent.
class TMaskBuffer {
public:
    TMaskBuffer(int width, int height, uint8_t transparentIndex)
        : TransparentIndex(transparentIndex), width_(width), height_(height),
          rowBytes_((size_t(width) + 15) / 16 * 2), bits_(rowBytes_ * size_t(height), 0)
    {
    }

    const uint8_t TransparentIndex;
    // Set by the renderers once a pixel was transparent.
    bool AnyTransparent = false;

    uint8_t* Row(int y) { return bits_.data() + rowBytes_ * size_t(y); }
    std::unique_ptr<TBitmap> MakeMask() const
    {
        return TBitmap::MakeMonochrome(width_, height_, bits_.data(), rowBytes_);
    }

private:
    int width_;
    int height_;
    size_t rowBytes_;
    std::vector<uint8_t> bits_;
};

inline void SetMaskBit(uint8_t* maskRow, int x)
{
    maskRow[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
}

const uint8_t* FramePixels(const TGIFSubImage& frame)
{
    // The renderers read Width x Height bytes; a frame whose stored size
    // and pixels disagree is refused rather than read past its end.
    if (!frame.Pixels() || frame.PixelBytes() < size_t(frame.Width()) * size_t(frame.Height()))
        throw GIFException("Image is empty");
    return frame.Pixels();
}

// Marks the row's pixels equal to the transparent index. Each mask byte is
// built from eight compares without a branch, so the loop runs at memory
// speed whatever the mix of transparent and opaque pixels.
bool MarkTransparent(const uint8_t* source, int width, uint8_t transparent, uint8_t* maskRow)
{
    uint8_t any = 0;
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        uint8_t bits = 0;
        for (int b = 0; b < 8; ++b)
            bits |= static_cast<uint8_t>((source[x + b] == transparent) << (7 - b));
        maskRow[x >> 3] = bits;
        any |= bits;
    }
    for (; x < width; ++x) {
        if (source[x] == transparent) {
            SetMaskBit(maskRow, x);
            any = 1;
        }
    }
    return any != 0;
}

// The indices go into the bitmap as they are: they address the frame's
// palette (local colors, or the document's for frames without). The rows are
// copied straight into the bitmap: a pass through a device-independent image
// would copy each of them twice more.
void RenderDirect(TGIFSubImage& frame, TBitmap& bitmap, TMaskBuffer* mask)
{
    const int width = frame.Width(), height = frame.Height();
    const uint8_t* pixels = FramePixels(frame);
    TBitmap rendered(width, height, TPixelFormat::pf8bit);
    rendered.SetPalette(frame.PaletteHandle());
    for (int y = 0; y < height; ++y) {
        ReportRow(frame.Image(), y, height, kRendering);
        const uint8_t* source = pixels + size_t(y) * size_t(width);
        std::memcpy(rendered.ScanLine(y), source, size_t(width));
        if (mask && MarkTransparent(source, width, mask->TransparentIndex, mask->Row(y)))
            mask->AnyTransparent = true;
    }
    bitmap = std::move(rendered);
}

// Floyd–Steinberg onto the web cube in the dither engines' serpentine order,
// with the same per-pixel step. Unlike the engines of the color routines it
// can pass over a pixel: a transparent pixel takes no color and spreads no
// error, while the errors carried along the row still move past it, so that
// its neighbours' shares land in their own cells.
class TFrameDitherer {
public:
    explicit TFrameDitherer(int width) : width_(width), buffer_(3 * (size_t(width) + 2), 0) {}

    // Maps one row from the current column in the current direction.
    // Pixels equal to the mask's transparent index are marked in the mask
    // row instead and keep the target's fill value.
    void Row(const uint8_t* source, uint8_t* target, const TRGBTable& colors, TMaskBuffer* mask,
             uint8_t* maskRow)
    {
        const int transparent = mask ? mask->TransparentIndex : -1;
        std::array<uint8_t, 3> out;
        int x = column_;
        for (; x >= 0 && x < width_; x += direction_, position_ += direction_) {
            const uint8_t index = source[x];
            if (index == transparent) {
                SetMaskBit(maskRow, x);
                mask->AnyTransparent = true;
                PassOver();
                continue;
            }
            const std::array<uint8_t, 3>& rgb = colors[index];
            target[x] = TFloydSteinbergDitherer::Step(lookup_, {rgb[0], rgb[1], rgb[2]}, buffer_.data(),
                                                      position_, direction_, carry_, out);
        }
        column_ = x;
    }

    // Ends a row as the engines do: the carried share for the cell below the
    // last pixel is stored, and the next row runs the other way.
    void AdvanceRow()
    {
        int* behind = buffer_.data() + 3 * position_;
        for (int c = 0; c < 3; ++c)
            behind[c] = carry_.BelowPrevious[c];
        carry_ = {};
        direction_ = -direction_;
        column_ = direction_ > 0 ? 0 : width_ - 1;
        position_ = direction_ > 0 ? 0 : width_ + 1;
    }

private:
    // The step of a pixel whose error is zero, without mapping anything.
    void PassOver()
    {
        int* behind = buffer_.data() + 3 * position_;
        for (int c = 0; c < 3; ++c) {
            behind[c] = carry_.BelowPrevious[c];
            carry_.BelowPrevious[c] = carry_.Below[c];
            carry_.Below[c] = 0;
            carry_.Current[c] = 0;
        }
    }

    int width_;
    int direction_ = 1;
    int column_ = 0;
    int position_ = 0;
    std::vector<int> buffer_;
    TFloydSteinbergDitherer::TCarry carry_;
    TNetscapeColorLookup lookup_;
};

// The cube index transparent pixels keep in a dithered rendering, from the
// transparent color; it only has to be stable, the mask hides these pixels.
uint8_t DitherFillIndex(const std::array<uint8_t, 3>& rgb)
{
    // round(36 R / 51) + round(6 G / 51) + B div 51 + 1, rounding to nearest:
    // 36/51 = 12/17 and 6/51 = 2/17, whose multiples never end in a half.
    const int red = (24 * rgb[0] + 17) / 34;
    const int green = (4 * rgb[1] + 17) / 34;
    return static_cast<uint8_t>((red + green + rgb[2] / 51 + 1) % 256);
}

void RenderDithered(TGIFSubImage& frame, TBitmap& bitmap, TMaskBuffer* mask)
{
    const int width = frame.Width(), height = frame.Height();
    const uint8_t* pixels = FramePixels(frame);
    const TRGBTable colors = MakeRGBTable(frame.ActiveColors());
    const uint8_t fill = mask ? DitherFillIndex(colors[mask->TransparentIndex]) : 0;
    TFrameDitherer ditherer(width);
    TDIBWriter writer(bitmap, TPixelFormat::pf8bit, width, height, frame.PaletteHandle());
    for (int y = 0; y < height; ++y) {
        ReportRow(frame.Image(), y, height, kRendering);
        uint8_t* target = writer.ScanLine(y);
        if (mask)
            std::memset(target, fill, size_t(width));
        ditherer.Row(pixels + size_t(y) * size_t(width), target, colors, mask, mask ? mask->Row(y) : nullptr);
        ditherer.AdvanceRow();
    }
    writer.Finish();
}

} // namespace

TBitmap* TGIFSubImage::RenderBitmap()
{
    if (bitmap_ || IsEmpty())
        return bitmap_.get();

    TGIFImage* image = Image();
    // A rendering that does not finish must not use up the pending mask.
    const bool maskWasPending = MaskPending;
    auto finish = [&](int percent) {
        const bool paletteModified = image && image->PaletteModified;
        Report(image, TProgressStage::Ending, percent, paletteModified, kRendering);
        if (paletteModified)
            image->SignalChange();
    };

    std::unique_ptr<TBitmap> bitmap;
    try {
        Report(image, TProgressStage::Starting, 0, false, kRendering);
        const bool buildMask = MaskPending && Transparent && ControlBlock;
        MaskPending = false;
        bitmap = std::make_unique<TBitmap>();
        if (uint64_t(Width()) * uint64_t(Height()) > kLargeFramePixels)
            bitmap->SetPixelFormat(TPixelFormat::pf1bit);
        std::optional<TMaskBuffer> mask;
        if (buildMask)
            mask.emplace(Width(), Height(), ControlBlock->TransparentIndex());
        TMaskBuffer* maskBuffer = mask ? &*mask : nullptr;
        if (image && image->DitheringInEffect())
            RenderDithered(*this, *bitmap, maskBuffer);
        else
            RenderDirect(*this, *bitmap, maskBuffer);
        // Without any transparent pixel the frame is drawn opaque.
        if (mask && mask->AnyTransparent) {
            bitmap->SetMask(mask->MakeMask());
            bitmap->Transparent = true;
        }
    } catch (const EAbort&) {
        // Cancelled by the progress handler: nothing is rendered and nothing
        // is reported to the user.
        MaskPending = maskWasPending;
        finish(0);
        return nullptr;
    } catch (...) {
        MaskPending = maskWasPending;
        finish(0);
        throw;
    }
    bitmap_ = std::move(bitmap);
    finish(100);
    return bitmap_.get();
}

bool TGIFSubImage::MaskAvailable()
{
    if (MaskPending && Transparent) {
        bitmap_.reset();
        RenderBitmap();
    }
    return bitmap_ && bitmap_->Mask();
}

void TGIFSubImage::ReplaceBitmap(const TBitmap* bitmap)
{
    // The new picture may be the cached one itself; it lives until the end.
    std::unique_ptr<TBitmap> old = std::move(bitmap_);
    if (bitmap)
        CopyFrom(*bitmap);
}

void TGIFSubImage::ReleaseRendering()
{
    bitmap_.reset();
    MaskPending = true;
}

} // namespace fl
