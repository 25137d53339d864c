// SPDX-License-Identifier: GPL-3.0-or-later
// Preparing an animation for video: every frame becomes the accumulated
// picture, with transparent pixels showing what earlier frames drew.
#include <gtest/gtest.h>

#include "gif/PlayerSupport.h"
#include "io/AviExport.h"

namespace fl {
namespace {

using test::MakeAnimation;
using test::Rgb;
using test::TFrameLayout;

TColor ShownColor(TGIFSubImage& frame, int x, int y)
{
    return frame.ActiveColors().ColorAt(frame.PixelAt(x, y));
}

TEST(AviPrepare, TransparentPixelsKeepThePictureSoFar)
{
    // An optimized animation: frame 1 changes one pixel and leaves the rest
    // transparent.
    TFrameLayout change(0, 0, 4, 4, 7, 1, 10, 7);
    change.Spots = {{2, 1, 3}};
    auto image = MakeAnimation(4, 4, {TFrameLayout(0, 0, 4, 4, 1, 1, 10), change});
    ASSERT_TRUE(PrepareAviExport(*image));
    ASSERT_EQ(image->Frames.Count(), 2);
    TGIFSubImage& second = *image->Frames[1];
    EXPECT_EQ(ShownColor(second, 0, 0), test::TestColors[1]);
    EXPECT_EQ(ShownColor(second, 2, 1), test::TestColors[3]);
    EXPECT_FALSE(second.Transparent);
}

} // namespace
} // namespace fl
