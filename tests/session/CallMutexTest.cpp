// The session's call lock: taken again by the thread holding it, and handed to the calls
// in the order they came, so that a thread calling back to back cannot keep another
// waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "session/CallMutex.h"

namespace pixora {
namespace {

void WaitUntilQueued(CallMutex& lock, int count) {
    while (lock.Waiting() < count)
        std::this_thread::yield();
}

TEST(CallMutex, TheThreadHoldingItTakesItAgainAndOthersWaitForTheLastRelease) {
    CallMutex lock;
    lock.lock();
    lock.lock();
    EXPECT_TRUE(lock.try_lock());
    std::atomic<bool> taken{false};
    std::thread other([&] {
        EXPECT_FALSE(lock.try_lock());
        lock.lock();
        taken = true;
        lock.unlock();
    });
    WaitUntilQueued(lock, 1);
    lock.unlock();
    lock.unlock();
    EXPECT_FALSE(taken.load());
    lock.unlock();
    other.join();
    EXPECT_TRUE(taken.load());
    EXPECT_TRUE(lock.try_lock());
    lock.unlock();
}

// The holder lets the lock go and asks for it again at once, as a thread calling the library
// in a loop does: every call queued meanwhile is served first, in its order.
TEST(CallMutex, CallsAreServedInTheOrderTheyCame) {
    CallMutex lock;
    std::mutex orderMutex;
    std::vector<int> order;
    lock.lock();
    std::vector<std::thread> callers;
    for (int caller = 1; caller <= 3; ++caller) {
        callers.emplace_back([&, caller] {
            lock.lock();
            {
                std::lock_guard guard(orderMutex);
                order.push_back(caller);
            }
            lock.unlock();
        });
        WaitUntilQueued(lock, caller);
    }
    lock.unlock();
    lock.lock();  // behind the three
    {
        std::lock_guard guard(orderMutex);
        order.push_back(0);
    }
    lock.unlock();
    for (std::thread& caller : callers)
        caller.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(lock.Waiting(), 0);
}

// What a modal dialog does: the holder lets go part-way and takes it again, in its turn.
TEST(CallMutex, AHolderThatLetsGoPartWayQueuesAgainBehindTheCallsThatCame) {
    CallMutex lock;
    SessionCallLock call(lock);
    std::atomic<bool> ran{false};
    std::thread other([&] {
        std::lock_guard guard(lock);
        ran = true;
    });
    WaitUntilQueued(lock, 1);
    call.unlock();
    call.lock();
    EXPECT_TRUE(ran.load());
    call.unlock();
    other.join();
}

}  // namespace
}  // namespace pixora
