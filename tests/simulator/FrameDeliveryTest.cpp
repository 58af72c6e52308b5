// When frames come: at once, paced, on trigger pulses, or not before the time-out.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "WireClient.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

using test::kFullFrame8;
using test::MakeBlock;
using test::WireClient;

// Waits (boundedly) until a read blocks inside the camera, so a test can act on a waiting
// read rather than on one that has not started yet.
bool WaitForWaitingRead(const VirtualCameraBus& bus, int index) {
    for (int i = 0; i < 5000; ++i) {
        if (bus.Status(index)->readsWaiting > 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

struct ReadResult {
    bool ok = false;
    uint32_t returned = 0;
    uint32_t stamp = 0;
};

ReadResult ReadOne(WireClient& host, uint32_t size = kFullFrame8) {
    std::vector<uint8_t> frame;
    ReadResult r;
    r.ok = host.ReadFrame(frame, size, &r.returned);
    r.stamp = r.ok && r.returned >= 4 ? FrameStamp(frame.data()) : 0;
    return r;
}

TEST(FrameDelivery, WithoutPacingEveryReadGetsTheNextFrame) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    for (uint32_t i = 1; i <= 4; ++i) {
        const ReadResult r = ReadOne(host);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.stamp, i);
    }
    EXPECT_EQ(bus.Status(0)->counters.framesSent, 4u);
}

TEST(FrameDelivery, PacingHoldsTheNextFrameBack) {
    VirtualCameraBus bus("fps=1");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.SetTimeout(100));
    EXPECT_TRUE(ReadOne(host).ok);
    EXPECT_FALSE(ReadOne(host).ok) << "the next frame is a second away";
    EXPECT_EQ(bus.Log(0).back().outcome, RequestOutcome::TimedOut);
    EXPECT_EQ(bus.Status(0)->counters.framesFailed, 1u);
}

TEST(FrameDelivery, HalfClockHalvesTheFrameRate) {
    VirtualCameraBus bus("fps=1");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.SetTimeout(1500));
    ASSERT_TRUE(ReadOne(host).ok);
    EXPECT_TRUE(ReadOne(host).ok) << "a frame per second comes within 1.5 s";
    ASSERT_TRUE(host.Send(MakeBlock(35, {1})));
    ASSERT_TRUE(ReadOne(host).ok);
    EXPECT_FALSE(ReadOne(host).ok) << "at half clock the next frame is two seconds away";
}

TEST(FrameDelivery, TriggerModeWaitsForAPulse) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(30));
    EXPECT_FALSE(ReadOne(host).ok);
    EXPECT_EQ(bus.Log(0).back().outcome, RequestOutcome::TimedOut);

    ASSERT_TRUE(host.SetTimeout(60000));
    auto pending = std::async(std::launch::async, [&] { return ReadOne(host); });
    ASSERT_TRUE(WaitForWaitingRead(bus, 0));
    EXPECT_TRUE(bus.Trigger(0));
    const ReadResult r = pending.get();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.returned, kFullFrame8);
}

TEST(FrameDelivery, PulsesAheadOfTheReadsAreKeptUpToALimit) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(30));
    for (uint32_t i = 0; i < kMaxPendingTriggers + 4; ++i) {
        EXPECT_TRUE(bus.Trigger(0));
    }
    EXPECT_EQ(bus.Status(0)->pendingTriggers, kMaxPendingTriggers);
    for (uint32_t i = 0; i < kMaxPendingTriggers; ++i) {
        ASSERT_TRUE(ReadOne(host).ok) << "pulse " << i;
    }
    EXPECT_FALSE(ReadOne(host).ok);
}

TEST(FrameDelivery, LeavingTriggerModeDropsPulsesAndRunsFree) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    EXPECT_TRUE(bus.Trigger(0));  // free-running: nothing kept
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    EXPECT_EQ(bus.Status(0)->pendingTriggers, 0u);
    EXPECT_TRUE(bus.Trigger(0));
    ASSERT_TRUE(host.Send(MakeBlock(40, {0})));
    EXPECT_EQ(bus.Status(0)->pendingTriggers, 0u);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(30));
    EXPECT_FALSE(ReadOne(host).ok);
    EXPECT_FALSE(bus.Trigger(1));
    EXPECT_FALSE(bus.Trigger(8));
    EXPECT_FALSE(bus.Trigger(-1));
}

TEST(FrameDelivery, SwitchingTriggerOffReleasesAWaitingRead) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    WireClient control(bus, 0);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(60000));
    auto pending = std::async(std::launch::async, [&] { return ReadOne(host); });
    ASSERT_TRUE(WaitForWaitingRead(bus, 0));
    ASSERT_TRUE(control.Send(MakeBlock(40, {0})));
    EXPECT_TRUE(pending.get().ok);
}

TEST(FrameDelivery, ClosingTheHandleEndsAWaitingRead) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(60000));
    const DriverHandle handle = host.Handle();
    auto pending = std::async(std::launch::async, [&] {
        std::vector<uint8_t> frame(kFullFrame8);
        uint8_t pipe[4] = {2, 0, 0, 0};
        uint32_t returned = 77;
        const bool ok = bus.Control(handle, wire::kCodePipeSecond, pipe, 4, frame.data(),
                                    kFullFrame8, &returned);
        return ok || returned != 0;
    });
    ASSERT_TRUE(WaitForWaitingRead(bus, 0));
    host.Close();
    EXPECT_FALSE(pending.get());
    const auto log = bus.Log(0);
    ASSERT_FALSE(log.empty());
    const auto frame = std::find_if(log.begin(), log.end(), [](const RequestRecord& r) {
        return r.kind == RequestKind::Frame;
    });
    ASSERT_NE(frame, log.end());
    EXPECT_EQ(frame->outcome, RequestOutcome::NoDevice);
    EXPECT_EQ(bus.Status(0)->readsWaiting, 0u);
}

TEST(FrameDelivery, ResetEndsAWaitingRead) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(60000));
    auto pending = std::async(std::launch::async, [&] { return ReadOne(host); });
    ASSERT_TRUE(WaitForWaitingRead(bus, 0));
    bus.Reset();
    EXPECT_FALSE(pending.get().ok);
}

TEST(FrameDelivery, MaxWaitBoundsTheDriverTimeout) {
    VirtualCameraBus bus("fps=0 maxwait=20");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(600000));
    EXPECT_FALSE(ReadOne(host).ok);  // would hang for ten minutes without the bound
    EXPECT_EQ(bus.Status(0)->timeoutMs, 600000u);
}

TEST(FrameDelivery, MovingSceneChangesEveryFrame) {
    VirtualCameraBus bus("fps=0 scene=moving");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.SetGainAndExposure(656, 64));
    std::vector<uint8_t> first;
    std::vector<uint8_t> second;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(first, kFullFrame8, &returned));
    ASSERT_TRUE(host.ReadFrame(second, kFullFrame8, &returned));
    const size_t row = test::SampleOffset(0, 10, 1);
    EXPECT_FALSE(std::equal(first.begin() + static_cast<ptrdiff_t>(row),
                            first.begin() + static_cast<ptrdiff_t>(row + wire::kSensorWidth),
                            second.begin() + static_cast<ptrdiff_t>(row)));
    // The same picture, one step further right.
    EXPECT_EQ(second[row + kMovingStep + 200], first[row + 200]);
}

TEST(FrameDelivery, StaticScenesRepeatExactly) {
    VirtualCameraBus bus("fps=0 scene=gradient");
    WireClient host(bus, 0);
    ASSERT_TRUE(host.SetGainAndExposure(400, 200));
    std::vector<uint8_t> first;
    std::vector<uint8_t> second;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(first, kFullFrame8, &returned));
    ASSERT_TRUE(host.ReadFrame(second, kFullFrame8, &returned));
    EXPECT_TRUE(std::equal(first.begin() + 4, first.end(), second.begin() + 4));
    EXPECT_NE(FrameStamp(first.data()), FrameStamp(second.data()));
    EXPECT_LT(first[test::SampleOffset(100, 100, 1)], first[test::SampleOffset(1100, 900, 1)]);
}

// A requested frame is taken with the gain and exposure of its request; writes after the
// request show from the next one. A frame without a request takes the registers it finds.
TEST(FrameDelivery, ARequestedFrameKeepsTheSettingsOfItsRequest) {
    VirtualCameraBus bus("fps=0");
    WireClient host(bus, 0);
    WireClient commands(bus, 0);
    const auto whiteAt = [](const std::vector<uint8_t>& frame) {
        return frame[test::SampleOffset(4, 4, 1)];  // in the white bar
    };
    ASSERT_TRUE(commands.SetGainAndExposure(656, 64));
    ASSERT_TRUE(host.Send(MakeBlock(wire::kCmdRequestFrame), wire::kCodePipeFirst));
    ASSERT_TRUE(commands.SetGainAndExposure(656, 32));  // after the request
    std::vector<uint8_t> frame;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_EQ(whiteAt(frame), SensorLevel(255, 656, 64) >> 2);
    ASSERT_TRUE(host.Send(MakeBlock(wire::kCmdRequestFrame), wire::kCodePipeFirst));
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_EQ(whiteAt(frame), SensorLevel(255, 656, 32) >> 2);
    // No request: the registers of the moment, also on the handle that requested before.
    ASSERT_TRUE(commands.SetGainAndExposure(656, 16));
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_EQ(whiteAt(frame), SensorLevel(255, 656, 16) >> 2);
    // A request on another handle fixes nothing for this one.
    ASSERT_TRUE(commands.Send(MakeBlock(wire::kCmdRequestFrame), wire::kCodePipeFirst));
    ASSERT_TRUE(commands.SetGainAndExposure(656, 48));
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_EQ(whiteAt(frame), SensorLevel(255, 656, 48) >> 2);
}

}  // namespace
}  // namespace pixora
