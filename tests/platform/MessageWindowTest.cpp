#include "platform/MessageWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ManualResetEvent.h"

namespace pixora {
namespace {

TEST(MessageWindow, DeliversPostedMessagesInOrder) {
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(PixoraMsg_Pending(window), 0);
    EXPECT_TRUE(PostAppMessage(window, PIXORA_WM_ERROR, 0, 9));
    EXPECT_TRUE(PostAppMessage(window, PIXORA_WM_FRAME, 1234, -1));
    EXPECT_EQ(PixoraMsg_Pending(window), 2);

    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(window, &msg, 0), 1);
    EXPECT_EQ(msg.window, window);
    EXPECT_EQ(msg.message, PIXORA_WM_ERROR);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 9);
    ASSERT_EQ(PixoraMsg_Get(window, &msg, 0), 1);
    EXPECT_EQ(msg.message, PIXORA_WM_FRAME);
    EXPECT_EQ(msg.wParam, 1234u);
    EXPECT_EQ(msg.lParam, -1);
    EXPECT_EQ(PixoraMsg_Get(window, &msg, 10), 0);
    EXPECT_EQ(PixoraMsg_DestroyWindow(window), 1);
}

TEST(MessageWindow, AnythingButALiveWindowIsRefusedUntouched) {
    PixoraMessage msg{};
    int something = 0;
    const auto notAWindow = reinterpret_cast<PIXORA_HWND>(&something);
    EXPECT_FALSE(PostAppMessage(nullptr, PIXORA_WM_ERROR, 0, 1));
    EXPECT_FALSE(PostAppMessage(notAWindow, PIXORA_WM_ERROR, 0, 1));
    EXPECT_EQ(PixoraMsg_Get(nullptr, &msg, 0), -1);
    EXPECT_EQ(PixoraMsg_Get(notAWindow, &msg, 0), -1);
    EXPECT_EQ(PixoraMsg_DestroyWindow(notAWindow), 0);
    EXPECT_EQ(PixoraMsg_Pending(nullptr), -1);

    PIXORA_HWND window = PixoraMsg_CreateWindow();
    EXPECT_EQ(PixoraMsg_Get(window, nullptr, 0), -1);
    EXPECT_EQ(PixoraMsg_DestroyWindow(window), 1);
    EXPECT_EQ(PixoraMsg_DestroyWindow(window), 0);
    EXPECT_EQ(PixoraMsg_Post(window, PIXORA_WM_ERROR, 0, 1), 0);
    EXPECT_EQ(PixoraMsg_Get(window, &msg, 0), -1);
}

TEST(MessageWindow, QueueStopsAtItsLimit) {
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    for (int i = 0; i < kMessageQueueLimit; ++i) {
        ASSERT_TRUE(PostAppMessage(window, PIXORA_WM_FRAME, 0, i));
    }
    EXPECT_FALSE(PostAppMessage(window, PIXORA_WM_FRAME, 0, -1));
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(window, &msg, 0), 1);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_TRUE(PostAppMessage(window, PIXORA_WM_FRAME, 0, -1));
    PixoraMsg_DestroyWindow(window);
}

TEST(MessageWindow, WorkersPostWhileTheApplicationReads) {
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([=] {
            for (int i = 0; i < kEach; ++i) {
                while (!PostAppMessage(window, PIXORA_WM_FRAME, static_cast<uintptr_t>(t), i)) {
                    std::this_thread::yield();
                }
            }
        });
    }
    std::vector<int> next(kThreads, 0);
    for (int received = 0; received < kThreads * kEach; ++received) {
        PixoraMessage msg{};
        ASSERT_EQ(PixoraMsg_Get(window, &msg, -1), 1);
        // Each worker's messages arrive in the order it posted them.
        EXPECT_EQ(msg.lParam, next[msg.wParam]++);
    }
    for (auto& w : workers)
        w.join();
    PixoraMessage msg{};
    EXPECT_EQ(PixoraMsg_Get(window, &msg, 0), 0);
    PixoraMsg_DestroyWindow(window);
}

TEST(MessageWindow, DestroyWakesABlockedReader) {
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    std::atomic<int> result{99};
    std::thread reader([&] {
        PixoraMessage msg{};
        result = PixoraMsg_Get(window, &msg, -1);
    });
    while (PixoraMsg_Pending(window) != 0) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PixoraMsg_DestroyWindow(window);
    reader.join();
    EXPECT_EQ(result.load(), -1);
}

TEST(ManualResetEvent, StaysSetUntilResetAndReleasesEveryWaiter) {
    ManualResetEvent event;
    EXPECT_FALSE(event.Wait(0));
    EXPECT_FALSE(event.Wait(5));
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            if (event.Wait())
                ++woken;
        });
    }
    event.Set();
    for (auto& w : waiters)
        w.join();
    EXPECT_EQ(woken.load(), 3);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

}  // namespace
}  // namespace pixora
