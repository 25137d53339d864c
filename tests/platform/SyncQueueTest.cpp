// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/SyncQueue.h"

namespace {

using fl::TSyncQueue;

TEST(SyncQueue, WorkerCallsRunOnTheMainThreadInOrder)
{
    TSyncQueue queue;
    std::atomic<int> wakes{0};
    queue.OnWakeMainThread = [&wakes] { ++wakes; };
    const auto mainId = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnMain = true;
    std::string error;

    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            queue.Synchronize([&, i] {
                allOnMain = allOnMain && std::this_thread::get_id() == mainId;
                // From the main thread a synchronized call runs at once, even inside another.
                queue.Synchronize([&order, i] { order.push_back(i); });
            });
        try {
            queue.Synchronize([] { throw std::runtime_error("from the call"); });
        } catch (const std::runtime_error& e) {
            error = e.what();
        }
        queue.Synchronize([&order] { order.push_back(99); });
    });
    while (order.size() < 6)
        queue.WaitAndDrain(60000);
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 99}));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(error, "from the call") << "the call's exception reaches the worker";
    EXPECT_EQ(wakes.load(), 7);
    EXPECT_FALSE(queue.Drain()) << "nothing left";
}

TEST(SyncQueue, MainThreadOnlyAndQuitEndsWaits)
{
    TSyncQueue queue;
    int processed = 0;
    queue.OnProcessMessages = [&processed] { ++processed; };
    queue.ProcessMessages();
    EXPECT_EQ(processed, 1);

    bool refused = false;
    std::thread other([&] {
        try {
            queue.Drain();
        } catch (const std::logic_error&) {
            refused = true;
        }
        queue.PostQuit();
    });
    // Ends when the quit arrives (the limit is far beyond any test's run time).
    const auto start = std::chrono::steady_clock::now();
    while (!queue.QuitPosted())
        EXPECT_FALSE(queue.WaitAndDrain(60000));
    other.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_TRUE(refused);
    EXPECT_FALSE(queue.WaitAndDrain(60000)) << "a posted quit stays posted and keeps waits short";
    queue.ClearQuit();
    EXPECT_FALSE(queue.QuitPosted());
    EXPECT_FALSE(queue.WaitAndDrain(0));

    queue.SetMainThread(std::thread::id());
    EXPECT_FALSE(queue.IsMainThread());
    EXPECT_THROW(queue.Drain(), std::logic_error);
}

TEST(SyncQueue, ManyWorkersLoseNoCall)
{
    TSyncQueue queue;
    constexpr int kWorkers = 8, kCalls = 200;
    std::vector<std::vector<int>> seen(kWorkers); // touched on the main thread only
    int total = 0;
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < kCalls; ++i)
                queue.Synchronize([&, w, i] {
                    seen[size_t(w)].push_back(i);
                    ++total;
                });
        });
    // The limit only guards against a lost wake-up hanging the test.
    const auto start = std::chrono::steady_clock::now();
    while (total < kWorkers * kCalls)
        queue.WaitAndDrain(60000);
    for (auto& t : workers)
        t.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    for (int w = 0; w < kWorkers; ++w) {
        ASSERT_EQ(seen[size_t(w)].size(), size_t(kCalls));
        for (int i = 0; i < kCalls; ++i)
            ASSERT_EQ(seen[size_t(w)][size_t(i)], i) << "worker " << w;
    }
}

TEST(SyncQueue, MainQueueBelongsToItsFirstCaller)
{
    fl::TSyncQueue& queue = fl::MainSyncQueue();
    EXPECT_EQ(&queue, &fl::MainSyncQueue());
    bool ranAtOnce = false;
    if (queue.IsMainThread())
        queue.Synchronize([&ranAtOnce] { ranAtOnce = true; });
    else
        ranAtOnce = true; // another test asked first on another thread; nothing to check here
    EXPECT_TRUE(ranAtOnce);
}

} // namespace
