// SPDX-License-Identifier: GPL-3.0-or-later
// What the animation and optimization wizards do, without their window:
// building a new animation from a list of image files, and an optimized
// copy of the active animation with its sizes. TEditorContext::AdoptAnimation
// hands either to a new document.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/FrameSettings.h"

namespace fl {

class TEditorContext;
class TGIFImage;

// Texts the wizards show.
inline constexpr const char* NoWizardImageMessage =
    "None of the images could be read, so no animation was made.";
inline constexpr const char* SkippedImagesMessage = "These images could not be read and were left out:%s";
inline constexpr const char* LargerResultMessage =
    "The optimized animation would be larger than the current one (%s against %s). The current animation "
    "is kept.";
inline constexpr const char* NoSavingsText = "None";

// The animation wizard's choices.
struct TAnimationWizardOptions {
    // The first image's size, or the custom one.
    bool CustomSize = false;
    int Width = 100;
    int Height = 100;
    // Where an image of another size goes: the top left corner or the centre.
    bool Center = false;
    bool Scale = false;
    bool Transparent = false;
    // Played forever, or `Plays` times.
    bool LoopForever = true;
    int Plays = 1;
    // Hundredths of a second.
    int Delay = 100;
};

// Told after each image: answers false to stop the build.
using TWizardProgress = std::function<bool(int done, int total)>;

// Builds the animation from the images in order, reduced to colors as the
// palette settings say. Images that cannot be read are left out and named
// afterwards. Answers nothing when none could be read (said) or the build
// was stopped.
std::unique_ptr<TGIFImage> BuildWizardAnimation(TEditorContext& context,
                                                const std::vector<std::string>& files,
                                                const TAnimationWizardOptions& options,
                                                const TWizardProgress& progress = {});

// The optimization wizard's choices.
struct TOptimizeWizardOptions {
    bool OptimizeAllPalettes = false;
    bool RemoveLocalPalettes = false;
    bool SortPalettes = true;
    bool Trim = false;
    bool MergePixels = false;
    bool RemoveNonVisible = false;
    // 0 keeps every color exact; up to 200 lets colors move about a fifth
    // of it in each channel (TGIFImage::Optimize).
    int Lossy = 0;
};

// A copy of the animation optimized as chosen, with its extensions in the
// shape the program writes; it plays as the original.
std::unique_ptr<TGIFImage> OptimizedCopy(TGIFImage& animation, const TOptimizeWizardOptions& options,
                                         const TAnimationDefaults& defaults);

// The animation's size as a GIF stream, in bytes.
int64_t GifStreamSize(TGIFImage& animation);
// The size of the file the program would write for the animation (its
// extensions brought into shape on a copy).
int64_t WrittenSize(TGIFImage& animation, const TAnimationDefaults& defaults);
// "36,000 bytes".
std::string ByteCountText(int64_t bytes);
// "None" when nothing is saved, else "1,234 bytes (12.3%)".
std::string SavingsText(int64_t before, int64_t after);
// The download time of `bytes` at a modem rate in kilobits per second:
// "10.00 secs with a".
std::string DownloadTimeText(int64_t bytes, double kilobitsPerSecond);

// The optimized animation replaces the active one as "GIF Optimization".
// When it would be written larger, says so and keeps the original (false).
bool ReplaceWithOptimized(TEditorContext& context, TGIFImage& optimized);

} // namespace fl
