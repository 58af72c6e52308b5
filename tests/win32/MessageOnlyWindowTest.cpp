// Message windows on Windows are real message-only windows: the library posts to them with
// PostMessageA, as to any application window, and PixoraMsg_Get reads them from any thread.
#include <windows.h>
// <windows.h> maps this name to PostThreadMessage; the library's function is meant here.
#undef PostAppMessage

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "PixoraPlatform.h"
#include "platform/MessageWindow.h"

namespace pixora {
namespace {

constexpr uint32_t kMessage = PIXORA_WM_FRAME;

HWND Hwnd(PIXORA_HWND window) {
    return reinterpret_cast<HWND>(window);
}

class MessageOnlyWindow : public ::testing::Test {
protected:
    void SetUp() override { window_ = PixoraMsg_CreateWindow(); }
    void TearDown() override {
        if (window_ != nullptr)
            PixoraMsg_DestroyWindow(window_);
    }
    PIXORA_HWND window_ = nullptr;
};

TEST_F(MessageOnlyWindow, IsARealWindowUnderTheMessageOnlyParent) {
    ASSERT_NE(window_, nullptr);
    EXPECT_TRUE(IsWindow(Hwnd(window_)));
    char name[64] = {};
    ASSERT_GT(GetClassNameA(Hwnd(window_), name, sizeof name), 0);
    // Only message-only windows are found below HWND_MESSAGE.
    bool found = false;
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, name, nullptr); w != nullptr;
         w = FindWindowExA(HWND_MESSAGE, w, name, nullptr)) {
        found = found || w == Hwnd(window_);
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(IsWindowVisible(Hwnd(window_)));
    // Owned by the library's thread, not by the one that asked for it.
    EXPECT_NE(GetWindowThreadProcessId(Hwnd(window_), nullptr), GetCurrentThreadId());
}

TEST_F(MessageOnlyWindow, MessagesPostedByTheApplicationWithPostMessageArrive) {
    ASSERT_TRUE(PostMessageA(Hwnd(window_), kMessage, 7, -9));
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(window_, &msg, 5000), 1);
    EXPECT_EQ(msg.window, window_);
    EXPECT_EQ(msg.message, kMessage);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(msg.lParam, -9);
}

TEST_F(MessageOnlyWindow, APostIsReadableAtOnceWithoutWaiting) {
    ASSERT_EQ(PixoraMsg_Post(window_, kMessage, 1, 2), 1);
    EXPECT_EQ(PixoraMsg_Pending(window_), 1);
    PixoraMessage msg{};
    EXPECT_EQ(PixoraMsg_Get(window_, &msg, 0), 1);
    EXPECT_EQ(PixoraMsg_Get(window_, &msg, 0), 0);
    EXPECT_EQ(PixoraMsg_Pending(window_), 0);
}

TEST_F(MessageOnlyWindow, PostsFromManyThreadsAllArriveInEachThreadsOrder) {
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> posters;
    std::atomic<int> refused{0};
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                if (!PostAppMessage(window_, kMessage, static_cast<uintptr_t>(t), i))
                    ++refused;
            }
        });
    }
    std::map<uintptr_t, intptr_t> next;
    int received = 0;
    bool ordered = true;
    PixoraMessage msg{};
    while (received < kThreads * kEach && PixoraMsg_Get(window_, &msg, 5000) == 1) {
        ordered = ordered && msg.lParam == next[msg.wParam];
        next[msg.wParam] = msg.lParam + 1;
        ++received;
    }
    for (std::thread& t : posters)
        t.join();
    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(received, kThreads * kEach);
    EXPECT_TRUE(ordered);
}

TEST_F(MessageOnlyWindow, DestroyWakesABlockedReaderAndEndsTheWindow) {
    std::atomic<int32_t> result{2};
    std::thread reader([&] {
        PixoraMessage msg{};
        result = PixoraMsg_Get(window_, &msg, -1);
    });
    // The reader may block before or after the destroy; either way it must return -1.
    HWND hwnd = Hwnd(window_);
    EXPECT_EQ(PixoraMsg_DestroyWindow(window_), 1);
    reader.join();
    EXPECT_EQ(result.load(), -1);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(PixoraMsg_Post(window_, kMessage, 0, 0), 0);
    EXPECT_EQ(PixoraMsg_Pending(window_), -1);
    EXPECT_EQ(PixoraMsg_DestroyWindow(window_), 0);
    window_ = nullptr;
}

TEST_F(MessageOnlyWindow, QueueIsBoundedUntilTheReaderCatchesUp) {
    int posted = 0;
    while (posted <= kMessageQueueLimit && PixoraMsg_Post(window_, kMessage, 0, posted) == 1)
        ++posted;
    EXPECT_EQ(posted, kMessageQueueLimit);
    EXPECT_EQ(PixoraMsg_Pending(window_), kMessageQueueLimit);
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(window_, &msg, 5000), 1);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_EQ(PixoraMsg_Post(window_, kMessage, 0, posted), 1);
    EXPECT_EQ(PixoraMsg_Post(window_, kMessage, 0, posted + 1), 0);
}

// An application window of the test thread's own, read with PeekMessage (message-only too,
// so that the suite needs no display).
class ApplicationWindow : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PixoraTestApplicationWindow";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "app", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(ApplicationWindow, LibraryPostsReachAnyRealWindow) {
    auto* target = reinterpret_cast<PIXORA_HWND>(window_);
    EXPECT_FALSE(IsMessageWindow(target));
    std::thread worker([&] { EXPECT_TRUE(PostAppMessage(target, kMessage, 3, 4)); });
    worker.join();
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, window_, kMessage, kMessage, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(msg.lParam, 4);
}

TEST_F(ApplicationWindow, PostsToNoWindowAreDropped) {
    EXPECT_FALSE(PostAppMessage(nullptr, kMessage, 0, 0));
    // Never every top-level window at once.
    EXPECT_FALSE(PostAppMessage(reinterpret_cast<PIXORA_HWND>(HWND_BROADCAST), kMessage, 0, 0));
    HWND gone = CreateWindowExA(0, "PixoraTestApplicationWindow", "gone", 0, 0, 0, 0, 0,
                                HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(PostAppMessage(reinterpret_cast<PIXORA_HWND>(gone), kMessage, 0, 0));
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, kMessage, kMessage, PM_REMOVE));
    PixoraMessage out{};
    EXPECT_EQ(PixoraMsg_Get(reinterpret_cast<PIXORA_HWND>(window_), &out, 0), -1);
    EXPECT_EQ(PixoraMsg_Get(nullptr, &out, 0), -1);
}

}  // namespace
}  // namespace pixora
