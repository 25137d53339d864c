// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/PixelCursor.h"

#include <cstddef>

#include "platform/GIFException.h"

namespace fl {

namespace {

// The interlace passes; a plain frame is taken as the last pass alone,
// starting at row 0 with step 1.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

} // namespace

TPixelCursor::TPixelCursor(const uint8_t* pixels, int width, int height, bool interlaced, int validCount)
    : pixels_(pixels), width_(width), height_(height), validCount_(validCount), pass_(interlaced ? 0 : 3),
      step_(interlaced ? kPassStep[0] : 1)
{
    if (width_ <= 0 || height_ <= 0 || pixels_ == nullptr)
        row_ = height_ = 0;
}

const uint8_t* TPixelCursor::NextRow()
{
    while (row_ >= height_) {
        if (pass_ == 3)
            return nullptr;
        ++pass_;
        row_ = kPassStart[pass_];
        step_ = kPassStep[pass_];
    }
    const uint8_t* row = pixels_ + static_cast<ptrdiff_t>(row_) * width_;
    row_ += step_;
    CheckRow(row);
    return row;
}

void TPixelCursor::CheckRow(const uint8_t* row) const
{
    if (validCount_ >= 256)
        return;
    // A branch-free maximum, which the compiler vectorizes.
    uint8_t highest = 0;
    for (int x = 0; x < width_; ++x)
        highest = row[x] > highest ? row[x] : highest;
    if (highest >= validCount_)
        throw GIFException("Color not in color table");
}

} // namespace fl
