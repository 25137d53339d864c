// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/GIFImage.h"

#include <algorithm>

#include "color/FixedPalettes.h"
#include "gif/GIFPainter.h"
#include "platform/Canvas.h"
#include "platform/GIFException.h"
#include "platform/SystemMemory.h"

namespace fl {

bool GIFLowColorScreen = false;
TGIFMemoryLimits GIFMemoryLimits;

uint64_t TGIFMemoryLimits::DefaultDocumentPixels()
{
    const uint64_t ceiling = uint64_t(1) << 32;
    const uint64_t half = PhysicalMemoryBytes() / 2;
    return half > 0 ? std::min(ceiling, half) : ceiling;
}

TGIFImage::TGIFImage() : Header(this), Frames(this)
{
    Reset();
}

TGIFImage::~TGIFImage()
{
    StopAllPlayers();
    DetachPlayers();
    OnChange = nullptr;
    OnProgress = nullptr;
    WarningHandler = nullptr;
    Frames.ClearAll();
}

void TGIFImage::SetWidth(int value)
{
    for (const auto& frame : Frames)
        if (value < frame->Left() + frame->Width())
            throw GIFException("Image width too small for contained frames");
    if (value < 0 || value > 0xFFFF)
        throw GIFException("Image exceeds Logical Screen size");
    if (value == Header.ScreenWidth)
        return;
    StopAllPlayers();
    Header.ScreenWidth = static_cast<uint16_t>(value);
    Changed();
}

void TGIFImage::SetHeight(int value)
{
    for (const auto& frame : Frames)
        if (value < frame->Top() + frame->Height())
            throw GIFException("Image height too small for contained frames");
    if (value < 0 || value > 0xFFFF)
        throw GIFException("Image exceeds Logical Screen size");
    if (value == Header.ScreenHeight)
        return;
    StopAllPlayers();
    Header.ScreenHeight = static_cast<uint16_t>(value);
    Changed();
}

TGIFVersion TGIFImage::Version() const
{
    TGIFVersion version = TGIFVersion::Unknown;
    for (const auto& frame : Frames) {
        version = std::max(version, frame->Version());
        if (version == TGIFVersion::GIF89a)
            break;
    }
    return version;
}

int TGIFImage::MaxDepth() const
{
    int depth = Header.GlobalColors.Depth();
    for (const auto& frame : Frames)
        depth = std::max(depth, frame->Depth());
    return depth;
}

TColor TGIFImage::BackgroundColor()
{
    return Header.GlobalColors.ColorAt(Header.BackgroundIndex);
}

int TGIFImage::AddFrame(std::unique_ptr<TGIFSubImage> frame)
{
    if (!frame)
        throw GIFException("Object type not supported for operation");
    // Players read the frame list from their threads: stop them first.
    StopAllPlayers();
    const int index = Frames.Append(std::move(frame));
    Changed();
    return index;
}

void TGIFImage::Reset()
{
    StopAllPlayers();
    Frames.ClearAll();
    Header.GlobalColors.Reset();
    Header.ScreenWidth = 0;
    Header.ScreenHeight = 0;
    Header.PrepareFlags();
    palette_.reset();
}

bool TGIFImage::DitheringInEffect() const
{
    return (paintFlags_ & paintDither) && (!(paintFlags_ & paintAutoDither) || GIFLowColorScreen);
}

void TGIFImage::SetPaintFlags(TGIFPaintFlags flags)
{
    if (flags == paintFlags_)
        return;
    StopAllPlayers();
    paintFlags_ = flags;
    palette_.reset();
    for (const auto& frame : Frames) {
        frame->ReplaceBitmap(nullptr);
        frame->SetPaletteHandle(nullptr);
    }
    // A single frame with only local colors: its colors serve the whole
    // document.
    if (Header.GlobalColors.Count() == 0 && Frames.Count() == 1) {
        TGIFSubImage& frame = *Frames[0];
        Header.GlobalColors.CopyFrom(frame.LocalColors);
        frame.LocalColors.Reset();
        frame.LocalColors.TableChanged();
    }
    Changed();
}

void TGIFImage::SetReductionDepth(int bits)
{
    if (bits < 3 || bits > 8)
        throw GIFException("Invalid Bits Per Pixel value");
    reductionDepth_ = bits;
}

TPaletteHandle TGIFImage::PaletteHandle()
{
    if (paletteLookup_)
        throw GIFException("No global or local color table defined");
    if (composite_ && composite_->Palette())
        return composite_->Palette();
    if (palette_)
        return palette_;
    paletteLookup_ = true;
    struct TGuard {
        bool& flag;
        ~TGuard() { flag = false; }
    } guard{paletteLookup_};

    if (DitheringInEffect()) {
        palette_ = MakeWebSafePalette();
        return palette_;
    }
    if (Header.GlobalColors.Count() == 0) {
        // Frame 0's palette serves the document but is not kept here.
        return Frames.Count() == 0 ? nullptr : Frames[0]->PaletteHandle();
    }
    palette_ = Header.GlobalColors.ToPlatformPalette();
    return palette_;
}

void TGIFImage::SetPaletteHandle(TPaletteHandle palette)
{
    if (palette == palette_)
        return;
    palette_ = std::move(palette);
    if (composite_ && composite_->Palette() != palette_) {
        StopAllPlayers();
        PaletteModified = true;
        Changed();
    }
}

void TGIFImage::DropRenderings()
{
    for (const auto& frame : Frames) {
        frame->ReplaceBitmap(nullptr);
        frame->MaskPending = true;
        frame->SetPaletteHandle(nullptr);
    }
    SetPaletteHandle(nullptr);
}

void TGIFImage::CopyFrom(const TGIFImage* source)
{
    Reset();
    if (!source)
        return;
    // The source's handlers see the copy's progress and warnings.
    OnProgress = source->OnProgress;
    WarningHandler = source->WarningHandler;
    struct TResetHandlers {
        TGIFImage& image;
        ~TResetHandlers()
        {
            image.OnProgress = nullptr;
            image.WarningHandler = nullptr;
        }
    } resetHandlers{*this};

    Progress(TProgressStage::Starting, 0, false, "Copying...");
    try {
        Header.CopyFrom(source->Header);
        PlayPriority = source->PlayPriority;
        BackdropColor = source->BackdropColor;
        paintFlags_ = source->paintFlags_;
        ReductionMethod = source->ReductionMethod;
        Dithering = source->Dithering;
        const int count = source->Frames.Count();
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->CopyFrom(*source->Frames[i]);
            AddFrame(std::move(frame));
            Progress(TProgressStage::Running, i * 100 / count, false, "Copying...");
        }
    } catch (...) {
        Progress(TProgressStage::Ending, 0, true, "Copying...");
        throw;
    }
    Progress(TProgressStage::Ending, 100, true, "Copying...");
}

void TGIFImage::DispatchWarning(TGIFItem* sender, int severity, const std::string& message)
{
    if (WarningHandler)
        WarningHandler(*this, sender, severity, message);
}

} // namespace fl
