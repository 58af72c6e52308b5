// The manual-reset event, worker threads and the millisecond clocks, as the device and
// session layers rely on them (kernel events and the tick counters on Windows).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/ManualResetEvent.h"
#include "platform/WorkerThread.h"

namespace pixora {
namespace {

TEST(ManualResetEvent, StaysSetUntilResetAndStartsAsAsked) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(5));

    event.Set();
    // Manual reset: every wait passes until Reset, not just the first.
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(-1));
    EXPECT_TRUE(event.Wait(0));
    event.Set();  // setting twice is harmless
    EXPECT_TRUE(event.IsSet());

    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.IsSet());

    ManualResetEvent startsSet(true);
    EXPECT_TRUE(startsSet.IsSet());
    EXPECT_TRUE(startsSet.Wait(0));
}

TEST(ManualResetEvent, OneSetReleasesEveryWaiter) {
    ManualResetEvent event;
    ManualResetEvent allWaiting;
    constexpr int kWaiters = 4;
    std::atomic<int> waiting{0};
    std::atomic<int> released{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kWaiters; ++i) {
        threads.emplace_back([&] {
            if (++waiting == kWaiters)
                allWaiting.Set();
            if (event.Wait(-1))
                ++released;
        });
    }
    ASSERT_TRUE(allWaiting.Wait(-1));
    event.Set();
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(released.load(), kWaiters);
}

TEST(ManualResetEvent, WaitWithATimeOutEndsUnsetWhenNobodySets) {
    ManualResetEvent event;
    EXPECT_FALSE(event.Wait(20));
    EXPECT_FALSE(event.IsSet());
}

TEST(WorkerThread, RunsTheBodyOnAnotherThread) {
    std::atomic<bool> ran{false};
    std::thread::id bodyThread;
    std::unique_ptr<std::thread> worker = StartWorkerThread([&] {
        bodyThread = std::this_thread::get_id();
        ran = true;
    });
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(worker->joinable());
    worker->join();
    EXPECT_TRUE(ran.load());
    EXPECT_NE(bodyThread, std::this_thread::get_id());
}

TEST(WorkerThread, TheBodyOwnsWhatItCaptured) {
    auto shared = std::make_shared<int>(7);
    std::weak_ptr<int> watch = shared;
    std::atomic<int> seen{0};
    auto worker = StartWorkerThread([owned = std::move(shared), &seen] { seen = *owned; });
    ASSERT_NE(worker, nullptr);
    worker->join();
    EXPECT_EQ(seen.load(), 7);
    worker.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(Clock, BothCountersAdvanceInMilliseconds) {
    const uint32_t tickStart = TickCount();
    const uint32_t timeStart = TimeGetTime();
    SleepMs(0);  // nothing, or less, only yields
    SleepMs(-5);
    SleepMs(50);
    // Unsigned differences stay right across the 2^32 wrap. The upper bound only tells
    // milliseconds from microseconds; it is no speed requirement.
    const uint32_t tickElapsed = TickCount() - tickStart;
    const uint32_t timeElapsed = TimeGetTime() - timeStart;
    EXPECT_GT(tickElapsed, 0u);
    EXPECT_LT(tickElapsed, 60000u);
    EXPECT_GT(timeElapsed, 0u);
    EXPECT_LT(timeElapsed, 60000u);
}

}  // namespace
}  // namespace pixora
