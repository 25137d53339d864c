// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace fl {

void TEvent::Set()
{
    // Notifying under the lock: a waiter that wakes may destroy the event at
    // once, so the event must not be touched after the lock is released.
    std::lock_guard<std::mutex> guard(lock_);
    set_ = true;
    signal_.notify_one();
}

bool TEvent::TryConsume()
{
    std::lock_guard<std::mutex> guard(lock_);
    const bool was = set_;
    set_ = false;
    return was;
}

bool TEvent::WaitFor(int ms)
{
    std::unique_lock<std::mutex> guard(lock_);
    // The predicate forms re-check the flag after every wake-up, spurious
    // ones included.
    const auto isSet = [this] { return set_; };
    if (ms < 0)
        signal_.wait(guard, isSet);
    else if (!signal_.wait_for(guard, std::chrono::milliseconds(ms), isSet))
        return false;
    set_ = false;
    return true;
}

namespace {

class TSystemClock final : public TClock {
public:
    int64_t NowMs() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    bool WaitFor(TEvent& event, int ms) override { return event.WaitFor(ms); }
    void Sleep(int ms) override
    {
        if (ms > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void YieldThread() override { std::this_thread::yield(); }
};

} // namespace

std::shared_ptr<TClock> SystemClock()
{
    static const std::shared_ptr<TClock> clock = std::make_shared<TSystemClock>();
    return clock;
}

bool TVirtualClock::WaitFor(TEvent& event, int ms)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        waits_.push_back(ms);
    }
    if (ms < 0)
        return event.WaitFor(-1);
    if (event.TryConsume())
        return true;
    now_ += ms;
    return false;
}

void TVirtualClock::Sleep(int ms)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        sleeps_.push_back(ms);
    }
    // Time never goes back, whatever a caller asks for.
    if (ms > 0)
        now_ += ms;
}

void TVirtualClock::YieldThread()
{
    // Moves no time: the thread that is waited for still has to run for real.
    std::this_thread::yield();
}

std::vector<int> TVirtualClock::Waits() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return waits_;
}

std::vector<int> TVirtualClock::Sleeps() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return sleeps_;
}

} // namespace fl
