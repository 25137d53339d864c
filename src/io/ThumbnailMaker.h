// SPDX-License-Identifier: GPL-3.0-or-later
// One thumbnail of the thumbnail browser: an image file of the file-type
// table read and scaled down to fit a square cell.
#pragma once

#include <cstdint>
#include <string>

#include "editing/ThumbnailFolder.h"
#include "platform/Bitmap.h"

namespace fl {

class TImagingControl;

struct TThumbnail {
    TThumbnailRecord Record;
    // 32 bits per pixel, at most cell + 1 pixels on a side: a picture up to
    // one pixel larger than the cell is kept at its size.
    TBitmap Picture;
};

// Reads the file and fits its picture to the cell: when either side is
// larger than cell + 1 the larger side becomes the cell and the other is
// scaled in proportion. GIF and BMP files go through the engine's readers,
// the rest through the control, which decodes a JPEG directly at a reduced
// scale when the cell is small. False for a file that cannot be read.
bool MakeThumbnail(const std::string& path, uint64_t fileBytes, int cell, TImagingControl& control,
                   TThumbnail& thumbnail);

// The picture scaled down to exactly width x height by averaging the source
// pixels each target pixel covers, as 32 bits per pixel.
TBitmap ShrinkBitmap(const TBitmap& source, int width, int height);

} // namespace fl
