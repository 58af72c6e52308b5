// Capture states that calls refuse or change while workers run: a refused call changes no
// target, no worker outlives the state that started it, the camera is selected while
// streaming, and images that hold no frame are not handed out as pictures.
#include <filesystem>
#include <string>

#include "PixoraExtensions.h"
#include "RaceFixture.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora::test {
namespace {

class CaptureStates : public RaceTest {
protected:
    void SetUp() override {
        RaceTest::SetUp();
        camera_ = Open();
    }
    void TearDown() override {
        if (camera_ != nullptr) {
            EXPECT_EQ(Bounded("Pixora_Release", [this] { return Pixora_Release(camera_); }), 1);
        }
        RaceTest::TearDown();
    }
    int32_t Size(const std::vector<uint8_t>& buffer) { return static_cast<int32_t>(buffer.size()); }

    // Waits for the next frame message of `window`; 0 when none came in time.
    static uintptr_t NextFrame(PIXORA_HWND window, int32_t timeoutMs = 5000) {
        PixoraMessage msg{};
        if (PixoraMsg_Get(window, &msg, timeoutMs) != 1)
            return 0;
        EXPECT_EQ(msg.message, static_cast<uint32_t>(PIXORA_WM_FRAME));
        return msg.wParam;
    }

    // The virtual camera with cameras at 0 and 1, and a session opened after they were
    // attached (a session finds its cameras when it opens).
    void OpenWithTwoCameras() {
        ASSERT_EQ(Pixora_Release(camera_), 1);
        ASSERT_EQ(PixoraSim_Configure("cameras=0,1"), 1);
        camera_ = Open();
    }

    // Until the camera has a frame read waiting (bounded; the assertion says if not).
    static void WaitForArmedRead() {
        for (int i = 0; i < 5000 && Status().readsWaiting == 0; ++i)
            Pause(1);
        ASSERT_EQ(Status().readsWaiting, 1);
    }

    // Opens of the camera that the open fault refused so far.
    static int OpenFailures() {
        int failures = 0;
        for (const RequestRecord& r : VirtualCameraBus::Instance().Log(0))
            failures += r.kind == RequestKind::Open && !r.result ? 1 : 0;
        return failures;
    }

    PIXORA_HANDLE camera_ = nullptr;
};

// A callback preview refused in trigger mode closes the session to idle, as a failed start
// of the preview does; its window and buffer are never used.
TEST_F(CaptureStates, ACallbackPreviewRefusedInTriggerModeNeverReceivesAFrame) {
    std::vector<uint8_t> triggered = FrameBuffer();
    std::vector<uint8_t> refused = FrameBuffer();
    PIXORA_HWND refusedWindow = PixoraMsg_CreateWindow();
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, triggered.data(), Size(triggered), 1), 1);
    EXPECT_EQ(Pixora_CallBackPreview(camera_, refusedWindow, refused.data(), Size(refused), 1), 0);
    EXPECT_TRUE(PopAll(camera_).empty());
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    Pause(100);
    // Idle again: a plain start of the preview serves the target the trigger call gave.
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_NE(NextFrame(frames_), 0u);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_TRUE(Untouched(refused));
    EXPECT_EQ(PixoraMsg_Pending(refusedWindow), 0);
    EXPECT_FALSE(Untouched(triggered));
    PixoraMsg_DestroyWindow(refusedWindow);
}

TEST_F(CaptureStates, APreviewRefusedInTriggerModeLeavesNoTriggerRunningForNobody) {
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    EXPECT_EQ(Pixora_Preview(camera_), 0);
    EXPECT_TRUE(PopAll(camera_).empty());
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    Pause(100);
    EXPECT_TRUE(Drain(frames_).empty());
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_NE(NextFrame(frames_), 0u);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
}

// A trigger run whose arming failed leaves the state idle; the next capture must end its
// worker first instead of racing it for the camera.
TEST_F(CaptureStates, ATriggerWorkerWhoseArmingFailedDoesNotOutliveTheNextCapture) {
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    // The worker's first read is armed (its camera handle open) before opens start failing.
    WaitForArmedRead();
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_OPEN, 0), 1);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    ASSERT_NE(NextFrame(frames_), 0u);
    // The next arming fails to open the camera, and the state falls back to idle; once
    // opens work again the worker arms once more and waits.
    for (int i = 0; i < 2000 && OpenFailures() == 0; ++i)
        Pause(1);
    ASSERT_GT(OpenFailures(), 0);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_OPEN, -1), 1);
    WaitForArmedRead();
    Drain(frames_);
    int failed = 0;
    for (int i = 0; i < 20; ++i)
        failed += Pixora_SnapShot(camera_, nullptr, 0, 1) == 0 ? 1 : 0;
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(Pixora_Capture(camera_), 1);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    Pause(50);
    EXPECT_TRUE(Drain(frames_).empty());
}

// The sequence the API fuzzer reduced a crash to: a frame after these calls was delivered
// by a worker reading a colour mode that a preparation had cleared.
TEST_F(CaptureStates, TriggerCaptureCallbackCaptureThenAFrame) {
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    EXPECT_EQ(Pixora_Capture(camera_), 0);
    EXPECT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 0);
    EXPECT_EQ(Pixora_Capture(camera_), 1);
    PixoraSim_Trigger(0);
    EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    Pause(50);
    EXPECT_TRUE(PopAll(camera_).empty());
}

// Selecting the camera while frames flow: the capture goes on, on the new camera.
TEST_F(CaptureStates, SelectingACameraDuringCallbackPreviewKeepsTheFramesComing) {
    OpenWithTwoCameras();
    std::vector<uint8_t> buffer = FrameBuffer();
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 1), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, buffer.data(), Size(buffer), 1), 1);
    ASSERT_NE(NextFrame(frames_), 0u);
    EXPECT_EQ(Pixora_SetDeviceNumber(camera_, 1), 1);
    Drain(frames_);
    const int32_t sentBefore = Status(1).framesSent;
    for (int i = 0; i < 12; ++i)
        EXPECT_NE(NextFrame(frames_), 0u) << "frame " << i;
    EXPECT_GT(Status(1).framesSent, sentBefore);
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_TRUE(PopAll(camera_).empty());
}

TEST_F(CaptureStates, SelectingACameraInTriggerModeArmsTheNewCamera) {
    OpenWithTwoCameras();
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    EXPECT_EQ(Pixora_SetDeviceNumber(camera_, 1), 1);
    Pause(50);
    EXPECT_EQ(Status(1).triggerMode, 1);
    ASSERT_EQ(PixoraSim_Trigger(1), 1);
    EXPECT_NE(NextFrame(frames_), 0u);
    // The old camera no longer drives anything.
    PixoraSim_Trigger(0);
    Pause(100);
    EXPECT_TRUE(Drain(frames_).empty());
    EXPECT_TRUE(PopAll(camera_).empty());
}

// A preparation makes new images; until a frame has gone through them they hold no picture,
// and neither a copy nor a file of them is a success.
TEST_F(CaptureStates, NoFrameSincePreparationIsAFailureNotABlackPicture) {
    ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 2000), 1);  // the worker's first poll is far off
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    std::vector<uint8_t> buffer = FrameBuffer();
    EXPECT_EQ(Pixora_GetImage(camera_, buffer.data(), Size(buffer), 1), 0);
    EXPECT_EQ(PopAll(camera_), std::vector<int32_t>{PIXORA_ERR_BUFFER});
    EXPECT_TRUE(Untouched(buffer));
    TempDir dir;
    const std::string path = dir.File("none.bmp");
    EXPECT_EQ(Pixora_SaveImage(camera_, path.c_str(), PIXORA_SAVE_BMP), 0);
    EXPECT_EQ(PopAll(camera_), std::vector<int32_t>{PIXORA_ERR_NO_DEVICE});
    EXPECT_FALSE(std::filesystem::exists(path));
    char detail[128] = {};
    EXPECT_EQ(PixoraEx_GetFailureDetail(camera_, detail, sizeof detail), 1);
    // The next frame makes both work again.
    ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_EQ(Pixora_GetImage(camera_, buffer.data(), Size(buffer), 1), 1);
    EXPECT_EQ(Pixora_SaveImage(camera_, path.c_str(), PIXORA_SAVE_BMP), 1);
}

// A stored window of no pixels cannot have images: a buffer error, before the camera's
// window is programmed (which would refuse it as a bad geometry).
TEST_F(CaptureStates, AStoredWindowOfZeroWidthOrHeightIsABufferError) {
    for (const auto& [width, height] : {std::pair{0, 120}, std::pair{160, 0}}) {
        EXPECT_EQ(Pixora_Release(camera_), 1);
        StoredFormat empty = format_;
        empty.width = width;
        empty.height = height;
        registry_.Write(SettingsText(empty));
        camera_ = Open();
        EXPECT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 0);
        EXPECT_EQ(PopAll(camera_), std::vector<int32_t>{PIXORA_ERR_BUFFER})
            << width << "x" << height;
    }
}

}  // namespace
}  // namespace pixora::test
