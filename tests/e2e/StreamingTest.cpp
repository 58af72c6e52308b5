#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "CameraFixture.h"

namespace pixora::test {
namespace {

using Streaming = CameraTest;

constexpr int kWidth = 1360;
constexpr int kHeight = 1024;

TEST_F(Streaming, CallbackPreviewDeliversFramesWithTheirRecord) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    std::vector<uint8_t>& buffer = CallerBuffer(static_cast<size_t>(Stride(kWidth, 24)) * kHeight);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer.data(),
                                     static_cast<int32_t>(buffer.size()), 1),
              1);
    for (int i = 0; i < 5; ++i) {
        PixoraMessage msg{};
        ASSERT_TRUE(NextFrameMessage(&msg)) << i;
        ASSERT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_FRAME));
        ASSERT_NE(msg.wParam, 0u);
        EXPECT_EQ(msg.lParam, 0);
        const auto* info = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
        EXPECT_EQ(info->size, 24);
        EXPECT_EQ(info->width, kWidth);
        EXPECT_EQ(info->height, kHeight);
        EXPECT_EQ(info->bitsPerPixel, 24);
        EXPECT_GE(info->frameRate, 0);
        EXPECT_EQ(info->reserved, 0);
    }
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    // The white bar, as the last delivered frame left it in the caller's buffer.
    EXPECT_NEAR(buffer[300 * Stride(kWidth, 24) + 85 * 3], 200, 30);
    EXPECT_TRUE(DrainErrors().empty());
}

TEST_F(Streaming, MovingSceneChangesFromFrameToFrame) {
    PixoraSim_SetScene(0, PIXORA_SIM_SCENE_MOVING);
    ASSERT_EQ(Pixora_SetColorMode(camera_, 8), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    std::vector<uint8_t>& buffer = CallerBuffer(static_cast<size_t>(Stride(kWidth, 8)) * kHeight);
    // The worker writes the caller's buffer for every frame, so it is read only
    // once the preview has stopped and the worker is gone.
    const auto runFrames = [&](int count) {
        ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer.data(),
                                         static_cast<int32_t>(buffer.size()), 1),
                  1);
        PixoraMessage msg{};
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(NextFrameMessage(&msg)) << i;
        ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    };
    runFrames(1);
    const std::vector<uint8_t> first(buffer.begin(), buffer.begin() + Stride(kWidth, 8) * 300);
    bool changed = false;
    for (int i = 0; i < 5 && !changed; ++i) {
        runFrames(3);
        changed = std::memcmp(first.data(), buffer.data(), first.size()) != 0;
    }
    EXPECT_TRUE(changed);
}

TEST_F(Streaming, ShortBufferIsReportedPerFrameInsteadOfTheFrame) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 8), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    std::vector<uint8_t>& buffer =
        CallerBuffer(static_cast<size_t>(Stride(kWidth, 8)) * kHeight - 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer.data(),
                                     static_cast<int32_t>(buffer.size()), 1),
              1);
    for (int i = 0; i < 3; ++i) {
        PixoraMessage msg{};
        ASSERT_TRUE(NextFrameMessage(&msg));
        EXPECT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_FRAME));
        EXPECT_EQ(msg.wParam, 0u);
        EXPECT_EQ(msg.lParam, 5);
    }
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    const std::vector<int32_t> codes = DrainErrors();
    ASSERT_GE(codes.size(), 3u);
    for (int32_t c : codes)
        EXPECT_EQ(c, 5);
}

TEST_F(Streaming, StateTableRefusesWithoutRecording) {
    EXPECT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 0);
    EXPECT_EQ(Pixora_Capture(camera_), 0);
    EXPECT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 0);
    EXPECT_TRUE(DrainErrors().empty());
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(Pixora_Capture(camera_), 1);
    EXPECT_EQ(Pixora_StartPreview(camera_), 0);
    EXPECT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 0);
    EXPECT_TRUE(DrainErrors().empty());
    // A preview over a capture fails to start and closes the session to idle, as every
    // failed preview start does, still without recording.
    EXPECT_EQ(Pixora_Preview(camera_), 0);
    EXPECT_TRUE(DrainErrors().empty());
    EXPECT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(Pixora_Close(camera_), 1);
    EXPECT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(Pixora_Close(camera_), 1);
}

TEST_F(Streaming, CameraVanishingEndsTheStreamWithThirteen) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_TRUE(NextFrameMessage(&msg));
    PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, 2);
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        ASSERT_TRUE(NextFrameMessage(&msg));
        ended = msg.wParam == 0 && msg.lParam == 13;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(Pixora_StopPreview(camera_), 0);  // the device reports how its stream ended
    const std::vector<int32_t> codes = DrainErrors();
    EXPECT_NE(std::find(codes.begin(), codes.end(), 13), codes.end());
}

TEST_F(Streaming, StopWhileATransferStallsReturns) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_TRUE(NextFrameMessage(&msg));
    PixoraSim_SetFault(0, PIXORA_SIM_FAULT_STALL, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Pixora_StopPreview(camera_);
    PixoraSim_SetFault(0, PIXORA_SIM_FAULT_NONE, 0);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
}

TEST_F(Streaming, ReleaseWhileStreamingEndsEverything) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_TRUE(NextFrameMessage(&msg));
    EXPECT_EQ(Pixora_Release(camera_), 1);
    camera_ = nullptr;
    PixoraSimStatus status{};
    status.size = sizeof status;
    ASSERT_EQ(PixoraSim_GetStatus(0, &status), 1);
    EXPECT_EQ(status.openHandles, 0);
    EXPECT_EQ(status.readsWaiting, 0);
    while (PixoraMsg_Get(frames_, &msg, 0) == 1) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(PixoraMsg_Get(frames_, &msg, 0), 0);  // nothing posts any more
}

TEST_F(Streaming, TriggerDeliversOneFramePerPulse) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    for (int pulse = 0; pulse < 3; ++pulse) {
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        ASSERT_TRUE(NextFrameMessage(&msg)) << pulse;
        ASSERT_NE(msg.wParam, 0u);
        const auto* info = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
        EXPECT_EQ(info->frameRate, 0);
        EXPECT_EQ(info->bitsPerPixel, 24);
    }
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(PixoraMsg_Get(frames_, &msg, 0), 0);
    EXPECT_EQ(PixoraSim_ReadRegister(0, 32) & 0x10, 0);  // back to free-running
}

TEST_F(Streaming, TriggerWithoutPulsesTimesOutAndCanBeRestarted) {
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    EXPECT_FALSE(NextFrameMessage(&msg, 700));  // arming ends at the driver time-out
    // A second trigger call replaces the first worker rather than running two.
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    EXPECT_TRUE(NextFrameMessage(&msg));
    EXPECT_EQ(Pixora_Close(camera_), 1);
}

}  // namespace
}  // namespace pixora::test
