#include "session/ErrorStack.h"

#include <gtest/gtest.h>

#include "platform/MessageWindow.h"

namespace pixora {
namespace {

TEST(ErrorStack, PopsMostRecentFirstThenZero) {
    ErrorStack stack;
    EXPECT_EQ(stack.Pop(), 0);
    stack.Record(ErrorCode::BadArgument);
    stack.Record(ErrorCode::BufferError);
    stack.Record(ErrorCode::DeviceNotFound);
    EXPECT_EQ(stack.Pop(), 2);
    EXPECT_EQ(stack.Pop(), 5);
    EXPECT_EQ(stack.Pop(), 9);
    EXPECT_EQ(stack.Pop(), 0);
}

TEST(ErrorStack, KeepsOnlyTheTwentyMostRecent) {
    ErrorStack stack;
    const ErrorCode codes[] = {ErrorCode::NoDevice, ErrorCode::DeviceNotFound,
                               ErrorCode::ThreadFailed, ErrorCode::WindowFailed,
                               ErrorCode::BufferError};
    int recorded[25];
    for (int i = 0; i < 25; ++i) {
        stack.Record(codes[i % 5]);
        recorded[i] = static_cast<int>(codes[i % 5]);
    }
    for (int i = 24; i >= 5; --i)
        EXPECT_EQ(stack.Pop(), recorded[i]) << i;
    EXPECT_EQ(stack.Pop(), 0);
    EXPECT_EQ(stack.Pop(), 0);
}

TEST(ErrorStack, PostsOneErrorMessagePerRecordingAndNoneOnPop) {
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    ErrorStack stack;
    stack.SetErrorWindow(window);
    stack.Record(ErrorCode::BadGeometry);
    stack.Record(ErrorCode::NotSupported);
    stack.Pop();
    stack.Pop();
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(window, &msg, 0), 1);
    EXPECT_EQ(msg.message, 0x8003u);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 7);
    ASSERT_EQ(PixoraMsg_Get(window, &msg, 0), 1);
    EXPECT_EQ(msg.lParam, 11);
    EXPECT_EQ(PixoraMsg_Get(window, &msg, 0), 0);
    PixoraMsg_DestroyWindow(window);
}

TEST(ErrorStack, RecordsWithoutAWindowOrWithADeadOne) {
    ErrorStack stack;
    stack.Record(ErrorCode::StreamFailed);
    PIXORA_HWND window = PixoraMsg_CreateWindow();
    PixoraMsg_DestroyWindow(window);
    stack.SetErrorWindow(window);
    stack.Record(ErrorCode::TransferFailed);
    EXPECT_EQ(stack.Pop(), 8);
    EXPECT_EQ(stack.Pop(), 13);
}

}  // namespace
}  // namespace pixora
