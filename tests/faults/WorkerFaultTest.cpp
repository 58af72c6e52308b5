// Faults of the capture workers found by the fault matrix, each pinned down on its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "BoundedCall.h"
#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "StoredSettings.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora::test {
namespace {

class WorkerFaults : public ::testing::Test {
protected:
    void SetUp() override {
        PixoraSim_Reset();
        ASSERT_EQ(PixoraSim_Configure("cameras=0 fps=0 scene=bars maxwait=300"), 1);
        registry_.Write(SettingsText(StoredFormat{}));
        errors_ = PixoraMsg_CreateWindow();
        frames_ = PixoraMsg_CreateWindow();
        camera_ = Pixora_Initialize(errors_);
        ASSERT_NE(camera_, nullptr);
        ASSERT_EQ(Pixora_GetLastError(camera_), 0);
    }

    void TearDown() override {
        EXPECT_EQ(Bounded("Pixora_Release", [this] { return Pixora_Release(camera_); }), 1);
        PixoraMsg_DestroyWindow(errors_);
        PixoraMsg_DestroyWindow(frames_);
        PixoraSim_Reset();
    }

    std::vector<int32_t> PopAll() {
        std::vector<int32_t> codes;
        for (int32_t c = Pixora_GetLastError(camera_); c != 0; c = Pixora_GetLastError(camera_))
            codes.insert(codes.begin(), c);
        return codes;
    }

    // Open requests the camera received, failed ones included.
    static int64_t OpenAttempts() {
        int64_t opens = 0;
        for (const RequestRecord& r : VirtualCameraBus::Instance().Log(0))
            opens += r.kind == RequestKind::Open ? 1 : 0;
        return opens;
    }

    ScopedRegistry registry_;
    PIXORA_HWND errors_ = nullptr;
    PIXORA_HWND frames_ = nullptr;
    PIXORA_HANDLE camera_ = nullptr;
};

// The preview worker sleeps the wait time between polls; a stop must not sit out a long one.
TEST_F(WorkerFaults, StopDoesNotWaitOutALongWaitTime) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 3600 * 1000), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Bounded("Pixora_StopPreview", [this] { return Pixora_StopPreview(camera_); }), 1);
    EXPECT_TRUE(PopAll().empty());
    // The next run with a short wait time streams as usual.
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
    EXPECT_NE(msg.wParam, 0u);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
}

// A stream whose camera cannot even be opened ends at once; the worker says so instead of
// polling a stream that will never deliver.
TEST_F(WorkerFaults, StreamThatCannotOpenTheCameraReportsThirteen) {
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_OPEN, 0), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 1), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 13);
    // Stopping still reports how the device's stream ended, as after a failed transfer.
    EXPECT_EQ(Pixora_StopPreview(camera_), 0);
    EXPECT_EQ(PopAll(), (std::vector<int32_t>{13, 6}));
    EXPECT_EQ(PixoraMsg_Get(frames_, &msg, 50), 0);
}

// Trigger mode that the camera refused to enter would deliver free-running frames as if
// they were triggered: the call fails instead.
TEST_F(WorkerFaults, TriggerFailsWhenTheCameraRefusesTriggerMode) {
    constexpr int32_t kCmdSetTrigger = 40;
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_COMMAND_NUMBER, kCmdSetTrigger), 1);
    EXPECT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 0);
    EXPECT_EQ(PopAll(), std::vector<int32_t>{6});
    PixoraMessage msg{};
    EXPECT_EQ(PixoraMsg_Get(frames_, &msg, 200), 0);  // no free-running frames
    // Nothing was left running: the other paths work, and trigger works once the camera
    // takes the command again.
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_NONE, 0), 1);
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
    EXPECT_NE(msg.wParam, 0u);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
}

// A trigger worker whose camera went away re-arms after a pause, not in a tight loop of
// failed opens (each of which starts a transfer thread).
TEST_F(WorkerFaults, TriggerWorkerDoesNotSpinOnAVanishedCamera) {
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    PixoraMessage msg{};
    ASSERT_EQ(PixoraMsg_Get(frames_, &msg, 5000), 1);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, 0), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int64_t before = OpenAttempts();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int64_t attempts = OpenAttempts() - before;
    // About one attempt per 10 ms; a spinning worker makes thousands.
    EXPECT_LT(attempts, 300);
    EXPECT_EQ(Bounded("Pixora_StopPreview", [this] { return Pixora_StopPreview(camera_); }), 1);
}

}  // namespace
}  // namespace pixora::test
