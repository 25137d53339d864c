// SPDX-License-Identifier: GPL-3.0-or-later
// Players started and stopped in quick succession, documents destroyed while
// their players run, from the main thread and from inside the players' own
// callbacks. Run under the address and undefined-behaviour sanitizers in CI,
// and worth running under the thread sanitizer by hand.
#include <gtest/gtest.h>

#include "gif/PlayerSupport.h"

namespace fl::test {
namespace {

std::unique_ptr<TGIFImage> Looping(int frames)
{
    std::vector<TFrameLayout> layouts;
    for (int i = 0; i < frames; ++i)
        layouts.push_back({i % 3, 0, 3, 3, uint8_t(1 + i % 6), 1 + i % 3, 2});
    layouts[0].LoopCount = 0;
    auto image = MakeAnimation(6, 3, layouts);
    image->PlayClock = std::make_shared<TVirtualClock>();
    return image;
}

TEST(PlayerStress, StartAndStopManyTimes)
{
    auto image = Looping(5);
    TTestCanvas canvas(12, 6);
    for (int i = 0; i < 150; ++i) {
        image->PlaySpeed = i % 3 == 0 ? -1 : 100;
        image->PaintOn(*canvas.Canvas, canvas.Canvas->ClipRect());
        if (i % 2)
            MainSyncQueue().WaitAndDrain(1);
        if (i % 5 == 0)
            image->StopCurrentAndWait();
        else
            image->StopAllPlayers();
    }
    EXPECT_EQ(image->PlayerCount(), 0);
    EXPECT_EQ(image->CurrentPlayer(), nullptr);
}

TEST(PlayerStress, SeveralPlayersOnOneDocumentThenDestroyIt)
{
    auto image = Looping(4);
    image->PlaySpeed = -1;
    std::vector<std::unique_ptr<TTestCanvas>> canvases;
    std::vector<TGIFPainter*> owners(4, nullptr);
    for (int round = 0; round < 20; ++round) {
        for (size_t i = 0; i < owners.size(); ++i) {
            canvases.push_back(std::make_unique<TTestCanvas>(6, 3));
            TCanvas& canvas = *canvases.back()->Canvas;
            image->StartPlayer(&owners[i], canvas, DefaultPaintFlags, canvas.ClipRect())->Resume();
        }
        MainSyncQueue().WaitAndDrain(1);
        if (round % 2 == 0) {
            image->StopAllPlayers();
            EXPECT_EQ(image->PlayerCount(), 0);
        }
        for (TGIFPainter* owner : owners)
            EXPECT_TRUE(owner == nullptr || round % 2 == 1);
    }
    // Destroying the document stops and joins every player it still has.
    image.reset();
    for (TGIFPainter* owner : owners)
        EXPECT_EQ(owner, nullptr);
}

TEST(PlayerStress, DocumentDestroyedFromItsThreadedPlayersCallback)
{
    for (int i = 0; i < 20; ++i) {
        auto image = Looping(3);
        image->PlaySpeed = -1;
        TTestCanvas canvas(6, 3);
        TGIFPainter* player = nullptr;
        int endsAfterDestruction = 0;
        bool destroyed = false;
        image->OnAfterFrame = [&](TGIFPainter& sender) {
            if (sender.ActiveFrame == 1 && !destroyed) {
                destroyed = true;
                image.reset();
                EXPECT_EQ(sender.Image(), nullptr);
            }
        };
        image->OnPlayEnd = [&](TGIFPainter&) { endsAfterDestruction += destroyed ? 1 : 0; };
        image->StartPlayer(&player, *canvas.Canvas, DefaultPaintFlags, canvas.Canvas->ClipRect())->Resume();
        ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
        TGIFPainter::JoinEndedThreads();
        EXPECT_TRUE(destroyed);
        EXPECT_EQ(endsAfterDestruction, 1);
    }
}

TEST(PlayerStress, DocumentDestroyedFromItsSynchronousPlayersCallback)
{
    auto image = Looping(3);
    TTestCanvas canvas(6, 3);
    int frames = 0;
    image->OnAfterFrame = [&](TGIFPainter&) {
        if (++frames == 2)
            image.reset();
    };
    image->SetPaintFlags(paintAnimate | paintLoop | paintTransparent);
    // Synchronous play runs inside PaintOn, which the callback's destruction
    // must not trip over when the player returns.
    TGIFImage* raw = image.get();
    raw->PaintOn(*canvas.Canvas, canvas.Canvas->ClipRect());
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(image, nullptr);
}

TEST(PlayerStress, StructuralChangesFromACallbackStopThePlayer)
{
    auto image = Looping(3);
    image->PlaySpeed = -1;
    TTestCanvas canvas(6, 3);
    TGIFPainter* player = nullptr;
    int frames = 0;
    image->OnAfterFrame = [&](TGIFPainter&) {
        // Adding a frame stops every player, including this one, whose call
        // is still running: it must not be waited for here.
        if (++frames == 2) {
            auto frame = std::make_unique<TGIFSubImage>(image.get());
            frame->SetGeometry(0, 0, 1, 1);
            image->AddFrame(std::move(frame));
        }
    };
    image->StartPlayer(&player, *canvas.Canvas, DefaultPaintFlags, canvas.Canvas->ClipRect())->Resume();
    ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(image->Frames.Count(), 4);
    EXPECT_EQ(image->PlayerCount(), 0);
}

TEST(PlayerStress, CanvasThatDisappearsEndsACheckingPlayer)
{
    auto image = Looping(3);
    image->PlaySpeed = -1;
    auto canvas = std::make_unique<TTestCanvas>(6, 3);
    TGIFPainter* player = nullptr;
    int frames = 0;
    image->OnAfterFrame = [&](TGIFPainter&) {
        ++frames;
        canvas.reset();
    };
    image->StartPlayer(&player, *canvas->Canvas, DefaultPaintFlags | paintCheckCanvas | paintDirect,
                       canvas->Canvas->ClipRect())
        ->Resume();
    ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
    EXPECT_EQ(frames, 1);
}

} // namespace
} // namespace fl::test
