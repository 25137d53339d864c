// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Wizards.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/RecordedActions.h"
#include "document/WholeAnimationEdit.h"
#include "editing/AnimationPalettes.h"
#include "editing/FileTypes.h"
#include "editing/FrameSettings.h"
#include "editing/ImageImport.h"
#include "editing/LoopCount.h"
#include "editing/NormalizeExtensions.h"
#include "editing/PaletteSettings.h"
#include "editing/TextRoutines.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"

namespace fl {

namespace {

// The color a picture's background is taken from: column 1 of its last row.
TColor BackgroundOf(const TBitmap& picture)
{
    const uint32_t rgb = picture.PixelColor(std::min(1, picture.Width() - 1), picture.Height() - 1);
    return MakeColor(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                     static_cast<uint8_t>(rgb));
}

// The picture placed on a frame of the animation's size over the
// background, as the options say.
TBitmap FramePicture(const TBitmap& picture, int width, int height, TColor background,
                     const TAnimationWizardOptions& options)
{
    TBitmap frame(width, height, TPixelFormat::pf32bit);
    TCanvas canvas(frame);
    canvas.FillRect({0, 0, width, height}, background);
    if (options.Scale) {
        canvas.StretchDraw({0, 0, width, height}, picture);
    } else if (options.Center && picture.Width() > width && picture.Height() > height) {
        // The middle of a larger picture.
        canvas.Draw(-(picture.Width() - width) / 2, -(picture.Height() - height) / 2, picture);
    } else if (options.Center) {
        canvas.Draw((width - picture.Width()) / 2, (height - picture.Height()) / 2, picture);
    } else {
        canvas.Draw(0, 0, picture);
    }
    return frame;
}

void AddWizardFrame(TGIFImage& image, const TBitmap& picture, TColor background,
                    const TAnimationWizardOptions& options)
{
    TBitmap frame = FramePicture(picture, image.Width(), image.Height(), background, options);
    const int index = image.AddFrame(frame);
    TGIFSubImage& added = *image.Frames[index];
    if (added.LocalColors.Count() > 0)
        added.LocalColors.SortColorMapByUse();
    SetFrameDelay(added, std::clamp(options.Delay, 0, 65535));
    if (options.Transparent) {
        added.ControlBlock->SetDisposal(2);
        added.ControlBlock->SetTransparent(true);
        added.ControlBlock->SetTransparentRGB(background);
    }
}

// "1,234,567": the digits in groups of three.
std::string WithSeparators(int64_t value)
{
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string text(value < 0 ? 1 : 0, '-');
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text.push_back(',');
        text.push_back(digits[i]);
    }
    return text;
}

} // namespace

std::unique_ptr<TGIFImage> BuildWizardAnimation(TEditorContext& context,
                                                const std::vector<std::string>& files,
                                                const TAnimationWizardOptions& options,
                                                const TWizardProgress& progress)
{
    auto image = std::make_unique<TGIFImage>();
    const bool globalPalette = ApplyPaletteSettings(*image, context.Settings());
    std::string skipped;
    TColor background = 0;
    int done = 0;
    for (const std::string& file : files) {
        TBitmap picture;
        const bool read =
            ImportImageFile(context, file, picture, FileTypeIndex(file), true) == importBitmapFilled &&
            !picture.Empty();
        if (!read) {
            skipped.append("\n").append(ExtractFileName(file));
        } else {
            TBusyCursor busy(context.Messages());
            if (image->IsEmpty()) {
                background = BackgroundOf(picture);
                image->SetWidth(options.CustomSize ? std::max(options.Width, 1) : picture.Width());
                image->SetHeight(options.CustomSize ? std::max(options.Height, 1) : picture.Height());
            }
            AddWizardFrame(*image, picture, background, options);
        }
        if (progress && !progress(++done, static_cast<int>(files.size())))
            return nullptr;
    }
    if (image->IsEmpty()) {
        ShowErrorMessage(context.Messages(), NoWizardImageMessage);
        return nullptr;
    }
    if (!skipped.empty())
        ShowMessageBox(context.Messages(), TMsgDlgType::mtWarning,
                       FormatText(SkippedImagesMessage, {skipped}), {TMsgDlgBtn::mbOK});
    TBusyCursor busy(context.Messages());
    if (!options.LoopForever && options.Plays > 1)
        AddLoopExtension(*image, 0, options.Plays);
    else if (options.LoopForever)
        AddLoopExtension(*image, 0, 0);
    AddFrameComment(*image->Frames[0], CreatorComment);
    if (globalPalette)
        OptimizeAnimationPalettes(*image);
    return image;
}

std::unique_ptr<TGIFImage> OptimizedCopy(TGIFImage& animation, const TOptimizeWizardOptions& options,
                                         const TAnimationDefaults& defaults)
{
    auto copy = std::make_unique<TGIFImage>();
    copy->SetReductionDepth(animation.ReductionDepth());
    copy->CopyFrom(&animation);
    TGIFOptimizeOptions set = 0;
    if (options.Trim)
        set |= optimizeTrim;
    if (options.MergePixels)
        set |= optimizeMergePixels;
    if (options.RemoveNonVisible)
        set |= optimizeCleanup;
    if (options.SortPalettes)
        set |= optimizeColorTables;
    // The frames keep their transparency: the optimizer only ever adds
    // transparent pixels where the picture stays the same.
    if (set != 0 || options.Lossy > 0)
        copy->Optimize(set, options.Lossy);
    if (options.OptimizeAllPalettes) {
        copy->GlobalColors().SortColorMapByUse();
        for (int i = 0; i < copy->Frames.Count(); ++i) {
            TGIFSubImage& frame = *copy->Frames[i];
            if (!frame.IsEmpty() && frame.LocalColors.Count() > 0)
                frame.LocalColors.SortColorMapByUse();
        }
    }
    if (options.RemoveLocalPalettes)
        MergeColorMaps(*copy);
    // Index ranges are final only now.
    if (options.MergePixels || options.Lossy > 0)
        copy->ChooseCodeSizes();
    // Sizes are compared as the files would be written.
    NormalizeExtensions(*copy, true, defaults);
    return copy;
}

int64_t GifStreamSize(TGIFImage& animation)
{
    TMemoryStream stream;
    animation.SaveToStream(stream);
    return static_cast<int64_t>(stream.Size());
}

int64_t WrittenSize(TGIFImage& animation, const TAnimationDefaults& defaults)
{
    TGIFImage copy;
    copy.CopyFrom(&animation);
    NormalizeExtensions(copy, true, defaults);
    return GifStreamSize(copy);
}

std::string ByteCountText(int64_t bytes)
{
    return WithSeparators(bytes) + " bytes";
}

std::string SavingsText(int64_t before, int64_t after)
{
    if (after >= before || before <= 0)
        return NoSavingsText;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%4.1f%s",
                  std::fabs(static_cast<double>(after) / static_cast<double>(before) * 100.0 - 100.0), "%");
    return ByteCountText(before - after) + " (" + percent + ")";
}

std::string DownloadTimeText(int64_t bytes, double kilobitsPerSecond)
{
    char text[64];
    const double seconds = kilobitsPerSecond > 0 ? std::fabs(bytes * 8.0 / kilobitsPerSecond / 1000.0) : 0.0;
    std::snprintf(text, sizeof text, "%4.2f secs with a", seconds);
    return text;
}

bool ReplaceWithOptimized(TEditorContext& context, TGIFImage& optimized)
{
    TDocument* document = context.ActiveDocument();
    TGIFImage& active = context.Animation();
    if (!document || active.IsEmpty() || optimized.IsEmpty())
        return false;
    const int64_t before = WrittenSize(active, context.Values().AnimationDefaults());
    const int64_t after = WrittenSize(optimized, context.Values().AnimationDefaults());
    if (after > before) {
        ShowMessageBox(context.Messages(), TMsgDlgType::mtInformation,
                       FormatText(LargerResultMessage, {ByteCountText(after), ByteCountText(before)}),
                       {TMsgDlgBtn::mbOK});
        return false;
    }
    TBusyCursor busy(context.Messages());
    RecordAndChange(context, *document, ckActiveAnimation, atWholeAnimation, 0, ActionOptimize, [&] {
        active.StopAllPlayers();
        active.CopyFrom(&optimized);
    });
    return true;
}

} // namespace fl
