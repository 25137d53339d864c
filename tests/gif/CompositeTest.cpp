// SPDX-License-Identifier: GPL-3.0-or-later
// What a player leaves on its canvas: disposal methods, transparency, the
// background rule, and the document's own drawing with its composite bitmap.
#include <gtest/gtest.h>

#include "gif/PlayerSupport.h"

namespace fl::test {
namespace {

// The canvas's starting color, as a pixel reads it.
constexpr uint32_t Canvas0 = 0x0A141E;

struct TComposited {
    std::vector<TBitmap> Shots;
    std::vector<bool> Buffered;
};

TComposited Composite(TGIFImage& image, TGIFPaintFlags flags)
{
    TComposited result;
    TTestCanvas canvas(image.Width(), image.Height());
    TPlayRecord record;
    record.Watched = &canvas.Bitmap;
    record.AfterFrame = [&](TGIFPainter& player) { result.Buffered.push_back(player.BackBuffer() != nullptr); };
    record.Attach(image);
    image.PlayClock = std::make_shared<TVirtualClock>();
    image.StartPlayer(nullptr, *canvas.Canvas, flags, canvas.Canvas->ClipRect());
    result.Shots = std::move(record.Shots);
    return result;
}

TEST(Disposal, KeptFramesDrawStraightOntoTheTarget)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1}, {0, 0, 2, 2, 2, 0}, {3, 3, 1, 1, 3}});
    const TComposited played = Composite(*image, paintAnimate);
    ASSERT_EQ(played.Shots.size(), 3u);
    EXPECT_EQ(played.Buffered, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(played.Shots[2].PixelColor(0, 0), Rgb(2));
    EXPECT_EQ(played.Shots[2].PixelColor(2, 2), Rgb(1));
    EXPECT_EQ(played.Shots[2].PixelColor(3, 3), Rgb(3));
}

TEST(Disposal, BackgroundRestoresTheFrameArea)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1}, {0, 0, 2, 2, 2, 2}, {3, 3, 1, 1, 3, 1}});
    // Opaque: the area goes back to the background color (index 5, white).
    TComposited opaque = Composite(*image, paintAnimate);
    EXPECT_EQ(opaque.Shots[1].PixelColor(0, 0), Rgb(2)) << "shown before it is disposed of";
    EXPECT_EQ(opaque.Shots[2].PixelColor(0, 0), Rgb(5));
    EXPECT_EQ(opaque.Shots[2].PixelColor(1, 1), Rgb(5));
    EXPECT_EQ(opaque.Shots[2].PixelColor(2, 2), Rgb(1));
    EXPECT_EQ(opaque.Shots[2].PixelColor(3, 3), Rgb(3));
    EXPECT_EQ(opaque.Buffered.front(), true);

    // Transparent: the area goes back to what the canvas showed at the start.
    TComposited transparent = Composite(*image, paintAnimate | paintTransparent);
    EXPECT_EQ(transparent.Shots[2].PixelColor(0, 0), Canvas0);
    EXPECT_EQ(transparent.Shots[2].PixelColor(2, 2), Rgb(1));

    // The backdrop color wins over the document's background color.
    image->BackdropColor = MakeColor(0, 255, 255);
    EXPECT_EQ(Composite(*image, paintAnimate).Shots[2].PixelColor(0, 0), Rgb(6));
}

TEST(Disposal, PreviousRestoresTheStateBeforeTheFrame)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1}, {0, 0, 2, 2, 2, 3}, {3, 3, 1, 1, 3, 1}});
    TComposited played = Composite(*image, paintAnimate);
    EXPECT_EQ(played.Shots[1].PixelColor(0, 0), Rgb(2));
    EXPECT_EQ(played.Shots[2].PixelColor(0, 0), Rgb(1));
    EXPECT_EQ(played.Shots[2].PixelColor(3, 3), Rgb(3));

    // After a disposal-2 frame the previous buffer keeps the restored state.
    auto chain = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1}, {0, 0, 2, 2, 2, 2}, {2, 2, 2, 2, 3, 3}, {0, 3, 1, 1, 4, 1}});
    TComposited chained = Composite(*chain, paintAnimate);
    EXPECT_EQ(chained.Shots[2].PixelColor(0, 0), Rgb(5));
    EXPECT_EQ(chained.Shots[2].PixelColor(2, 2), Rgb(3));
    EXPECT_EQ(chained.Shots[3].PixelColor(2, 2), Rgb(1));
    EXPECT_EQ(chained.Shots[3].PixelColor(0, 0), Rgb(5));
    EXPECT_EQ(chained.Shots[3].PixelColor(0, 3), Rgb(4));
}

TEST(Disposal, UndefinedDisposalIsSkippedWithoutError)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 2}, {0, 0, 4, 4, 2, 5}, {0, 0, 1, 1, 3, 1}});
    TComposited played = Composite(*image, paintAnimate);
    ASSERT_EQ(played.Shots.size(), 3u);
    EXPECT_EQ(played.Shots[1].PixelColor(2, 2), Rgb(1)) << "frame 1 is not drawn";
    EXPECT_EQ(played.Shots[2].PixelColor(2, 2), Rgb(5));
    EXPECT_EQ(played.Shots[2].PixelColor(0, 0), Rgb(3));
}

TEST(Transparency, TransparentPixelsShowWhatWasBelow)
{
    TFrameLayout overlay{0, 0, 4, 4, 2, 1, 0, 2};
    overlay.Spots = {{1, 1, 3}};
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1}, overlay});
    TComposited withMask = Composite(*image, paintAnimate | paintTransparent);
    EXPECT_EQ(withMask.Shots[1].PixelColor(0, 0), Rgb(1));
    EXPECT_EQ(withMask.Shots[1].PixelColor(1, 1), Rgb(3));
    // Without paintTransparent the transparent index is drawn as its color.
    EXPECT_EQ(Composite(*image, paintAnimate).Shots[1].PixelColor(0, 0), Rgb(2));

    // Transparent flag but no pixel of that index: drawn opaque, no mask.
    auto none = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 1, 0, 7}});
    ASSERT_NE(none->Frames[0]->RenderBitmap(), nullptr);
    EXPECT_EQ(none->Frames[0]->RenderBitmap()->Mask(), nullptr);
    EXPECT_FALSE(none->Frames[0]->MaskAvailable());
}

TEST(FrameDrawing, PlaceIsScaledIntoTheRectangleOrTiled)
{
    auto image = MakeAnimation(4, 4, {{2, 2, 2, 2, 3}});
    TTestCanvas canvas(10, 10);
    image->Frames[0]->PaintOn(*canvas.Canvas, {1, 1, 9, 9}, false, false);
    EXPECT_EQ(canvas.At(4, 4), Canvas0);
    EXPECT_EQ(canvas.At(5, 5), Rgb(3));
    EXPECT_EQ(canvas.At(8, 8), Rgb(3));
    EXPECT_EQ(canvas.At(9, 9), Canvas0);

    TTestCanvas tiled(10, 10);
    image->Frames[0]->PaintOn(*tiled.Canvas, {0, 0, 10, 10}, true, false);
    // Unscaled copies at every 4 pixels, clipped at the canvas.
    for (int at : {2, 3, 6, 7})
        EXPECT_EQ(tiled.At(at, at), Rgb(3)) << at;
    EXPECT_EQ(tiled.At(4, 4), Canvas0);
    EXPECT_EQ(tiled.At(9, 9), Canvas0);
}

TEST(DocumentDrawing, OneFrameOrStillDocumentsDrawFrameZero)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 3}, {0, 0, 4, 4, 4}});
    image->SetPaintFlags(paintTransparent);
    TTestCanvas canvas(8, 8);
    image->PaintOn(*canvas.Canvas, canvas.Canvas->ClipRect());
    EXPECT_EQ(canvas.At(7, 7), Rgb(3));
    EXPECT_EQ(image->PlayerCount(), 0);

    // The composite without a player: frame 0 at its place on the background.
    auto offset = MakeAnimation(4, 4, {{1, 1, 2, 2, 3}, {0, 0, 4, 4, 4}});
    TBitmap* composite = offset->Bitmap();
    ASSERT_NE(composite, nullptr);
    EXPECT_EQ(composite->PixelColor(0, 0), Rgb(5));
    EXPECT_EQ(composite->PixelColor(1, 1), Rgb(3));
    TBitmap copied;
    offset->CopyToGraphic(copied);
    EXPECT_EQ(copied.PixelColor(2, 2), Rgb(3));
    TGIFImage empty;
    EXPECT_EQ(empty.Bitmap(), nullptr);
}

TEST(DocumentDrawing, ThreadedPlayIntoTheComposite)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 3, 1, 10}, {0, 0, 4, 4, 4, 1, 10}});
    image->PlayClock = std::make_shared<TVirtualClock>();
    image->PlaySpeed = 0; // stays on frame 0 until stopped
    int starts = 0, changes = 0;
    image->OnPlayStart = [&](TGIFPainter&) { ++starts; };
    image->OnChange = [&](TGraphic&) { ++changes; };
    TTestCanvas canvas(8, 8);
    image->PaintOn(*canvas.Canvas, canvas.Canvas->ClipRect());
    // PaintOn waits for the first frame and shows it.
    EXPECT_EQ(canvas.At(7, 7), Rgb(3));
    EXPECT_GT(changes, 0) << "drawing into the composite redraws the holder";
    TGIFPainter* first = image->CurrentPlayer();
    ASSERT_NE(first, nullptr);

    // Drawing again shows the composite; the player goes on.
    TTestCanvas other(4, 4);
    image->PaintOn(*other.Canvas, other.Canvas->ClipRect());
    EXPECT_EQ(other.At(0, 0), Rgb(3));
    EXPECT_EQ(image->CurrentPlayer(), first);
    EXPECT_EQ(starts, 1);

    image->StopAllPlayers();
    EXPECT_EQ(image->PlayerCount(), 0);
    EXPECT_EQ(image->CurrentPlayer(), nullptr);
}

TEST(DocumentDrawing, DirectPlayRestartsOnlyForAnotherRectangle)
{
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 3, 1, 10}, {0, 0, 4, 4, 4, 1, 10}});
    image->SetPaintFlags(DefaultPaintFlags | paintDirect);
    image->PlayClock = std::make_shared<TVirtualClock>();
    image->PlaySpeed = 0;
    int starts = 0;
    image->OnPlayStart = [&](TGIFPainter&) { ++starts; };
    TTestCanvas canvas(8, 8);
    image->PaintOn(*canvas.Canvas, {0, 0, 4, 4});
    ASSERT_TRUE(DrainUntil([&] { return image->CurrentPlayer() && image->CurrentPlayer()->Painted(); }));
    TGIFPainter* first = image->CurrentPlayer();
    image->PaintOn(*canvas.Canvas, {0, 0, 4, 4});
    EXPECT_EQ(image->CurrentPlayer(), first);
    EXPECT_EQ(starts, 1);

    image->PaintOn(*canvas.Canvas, {4, 4, 8, 8});
    ASSERT_TRUE(DrainUntil([&] { return starts == 2 && image->CurrentPlayer()->Painted(); }));
    // The new player starts again from frame 0.
    EXPECT_EQ(canvas.At(6, 6), Rgb(3));
    image->StopAllPlayers();
    EXPECT_EQ(image->PlayerCount(), 0);
}

} // namespace
} // namespace fl::test
