// The frame queue of PixoraExtensions.h on the virtual camera: frames in order in buffers the
// application holds as long as it likes, both drop policies counted exactly, every frame the
// camera sent accounted for, held buffers that outlive the stream and the camera, takes that
// a stop, a release or a failure ends, triggered streams that lose no pulse and wait out any
// gap, the settings each frame was taken with, and the raw mosaic with its colour pattern.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "BoundedCall.h"
#include "CameraFixture.h"
#include "PixoraExtensions.h"
#include "StoredSettings.h"
#include "platform/Clock.h"
#include "simulator/ScenePattern.h"

namespace pixora::test {
namespace {

// A generous bound, below the test's hang bound: a passing wait returns at once, and under
// Valgrind a frame may take seconds.
constexpr int32_t kWaitMs = 15000;

PixoraStreamOptions Options(int32_t buffers, int32_t triggered = 0, int32_t raw = 0,
                            int32_t dropPolicy = PIXORA_DROP_NEWEST) {
    PixoraStreamOptions options{};
    options.size = sizeof options;
    options.buffers = buffers;
    options.triggered = triggered;
    options.raw = raw;
    options.dropPolicy = dropPolicy;
    return options;
}

PixoraStreamFrame EmptyFrame() {
    PixoraStreamFrame frame{};
    frame.size = sizeof frame;
    return frame;
}

const uint8_t* PixelsOf(const PixoraStreamFrame& frame) {
    return static_cast<const uint8_t*>(frame.pixels.data);
}

// Mean of one channel (0 for gray and raw) over a block of rows and columns.
double MeanOf(const PixoraStreamFrame& frame, int32_t channel, int32_t x0, int32_t y0, int32_t w,
              int32_t h) {
    const int32_t bytesPerPixel = frame.bitsPerPixel / 8;
    const bool words = frame.bitsPerPixel == 16 || frame.bitsPerPixel >= 48;
    const int32_t sampleBytes = words ? 2 : 1;
    double sum = 0;
    for (int32_t y = y0; y < y0 + h; ++y) {
        const uint8_t* row = PixelsOf(frame) + static_cast<size_t>(y) * frame.stride;
        for (int32_t x = x0; x < x0 + w; ++x) {
            const uint8_t* sample = row + x * bytesPerPixel + channel * sampleBytes;
            sum += words ? (sample[0] | (sample[1] << 8)) : sample[0];
        }
    }
    return sum / (static_cast<double>(w) * h);
}

class FrameQueue : public CameraTest {
protected:
    void SetUp() override {
        // Small frames: many of them stay cheap, also under the sanitizers.
        registry_.Write(SettingsText(format_));
        CameraTest::SetUp();
    }

    int32_t Take(PixoraStreamFrame* frame, int32_t timeoutMs = kWaitMs) {
        *frame = EmptyFrame();
        return Bounded("PixoraEx_TakeFrame",
                       [&] { return PixoraEx_TakeFrame(camera_, frame, timeoutMs); });
    }

    // Takes a frame that must come, and gives it back at once; its meta.
    PixoraStreamMeta TakeAndReturn() {
        PixoraStreamFrame frame;
        EXPECT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
        EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
        return frame.meta;
    }

    PixoraStreamStatus Status() {
        PixoraStreamStatus status{};
        status.size = sizeof status;
        EXPECT_EQ(PixoraEx_GetStreamStatus(camera_, &status), 1);
        return status;
    }

    PixoraFrameCounts Counts() {
        PixoraFrameCounts counts{};
        counts.size = sizeof counts;
        EXPECT_EQ(PixoraEx_GetFrameCounts(camera_, &counts), 1);
        return counts;
    }

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

    // Waits, with a bound against hangs, until `done` holds.
    static void WaitUntil(const char* what, const std::function<bool()>& done) {
        Bounded(what, [&] {
            while (!done())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 0;
        });
    }

    // Fires `pulses` trigger pulses and waits until the stream has dealt with all of them
    // (queued or dropped).
    void PulseAndSettle(int32_t pulses) {
        // Each frame of the stream is queued, held or dropped.
        const auto dealtWith = [this] {
            const PixoraStreamStatus s = Status();
            return static_cast<uint64_t>(s.queued) + static_cast<uint64_t>(s.held) +
                   s.droppedByQueue;
        };
        const uint64_t seen = dealtWith();
        const uint64_t sent = FramesSent();
        for (int32_t i = 0; i < pulses; ++i)
            ASSERT_EQ(PixoraSim_Trigger(0), 1);
        WaitUntil("the pulses' frames", [&] {
            return FramesSent() == sent + static_cast<uint64_t>(pulses) &&
                   dealtWith() == seen + static_cast<uint64_t>(pulses);
        });
    }

    StoredFormat format_{};
};

// --- Order, holding, status ---------------------------------------------------------------

TEST_F(FrameQueue, FramesComeInTheOrderTheCameraSentThemWithGapsAsTheirDroppedCount) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    const PixoraStreamOptions options = Options(4);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 1);
    uint64_t previous = 0;
    uint64_t previousTime = 0;
    for (int i = 0; i < 40; ++i) {
        PixoraStreamFrame frame;
        ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
        EXPECT_GT(frame.meta.sequence, previous);
        EXPECT_EQ(static_cast<uint64_t>(frame.meta.dropped), frame.meta.sequence - previous - 1);
        EXPECT_GT(frame.meta.timestampUs, previousTime);
        EXPECT_EQ(frame.bitsPerPixel, 24);
        EXPECT_EQ(frame.width, 160);
        EXPECT_EQ(frame.height, 120);
        EXPECT_EQ(frame.stride, StrideOf(160, 24));
        EXPECT_EQ(frame.bytes, static_cast<uint64_t>(frame.stride) * 120);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(frame.pixels.data) % 64, 0u);
        EXPECT_EQ(frame.meta.colorMode, 24);
        EXPECT_EQ(frame.meta.raw, 0);
        EXPECT_EQ(frame.meta.triggered, 0);
        EXPECT_EQ(frame.meta.bayerPattern, PIXORA_BAYER_NONE);
        // The white bar of the processed picture, top row first.
        EXPECT_NEAR(MeanOf(frame, 1, 4, 4, 8, 8), 200, 30);
        previous = frame.meta.sequence;
        previousTime = frame.meta.timestampUs;
        ASSERT_EQ(PixoraEx_ReturnFrame(&frame), 1);
    }
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 0);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, AHeldBufferIsNeverRewrittenWhileTheStreamGoesOn) {
    ASSERT_EQ(PixoraSim_SetScene(0, PIXORA_SIM_SCENE_MOVING), 1);
    const PixoraStreamOptions options = Options(3, 0, 0, PIXORA_DROP_OLDEST);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    PixoraStreamFrame kept;
    ASSERT_EQ(Take(&kept), PIXORA_TAKE_FRAME);
    const std::vector<uint8_t> copy(PixelsOf(kept), PixelsOf(kept) + kept.bytes);
    // Every other buffer is filled, taken and returned many times over.
    uint64_t last = kept.meta.sequence;
    for (int i = 0; i < 60; ++i) {
        const PixoraStreamMeta meta = TakeAndReturn();
        EXPECT_GT(meta.sequence, last);
        last = meta.sequence;
    }
    EXPECT_EQ(std::memcmp(PixelsOf(kept), copy.data(), copy.size()), 0);
    // The moving scene differs from frame to frame: a rewrite would have shown.
    PixoraStreamFrame later;
    ASSERT_EQ(Take(&later), PIXORA_TAKE_FRAME);
    EXPECT_NE(std::memcmp(PixelsOf(later), copy.data(), copy.size()), 0);
    EXPECT_NE(later.pixels.data, kept.pixels.data);
    EXPECT_EQ(PixoraEx_ReturnFrame(&later), 1);
    EXPECT_EQ(PixoraEx_ReturnFrame(&kept), 1);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, StatusTellsTheShapeBeforeTheFirstFrameAndTheBuffersUse) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 48), 1);
    PixoraStreamStatus none = Status();
    EXPECT_EQ(none.state, PIXORA_STREAM_NONE);
    EXPECT_EQ(none.buffers, 0);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, nullptr), 1);  // defaults
    PixoraStreamStatus status = Status();
    EXPECT_EQ(status.state, PIXORA_STREAM_RUNNING);
    EXPECT_EQ(status.buffers, PIXORA_STREAM_DEFAULT_BUFFERS);
    EXPECT_EQ(status.colorMode, 48);
    EXPECT_EQ(status.bitsPerPixel, 48);
    EXPECT_EQ(status.width, 160);
    EXPECT_EQ(status.height, 120);
    EXPECT_EQ(status.stride, StrideOf(160, 48));
    EXPECT_EQ(status.bytes, static_cast<uint64_t>(StrideOf(160, 48)) * 120);
    EXPECT_EQ(status.dropPolicy, PIXORA_DROP_NEWEST);
    EXPECT_EQ(status.triggered, 0);
    EXPECT_EQ(status.raw, 0);
    PixoraStreamFrame a;
    PixoraStreamFrame b;
    ASSERT_EQ(Take(&a), PIXORA_TAKE_FRAME);
    ASSERT_EQ(Take(&b), PIXORA_TAKE_FRAME);
    EXPECT_EQ(Status().held, 2);
    // Frames arrive and are counted while the application holds two buffers.
    WaitUntil("a measured rate", [&] { return Status().framesPerSecondMilli > 0; });
    EXPECT_EQ(PixoraEx_ReturnFrame(&a), 1);
    EXPECT_EQ(PixoraEx_ReturnFrame(&b), 1);
    EXPECT_EQ(Status().held, 0);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    EXPECT_EQ(Status().state, PIXORA_STREAM_NONE);
}

// The worker waits for the camera, not for the wait time of the polled paths: with a wait
// time of a minute, every frame is still there to take as soon as it came, triggered or not,
// and the wait time stays what it was set to for those paths.
TEST_F(FrameQueue, TheWaitTimeDoesNotPaceTheStream) {
    ASSERT_EQ(Pixora_SetWaitTime(camera_, 60000), 1);
    for (const int32_t triggered : {1, 0}) {
        const PixoraStreamOptions options = Options(4, triggered);
        ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
        uint64_t previous = 0;
        for (int i = 0; i < 5; ++i) {
            if (triggered) {
                ASSERT_EQ(PixoraSim_Trigger(0), 1);
            }
            const PixoraStreamMeta meta = TakeAndReturn();
            EXPECT_GT(meta.sequence, previous);
            EXPECT_EQ(meta.triggered, triggered);
            previous = meta.sequence;
        }
        ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    }
    EXPECT_EQ(Pixora_GetWaitTime(camera_), 60000);
    ExpectEveryFrameAccountedFor();
}

// A frame's time is the end of its transfer on the system's monotonic clock (the library's
// reading of it, which applications make with CLOCK_MONOTONIC or the performance counter):
// after the pulse that started it, before it was taken.
TEST_F(FrameQueue, FramesAreStampedOnTheMonotonicClockBetweenPulseAndTake) {
    const PixoraStreamOptions options = Options(2, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    uint64_t previous = 0;
    for (int i = 0; i < 4; ++i) {
        const uint64_t before = MonotonicMicroseconds();
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        const PixoraStreamMeta meta = TakeAndReturn();
        const uint64_t after = MonotonicMicroseconds();
        EXPECT_GE(meta.timestampUs, before);
        EXPECT_LE(meta.timestampUs, after);
        EXPECT_GT(meta.timestampUs, previous);
        previous = meta.timestampUs;
    }
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
}

// --- Drops and accounting ---------------------------------------------------------------

// Triggered, so that the frames come exactly when the test says: three buffers, eight
// pulses nobody takes.
TEST_F(FrameQueue, DropNewestKeepsTheFirstFramesAndCountsEveryOtherExactly) {
    const PixoraStreamOptions options = Options(3, 1, 0, PIXORA_DROP_NEWEST);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 3);
    PulseAndSettle(8);
    EXPECT_EQ(Status().queued, 3);
    EXPECT_EQ(Status().droppedByQueue, 5u);
    for (uint64_t expected = 1; expected <= 3; ++expected) {
        const PixoraStreamMeta meta = TakeAndReturn();
        EXPECT_EQ(meta.sequence, expected);
        EXPECT_EQ(meta.dropped, 0);
        EXPECT_EQ(meta.triggered, 1);
    }
    PulseAndSettle(1);
    const PixoraStreamMeta ninth = TakeAndReturn();
    EXPECT_EQ(ninth.sequence, 9u);
    EXPECT_EQ(ninth.dropped, 5);  // the dropped frames show in the next frame taken
    EXPECT_EQ(Counts().dropped, 5u);
    EXPECT_EQ(Counts().delivered, 4u);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, DropOldestKeepsTheNewestFramesAndCountsEveryOtherExactly) {
    const PixoraStreamOptions options = Options(3, 1, 0, PIXORA_DROP_OLDEST);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    PixoraStreamFrame held;
    PulseAndSettle(1);
    ASSERT_EQ(Take(&held), PIXORA_TAKE_FRAME);  // one buffer held throughout
    EXPECT_EQ(held.meta.sequence, 1u);
    PulseAndSettle(8);
    EXPECT_EQ(Status().queued, 2);
    EXPECT_EQ(Status().droppedByQueue, 6u);
    const PixoraStreamMeta first = TakeAndReturn();
    EXPECT_EQ(first.sequence, 8u);
    EXPECT_EQ(first.dropped, 6);
    EXPECT_EQ(TakeAndReturn().sequence, 9u);
    EXPECT_EQ(PixoraEx_ReturnFrame(&held), 1);
    EXPECT_EQ(Counts().dropped, 6u);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, EveryFrameTheCameraSentIsDeliveredDroppedOrFailedOverManyStreams) {
    ASSERT_EQ(PixoraSim_SetFps(0, 400), 1);
    for (int cycle = 0; cycle < 6; ++cycle) {
        const PixoraStreamOptions options = Options(
            1 + cycle % 3, 0, cycle % 2, cycle % 2 ? PIXORA_DROP_OLDEST : PIXORA_DROP_NEWEST);
        ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
        for (int i = 0; i < 5; ++i) {
            PixoraStreamFrame frame;
            ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME) << "cycle " << cycle;
            std::this_thread::sleep_for(std::chrono::milliseconds(2 * cycle));  // a slow consumer
            EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
        }
        // Closed with frames still queued: they count as dropped.
        ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
        ExpectEveryFrameAccountedFor();
    }
    // The described paths keep counting on top.
    ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    ExpectEveryFrameAccountedFor();
}

// --- The end of a stream with frames held ------------------------------------------------

TEST_F(FrameQueue, HeldFramesOutliveTheCloseAndAreFreedWhenReturned) {
    const PixoraStreamOptions options = Options(4);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    PixoraStreamFrame a;
    PixoraStreamFrame b;
    ASSERT_EQ(Take(&a), PIXORA_TAKE_FRAME);
    ASSERT_EQ(Take(&b), PIXORA_TAKE_FRAME);
    const std::vector<uint8_t> copy(PixelsOf(a), PixelsOf(a) + a.bytes);
    const std::vector<uint8_t> copyB(PixelsOf(b), PixelsOf(b) + b.bytes);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    PixoraStreamFrame after;
    EXPECT_EQ(Take(&after, 0), PIXORA_TAKE_STOPPED);
    EXPECT_EQ(Status().state, PIXORA_STREAM_NONE);
    // Still the application's: readable, unchanged (AddressSanitizer watches the reads).
    EXPECT_EQ(std::memcmp(PixelsOf(a), copy.data(), copy.size()), 0);
    EXPECT_EQ(PixoraEx_ReturnFrame(&a), 1);
    EXPECT_EQ(PixoraEx_ReturnFrame(&a), 0);  // twice: refused
    // A new stream while one of the old buffers is still out.
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    EXPECT_EQ(TakeAndReturn().dropped, 0);  // counted from the new stream's start
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    EXPECT_EQ(std::memcmp(PixelsOf(b), copyB.data(), copyB.size()), 0);
    EXPECT_EQ(PixoraEx_ReturnFrame(&b), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, HeldFramesOutliveTheReleaseOfTheCamera) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 64), 1);
    const PixoraStreamOptions options = Options(2);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    PixoraStreamFrame frame;
    ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
    const std::vector<uint8_t> copy(PixelsOf(frame), PixelsOf(frame) + frame.bytes);
    ASSERT_EQ(Pixora_Release(camera_), 1);
    PixoraStreamFrame none;
    EXPECT_EQ(PixoraEx_TakeFrame(camera_, &none, 0), PIXORA_TAKE_NO_CAMERA);
    camera_ = nullptr;
    EXPECT_EQ(std::memcmp(PixelsOf(frame), copy.data(), copy.size()), 0);
    EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
}

TEST_F(FrameQueue, AFailedCameraHandsOutTheFramesFilledBeforeThenTheFailure) {
    const PixoraStreamOptions options = Options(8);
    // Gone after five whole frames.
    ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, 5), 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    WaitUntil("the failure", [&] { return Status().state == PIXORA_STREAM_FAILED; });
    PixoraStreamFrame first;
    ASSERT_EQ(Take(&first), PIXORA_TAKE_FRAME);
    for (uint64_t expected = 2; expected <= 5; ++expected)
        EXPECT_EQ(TakeAndReturn().sequence, expected);
    PixoraStreamFrame none;
    EXPECT_EQ(Take(&none), PIXORA_TAKE_FAILED);
    EXPECT_EQ(Take(&none, 0), PIXORA_TAKE_FAILED);
    char detail[256];
    EXPECT_EQ(PixoraEx_GetFailureDetail(camera_, detail, sizeof detail), 1);
    // What ended the stream, in the driver's words.
    EXPECT_NE(std::strstr(detail, "the camera stopped sending frames: "), nullptr) << detail;
    EXPECT_NE(std::strstr(detail, "device gone"), nullptr) << detail;
    EXPECT_EQ(DrainErrors(), (std::vector<int32_t>{PIXORA_ERR_STREAM_FAILED}));
    // The frame taken before stays readable until returned.
    EXPECT_EQ(first.meta.sequence, 1u);
    EXPECT_NEAR(MeanOf(first, 1, 4, 4, 8, 8), 200, 30);
    EXPECT_EQ(PixoraEx_ReturnFrame(&first), 1);
    // The close reports nothing new: the failure was told when it came.
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, AWaitingTakeEndsAtTheCloseTheReleaseAndTheFailure) {
    const PixoraStreamOptions options = Options(2, 1);  // triggered: no frame comes
    for (int end = 0; end < 3; ++end) {
        ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
        std::atomic<int32_t> taken{99};
        std::thread taker([&] {
            PixoraStreamFrame frame = EmptyFrame();
            taken = PixoraEx_TakeFrame(camera_, &frame, -1);
        });
        // Most likely the taker waits by now; if it comes later it finds the same end.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (end == 0) {
            EXPECT_EQ(PixoraEx_CloseStream(camera_), 1);
        } else if (end == 1) {
            ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, 0), 1);
        } else {
            EXPECT_EQ(Pixora_Release(camera_), 1);
        }
        Bounded("the taker", [&] {
            taker.join();
            return 0;
        });
        const int32_t expected[] = {PIXORA_TAKE_STOPPED, PIXORA_TAKE_FAILED, PIXORA_TAKE_NO_CAMERA};
        EXPECT_EQ(taken.load(), expected[end]) << "end " << end;
        if (end == 1) {
            PixoraEx_CloseStream(camera_);
            ASSERT_EQ(PixoraSim_SetFault(0, PIXORA_SIM_FAULT_VANISH, -1), 1);
            DrainErrors();
        }
    }
    camera_ = nullptr;
}

// --- Triggered streams ------------------------------------------------------------------

TEST_F(FrameQueue, EightPulsesInABurstReachASlowConsumerWithNoneLost) {
    const PixoraStreamOptions options = Options(8, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
    uint64_t previous = 0;
    for (int i = 0; i < 8; ++i) {
        PixoraStreamFrame frame;
        ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
        EXPECT_EQ(frame.meta.sequence, previous + 1);
        EXPECT_EQ(frame.meta.dropped, 0);
        previous = frame.meta.sequence;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the slow consumer
        EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
    }
    EXPECT_EQ(Counts().dropped, 0u);
    EXPECT_EQ(Counts().failed, 0u);
    EXPECT_EQ(Status().framesPerSecondMilli, 0);  // a triggered stream has no rate
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

// The driver's transfer time-out is 3000 ms: a pause on the line longer than that is waited
// out, as often as it comes.
TEST_F(FrameQueue, ATriggeredStreamWaitsOutAGapLongerThanTheTransferTimeOut) {
    ASSERT_EQ(PixoraSim_Configure("maxwait=0"), 1);
    const PixoraStreamOptions options = Options(2, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    EXPECT_EQ(TakeAndReturn().sequence, 1u);
    PixoraStreamFrame frame;
    EXPECT_EQ(Take(&frame, 3400), PIXORA_TAKE_TIMEOUT);
    EXPECT_EQ(Status().state, PIXORA_STREAM_RUNNING);
    ASSERT_EQ(PixoraSim_Trigger(0), 1);
    const PixoraStreamMeta second = TakeAndReturn();
    EXPECT_EQ(second.sequence, 2u);
    EXPECT_EQ(second.dropped, 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, ShortTimeOutsAreWaitedOutManyTimesOver) {
    // maxwait=300 bounds every driver wait: a second without pulses is several time-outs.
    const PixoraStreamOptions options = Options(2, 1, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    for (int pulse = 1; pulse <= 3; ++pulse) {
        PixoraStreamFrame frame;
        EXPECT_EQ(Take(&frame, 1000), PIXORA_TAKE_TIMEOUT);
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        EXPECT_EQ(TakeAndReturn().sequence, static_cast<uint64_t>(pulse));
    }
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
}

// --- The settings each frame was taken with -----------------------------------------------

// Exposure flipped between two values while frames stream: every frame's brightness is
// that of the exposure its meta names, and each change shows in a frame soon after.
TEST_F(FrameQueue, ExposureAndGainSetWhileStreamingAreThoseOfTheFrameTheyShowIn) {
    ASSERT_EQ(PixoraSim_SetFps(0, 300), 1);
    for (const int32_t raw : {0, 1}) {
        ASSERT_EQ(Pixora_SetColorMode(camera_, raw ? 16 : 24), 1);
        const PixoraStreamOptions options = Options(4, 0, raw, PIXORA_DROP_OLDEST);
        ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
        int32_t changes = 0;
        for (int i = 0; i < 24; ++i) {
            // Each step changes the exposure, the gain or both.
            const int32_t exposure = i % 2 == 0 ? 64 : 32;
            const int32_t gain = i % 4 < 2 ? 656 : 200;
            ASSERT_EQ(Pixora_SetExposureTime(camera_, exposure), 1);
            ASSERT_EQ(Pixora_SetGlobalGain(camera_, gain), 1);
            bool seen = false;
            for (int n = 0; n < 50 && !seen; ++n) {
                PixoraStreamFrame frame;
                ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
                // The white bar, as the camera's response gives it for the meta's settings.
                const double expected =
                    SensorLevel(255, static_cast<uint32_t>(frame.meta.analogGain),
                                static_cast<uint32_t>(frame.meta.exposure)) /
                    (raw ? 1.0 : 4.0);
                const double measured =
                    raw ? MeanOf(frame, 0, 4, 4, 8, 8) : MeanOf(frame, 1, 4, 4, 8, 8);
                EXPECT_NEAR(measured, expected, expected * 0.05 + 2)
                    << "frame " << frame.meta.sequence << " exposure " << frame.meta.exposure
                    << " gain " << frame.meta.analogGain;
                seen = frame.meta.exposure == exposure && frame.meta.analogGain == gain;
                EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
            }
            EXPECT_TRUE(seen) << "exposure " << exposure << ", gain " << gain << " never seen";
            ++changes;
        }
        EXPECT_EQ(changes, 24);
        ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    }
}

TEST_F(FrameQueue, ASettingMadeBetweenPulsesIsThatOfTheNextPulsesFrame) {
    const PixoraStreamOptions options = Options(2, 1, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    for (const int32_t exposure : {64, 32, 48, 16}) {
        ASSERT_EQ(Pixora_SetExposureTime(camera_, exposure), 1);
        ASSERT_EQ(PixoraSim_Trigger(0), 1);
        PixoraStreamFrame frame;
        ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
        EXPECT_EQ(frame.meta.exposure, exposure);
        EXPECT_NEAR(MeanOf(frame, 0, 4, 4, 8, 8), SensorLevel(255, 656, exposure) / 4.0, 2);
        EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
    }
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
}

TEST_F(FrameQueue, WhiteBalanceSetWhileStreamingIsThatOfTheFrameItShowsIn) {
    ASSERT_EQ(PixoraSim_SetFps(0, 300), 1);
    ASSERT_EQ(Pixora_SetColorMode(camera_, 24), 1);
    ASSERT_EQ(Pixora_SetExposureTime(camera_, 32), 1);  // white at 100: room for a gain of 2
    const PixoraStreamOptions options = Options(4, 0, 0, PIXORA_DROP_OLDEST);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    for (int i = 0; i < 12; ++i) {
        const int32_t red = i % 2 == 0 ? 200 : 100;
        ASSERT_EQ(Pixora_SetBayerGainRed(camera_, red), 1);
        bool seen = false;
        for (int n = 0; n < 50 && !seen; ++n) {
            PixoraStreamFrame frame;
            ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
            const double blue = MeanOf(frame, 0, 4, 4, 8, 8);
            const double measuredRed = MeanOf(frame, 2, 4, 4, 8, 8);
            EXPECT_NEAR(measuredRed / blue, frame.meta.whiteBalanceRed / 100.0, 0.1)
                << "frame " << frame.meta.sequence;
            EXPECT_EQ(frame.meta.whiteBalanceGreen, 100);
            EXPECT_EQ(frame.meta.whiteBalanceBlue, 100);
            seen = frame.meta.whiteBalanceRed == red;
            EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
        }
        EXPECT_TRUE(seen) << "red gain " << red << " never seen";
    }
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
}

// --- The raw mosaic and its pattern ------------------------------------------------------

// Whatever the stored picture settings, a raw frame is the camera's mosaic: the samples the
// virtual camera rendered for the frame's gain and exposure, 8 or 10 bits.
TEST_F(FrameQueue, RawFramesAreTheCamerasSamplesWhateverThePictureSettings) {
    ASSERT_EQ(Pixora_SetGamma(camera_, 150), 1);
    ASSERT_EQ(Pixora_SetContrast(camera_, 40), 1);
    ASSERT_EQ(Pixora_SetSharpness(camera_, 8), 1);
    ASSERT_EQ(Pixora_SetBrightness(camera_, -30), 1);
    ASSERT_EQ(Pixora_SetMirrorV(camera_, 1), 1);
    ASSERT_EQ(Pixora_SetGrayMode(camera_, 1), 1);
    ASSERT_EQ(Pixora_SetGrayGainR(camera_, 200), 1);
    for (const int32_t mode : {8, 24, 32, 16, 48, 64}) {
        ASSERT_EQ(Pixora_SetColorMode(camera_, mode), 1);
        const PixoraStreamOptions options = Options(2, 0, 1);
        ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
        PixoraStreamFrame frame;
        ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
        const bool wide = mode == 16 || mode >= 48;
        EXPECT_EQ(frame.bitsPerPixel, wide ? 16 : 8);
        EXPECT_EQ(frame.meta.colorMode, mode);
        EXPECT_EQ(frame.meta.raw, 1);
        EXPECT_EQ(frame.meta.bayerPattern, PIXORA_BAYER_GRBG);
        EXPECT_EQ(frame.stride, StrideOf(160, wide ? 16 : 8));
        PatternKey key;
        key.scene = SceneKind::Bars;
        key.bytesPerSample = wide ? 2 : 1;
        key.gain = static_cast<uint32_t>(frame.meta.analogGain);
        key.exposure = static_cast<uint32_t>(frame.meta.exposure);
        const ScenePattern camera(key);
        int32_t differences = 0;
        for (uint32_t y = 0; y < 120; ++y) {
            const uint8_t* row = PixelsOf(frame) + static_cast<size_t>(y) * frame.stride;
            for (uint32_t x = 0; x < 160; ++x) {
                const uint32_t level = camera.Level(x, y);
                const uint32_t sample =
                    wide ? static_cast<uint32_t>(row[2 * x] | (row[2 * x + 1] << 8)) : row[x];
                differences += sample != (wide ? level : level >> 2);
            }
        }
        EXPECT_EQ(differences, 0) << "colour mode " << mode;
        EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
        ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    }
}

TEST_F(FrameQueue, RawFramesEqualTheSnapshotsRawImageWithNeutralSettings) {
    ASSERT_EQ(Pixora_SetColorMode(camera_, 16), 1);
    std::vector<uint8_t> snapshot(static_cast<size_t>(StrideOf(160, 16)) * 120);
    ASSERT_EQ(Pixora_SnapShot(camera_, snapshot.data(), static_cast<int32_t>(snapshot.size()), 1),
              1);
    ASSERT_EQ(Pixora_SetContrast(camera_, 60), 1);  // the stream's frame is raw all the same
    const PixoraStreamOptions options = Options(2, 0, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    PixoraStreamFrame frame;
    ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
    ASSERT_EQ(frame.bytes, snapshot.size());
    EXPECT_EQ(std::memcmp(PixelsOf(frame), snapshot.data(), snapshot.size()), 0);
    EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
}

class FrameQueueWindow : public FrameQueue {
protected:
    void SetUp() override {
        format_.column = 851;  // the red bar, starting at an odd column
        format_.row = 0;
        FrameQueue::SetUp();
    }
};

TEST_F(FrameQueueWindow, TheBayerPatternFollowsTheWindowStartAndNamesTheSitesColours) {
    EXPECT_EQ(PixoraEx_GetBayerPattern(camera_), PIXORA_BAYER_RGGB);
    EXPECT_EQ(PixoraEx_GetBayerPattern(nullptr), -1);
    const PixoraStreamOptions options = Options(2, 0, 1);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    PixoraStreamFrame frame;
    ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
    EXPECT_EQ(frame.meta.bayerPattern, PIXORA_BAYER_RGGB);
    // In the red bar the red site (top left of RGGB) is bright, the others dark.
    const uint8_t* top = PixelsOf(frame) + 20 * frame.stride;
    const uint8_t* next = top + frame.stride;
    EXPECT_GT(top[20], 150);
    EXPECT_LT(top[21], 20);
    EXPECT_LT(next[20], 20);
    EXPECT_LT(next[21], 20);
    EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
}

TEST_F(FrameQueue, TheFullWindowsPatternIsGrbg) {
    EXPECT_EQ(PixoraEx_GetBayerPattern(camera_), PIXORA_BAYER_GRBG);
}

// --- The stream beside the other captures ---------------------------------------------

TEST_F(FrameQueue, OtherCapturesRefuseWithoutErrorWhileAStreamRunsAndSeeNoFrame) {
    const PixoraStreamOptions options = Options(2);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    TakeAndReturn();
    std::vector<uint8_t> image(static_cast<size_t>(StrideOf(160, 24)) * 120);
    const int32_t size = static_cast<int32_t>(image.size());
    EXPECT_EQ(Pixora_StartPreview(camera_), 0);
    EXPECT_EQ(Pixora_Preview(camera_), 0);
    EXPECT_EQ(Pixora_CallBackPreview(camera_, frames_, image.data(), size, 1), 0);
    EXPECT_EQ(Pixora_Trigger(camera_, frames_, image.data(), size, 1), 0);
    EXPECT_EQ(PixoraEx_StartTrigger(camera_), 0);
    EXPECT_EQ(Pixora_Capture(camera_), 0);
    EXPECT_EQ(Pixora_SnapShot(camera_, image.data(), size, 1), 0);
    EXPECT_EQ(PixoraEx_OpenStream(camera_, &options), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    // Its frames go to the queue only.
    EXPECT_EQ(PixoraEx_WaitFrame(camera_, 0, 10000), 0);
    EXPECT_EQ(Pixora_GetImage(camera_, image.data(), size, 1), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{PIXORA_ERR_BUFFER});
    // Still running.
    TakeAndReturn();
    EXPECT_EQ(Pixora_StopPreview(camera_), 1);  // ends the stream too
    PixoraStreamFrame frame;
    EXPECT_EQ(Take(&frame, 0), PIXORA_TAKE_STOPPED);
    // And the other way round: a stream does not start over a preview.
    ASSERT_EQ(Pixora_StartPreview(camera_), 1);
    EXPECT_EQ(PixoraEx_OpenStream(camera_, &options), 0);
    EXPECT_EQ(DrainErrors(), std::vector<int32_t>{});
    ASSERT_EQ(Pixora_StopPreview(camera_), 1);
    ExpectEveryFrameAccountedFor();
}

TEST_F(FrameQueue, OptionsOutOfRangeAreRefusedWithNine) {
    std::vector<PixoraStreamOptions> bad(8, Options(4));
    bad[0].size = sizeof(PixoraStreamOptions) - 4;
    bad[1].buffers = PIXORA_STREAM_MAX_BUFFERS + 1;
    bad[2].buffers = -1;
    bad[3].triggered = 2;
    bad[4].raw = -1;
    bad[5].dropPolicy = 2;
    bad[6].reserved[1] = 7;
    bad[7].size = 0;
    for (size_t i = 0; i < bad.size(); ++i) {
        EXPECT_EQ(PixoraEx_OpenStream(camera_, &bad[i]), 0) << i;
        EXPECT_EQ(DrainErrors(), std::vector<int32_t>{PIXORA_ERR_BAD_ARGUMENT}) << i;
    }
    EXPECT_EQ(PixoraEx_GetCaptureState(camera_), 0);
    const PixoraStreamOptions most = Options(PIXORA_STREAM_MAX_BUFFERS);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &most), 1);
    EXPECT_EQ(Status().buffers, PIXORA_STREAM_MAX_BUFFERS);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    EXPECT_EQ(PixoraEx_OpenStream(nullptr, &most), 0);
    EXPECT_EQ(PixoraEx_CloseStream(nullptr), -1);
}

TEST_F(FrameQueue, BadRecordsUnknownHandlesAndForgedReturnsChangeNothing) {
    PixoraStreamFrame frame = EmptyFrame();
    EXPECT_EQ(PixoraEx_TakeFrame(nullptr, &frame, 0), PIXORA_TAKE_NO_CAMERA);
    EXPECT_EQ(PixoraEx_TakeFrame(camera_, &frame, 0), PIXORA_TAKE_STOPPED);  // no stream
    const PixoraStreamOptions options = Options(2);
    ASSERT_EQ(PixoraEx_OpenStream(camera_, &options), 1);
    EXPECT_EQ(PixoraEx_TakeFrame(camera_, nullptr, 0), PIXORA_TAKE_BAD_RECORD);
    PixoraStreamFrame shortRecord = EmptyFrame();
    shortRecord.size = sizeof shortRecord - 8;
    EXPECT_EQ(PixoraEx_TakeFrame(camera_, &shortRecord, 0), PIXORA_TAKE_BAD_RECORD);
    EXPECT_EQ(PixoraEx_TakeFrame(camera_, &frame, -2), PIXORA_TAKE_BAD_RECORD);

    ASSERT_EQ(Take(&frame), PIXORA_TAKE_FRAME);
    EXPECT_EQ(PixoraEx_ReturnFrame(nullptr), 0);
    PixoraStreamFrame forged = frame;
    forged.lease += 1000;
    EXPECT_EQ(PixoraEx_ReturnFrame(&forged), 0);
    forged = frame;
    forged.pixels.data = static_cast<uint8_t*>(frame.pixels.data) + 64;
    EXPECT_EQ(PixoraEx_ReturnFrame(&forged), 0);
    PixoraStreamFrame zero{};
    EXPECT_EQ(PixoraEx_ReturnFrame(&zero), 0);
    EXPECT_EQ(Status().held, 1);  // none of those gave it back
    EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 1);
    EXPECT_EQ(PixoraEx_ReturnFrame(&frame), 0);
    EXPECT_EQ(Status().held, 0);
    ASSERT_EQ(PixoraEx_CloseStream(camera_), 1);
    EXPECT_EQ(PixoraEx_CloseStream(camera_), 1);  // none open: nothing to do
}

}  // namespace
}  // namespace pixora::test
