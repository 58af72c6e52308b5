// What the library tells of each frame through PixoraExtensions.h: the camera's frame
// number, the time its transfer ended and the frames missed before it, for frame messages,
// copies and snapshots alike; and counts that add up to every frame the camera sent, over
// start and stop cycles, slow consumers, triggers and lost transfers.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <ctime>
#include <thread>
#include <vector>

#include "BoundedCall.h"
#include "CameraFixture.h"
#include "PixoraExtensions.h"
#include "StoredSettings.h"

namespace pixora::test {
namespace {

uint64_t MonotonicNowUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

class FrameMeta : public CameraTest {
protected:
    void SetUp() override {
        // Small frames: many of them stay cheap.
        registry_.Write(SettingsText(StoredFormat{}));
        CameraTest::SetUp();
    }

    static PixoraFrameMeta EmptyMeta() {
        PixoraFrameMeta meta{};
        meta.size = sizeof meta;
        return meta;
    }

    PixoraFrameCounts Counts() {
        PixoraFrameCounts counts{};
        counts.size = sizeof counts;
        EXPECT_EQ(PixoraEx_GetFrameCounts(camera_, &counts), 1);
        return counts;
    }

    // Frames the virtual camera sent, whole or cut short.
    static uint64_t FramesSent() {
        PixoraSimStatus status{};
        status.size = sizeof status;
        EXPECT_EQ(PixoraSim_GetStatus(0, &status), 1);
        return static_cast<uint64_t>(status.framesSent) + static_cast<uint64_t>(status.framesShort);
    }

    void ExpectEveryFrameAccountedFor() {
        const PixoraFrameCounts counts = Counts();
        EXPECT_EQ(counts.delivered + counts.dropped + counts.failed, FramesSent())
            << "delivered " << counts.delivered << ", dropped " << counts.dropped << ", failed "
            << counts.failed;
    }
};

TEST_F(FrameMeta, SnapshotsAreNumberedAndStampedOnTheMonotonicClock) {
    uint64_t previous = 0;
    for (int i = 0; i < 5; ++i) {
        const uint64_t before = MonotonicNowUs();
        ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
        const uint64_t after = MonotonicNowUs();
        PixoraFrameMeta meta = EmptyMeta();
        ASSERT_EQ(PixoraEx_GetFrame(camera_, nullptr, 0, 1, &meta), 1);
        EXPECT_EQ(meta.sequence, static_cast<uint64_t>(i + 1));
        EXPECT_EQ(meta.dropped, 0);
        EXPECT_GE(meta.timestampUs, before);
        EXPECT_LE(meta.timestampUs, after);
        EXPECT_GT(meta.timestampUs, previous);
        previous = meta.timestampUs;
    }
    const PixoraFrameCounts counts = Counts();
    EXPECT_EQ(counts.delivered, 5u);
    EXPECT_EQ(counts.dropped + counts.failed, 0u);
    ExpectEveryFrameAccountedFor();
}

// A slow consumer: the worker keeps only the newest frame. Gaps in the numbers are exactly
// the frames announced as dropped, and the counts add up.
TEST_F(FrameMeta, FrameMessagesCarryNumbersWhoseGapsAreTheDroppedFrames) {
    ASSERT_EQ(PixoraSim_SetFps(0, 200), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 25), 1);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    uint64_t previous = 0;
    uint64_t droppedSeen = 0;
    uint64_t previousTime = 0;
    for (int i = 0; i < 12; ++i) {
        PixoraMessage msg{};
        ASSERT_TRUE(NextFrameMessage(&msg));
        ASSERT_NE(msg.wParam, 0u);
        PixoraFrameMeta meta = EmptyMeta();
        ASSERT_EQ(
            PixoraEx_GetFrameMeta(reinterpret_cast<const PixoraFrameInfo*>(msg.wParam), &meta), 1);
        EXPECT_GT(meta.sequence, previous);
        EXPECT_EQ(static_cast<uint64_t>(meta.dropped), meta.sequence - previous - 1);
        EXPECT_GT(meta.timestampUs, previousTime);
        droppedSeen += static_cast<uint64_t>(meta.dropped);
        previous = meta.sequence;
        previousTime = meta.timestampUs;
    }
    // 200 frames a second, a look every 25 ms: most frames are skipped for newer ones.
    EXPECT_GT(droppedSeen, 12u);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameMeta, CountsAddUpOverStartStopCyclesTriggersAndLostTransfers) {
    ASSERT_EQ(PixoraSim_SetFps(0, 500), 1);
    for (int cycle = 0; cycle < 6; ++cycle) {
        ASSERT_EQ(Pixora_SetWaitTime(camera_, cycle % 3), 1);
        ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
        PixoraMessage msg{};
        ASSERT_TRUE(NextFrameMessage(&msg));
        std::this_thread::sleep_for(std::chrono::milliseconds(10 * cycle));
        ASSERT_EQ(Pixora_StopPreview(camera_), 1);
        ExpectEveryFrameAccountedFor();
    }
    // A frame cut short ends the stream: it counts as failed.
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_TRUE(NextFrameMessage(&msg));
    const uint64_t failedBefore = Counts().failed;
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_SHORT_FRAME, 100), 1);
    for (int i = 0; i < 200 && Counts().failed == failedBefore; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(Counts().failed, failedBefore);
    Pixora_StopPreview(camera_);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_SHORT_FRAME, -1), 1);
    DrainErrors();
    ExpectEveryFrameAccountedFor();

    // Triggers: each pulse a frame; a stop right after a pulse leaves no frame uncounted.
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    for (int pulse = 0; pulse < 4; ++pulse) {
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        ASSERT_TRUE(NextFrameMessage(&msg));
    }
    PixoraSim_Trigger(0);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    ExpectEveryFrameAccountedFor();
    ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameMeta, GetFrameHandsOutThePictureAndItsOwnMetaTogether) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 0), 1);
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    std::vector<uint8_t> image(static_cast<size_t>(StrideOf(160, 24)) * 120);
    uint64_t last = 0;
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(PixoraEx_WaitFrame(camera_, last, 5000), 1);
        PixoraFrameMeta meta = EmptyMeta();
        ASSERT_EQ(
            PixoraEx_GetFrame(camera_, image.data(), static_cast<int32_t>(image.size()), 1, &meta),
            1);
        EXPECT_GT(meta.sequence, last);
        last = meta.sequence;
    }
    // The whole-picture copy is the camera's white bar (about 200) where the bar is.
    EXPECT_NEAR(image[60 * StrideOf(160, 24) + 5 * 3 + 1], 200, 40);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
}

TEST_F(FrameMeta, WaitFrameTimesOutReturnsOnStopAndOnReleaseWithoutHoldingTheCamera) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, 50), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));

    // A wait for a frame that does not come ends when another thread stops the capture.
    ASSERT_EQ(PixoraSim_SetFps(0, 0.5), 1);
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    ASSERT_EQ(PixoraEx_WaitFrame(camera_, 0, 5000), 1);
    std::atomic<int32_t> waited{2};
    std::thread waiter([&] { waited = PixoraEx_WaitFrame(camera_, 1000000, 10000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    waiter.join();
    EXPECT_EQ(waited.load(), 0);

    std::thread released([&] { waited = PixoraEx_WaitFrame(camera_, 1000000, 10000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Pixora_Release(camera_), 1);
    released.join();
    EXPECT_EQ(waited.load(), -1);
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, 0), -1);
    camera_ = nullptr;
}

// -1 waits without limit, also on an idle handle, until a capture delivers; every other
// negative time-out is refused at once, even when a frame is there.
TEST_F(FrameMeta, WaitFrameWaitsWithoutLimitOnlyForMinusOneAndRefusesOtherNegativeTimeOuts) {
    for (int32_t refused : {-2, -1000, INT32_MIN})
        EXPECT_EQ(
            Bounded("a refused wait", [&] { return PixoraEx_WaitFrame(camera_, 0, refused); }), 0);

    std::atomic<int32_t> waited{2};
    std::thread waiter([&] { waited = PixoraEx_WaitFrame(camera_, 0, -1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(waited.load(), 2);  // still waiting: no capture runs
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    Bounded("the wait without limit", [&] {
        waiter.join();
        return 0;
    });
    EXPECT_EQ(waited.load(), 1);

    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, -1), 1);
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, -2), 0);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    ASSERT_EQ(Pixora_Release(camera_), 1);
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, -2), -1);
    camera_ = nullptr;
}

TEST_F(FrameMeta, RecordsAreFoundByTheirAddressOnlyAndOutliveTheirSession) {
    PixoraFrameMeta meta = EmptyMeta();
    PixoraFrameInfo notARecord{};
    EXPECT_EQ(PixoraEx_GetFrameMeta(&notARecord, &meta), 0);
    EXPECT_EQ(PixoraEx_GetFrameMeta(nullptr, &meta), 0);
    ASSERT_EQ(Pixora_CallBackPreview(camera_, frames_, nullptr, 0, 1), 1);
    PixoraMessage msg{};
    ASSERT_TRUE(NextFrameMessage(&msg));
    const auto* record = reinterpret_cast<const PixoraFrameInfo*>(msg.wParam);
    PixoraFrameMeta small = EmptyMeta();
    small.size = 8;
    EXPECT_EQ(PixoraEx_GetFrameMeta(record, &small), 0);
    EXPECT_EQ(PixoraEx_GetFrameMeta(record, nullptr), 0);
    ASSERT_EQ(Pixora_Release(camera_), 1);
    camera_ = nullptr;
    EXPECT_EQ(PixoraEx_GetFrameMeta(record, &meta), 1);
    EXPECT_GE(meta.sequence, 1u);
    PixoraFrameCounts counts{};
    counts.size = sizeof counts;
    EXPECT_EQ(PixoraEx_GetFrameCounts(reinterpret_cast<PIXORA_HANDLE>(uintptr_t{5}), &counts), 0);
    EXPECT_EQ(PixoraEx_GetCaptureState(reinterpret_cast<PIXORA_HANDLE>(uintptr_t{5})), -1);
}

TEST_F(FrameMeta, WaitFrameEndsWhenTheCameraVanishesMidStream) {
    ASSERT_EQ(PixoraSim_SetFps(0, 50), 1);
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    ASSERT_EQ(PixoraEx_WaitFrame(camera_, 0, 5000), 1);
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, 0), 1);
    // Frames may still be on their way; the wait after the last one ends with the stream.
    const auto start = std::chrono::steady_clock::now();
    PixoraFrameMeta meta = EmptyMeta();
    int32_t waited = 1;
    while (waited == 1) {
        ASSERT_EQ(PixoraEx_GetFrame(camera_, nullptr, 0, 1, &meta), 1);
        waited = PixoraEx_WaitFrame(camera_, meta.sequence, 10000);
    }
    EXPECT_EQ(waited, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const std::vector<int32_t> codes = DrainErrors();
    EXPECT_NE(std::find(codes.begin(), codes.end(), PIXORA_ERR_STREAM_FAILED), codes.end());
    // A wait that starts once the stream has failed does not wait for a frame either.
    const auto late = std::chrono::steady_clock::now();
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, meta.sequence, 10000), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - late, std::chrono::seconds(5));
    Pixora_StopPreview(camera_);
}

TEST_F(FrameMeta, StartTriggerGivesOneFramePerPulseToWaitAndGetAndStopsAtOnce) {
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(PixoraEx_StartTrigger(camera_), 0);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_TRUE(DrainErrors().empty());

    ASSERT_EQ(PixoraEx_StartTrigger(camera_), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 3);
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, 100), 0);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    ASSERT_EQ(PixoraEx_WaitFrame(camera_, 0, 5000), 1);
    PixoraFrameMeta meta = EmptyMeta();
    std::vector<uint8_t> image(static_cast<size_t>(StrideOf(160, 24)) * 120);
    ASSERT_EQ(
        PixoraEx_GetFrame(camera_, image.data(), static_cast<int32_t>(image.size()), 1, &meta), 1);
    EXPECT_NEAR(image[60 * StrideOf(160, 24) + 5 * 3 + 1], 200, 40);
    // No message window was given: nothing reaches the frame window, and the next pulse's
    // frame is the next one the camera sent.
    PixoraMessage msg{};
    EXPECT_FALSE(NextFrameMessage(&msg, 0));
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    ASSERT_EQ(PixoraEx_WaitFrame(camera_, meta.sequence, 5000), 1);
    const uint64_t first = meta.sequence;
    ASSERT_EQ(PixoraEx_GetFrame(camera_, nullptr, 0, 1, &meta), 1);
    EXPECT_EQ(meta.sequence, first + 1);

    // A wait for a pulse that never comes ends with the stop, long before the time-out.
    std::atomic<int32_t> waited{2};
    std::thread waiter([&] { waited = PixoraEx_WaitFrame(camera_, meta.sequence, 10000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto stopping = std::chrono::steady_clock::now();
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);
    waiter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(2));
    EXPECT_EQ(waited.load(), 0);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 0);
    EXPECT_TRUE(DrainErrors().empty());
    EXPECT_EQ(PixoraEx_StartTrigger(reinterpret_cast<PIXORA_HANDLE>(uintptr_t{5})), 0);
}

TEST_F(FrameMeta, CaptureStateFollowsTheCapturePaths) {
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 0);
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 1);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    ASSERT_EQ(Pixora_Capture(camera_), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 2);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    ASSERT_EQ(Pixora_Trigger(camera_, frames_, nullptr, 0, 1), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 3);
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 0);
}

}  // namespace
}  // namespace pixora::test
