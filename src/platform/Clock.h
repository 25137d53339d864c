// SPDX-License-Identifier: GPL-3.0-or-later
// Time for the player: a millisecond clock with the waits it uses, behind an
// interface so that tests run playback on a virtual clock and never sleep.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace fl {

// An auto-reset event: Set wakes one wait, which consumes the signal.
class TEvent {
public:
    void Set();
    // Consumes the signal when it is set; never blocks.
    bool TryConsume();
    // Waits until the event is set (consuming it) or ms milliseconds pass;
    // a negative ms waits without limit. Answers whether it was set.
    bool WaitFor(int ms);

private:
    std::mutex lock_;
    std::condition_variable signal_;
    bool set_ = false;
};

class TClock {
public:
    virtual ~TClock() = default;
    // Milliseconds since some fixed start; never goes back.
    virtual int64_t NowMs() = 0;
    // Waits for the event for at most ms milliseconds (negative: no limit);
    // answers whether the event was set rather than the time running out.
    virtual bool WaitFor(TEvent& event, int ms) = 0;
    virtual void Sleep(int ms) = 0;
    // Gives the processor to other threads once.
    virtual void YieldThread() = 0;
};

// The real clock (steady, monotonic).
std::shared_ptr<TClock> SystemClock();

// A clock whose time moves only when a wait, a sleep or Advance moves it.
// A timed wait returns at once, the time moved on by its length, unless the
// event is already set; a wait without limit blocks for real until the event
// is set, since nothing else could end it. Every wait and sleep is recorded.
class TVirtualClock final : public TClock {
public:
    int64_t NowMs() override { return now_.load(); }
    bool WaitFor(TEvent& event, int ms) override;
    void Sleep(int ms) override;
    void YieldThread() override;

    void Advance(int64_t ms) { now_ += ms; }
    // The lengths asked of WaitFor (negative: no limit) and Sleep, in order.
    std::vector<int> Waits() const;
    std::vector<int> Sleeps() const;

private:
    std::atomic<int64_t> now_{0};
    mutable std::mutex lock_;
    std::vector<int> waits_;
    std::vector<int> sleeps_;
};

} // namespace fl
