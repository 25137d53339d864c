// SPDX-License-Identifier: GPL-3.0-or-later
// Synchronized calls: every drawing step and callback of a player thread runs
// on the main (user-interface) thread. A worker queues the call and waits for
// it; the main thread drains the queue, from its event loop (OnWakeMainThread
// tells the loop that work arrived) or from a wait of its own, so that a main
// thread waiting for a worker can never deadlock with it.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace fl {

class TSyncQueue {
public:
    // The thread that creates the queue is its main thread.
    TSyncQueue();

    void SetMainThread(std::thread::id id = std::this_thread::get_id());
    bool IsMainThread() const;

    // Runs the call on the main thread and waits until it has run; on the
    // main thread it runs at once. An exception thrown by the call is raised
    // again in the caller.
    void Synchronize(const std::function<void()>& call);

    // Main thread: runs every pending call in arrival order; answers whether
    // any ran.
    bool Drain();
    // Main thread: waits at most ms milliseconds for a call to arrive, then
    // drains; answers whether any call ran.
    bool WaitAndDrain(int ms);

    // Drains, then lets the application handle its own pending events
    // (OnProcessMessages), as a long wait on the main thread must.
    void ProcessMessages();

    // A request to end the application seen while the main thread waited:
    // waits end early and the request stays posted for the event loop.
    void PostQuit();
    bool QuitPosted() const;
    void ClearQuit();

    // Called from any thread when a call is queued; the event loop posts a
    // Drain in answer. Set it before workers start.
    std::function<void()> OnWakeMainThread;
    // The application's own event processing for ProcessMessages.
    std::function<void()> OnProcessMessages;

private:
    struct TRequest {
        const std::function<void()>* Call;
        std::exception_ptr Error;
        bool Done = false;
    };

    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::condition_variable finished_;
    std::deque<TRequest*> pending_;
    std::thread::id mainThread_;
    bool quit_ = false;
};

// The program's queue; its main thread is the one that first asks for it
// (the program asks at start-up).
TSyncQueue& MainSyncQueue();

} // namespace fl
