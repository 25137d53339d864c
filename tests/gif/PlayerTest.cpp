// SPDX-License-Identifier: GPL-3.0-or-later
// Timed playback: timing on a virtual clock, loops, disposal, transparency,
// callbacks, errors, and players started, stopped and orphaned from both the
// main thread and their own threads.
#include <gtest/gtest.h>

#include "gif/PlayerSupport.h"

namespace fl::test {
namespace {

constexpr TGIFPaintFlags Synchronous = paintAnimate | paintLoop;
constexpr TGIFPaintFlags Threaded = paintAsync | paintAnimate | paintLoop;

TFrameLayout Full(int size, uint8_t fill, int disposal = -1, int delay = 0)
{
    return {0, 0, size, size, fill, disposal, delay};
}

struct TPlayed {
    TPlayRecord Record;
    std::shared_ptr<TVirtualClock> Clock = std::make_shared<TVirtualClock>();
};

// Plays the animation synchronously on a fresh canvas.
TPlayed PlaySync(TGIFImage& image, TGIFPaintFlags flags = Synchronous, int speed = 100)
{
    TPlayed played;
    image.PlayClock = played.Clock;
    image.PlaySpeed = speed;
    played.Record.Attach(image);
    TTestCanvas canvas(image.Width(), image.Height());
    image.StartPlayer(nullptr, *canvas.Canvas, flags, canvas.Canvas->ClipRect());
    return played;
}

TEST(PlayerTiming, WaitFollowsDelayAndSpeed)
{
    auto image = MakeAnimation(4, 4, {Full(4, 1, 1, 25), Full(4, 2, 1, 25), Full(4, 3, 1, 25)});
    TPlayed normal = PlaySync(*image);
    // The first wait of a synchronous player is one unit.
    EXPECT_EQ(normal.Record.Waits, (std::vector<int>{12, 300, 300}));
    // Synchronous waits are sliced into at most 100 ms.
    EXPECT_EQ(normal.Clock->Sleeps(), (std::vector<int>{12, 100, 100, 100, 100, 100, 100}));

    TPlayed doubled = PlaySync(*image, Synchronous, 200);
    EXPECT_EQ(doubled.Record.Waits, (std::vector<int>{6, 150, 150}));
    TPlayed halved = PlaySync(*image, Synchronous, 50);
    EXPECT_EQ(halved.Record.Waits, (std::vector<int>{24, 600, 600}));
}

TEST(PlayerTiming, DelaysAreBoundedByTheUnitRules)
{
    auto image = MakeAnimation(2, 2, {Full(2, 1, 1, 0), Full(2, 2, 1, 1), Full(2, 3, 1, 2), Full(2, 4, 1, 1200),
                                      Full(2, 5, 1, 4)});
    // No delay waits the default 10 units; 1 and 2 become 3; a synchronous
    // player cuts 1200 to 1000.
    EXPECT_EQ(PlaySync(*image).Record.Waits, (std::vector<int>{12, 120, 36, 36, 12000}));

    TPlayRecord record;
    record.Attach(*image);
    auto clock = std::make_shared<TVirtualClock>();
    image->PlayClock = clock;
    TTestCanvas canvas(2, 2);
    TGIFPainter* player = nullptr;
    image->StartPlayer(&player, *canvas.Canvas, paintAsync | paintAnimate, canvas.Canvas->ClipRect());
    ASSERT_NE(player, nullptr);
    player->Resume();
    ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
    // A threaded player starts without waiting and keeps long delays.
    EXPECT_EQ(record.Waits, (std::vector<int>{0, 120, 36, 36, 14400}));
    EXPECT_EQ(clock->Waits(), (std::vector<int>{120, 36, 36, 14400}));
}

TEST(PlayerTiming, LateFramesShortenTheNextWait)
{
    auto image = MakeAnimation(2, 2, {Full(2, 1, 1, 25), Full(2, 2, 1, 25), Full(2, 3, 1, 25)});
    auto clock = std::make_shared<TVirtualClock>();
    image->PlayClock = clock;
    TPlayRecord record;
    record.Attach(*image);
    // Every frame costs 40 ms beyond its wait: half of it comes off the next.
    record.AfterFrame = [&](TGIFPainter&) { clock->Advance(40); };
    TTestCanvas canvas(2, 2);
    image->StartPlayer(nullptr, *canvas.Canvas, Synchronous, canvas.Canvas->ClipRect());
    EXPECT_EQ(record.Waits, (std::vector<int>{12, 280, 280}));
}

TEST(PlayerTiming, SpeedZeroAndNegative)
{
    auto image = MakeAnimation(2, 2, {Full(2, 1, 1, 5), Full(2, 2, 1, 5), Full(2, 3, 1, 5)});
    // A synchronous player waits the longest delay at speed 0 or below.
    EXPECT_EQ(PlaySync(*image, Synchronous, 0).Record.Waits, (std::vector<int>{12000, 12000, 12000}));

    // Threaded at a negative speed: no waiting at all.
    {
        TPlayRecord record;
        record.Attach(*image);
        auto clock = std::make_shared<TVirtualClock>();
        image->PlayClock = clock;
        image->PlaySpeed = -1;
        TTestCanvas canvas(2, 2);
        TGIFPainter* player = nullptr;
        image->StartPlayer(&player, *canvas.Canvas, Threaded, canvas.Canvas->ClipRect())->Resume();
        ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
        EXPECT_EQ(record.Frames, (std::vector<int>{0, 1, 2}));
        EXPECT_TRUE(clock->Waits().empty());
        EXPECT_TRUE(clock->Sleeps().empty());
    }
    // Threaded at speed 0: the first frame stays until the player is stopped.
    {
        TPlayRecord record;
        record.Attach(*image);
        auto clock = std::make_shared<TVirtualClock>();
        image->PlayClock = clock;
        image->PlaySpeed = 0;
        TTestCanvas canvas(2, 2);
        TGIFPainter* player = nullptr;
        image->StartPlayer(&player, *canvas.Canvas, Threaded, canvas.Canvas->ClipRect())->Resume();
        ASSERT_TRUE(DrainUntil([&] { return clock->Waits().size() == 1; }));
        EXPECT_EQ(clock->Waits(), std::vector<int>{-1});
        EXPECT_EQ(record.Frames, std::vector<int>{0});
        image->StopPlayer(player);
        ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
        EXPECT_EQ(record.Frames, std::vector<int>{0});
        EXPECT_EQ(record.Events.back(), "end");
    }
}

TEST(PlayerLoops, LoopCountPlaysOneMoreTimeFromTheLoopFrame)
{
    auto twice = MakeAnimation(2, 2, {{0, 0, 2, 2, 1, 1, 0, -1, 2}, Full(2, 2, 1)});
    TPlayed played = PlaySync(*twice);
    EXPECT_EQ(played.Record.Frames, (std::vector<int>{0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(played.Record.Events.back(), "end");
    EXPECT_EQ(std::count(played.Record.Events.begin(), played.Record.Events.end(), "repeat"), 2);

    // Repetitions restart at the frame that holds the loop extension.
    auto late = MakeAnimation(2, 2, {Full(2, 1, 1), {0, 0, 2, 2, 2, 1, 0, -1, 1}, Full(2, 3, 1)});
    EXPECT_EQ(PlaySync(*late).Record.Frames, (std::vector<int>{0, 1, 2, 1, 2}));

    // Without paintLoop the animation plays once whatever its count says.
    EXPECT_EQ(PlaySync(*twice, paintAnimate).Record.Frames, (std::vector<int>{0, 1}));
}

TEST(PlayerLoops, ForeverMeansOnceWhenSynchronous)
{
    auto forever = MakeAnimation(2, 2, {{0, 0, 2, 2, 1, 1, 0, -1, 0}, Full(2, 2, 1)});
    EXPECT_EQ(PlaySync(*forever).Record.Frames, (std::vector<int>{0, 1}));

    // Threaded, loop count 0 repeats until stopped.
    TPlayRecord record;
    record.Attach(*forever);
    record.AfterFrame = [&](TGIFPainter& player) {
        if (record.Frames.size() == 7)
            player.Stop();
    };
    forever->PlaySpeed = -1;
    TTestCanvas canvas(2, 2);
    TGIFPainter* player = nullptr;
    forever->StartPlayer(&player, *canvas.Canvas, Threaded, canvas.Canvas->ClipRect())->Resume();
    ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
    EXPECT_EQ(record.Frames, (std::vector<int>{0, 1, 0, 1, 0, 1, 0}));

    // paintLoopForever repeats an animation without a loop extension.
    auto plain = MakeAnimation(2, 2, {Full(2, 1, 1), Full(2, 2, 1)});
    TPlayRecord looping;
    looping.Attach(*plain);
    looping.AfterFrame = [&](TGIFPainter& p) {
        if (looping.Frames.size() == 5)
            p.Stop();
    };
    TTestCanvas other(2, 2);
    plain->PlayClock = std::make_shared<TVirtualClock>();
    plain->StartPlayer(nullptr, *other.Canvas, Synchronous | paintLoopForever, other.Canvas->ClipRect());
    EXPECT_EQ(looping.Frames, (std::vector<int>{0, 1, 0, 1, 0}));
}

TEST(PlayerCallbacks, AfterFrameMayJumpAndOneFrameNeverStartsAThread)
{
    auto image = MakeAnimation(2, 2, {Full(2, 1, 1), Full(2, 2, 1), Full(2, 3, 1), Full(2, 4, 1)});
    TPlayed played;
    image->PlayClock = played.Clock;
    played.Record.Attach(*image);
    played.Record.AfterFrame = [](TGIFPainter& player) {
        if (player.ActiveFrame == 0)
            player.ActiveFrame = 2;
    };
    TTestCanvas canvas(2, 2);
    image->StartPlayer(nullptr, *canvas.Canvas, Synchronous, canvas.Canvas->ClipRect());
    EXPECT_EQ(played.Record.Frames, (std::vector<int>{0, 2, 3}));

    auto single = MakeAnimation(2, 2, {Full(2, 3)});
    TPlayRecord record;
    record.Attach(*single);
    TTestCanvas target(2, 2);
    TGIFPainter* owner = reinterpret_cast<TGIFPainter*>(1);
    EXPECT_EQ(single->StartPlayer(&owner, *target.Canvas, Threaded, target.Canvas->ClipRect()), nullptr);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(record.Events, (std::vector<std::string>{"start", "frame 0", "end"}));
    EXPECT_EQ(target.At(1, 1), Rgb(3));
    EXPECT_EQ(single->PlayerCount(), 0);

    // An empty rectangle or document starts nothing.
    EXPECT_EQ(image->StartPlayer(&owner, *target.Canvas, Threaded, {1, 1, 1, 2}), nullptr);
    TGIFImage empty;
    EXPECT_EQ(empty.StartPlayer(&owner, *target.Canvas, Threaded, target.Canvas->ClipRect()), nullptr);
}

TEST(PlayerErrors, AnErrorEndsThePlayerAndReachesTheCaller)
{
    auto image = MakeAnimation(2, 2, {Full(2, 1, 1), Full(2, 2, 1)});
    image->PlayClock = std::make_shared<TVirtualClock>();
    int ends = 0;
    image->OnPlayEnd = [&](TGIFPainter&) { ++ends; };
    image->OnAfterFrame = [](TGIFPainter&) { throw std::runtime_error("callback failed"); };
    TTestCanvas canvas(2, 2);
    try {
        image->StartPlayer(nullptr, *canvas.Canvas, Synchronous, canvas.Canvas->ClipRect());
        ADD_FAILURE() << "the error was lost";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "callback failed");
    }
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(image->PlayerCount(), 0);

    // A threaded player's error goes to the warning handler when it ends.
    std::vector<std::string> warnings;
    image->WarningHandler = [&](TGIFImage&, TGIFItem*, int, const std::string& message) {
        warnings.push_back(message);
    };
    TGIFPainter* player = nullptr;
    image->StartPlayer(&player, *canvas.Canvas, Threaded, canvas.Canvas->ClipRect())->Resume();
    ASSERT_TRUE(DrainUntil([&] { return player == nullptr; }));
    EXPECT_EQ(warnings, std::vector<std::string>{"callback failed"});
}

} // namespace
} // namespace fl::test
