// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Bitmap.h"

namespace fl {

// An icon: an image and its AND mask (1 bit per pixel, 1 = transparent), the
// stand-in for the platform's icons. Reads .ico files, taking the largest
// image of the file (most pixels, then most bits per pixel), and writes
// single-image .ico files.
class TIcon : public TGraphic {
public:
    int Width() const override { return image_.Width(); }
    int Height() const override { return image_.Height(); }
    bool Empty() const override { return image_.Empty(); }

    // Reads a .ico file from the stream's position to its end. Malformed or
    // truncated files fail with EBitmapError "Icon image is not valid";
    // files holding only PNG-compressed images are refused as well.
    void LoadFromStream(TStream& stream) override;
    // Writes a .ico file with one image; "Icon is empty" without one.
    void SaveToStream(TStream& stream) override;

    // The colors: 1, 4, 8, 24 or 32 bits; for 32 bits the fourth byte of a
    // pixel is its alpha when AlphaChannel() is set.
    const TBitmap& Image() const { return image_; }
    // 1 bit per pixel, 1 = transparent, of the image's size.
    const TBitmap& MaskBitmap() const { return mask_; }
    bool AlphaChannel() const { return alpha_; }

    // Takes an image and its mask (same size; any format, a non-black pixel
    // is transparent; none: opaque). Images of other formats than 1, 4, 8,
    // 24 bits are kept at 24 bits.
    void SetImage(const TBitmap& image, const TBitmap* mask);

    // The icon drawn on black at 24 bits per pixel: transparent pixels stay
    // black, the partly transparent pixels of an alpha icon are blended
    // onto the black.
    TBitmap DrawOnBlack() const;

private:
    TBitmap image_;
    TBitmap mask_;
    bool alpha_ = false;
};

} // namespace fl
