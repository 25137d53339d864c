// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SyncQueue.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace fl {

TSyncQueue::TSyncQueue() : mainThread_(std::this_thread::get_id())
{
}

void TSyncQueue::SetMainThread(std::thread::id id)
{
    std::lock_guard<std::mutex> guard(lock_);
    mainThread_ = id;
}

bool TSyncQueue::IsMainThread() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return mainThread_ == std::this_thread::get_id();
}

void TSyncQueue::Synchronize(const std::function<void()>& call)
{
    if (IsMainThread()) {
        call();
        return;
    }
    // The request lives on this thread's stack until the main thread marks
    // it done, so it must never be left in the queue when this returns.
    TRequest request{&call, nullptr, false};
    {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.push_back(&request);
        arrived_.notify_all();
    }
    // Outside the lock: the event loop's wake-up may take locks of its own.
    try {
        if (OnWakeMainThread)
            OnWakeMainThread();
    } catch (...) {
        std::unique_lock<std::mutex> guard(lock_);
        const auto it = std::find(pending_.begin(), pending_.end(), &request);
        if (it != pending_.end())
            pending_.erase(it);
        else // already taken by a drain: it must finish with the request first
            finished_.wait(guard, [&request] { return request.Done; });
        throw;
    }
    {
        std::unique_lock<std::mutex> guard(lock_);
        finished_.wait(guard, [&request] { return request.Done; });
    }
    if (request.Error)
        std::rethrow_exception(request.Error);
}

bool TSyncQueue::Drain()
{
    if (!IsMainThread())
        throw std::logic_error("TSyncQueue::Drain called outside the main thread");
    // Only the calls queued before the drain began: a worker that queues its
    // next call as soon as one is done would otherwise keep the main thread
    // here for good. Its wake-up asks the event loop for another drain.
    size_t budget;
    {
        std::lock_guard<std::mutex> guard(lock_);
        budget = pending_.size();
    }
    bool ran = false;
    for (; budget > 0; --budget) {
        TRequest* request;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (pending_.empty()) // a nested drain ran them
                break;
            request = pending_.front();
            pending_.pop_front();
        }
        // Without the lock: the call may queue work or drain in turn.
        try {
            (*request->Call)();
        } catch (...) {
            request->Error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> guard(lock_);
            request->Done = true;
            finished_.notify_all();
        }
        ran = true;
    }
    return ran;
}

bool TSyncQueue::WaitAndDrain(int ms)
{
    if (!IsMainThread())
        throw std::logic_error("TSyncQueue::WaitAndDrain called outside the main thread");
    {
        std::unique_lock<std::mutex> guard(lock_);
        // A negative time does not wait at all.
        if (ms > 0)
            arrived_.wait_for(guard, std::chrono::milliseconds(ms),
                              [this] { return !pending_.empty() || quit_; });
    }
    return Drain();
}

void TSyncQueue::ProcessMessages()
{
    Drain();
    if (OnProcessMessages)
        OnProcessMessages();
}

void TSyncQueue::PostQuit()
{
    std::lock_guard<std::mutex> guard(lock_);
    quit_ = true;
    arrived_.notify_all();
}

bool TSyncQueue::QuitPosted() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return quit_;
}

void TSyncQueue::ClearQuit()
{
    std::lock_guard<std::mutex> guard(lock_);
    quit_ = false;
}

TSyncQueue& MainSyncQueue()
{
    static TSyncQueue queue;
    return queue;
}

} // namespace fl
