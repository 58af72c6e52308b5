// The log handler: messages reach the handler installed, with their level, one call at a
// time whatever the threads; nothing reaches a removed or replaced handler once the change
// has returned; a handler cannot change the handler or re-enter the log.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Log.h"

namespace pixora {
namespace {

struct Received {
    std::mutex mutex;
    std::vector<std::pair<int32_t, std::string>> messages;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
};

void Keep(int32_t level, const char* text, void* context) {
    auto* received = static_cast<Received*>(context);
    if (received->inside.fetch_add(1) != 0)
        received->overlaps.fetch_add(1);
    {
        std::lock_guard lock(received->mutex);
        received->messages.emplace_back(level, text);
    }
    std::this_thread::yield();
    received->inside.fetch_sub(1);
}

class LogHandler : public ::testing::Test {
protected:
    void TearDown() override { SetLogHandler(nullptr, nullptr); }
};

TEST_F(LogHandler, MessagesReachTheInstalledHandlerWithTheirLevelAndNothingElseDoes) {
    Log(LogLevel::Warning, "before any handler");
    Received received;
    ASSERT_TRUE(SetLogHandler(Keep, &received));
    Log(LogLevel::Warning, "settings file 'x' is not a regular file");
    Log(LogLevel::Error, std::string_view("an error and more", 8));
    ASSERT_TRUE(SetLogHandler(nullptr, nullptr));
    Log(LogLevel::Warning, "after the removal");
    ASSERT_EQ(received.messages.size(), 2u);
    EXPECT_EQ(received.messages[0].first, PIXORA_LOG_WARNING);
    EXPECT_EQ(received.messages[0].second, "settings file 'x' is not a regular file");
    EXPECT_EQ(received.messages[1].first, PIXORA_LOG_ERROR);
    EXPECT_EQ(received.messages[1].second, "an error");
}

TEST_F(LogHandler, CallsFromManyThreadsNeverOverlapAndNoneIsLost) {
    Received received;
    ASSERT_TRUE(SetLogHandler(Keep, &received));
    constexpr int kThreads = 6;
    constexpr int kEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i)
                Log(LogLevel::Info, "thread " + std::to_string(t));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(received.messages.size(), static_cast<size_t>(kThreads * kEach));
    EXPECT_EQ(received.overlaps.load(), 0);
}

// A replacement returns only once the handler's running call has ended, so the old
// handler's context may be freed at once.
TEST_F(LogHandler, AReplacementWaitsForTheRunningCallAndTheOldHandlerIsNeverCalledAgain) {
    struct Slow {
        std::atomic<bool> entered{false};
        std::atomic<bool> finished{false};
        std::atomic<int> calls{0};
    } slow;
    const auto slowHandler = [](int32_t, const char*, void* context) {
        auto* s = static_cast<Slow*>(context);
        s->calls.fetch_add(1);
        s->entered.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        s->finished.store(true);
    };
    ASSERT_TRUE(SetLogHandler(slowHandler, &slow));
    std::thread logger([] { Log(LogLevel::Warning, "slow"); });
    while (!slow.entered.load())
        std::this_thread::yield();
    Received received;
    ASSERT_TRUE(SetLogHandler(Keep, &received));
    EXPECT_TRUE(slow.finished.load());
    logger.join();
    Log(LogLevel::Warning, "to the new one");
    EXPECT_EQ(slow.calls.load(), 1);
    EXPECT_EQ(received.messages.size(), 1u);
}

TEST_F(LogHandler, InsideAHandlerTheHandlerCannotBeChangedAndTheLogIsNotReentered) {
    struct Nested {
        int calls = 0;
        bool changed = true;
    } nested;
    const auto handler = [](int32_t, const char*, void* context) {
        auto* n = static_cast<Nested*>(context);
        ++n->calls;
        n->changed = SetLogHandler(nullptr, nullptr);
        Log(LogLevel::Warning, "from inside");
    };
    ASSERT_TRUE(SetLogHandler(handler, &nested));
    Log(LogLevel::Warning, "outside");
    EXPECT_EQ(nested.calls, 1);
    EXPECT_FALSE(nested.changed);
    // Still installed.
    Log(LogLevel::Warning, "again");
    EXPECT_EQ(nested.calls, 2);
}

}  // namespace
}  // namespace pixora
