// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace fl {

// Hands a frame's rows to the encoders in the order they are written: top to
// bottom, or in the four interlace passes (rows 0, 8, ...; 4, 12, ...;
// 2, 6, ...; 1, 3, ...). Passes that have no row inside the frame are
// skipped, so every row comes exactly once. Each row is checked against the
// color table before it is handed out; checking a row at once lets the
// encoders' inner loops run over raw bytes.
class TPixelCursor {
public:
    TPixelCursor(const uint8_t* pixels, int width, int height, bool interlaced, int validCount);

    int Width() const { return width_; }
    int64_t PixelCount() const { return static_cast<int64_t>(width_) * height_; }

    // The next row, or nullptr after the last one. Throws GIFException
    // ("Color not in color table") for a row with an index not below the
    // valid count.
    const uint8_t* NextRow();

private:
    void CheckRow(const uint8_t* row) const;

    const uint8_t* pixels_;
    int width_;
    int height_;
    int validCount_;
    int pass_;
    int row_ = 0;
    int step_;
};

} // namespace fl
