// Streaming into the slot ring: the wire sequence, the newest-frame rule, the held slot, the
// busy rules, stopping, and every way a run can end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "FakeDriverPort.h"
#include "PollUntilChange.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "platform/Clock.h"

namespace pixora {
namespace {

using test::FakeDriverPort;
using test::Request;

constexpr int kWidth = 16;
constexpr int kHeight = 8;

class StreamTest : public ::testing::Test {
protected:
    StreamTest() : device(port.Port()), pixels(kWidth * kHeight * 2) {
        EXPECT_EQ(device.SetWindow(0, 0, kWidth, kHeight, 0), kDevOk);
        port.ClearLog();
    }

    int32_t PollUntilChange() { return test::PollUntilChange(device); }

    // Releases `count` gated frames and waits until the worker has published them and
    // stands in the next read.
    void Deliver(int count) {
        delivered += count;
        port.ReleaseFrames(count);
        ASSERT_TRUE(port.WaitFrameReadsStarted(delivered + 1));
    }

    int32_t Convert() { return device.ConvertLatest(RawDestination{pixels.data(), pixels.size()}); }

    // True when every pixel of the 8-bit window holds the same value.
    bool Uniform() const {
        for (int i = 0; i < kWidth * kHeight; ++i) {
            if (pixels[i] != pixels[0]) {
                return false;
            }
        }
        return true;
    }

    // The slot each pipe-2 read went into, in order: read k carried frame k.
    std::vector<const void*> ReadSlots() const {
        std::vector<const void*> slots;
        for (const Request& r : port.Log()) {
            if (r.kind == Request::kControl && r.in.size() == 4 && r.in[0] == 2) {
                slots.push_back(r.out);
            }
        }
        return slots;
    }

    FakeDriverPort port;
    PixoraDevice device;
    std::vector<uint8_t> pixels;
    int64_t delivered = 0;
};

TEST_F(StreamTest, EachFrameIsRequestedThenReadIntoTheNextSlot) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    Deliver(3);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);

    const auto log = port.Log();
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(log[0].kind, Request::kOpen);
    std::vector<const void*> slots;
    for (int frame = 0; frame < 3; ++frame) {
        const Request& request = log[1 + frame * 2];
        const Request& read = log[2 + frame * 2];
        EXPECT_EQ(request.code, 0x22204Eu);
        EXPECT_EQ(request.in, (std::vector<uint8_t>{0, 0, 0, 0}));
        ASSERT_EQ(request.block.size(), 64u);
        EXPECT_EQ(request.block[0], 2);
        EXPECT_EQ(read.code, 0x222051u);
        EXPECT_EQ(read.in, (std::vector<uint8_t>{2, 0, 0, 0}));
        EXPECT_EQ(read.outSize, static_cast<uint32_t>(device.Geometry().transferSamples));
        slots.push_back(read.out);
    }
    EXPECT_EQ(std::set<const void*>(slots.begin(), slots.end()).size(), 3u);
    EXPECT_EQ(log.back().kind, Request::kClose);
    EXPECT_EQ(port.OpenHandles(), 0);
    EXPECT_GE(device.LastFrameCount(), 3u);
}

TEST_F(StreamTest, TenBitStreamsMoveTwoBytesPerSample) {
    device.SetSampleWidth(1);
    port.ClearLog();
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    Deliver(1);
    ASSERT_EQ(PollUntilChange(), 3);
    std::vector<uint8_t> wide(kWidth * kHeight * 2);
    ASSERT_EQ(device.ConvertLatest(RawDestination{wide.data(), wide.size(), 0, 2}), kDevOk);
    uint16_t value = 0;
    std::memcpy(&value, wide.data() + 10, 2);
    EXPECT_EQ(value, 1 * 4 + 1);
    port.SetGated(false);
    device.StopStream();
    EXPECT_EQ(port.Log()[2].outSize, 2u * static_cast<uint32_t>(device.Geometry().transferSamples));
}

TEST_F(StreamTest, NoFrameUntilTheFirstIsComplete) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    ASSERT_TRUE(port.WaitFrameReadsStarted(1));
    EXPECT_EQ(device.PollFrame(), 2);
    EXPECT_EQ(Convert(), kDevNoBuffer);  // nothing was handed out
    Deliver(1);
    EXPECT_EQ(device.PollFrame(), 3);
    EXPECT_EQ(Convert(), kDevOk);
    EXPECT_EQ(pixels[0], 1);
    EXPECT_EQ(device.PollFrame(), 2);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
}

TEST_F(StreamTest, ASlowConsumerGetsTheNewestCompleteFrame) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    // Batches below, at and above the ring size, so the writer wraps and skips.
    for (int batch : {1, 3, 9, 10, 15, 2, 23, 1, 1, 11}) {
        Deliver(batch);
        ASSERT_EQ(device.PollFrame(), 3) << batch;
        const int64_t newest = delivered;
        // Frames keep arriving while the consumer holds its slot.
        Deliver(2);
        ASSERT_EQ(Convert(), kDevOk);
        EXPECT_TRUE(Uniform());
        EXPECT_EQ(pixels[0], static_cast<uint8_t>(newest)) << batch;

        // Read k wrote frame k: the held slot is that of frame `newest`; none of the reads
        // after it, including the one running at the poll, went into that slot.
        const std::vector<const void*> reads = ReadSlots();
        ASSERT_GT(reads.size(), static_cast<std::size_t>(newest));
        const void* held = reads[static_cast<std::size_t>(newest - 1)];
        for (std::size_t k = static_cast<std::size_t>(newest); k < reads.size(); ++k) {
            EXPECT_NE(reads[k], held) << batch << " read " << k + 1;
        }

        ASSERT_EQ(device.PollFrame(), 3);
        ASSERT_EQ(Convert(), kDevOk);
        EXPECT_EQ(pixels[0], static_cast<uint8_t>(delivered));
    }
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
}

TEST_F(StreamTest, WithTwoSlotsTheWriterKeepsToTheOtherSlot) {
    ASSERT_EQ(device.SetFrameGeometry(1791, 424, kWidth, 1060, 14, kHeight, 2), kDevOk);
    port.ClearLog();
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    Deliver(1);
    ASSERT_EQ(device.PollFrame(), 3);
    Deliver(6);
    const std::vector<const void*> reads = ReadSlots();
    ASSERT_EQ(reads.size(), 8u);
    for (std::size_t k = 1; k < reads.size(); ++k) {
        EXPECT_NE(reads[k], reads[0]) << k;
        EXPECT_EQ(reads[k], reads[1]) << k;
    }
    ASSERT_EQ(Convert(), kDevOk);
    EXPECT_EQ(pixels[0], 1);  // the held slot was never written again
    // The other slot is being filled again: nothing complete to hand out until it is done.
    EXPECT_EQ(device.PollFrame(), 2);
    Deliver(1);
    ASSERT_EQ(device.PollFrame(), 3);
    ASSERT_EQ(Convert(), kDevOk);
    EXPECT_EQ(pixels[0], 8);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
}

TEST_F(StreamTest, AFreeRunningCameraNeverHandsOutATornFrame) {
    // The camera delivers far faster than the consumer converts; the order of frames is
    // checked with released frames above, here only that no frame is mixed.
    ASSERT_EQ(device.StartStream(), kDevOk);
    int converted = 0;
    std::set<uint8_t> seen;
    // Bounded by a generous deadline rather than a number of polls: under a sanitizer on a
    // loaded machine the stream thread may be slow to get its turn.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (converted < 50 && std::chrono::steady_clock::now() < deadline) {
        if (device.PollFrame() != 3) {
            SleepMs(1);
            continue;
        }
        ASSERT_EQ(Convert(), kDevOk);
        ASSERT_TRUE(Uniform()) << converted;
        seen.insert(pixels[0]);
        ++converted;
    }
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_EQ(converted, 50);
    EXPECT_GT(seen.size(), 1u);
}

TEST_F(StreamTest, BusyWhileStreaming) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    EXPECT_EQ(device.StartStream(), kDevBusy);
    EXPECT_TRUE(device.IsStreaming());
    EXPECT_EQ(device.SetFrameGeometry(1791, 424, 1360, 1060, 14, 1024, 10), kDevBusy);
    EXPECT_EQ(device.SetWindow(0, 0, 32, 8, 0), kDevBusy);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_EQ(device.SetWindow(0, 0, 32, 8, 0), kDevOk);
}

TEST_F(StreamTest, StopWithoutAStreamReturnsAtOnce) {
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_EQ(device.PollFrame(), 0);
    EXPECT_TRUE(port.Log().empty());
}

// This port cannot cancel a read: the driver's time-out bounds the stop, and the read it
// ends is the stop's, not a failure of the run.
TEST_F(StreamTest, AStopDuringAStalledTransferThatCannotBeCancelledEndsAtTheTimeout) {
    device.SetTransferTimeout(30);
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    ASSERT_TRUE(port.WaitFrameReadsStarted(1));
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_EQ(device.LastFrameCount(), 1u);
    EXPECT_EQ(port.FramesCompleted(), 0);
    EXPECT_EQ(port.OpenHandles(), 0);
    EXPECT_EQ(device.PollFrame(), 0);
}

TEST_F(StreamTest, AFailedTransferEndsTheRunWithTheErrorFlag) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    Deliver(2);
    port.FailFramesAfter(3);
    port.ReleaseFrames(5);
    int32_t poll = 2;
    for (int i = 0; i < 4000 && poll != 1; ++i) {
        poll = device.PollFrame();
        if (poll == 3) {
            ASSERT_EQ(Convert(), kDevOk);
        }
        SleepMs(1);
    }
    EXPECT_EQ(poll, 1);
    EXPECT_EQ(device.PollFrame(), 1);
    EXPECT_EQ(Convert(), kDevNoBuffer);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
    EXPECT_EQ(device.PollFrame(), 0);
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST_F(StreamTest, TheSlotOfAFailedTransferIsNeverHandedOut) {
    port.FailFramesAfter(1);
    ASSERT_EQ(device.StartStream(), kDevOk);
    // Frame 1 arrives, frame 2 fails. Whatever the timing, a frame handed out is frame 1.
    for (int i = 0; i < 4000; ++i) {
        const int32_t poll = device.PollFrame();
        if (poll == 3) {
            ASSERT_EQ(Convert(), kDevOk);
            EXPECT_EQ(pixels[0], 1);
        } else if (poll == 1) {
            break;
        }
        SleepMs(1);
    }
    EXPECT_EQ(device.PollFrame(), 1);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
}

TEST_F(StreamTest, ARunThatEndedByItselfCanBeRestarted) {
    port.SetFrameShortBy(2);
    ASSERT_EQ(device.StartStream(), kDevOk);
    EXPECT_EQ(PollUntilChange(), 1);
    port.SetFrameShortBy(0);
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    EXPECT_NE(device.PollFrame(), 1);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
}

TEST_F(StreamTest, ConvertLatestRefusesMissingOrSmallDestinations) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(), kDevOk);
    Deliver(1);
    ASSERT_EQ(device.PollFrame(), 3);
    EXPECT_EQ(device.ConvertLatest(RawDestination{}), kDevNoBuffer);
    EXPECT_EQ(device.ConvertLatest(RawDestination{pixels.data(), kWidth * kHeight - 1}),
              kDevNoBuffer);
    // The frame is still held after a refused conversion.
    EXPECT_EQ(Convert(), kDevOk);
    port.SetGated(false);
    device.StopStream();
}

TEST(StreamLifetime, DestroyingAStreamingDeviceStopsItsWorker) {
    FakeDriverPort port;
    {
        PixoraDevice device(port.Port());
        ASSERT_EQ(device.SetWindow(0, 0, 16, 8, 0), kDevOk);
        ASSERT_EQ(device.StartStream(), kDevOk);
        ASSERT_TRUE(port.WaitFramesCompleted(3));
    }
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST(StreamLifetime, TwoDevicesStreamAtOnceEachWithItsOwnWorker) {
    FakeDriverPort port;
    port.SetPresent({0, 1});
    PixoraDevice first(port.Port());
    PixoraDevice second(port.Port());
    ASSERT_EQ(second.Open(1), kDevOk);
    ASSERT_EQ(first.SetWindow(0, 0, 16, 8, 0), kDevOk);
    ASSERT_EQ(second.SetWindow(0, 0, 16, 8, 0), kDevOk);
    ASSERT_EQ(first.StartStream(), kDevOk);
    ASSERT_EQ(second.StartStream(), kDevOk);
    ASSERT_TRUE(port.WaitFramesCompleted(10));
    EXPECT_EQ(first.StopStream(), kDevOk);
    EXPECT_TRUE(second.IsStreaming());
    EXPECT_EQ(second.StopStream(), kDevOk);
    EXPECT_EQ(port.OpenHandles(), 0);
}

// --- The frame queue's stream: every frame in turn, woken by the transfer ----------------

StreamMode InOrder(bool triggered = false) {
    StreamMode mode;
    mode.order = RingOrder::OldestFirst;
    mode.triggered = triggered;
    return mode;
}

TEST_F(StreamTest, AnInOrderStreamHandsOutEveryFrameAndWakesItsWaiter) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(InOrder()), kDevOk);
    Deliver(3);
    for (int frame = 1; frame <= 3; ++frame) {
        ASSERT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNewFrame);
        FrameArrival stamp;
        ASSERT_EQ(device.ConvertLatest(RawDestination{pixels.data(), pixels.size()}, &stamp),
                  kDevOk);
        EXPECT_EQ(pixels[0], frame);
        EXPECT_EQ(stamp.sequence, static_cast<uint64_t>(frame));
    }
    EXPECT_EQ(device.WaitStreamFrame(0), PixoraDevice::kPollNoNewFrame);
    // A waiter is woken by the next transfer's end.
    std::atomic<int32_t> woken{-1};
    std::thread waiter([&] { woken = device.WaitStreamFrame(-1); });
    port.ReleaseFrames(1);
    waiter.join();
    EXPECT_EQ(woken.load(), PixoraDevice::kPollNewFrame);
    FrameArrival released;
    EXPECT_EQ(device.ReleaseLatest(&released), kDevOk);
    EXPECT_EQ(released.sequence, 4u);
    EXPECT_EQ(device.ReleaseLatest(&released), kDevNoBuffer);  // nothing held now
    // Interrupted, every wait returns at once until the next stream starts.
    device.InterruptStreamWait();
    EXPECT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNoNewFrame);
    EXPECT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNoNewFrame);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
}

TEST_F(StreamTest, FramesCompleteBeforeAFailureAreHandedOutBeforeIt) {
    port.SetGated(true);
    ASSERT_EQ(device.StartStream(InOrder()), kDevOk);
    port.FailFramesAfter(3);
    port.ReleaseFrames(5);
    for (int frame = 1; frame <= 3; ++frame) {
        ASSERT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNewFrame) << frame;
        ASSERT_EQ(Convert(), kDevOk);
        EXPECT_EQ(pixels[0], frame);
    }
    EXPECT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollEndedWithError);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
}

TEST_F(StreamTest, FreeRunningFramesCarryTheSettingsOfTheirRequest) {
    port.SetGated(true);
    ASSERT_TRUE(device.SetExposure(100));
    ASSERT_TRUE(device.SetGain(300));
    ASSERT_EQ(device.StartStream(InOrder()), kDevOk);
    // The first frame's request went out before this write: it keeps 100.
    ASSERT_TRUE(port.WaitFrameReadsStarted(1));
    ASSERT_TRUE(device.SetExposure(200));
    port.ReleaseFrames(2);
    FrameArrival first;
    FrameArrival second;
    ASSERT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNewFrame);
    ASSERT_EQ(device.ReleaseLatest(&first), kDevOk);
    ASSERT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNewFrame);
    ASSERT_EQ(device.ReleaseLatest(&second), kDevOk);
    EXPECT_EQ(first.exposure, 100);
    EXPECT_EQ(second.exposure, 200);
    EXPECT_EQ(first.gain, 300);
    EXPECT_EQ(second.gain, 300);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
}

TEST_F(StreamTest, ATriggeredStreamRequestsNothingAndWaitsOutEveryTimeOut) {
    port.SetGated(true);
    port.SetDefaultTimeout(60);
    ASSERT_EQ(device.StartStream(InOrder(true)), kDevOk);
    // Three reads end at the time-out: each is made again, on the same connection.
    ASSERT_TRUE(port.WaitFrameReadsStarted(4));
    EXPECT_EQ(device.WaitStreamFrame(0), PixoraDevice::kPollNoNewFrame);
    EXPECT_TRUE(device.IsStreaming());
    EXPECT_EQ(port.OpenHandles(), 1);
    ASSERT_TRUE(device.SetExposure(321));  // between pulses: the next frame's
    port.ReleaseFrames(1);
    ASSERT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollNewFrame);
    FrameArrival stamp;
    ASSERT_EQ(device.ReleaseLatest(&stamp), kDevOk);
    EXPECT_EQ(stamp.exposure, 321);
    EXPECT_EQ(stamp.sequence, 1u) << "time-outs are no frames of the camera's";
    EXPECT_EQ(device.Frames().lost, 0u);
    port.SetGated(false);
    EXPECT_EQ(device.StopStream(), kDevOk);
    for (const Request& r : port.Log()) {
        EXPECT_FALSE(r.kind == Request::kControl && r.in.size() == 4 && r.in[0] == 0 &&
                     !r.block.empty() && r.block[0] == wire::kCmdRequestFrame)
            << "a triggered stream sends no frame request";
    }
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST_F(StreamTest, ATriggeredReadThatFailsOtherThanByTheTimeOutEndsTheStream) {
    port.SetGated(true);
    port.SetDefaultTimeout(60);
    ASSERT_EQ(device.StartStream(InOrder(true)), kDevOk);
    ASSERT_TRUE(port.WaitFrameReadsStarted(2));  // one time-out waited out
    port.FailFramesAfter(port.FrameReadsStarted());
    EXPECT_EQ(device.WaitStreamFrame(-1), PixoraDevice::kPollEndedWithError);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
    EXPECT_EQ(port.OpenHandles(), 0);
}

}  // namespace
}  // namespace pixora
