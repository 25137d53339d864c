// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace fl {

// A rectangle in pixels; Right and Bottom lie just outside it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    // No area: left not below right or top not below bottom.
    bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect MakeRect(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

} // namespace fl
