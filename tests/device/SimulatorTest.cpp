// The device layer against the virtual camera: what the camera made of our commands, real
// frames in both sample widths, trigger mode, and every injected fault.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "PollUntilChange.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "device/SensorInitTable.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

class SimulatorTest : public ::testing::Test {
protected:
    SimulatorTest() : bus("fps=0"), device(bus.Port()) {}

    uint32_t CameraRegister(uint32_t address) { return bus.ReadRegister(0, address).value_or(~0u); }

    int32_t PollUntilChange() { return test::PollUntilChange(device); }

    VirtualCameraBus bus;
    PixoraDevice device;
};

TEST_F(SimulatorTest, TheCameraHoldsWhatTheInitTableWrote) {
    bus.ClearLog();
    SensorInitTable(device);
    EXPECT_EQ(bus.CommandCount(0, wire::kCmdInitDevice).value_or(0), 1u);
    EXPECT_EQ(bus.CommandCount(0, wire::kCmdWriteRegister).value_or(0), 932u);
    for (const DecodedCommand& command : bus.Commands(0)) {
        EXPECT_TRUE(command.accepted) << command.address;
    }
    for (const RegisterWrite& w : SensorInitWrites()) {
        uint32_t cached = 0;
        ASSERT_TRUE(device.ReadRegister(w.reg, cached));
        EXPECT_EQ(CameraRegister(w.reg), cached) << w.reg;
    }
    EXPECT_EQ(CameraRegister(17), 30u);
    EXPECT_EQ(CameraRegister(32), 11u);
}

TEST_F(SimulatorTest, GainExposureAndTriggerReachTheCamera) {
    ASSERT_TRUE(device.SetGain(656));
    ASSERT_TRUE(device.SetExposure(64));
    auto status = bus.Status(0);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->gain, 656u);
    EXPECT_EQ(status->exposure, 64u);

    ASSERT_TRUE(device.WriteRegister(32, 0x35));
    ASSERT_TRUE(device.SetTrigger(1));
    EXPECT_TRUE(bus.Status(0)->triggerMode);
    EXPECT_EQ(CameraRegister(32), 0x25u);
    EXPECT_EQ(CameraRegister(33) & 0xF, 0xEu);
    ASSERT_TRUE(device.SetTrigger(0));
    EXPECT_FALSE(bus.Status(0)->triggerMode);
    EXPECT_EQ(CameraRegister(32), 0x35u);
    EXPECT_EQ(CameraRegister(33) & 0xF, 0x1u);
}

TEST_F(SimulatorTest, ClockQueryAnswersTheClockSet) {
    int32_t flag = -1;
    ASSERT_TRUE(device.QueryClock(flag));
    EXPECT_EQ(flag, 0);
    ASSERT_TRUE(device.SetClock(1));
    ASSERT_TRUE(device.QueryClock(flag));
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(bus.Status(0)->halfClock);
    EXPECT_EQ(bus.Status(0)->transferSamples, 1859584u);  // re-opened: full geometry again
}

TEST_F(SimulatorTest, EightAndTenBitCapturesAgree) {
    ASSERT_EQ(device.CaptureFrame(), kDevOk);
    ImageBuffer narrow;
    ASSERT_EQ(narrow.Create(1360, 1024, 8), 1);
    ASSERT_EQ(device.ConvertFrame(narrow), kDevOk);

    device.SetSampleWidth(1);
    ASSERT_EQ(device.CaptureFrame(), kDevOk);
    ImageBuffer wide;
    ASSERT_EQ(wide.Create(1360, 1024, 16), 1);
    ASSERT_EQ(device.ConvertFrame(wide), kDevOk);

    int differing = 0;
    int distinct = 0;
    uint8_t previous = narrow.Bits()[0];
    for (int row = 0; row < 1024; row += 7) {
        for (int column = 0; column < 1360; ++column) {
            const uint8_t eight = narrow.Bits()[row * narrow.Stride() + column];
            uint16_t ten = 0;
            std::memcpy(&ten, wide.Bits() + row * wide.Stride() + column * 2, 2);
            if (ten > 1023 || (ten >> 2) != eight) {
                ++differing;
            }
            distinct += eight != previous ? 1 : 0;
            previous = eight;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(distinct, 100);  // a scene, not a blank frame
}

TEST_F(SimulatorTest, StreamingDeliversFrames) {
    ASSERT_EQ(device.SetWindow(0, 0, 640, 480, 0), kDevOk);
    ImageBuffer image;
    ASSERT_EQ(image.Create(640, 480, 8), 1);
    ASSERT_EQ(device.StartStream(), kDevOk);
    int frames = 0;
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(PollUntilChange(), 3);
        ASSERT_EQ(device.ConvertLatest(image), kDevOk);
        ++frames;
    }
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_EQ(frames, 20);
    EXPECT_GE(bus.CommandCount(0, wire::kCmdRequestFrame).value_or(0), 20u);
    EXPECT_EQ(bus.OpenHandles(0), 0);
}

TEST_F(SimulatorTest, TriggerModeWaitsForThePulse) {
    ASSERT_EQ(device.SetWindow(0, 0, 64, 32, 0), kDevOk);
    ASSERT_TRUE(device.SetTrigger(1));
    std::thread pulse([&] {
        for (int i = 0; i < 2000 && bus.Status(0)->counters.framesSent == 0; ++i) {
            bus.Trigger(0);
            SleepMs(2);
        }
    });
    EXPECT_EQ(device.CaptureFrame(), kDevOk);
    pulse.join();
}

TEST_F(SimulatorTest, TriggerModeWithoutPulseEndsAtTheTimeout) {
    ASSERT_TRUE(device.SetTrigger(1));
    device.SetTransferTimeout(30);
    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    EXPECT_EQ(bus.OpenHandles(0), 0);
}

TEST_F(SimulatorTest, CamerasAtOneAndThree) {
    ASSERT_TRUE(bus.SetCameras(0b1010));
    device.ProbeDevices();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(device.IsPresent(i), i == 1 || i == 3) << i;
    }
    ASSERT_EQ(device.Open(3), kDevOk);
    EXPECT_EQ(device.CaptureFrame(), kDevOk);
    EXPECT_EQ(bus.Status(3)->counters.framesSent, 1u);
}

// --- Faults ---------------------------------------------------------------------------

TEST_F(SimulatorTest, AnAbsentCameraFailsToOpen) {
    ASSERT_TRUE(bus.SetFault(0, FaultKind::Absent, 0));
    EXPECT_EQ(device.CaptureFrame(), kDevOpenFailed);
    EXPECT_FALSE(device.WriteRegister(5, 1));
    EXPECT_EQ(device.StartStream(), kDevOk);
    EXPECT_EQ(PollUntilChange(), 0);
    EXPECT_EQ(device.StopStream(), kDevOpenFailed);
    device.ProbeDevices();
    EXPECT_FALSE(device.IsPresent(0));
}

TEST_F(SimulatorTest, AnOpenFailureIsReportedOnce) {
    ASSERT_TRUE(bus.SetFault(0, FaultKind::OpenFailure, 1));
    EXPECT_EQ(device.CaptureFrame(), kDevOpenFailed);
    EXPECT_EQ(device.CaptureFrame(), kDevOk);
}

TEST_F(SimulatorTest, AFailingCommandLeavesTheCache) {
    ASSERT_TRUE(device.WriteRegister(20, 5));
    ASSERT_TRUE(bus.SetFault(0, FaultKind::CommandFailure, 0));
    EXPECT_FALSE(device.WriteRegister(20, 9));
    EXPECT_FALSE(device.SetGain(100));
    uint32_t value = 0;
    ASSERT_TRUE(device.ReadRegister(20, value));
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(device.GetGain(), 0);
}

TEST_F(SimulatorTest, AShortReplyFailsTheClockQuery) {
    ASSERT_TRUE(bus.SetFault(0, FaultKind::ShortReply, 10));
    int32_t flag = 0;
    EXPECT_FALSE(device.QueryClock(flag));
}

TEST_F(SimulatorTest, AShortFrameFailsCaptureAndStream) {
    ASSERT_TRUE(bus.SetFault(0, FaultKind::ShortFrame, 1000));
    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    ASSERT_EQ(device.StartStream(), kDevOk);
    EXPECT_EQ(PollUntilChange(), 1);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
}

TEST_F(SimulatorTest, AStallEndsAtTheDriverTimeout) {
    device.SetTransferTimeout(30);
    ASSERT_TRUE(bus.SetFault(0, FaultKind::Stall, 0));
    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    ASSERT_EQ(device.StartStream(), kDevOk);
    // The stream's read stalls too, until the time-out ends the run with its error.
    int32_t polled = 0;
    for (int i = 0; i < 2000 && polled != 1; ++i) {
        polled = device.PollFrame();
        SleepMs(1);
    }
    EXPECT_EQ(polled, 1);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
    EXPECT_EQ(bus.OpenHandles(0), 0);
}

TEST_F(SimulatorTest, AStopCancelsAStalledReadInsteadOfWaitingForTheTimeout) {
    device.SetTransferTimeout(60000);
    ASSERT_TRUE(bus.SetFault(0, FaultKind::Stall, 0));
    ASSERT_EQ(device.StartStream(), kDevOk);
    for (int i = 0; i < 2000 && bus.Status(0).value().readsWaiting == 0; ++i)
        SleepMs(1);
    ASSERT_GT(bus.Status(0).value().readsWaiting, 0u);
    const uint32_t start = TickCount();
    EXPECT_EQ(device.StopStream(), kDevOk);
    EXPECT_LT(TickCount() - start, 2000u);
    EXPECT_EQ(bus.OpenHandles(0), 0);
    EXPECT_EQ(bus.Log(0).back().kind, RequestKind::Close);
    bool cancelled = false;
    for (const RequestRecord& r : bus.Log(0))
        cancelled = cancelled || r.outcome == RequestOutcome::Cancelled;
    EXPECT_TRUE(cancelled);
}

TEST_F(SimulatorTest, ACancelledCaptureFailsAndTheNextOneIsUnaffected) {
    device.SetTransferTimeout(60000);
    ASSERT_TRUE(device.SetTrigger(1));
    std::thread canceller([this] {
        for (int i = 0; i < 2000 && bus.Status(0).value().readsWaiting == 0; ++i)
            SleepMs(1);
        device.CancelCapture();
    });
    EXPECT_EQ(device.CaptureFrame(), kDevTransferFailed);
    canceller.join();
    ASSERT_TRUE(bus.Trigger(0));
    EXPECT_EQ(device.CaptureFrame(), kDevOk);
}

TEST_F(SimulatorTest, ACameraVanishingMidStreamEndsTheRun) {
    ASSERT_EQ(device.SetWindow(0, 0, 64, 32, 0), kDevOk);
    ASSERT_TRUE(bus.SetFault(0, FaultKind::Vanish, 5));
    ASSERT_EQ(device.StartStream(), kDevOk);
    int32_t poll = 2;
    for (int i = 0; i < 4000 && poll != 1; ++i) {
        poll = device.PollFrame();
        if (poll == 3) {
            std::vector<uint8_t> pixels(64 * 32);
            EXPECT_EQ(device.ConvertLatest(RawDestination{pixels.data(), pixels.size()}), kDevOk);
        }
        SleepMs(1);
    }
    EXPECT_EQ(poll, 1);
    EXPECT_EQ(device.StopStream(), kDevTransferFailed);
    EXPECT_EQ(device.CaptureFrame(), kDevOpenFailed);
}

}  // namespace
}  // namespace pixora
