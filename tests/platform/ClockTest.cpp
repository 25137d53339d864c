// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/Clock.h"

namespace {

using fl::TEvent;
using fl::TVirtualClock;

TEST(Event, ResetsItselfWhenAWaitConsumesIt)
{
    TEvent event;
    EXPECT_FALSE(event.TryConsume());
    EXPECT_FALSE(event.WaitFor(0));
    event.Set();
    event.Set(); // signals do not add up
    EXPECT_TRUE(event.WaitFor(0));
    EXPECT_FALSE(event.WaitFor(0));
    event.Set();
    EXPECT_TRUE(event.TryConsume());
    EXPECT_FALSE(event.TryConsume());

    std::thread setter([&event] { event.Set(); });
    EXPECT_TRUE(event.WaitFor(-1)); // either order works: the signal stays until consumed
    setter.join();
    EXPECT_FALSE(event.TryConsume());
}

TEST(VirtualClock, TimedWaitsMoveTimeUnlessTheEventIsSet)
{
    TVirtualClock clock;
    TEvent event;
    EXPECT_FALSE(clock.WaitFor(event, 40));
    EXPECT_EQ(clock.NowMs(), 40);
    event.Set();
    EXPECT_TRUE(clock.WaitFor(event, 25));
    EXPECT_EQ(clock.NowMs(), 40) << "a set event ends the wait at once";
    EXPECT_FALSE(event.TryConsume()) << "and the wait consumed it";
    clock.Sleep(15);
    clock.Sleep(-3);
    clock.Advance(5);
    clock.YieldThread();
    EXPECT_EQ(clock.NowMs(), 60) << "a negative sleep never moves time back";

    // Nothing but another thread can end a wait without limit.
    std::thread setter([&event] { event.Set(); });
    EXPECT_TRUE(clock.WaitFor(event, -1));
    setter.join();
    EXPECT_EQ(clock.NowMs(), 60);
    EXPECT_EQ(clock.Waits(), (std::vector<int>{40, 25, -1}));
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{15, -3}));
}

TEST(Clock, SystemClockIsSharedAndMonotonic)
{
    const auto clock = fl::SystemClock();
    EXPECT_EQ(clock, fl::SystemClock());
    const int64_t before = clock->NowMs();
    TEvent event;
    event.Set();
    EXPECT_TRUE(clock->WaitFor(event, 60000)); // returns at once: the event is set
    EXPECT_FALSE(clock->WaitFor(event, 0));
    clock->Sleep(0);
    EXPECT_GE(clock->NowMs(), before);
}

} // namespace
