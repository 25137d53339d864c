// SPDX-License-Identifier: GPL-3.0-or-later
// Fitting a new image and an animation's frames to each other's size, for
// frames inserted from images larger or smaller than the animation.
#pragma once

namespace fl {

class TBitmap;
class TGIFImage;

// How FitImageToAnimation settles a size difference.
enum class TFitMode {
    ResizeAnimation = 0, // the animation takes the image's size, frames are cropped to it
    CropImage = 1,       // the image is cropped to the animation's size
};

// Keeps the top-left width x height area of the bitmap (pixels, palette,
// transparency and mask). The area never grows beyond the bitmap; a
// negative size counts as 0.
void CropBitmap(TBitmap& bitmap, int height, int width);

// Crops every frame that reaches beyond the bitmap's width or height to
// the part that fits, keeping its color indices and colors as they are; a
// frame wholly outside becomes empty. The logical size is not changed.
void CropFramesToAnimation(TGIFImage& image, const TBitmap& newSize);

// ResizeAnimation: crops the frames to the bitmap's size and gives the
// animation that size. CropImage: crops the bitmap to the smaller of its own
// and the animation's size. An empty bitmap, or an animation without a size
// in CropImage mode, leaves both unchanged.
void FitImageToAnimation(TGIFImage& image, TBitmap& bitmap, TFitMode mode);

// Frames without pixels go behind the others, each group in its order, so
// that frame list item i stays frame i of the animation.
void MoveEmptyFramesToEnd(TGIFImage& image);

} // namespace fl
