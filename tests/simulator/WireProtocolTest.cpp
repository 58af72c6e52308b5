// The virtual camera as the device layer meets it: paths, handles, codes, pipes, blocks.
#include <gtest/gtest.h>

#include <set>

#include "WireClient.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

using test::Block;
using test::DevicePath;
using test::kFullFrame10;
using test::kFullFrame8;
using test::MakeBlock;
using test::RegisterWriteBlock;
using test::WireClient;

class WireProtocol : public ::testing::Test {
protected:
    VirtualCameraBus bus_{"fps=0"};
};

TEST_F(WireProtocol, OpensOnlyWellFormedPathsOfPresentCameras) {
    DriverHandle handle = bus_.Open(DevicePath(0).c_str());
    ASSERT_NE(handle, nullptr);
    bus_.Close(handle);
    EXPECT_NE((handle = bus_.Open("\\\\.\\qvo530tz-0")), nullptr);
    bus_.Close(handle);
    EXPECT_EQ(bus_.Open(DevicePath(1).c_str()), nullptr);  // no camera there
    EXPECT_EQ(bus_.Open(nullptr), nullptr);
    EXPECT_EQ(bus_.Open(""), nullptr);
    EXPECT_EQ(bus_.Open("\\\\.\\Qvo530TZ-8"), nullptr);
    EXPECT_EQ(bus_.Open("\\\\.\\Qvo530TZ-"), nullptr);
    EXPECT_EQ(bus_.Open("\\\\.\\Qvo530TZ-00"), nullptr);
    EXPECT_EQ(bus_.Open("Qvo530TZ-0"), nullptr);
    EXPECT_EQ(bus_.Open("\\\\.\\Qvo530TX-0"), nullptr);
}

TEST_F(WireProtocol, AnOpenOfAMissingCameraIsLoggedAsFailed) {
    ASSERT_EQ(bus_.Open(DevicePath(3).c_str()), nullptr);
    const auto log = bus_.Log(3);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, RequestKind::Open);
    EXPECT_FALSE(log[0].result);
    EXPECT_EQ(log[0].outcome, RequestOutcome::NoDevice);
}

TEST_F(WireProtocol, HandlesAreDistinctAndDieWhenClosed) {
    std::set<DriverHandle> handles;
    for (int i = 0; i < 20; ++i) {
        DriverHandle h = bus_.Open(DevicePath(0).c_str());
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(handles.insert(h).second);
        bus_.Close(h);
    }
    DriverHandle h = bus_.Open(DevicePath(0).c_str());
    EXPECT_EQ(handles.count(h), 0u) << "closed handle values are never handed out again";
    EXPECT_EQ(bus_.OpenHandles(0), 1);
    bus_.Close(h);
    bus_.Close(h);  // twice: nothing happens
    EXPECT_EQ(bus_.OpenHandles(0), 0);

    uint8_t pipe[4] = {};
    Block block = MakeBlock(6);
    uint32_t returned = 1234;
    EXPECT_FALSE(bus_.Control(h, wire::kCodePipeSecond, pipe, 4, block.data(), 64, &returned));
    EXPECT_EQ(returned, 0u);
    returned = 1234;
    EXPECT_FALSE(
        bus_.Control(nullptr, wire::kCodePipeSecond, pipe, 4, block.data(), 64, &returned));
    EXPECT_EQ(returned, 0u);
    int local = 0;
    EXPECT_FALSE(bus_.Control(&local, wire::kCodePipeSecond, pipe, 4, block.data(), 64, nullptr));
    bus_.Close(&local);
    bus_.Close(nullptr);
    EXPECT_EQ(bus_.Status(0)->counters.commands, 0u);
}

TEST_F(WireProtocol, RegisterWritesReachTheRegisterFile) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.IsOpen());
    EXPECT_EQ(bus_.ReadRegister(0, 17), 0u);
    ASSERT_TRUE(host.WriteRegister(17, 30));
    ASSERT_TRUE(host.WriteRegister(300, 0xBEEF));
    ASSERT_TRUE(host.WriteRegister(512, 4187902));
    EXPECT_EQ(bus_.ReadRegister(0, 17), 30u);
    EXPECT_EQ(bus_.ReadRegister(0, 300), 0xBEEFu);
    EXPECT_EQ(bus_.ReadRegister(0, 512), 4187902u);
    EXPECT_FALSE(bus_.ReadRegister(0, 200));
    EXPECT_FALSE(bus_.ReadRegister(0, 1024));
    EXPECT_FALSE(bus_.ReadRegister(9, 17));
}

TEST_F(WireProtocol, AWriteWithTheWrongBitCountIsTakenButIgnored) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.Send(RegisterWriteBlock(17, 5, 26)));
    ASSERT_TRUE(host.Send(RegisterWriteBlock(200, 5, 16)));
    EXPECT_EQ(bus_.ReadRegister(0, 17), 0u);
    const auto commands = bus_.Commands(0);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_FALSE(commands[0].accepted);
    EXPECT_FALSE(commands[1].accepted);
}

TEST_F(WireProtocol, CommandsChangeTheCameraState) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.Send(MakeBlock(10, {1})));
    ASSERT_TRUE(host.Send(MakeBlock(35, {1})));
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.Send(test::TransferSizeBlock(1024 * 100)));
    CameraStatus s = *bus_.Status(0);
    EXPECT_EQ(s.sampleWidth, 1u);
    EXPECT_TRUE(s.halfClock);
    EXPECT_TRUE(s.triggerMode);
    EXPECT_EQ(s.transferSamples, 102400u);

    ASSERT_TRUE(host.Send(MakeBlock(6)));  // init ends trigger mode, keeps the rest
    s = *bus_.Status(0);
    EXPECT_FALSE(s.triggerMode);
    EXPECT_EQ(s.sampleWidth, 1u);
    ASSERT_TRUE(host.Send(MakeBlock(10, {0})));
    ASSERT_TRUE(host.Send(test::TransferSizeBlock(0xFFFFFFFF)));
    s = *bus_.Status(0);
    EXPECT_EQ(s.sampleWidth, 0u);
    EXPECT_EQ(s.transferSamples, wire::kMaxTransferSamples);
}

TEST_F(WireProtocol, GainAndExposureAreReadFromTheirRegisterPairs) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.SetGainAndExposure(1023, 1068));
    EXPECT_EQ(bus_.ReadRegister(0, 6), 63u);
    EXPECT_EQ(bus_.ReadRegister(0, 7), 15u);
    EXPECT_EQ(bus_.Status(0)->gain, 1023u);
    EXPECT_EQ(bus_.Status(0)->exposure, 1068u);
}

TEST_F(WireProtocol, CommandBlocksMustBeSixtyFourBytes) {
    WireClient host(bus_, 0);
    Block block = MakeBlock(10, {1});
    uint32_t returned = 7;
    EXPECT_FALSE(host.Pipe(wire::kCodePipeSecond, 0, block.data(), 63, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_FALSE(host.Pipe(wire::kCodePipeSecond, 0, nullptr, 64, &returned));
    EXPECT_EQ(bus_.Status(0)->sampleWidth, 0u);
    EXPECT_EQ(bus_.Log(0).back().outcome, RequestOutcome::Rejected);
}

TEST_F(WireProtocol, EachPipeTakesOnlyItsCodes) {
    WireClient host(bus_, 0);
    Block block = MakeBlock(2);
    uint32_t returned = 0;
    // Commands go with either code of a pair: the frame request uses the first.
    EXPECT_TRUE(host.Pipe(wire::kCodePipeFirst, 0, block.data(), 64, &returned));
    EXPECT_TRUE(host.Pipe(wire::kCodePipeSecondAlt, 0, block.data(), 64, &returned));
    EXPECT_FALSE(host.Pipe(wire::kCodePipeSecond, 1, block.data(), 64, &returned));
    EXPECT_TRUE(host.Pipe(wire::kCodePipeFirstAlt, 1, block.data(), 64, &returned));
    std::vector<uint8_t> frame(kFullFrame8);
    EXPECT_FALSE(host.Pipe(wire::kCodePipeFirst, 2, frame.data(), kFullFrame8, &returned));
    EXPECT_TRUE(host.Pipe(wire::kCodePipeSecondAlt, 2, frame.data(), kFullFrame8, &returned));
    EXPECT_FALSE(host.Pipe(wire::kCodePipeSecond, 3, block.data(), 64, &returned));
    EXPECT_FALSE(host.Pipe(0x222000, 0, block.data(), 64, &returned));
    uint32_t longPipe[2] = {0, 0};
    EXPECT_FALSE(bus_.Control(host.Handle(), wire::kCodePipeSecond, longPipe, sizeof longPipe,
                              block.data(), 64, &returned));
    EXPECT_FALSE(bus_.Control(host.Handle(), wire::kCodePipeSecond, nullptr, 4, block.data(), 64,
                              &returned));
    const auto log = bus_.Log(0);
    EXPECT_EQ(log.back().kind, RequestKind::Invalid);
}

TEST_F(WireProtocol, ReplyByteZeroAnswersTheClockQuery) {
    WireClient host(bus_, 0);
    Block reply{};
    uint32_t returned = 0;
    ASSERT_TRUE(host.Send(MakeBlock(36)));
    ASSERT_TRUE(host.Reply(reply, &returned));
    EXPECT_EQ(returned, 64u);
    EXPECT_EQ(reply[0], 0);
    ASSERT_TRUE(host.Send(MakeBlock(35, {1})));
    ASSERT_TRUE(host.Send(MakeBlock(36)));
    ASSERT_TRUE(host.Reply(reply, &returned));
    ASSERT_TRUE(host.Reply(reply, &returned));
    EXPECT_EQ(reply[0], 1);
    std::array<uint8_t, 32> small{};
    EXPECT_FALSE(host.Pipe(wire::kCodePipeFirst, 1, small.data(), 32, &returned));
    EXPECT_EQ(returned, 0u);
}

TEST_F(WireProtocol, TimeoutRequestSetsTheDriverTimeout) {
    WireClient host(bus_, 0);
    EXPECT_EQ(bus_.Status(0)->timeoutMs, 3000u);
    ASSERT_TRUE(host.SetTimeout(250));
    EXPECT_EQ(bus_.Status(0)->timeoutMs, 250u);
    ASSERT_TRUE(host.SetTimeout(0));  // no endless waits: back to the default
    EXPECT_EQ(bus_.Status(0)->timeoutMs, 3000u);

    uint32_t words[11] = {2, 100};
    uint32_t returned = 5;
    EXPECT_FALSE(bus_.Control(host.Handle(), wire::kCodeSetTimeout, words, sizeof words, nullptr, 0,
                              &returned));
    EXPECT_EQ(returned, 0u);
    words[0] = 1;
    EXPECT_FALSE(
        bus_.Control(host.Handle(), wire::kCodeSetTimeout, words, 40, nullptr, 0, &returned));
    EXPECT_FALSE(
        bus_.Control(host.Handle(), wire::kCodeSetTimeout, nullptr, 44, nullptr, 0, &returned));
    EXPECT_EQ(bus_.Status(0)->timeoutMs, 3000u);
    const auto log = bus_.Log(0);
    EXPECT_EQ(log.back().kind, RequestKind::Timeout);
    EXPECT_EQ(log.back().outcome, RequestOutcome::Rejected);
}

TEST_F(WireProtocol, FrameSizeFollowsTransferSizeAndSampleWidth) {
    WireClient host(bus_, 0);
    std::vector<uint8_t> frame;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_EQ(returned, kFullFrame8);
    ASSERT_TRUE(host.Send(MakeBlock(10, {1})));
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame10, &returned));
    EXPECT_EQ(returned, kFullFrame10);
    // A buffer smaller than what the camera sends overruns: the transfer fails.
    EXPECT_FALSE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(bus_.Log(0).back().outcome, RequestOutcome::Overflow);
    // A larger buffer gets the frame and a short count.
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame10 + 4096, &returned));
    EXPECT_EQ(returned, kFullFrame10);
    EXPECT_EQ(frame[kFullFrame10], 0xAA);
    EXPECT_EQ(bus_.Status(0)->counters.framesSent, 3u);
    EXPECT_EQ(bus_.Status(0)->counters.framesFailed, 1u);
}

TEST_F(WireProtocol, ASmallerWindowSendsOnlyItsLines) {
    WireClient host(bus_, 0);
    const uint32_t samples = (wire::kLinePitch * (wire::kActiveLine + 100) + 1023) / 1024 * 1024;
    ASSERT_TRUE(host.Send(test::TransferSizeBlock(samples)));
    ASSERT_TRUE(host.SetGainAndExposure(656, 64));
    std::vector<uint8_t> frame;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(frame, samples, &returned));
    EXPECT_EQ(returned, samples);
    EXPECT_NEAR(frame[test::SampleOffset(0, 99, 1)], 200, 3);  // row 99, white bar, green
}

TEST_F(WireProtocol, FramesShowTheBarsAtTheExposureWritten) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.SetGainAndExposure(656, 64));
    std::vector<uint8_t> frame;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    const uint8_t white = frame[test::SampleOffset(10, 10, 1)];
    EXPECT_NEAR(white, 200, 3);
    EXPECT_EQ(frame[test::SampleOffset(1350, 10, 1)], 0);  // black bar
    EXPECT_EQ(frame[test::SampleOffset(0, 0, 1) - 1], 0);  // outside the image

    ASSERT_TRUE(host.SetGainAndExposure(656, 32));
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    const uint8_t darker = frame[test::SampleOffset(10, 10, 1)];
    EXPECT_LT(darker, white);
    ASSERT_TRUE(host.SetGainAndExposure(900, 32));
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    EXPECT_GT(frame[test::SampleOffset(10, 10, 1)], darker);
}

TEST_F(WireProtocol, TenBitFramesCarryTheLowBitsInTheSecondByte) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.SetGainAndExposure(656, 64));
    ASSERT_TRUE(host.Send(MakeBlock(10, {1})));
    std::vector<uint8_t> frame;
    uint32_t returned = 0;
    ASSERT_TRUE(host.ReadFrame(frame, kFullFrame10, &returned));
    const size_t at = test::SampleOffset(10, 10, 2);
    const uint32_t level = SensorLevel(255, 656, 64);
    EXPECT_EQ(frame[at], level >> 2);
    EXPECT_EQ(frame[at + 1], level & 3);
    for (uint32_t x = 0; x < wire::kSensorWidth; x += 7) {
        ASSERT_LE(frame[test::SampleOffset(x, 500, 2) + 1], 3) << "column " << x;
    }
}

TEST_F(WireProtocol, LogKeepsTheRequestsInOrder) {
    {
        WireClient host(bus_, 0);
        ASSERT_TRUE(host.SetTimeout(500));
        ASSERT_TRUE(host.Send(MakeBlock(2), wire::kCodePipeFirst));
        std::vector<uint8_t> frame;
        uint32_t returned = 0;
        ASSERT_TRUE(host.ReadFrame(frame, kFullFrame8, &returned));
    }
    const auto log = bus_.Log(0);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].kind, RequestKind::Open);
    EXPECT_EQ(log[1].kind, RequestKind::Timeout);
    EXPECT_EQ(log[1].code, wire::kCodeSetTimeout);
    EXPECT_EQ(log[1].block[4], 500 & 0xFF);
    EXPECT_EQ(log[2].kind, RequestKind::Command);
    EXPECT_EQ(log[2].code, wire::kCodePipeFirst);
    EXPECT_EQ(log[2].pipe, 0);
    EXPECT_EQ(log[2].command.kind, CommandKind::RequestFrame);
    EXPECT_EQ(log[3].kind, RequestKind::Frame);
    EXPECT_EQ(log[3].pipe, 2);
    EXPECT_EQ(log[3].bytesReturned, kFullFrame8);
    EXPECT_EQ(log[3].frameSequence, 1u);
    EXPECT_EQ(log[4].kind, RequestKind::Close);
    for (size_t i = 1; i < log.size(); ++i) {
        EXPECT_LT(log[i - 1].sequence, log[i].sequence);
        EXPECT_EQ(log[i].handle, log[0].handle);
    }
    EXPECT_EQ(bus_.CommandCount(0, 2), 1u);
    EXPECT_EQ(bus_.CommandCount(0, -1), 1u);
    bus_.ClearLog(0);
    EXPECT_TRUE(bus_.Log(0).empty());
    EXPECT_EQ(bus_.CommandCount(0, 2), 0u);
    EXPECT_FALSE(bus_.CommandCount(0, 256));
    EXPECT_TRUE(bus_.Log(8).empty());
}

TEST_F(WireProtocol, UnpluggingKillsHandlesAndReplugStartsFromPowerOn) {
    ASSERT_TRUE(bus_.SetCameras(0b11));
    WireClient host(bus_, 1);
    ASSERT_TRUE(host.IsOpen());
    ASSERT_TRUE(host.WriteRegister(17, 30));
    ASSERT_TRUE(bus_.SetCameras(0b01));
    EXPECT_FALSE(host.WriteRegister(17, 31));
    EXPECT_EQ(bus_.Log(1).back().outcome, RequestOutcome::NoDevice);
    ASSERT_TRUE(bus_.SetCameras(0b11));
    EXPECT_FALSE(host.WriteRegister(17, 31)) << "a handle does not survive the unplug";
    EXPECT_EQ(bus_.ReadRegister(1, 17), 0u);
    WireClient again(bus_, 1);
    EXPECT_TRUE(again.WriteRegister(17, 31));
    EXPECT_FALSE(bus_.SetCameras(0x100));
    EXPECT_EQ(bus_.Cameras(), 0b11u);
}

TEST_F(WireProtocol, ResetRestoresTheStartState) {
    VirtualCameraBus bus("cameras=0,2 fps=0 scene=gradient");
    WireClient host(bus, 2);
    ASSERT_TRUE(host.WriteRegister(17, 30));
    ASSERT_TRUE(bus.Configure("cameras=5 fault=stall:5"));
    bus.Reset();
    EXPECT_EQ(bus.Cameras(), 0b101u);
    EXPECT_EQ(bus.Status(5)->faultMask, 0u);
    EXPECT_EQ(bus.Status(2)->scene, SceneKind::Gradient);
    EXPECT_EQ(bus.ReadRegister(2, 17), 0u);
    EXPECT_TRUE(bus.Log(2).empty());
    EXPECT_FALSE(host.WriteRegister(17, 1)) << "handles end with a reset";
    EXPECT_EQ(bus.OpenHandles(2), 0);
}

TEST_F(WireProtocol, ConfigureIsAllOrNothing) {
    std::string error;
    EXPECT_FALSE(bus_.Configure("cameras=0,1 fps=oops", &error));
    EXPECT_NE(error.find("fps=oops"), std::string::npos);
    EXPECT_EQ(bus_.Cameras(), 1u);
    EXPECT_TRUE(bus_.Configure("cameras=0,1 fps=12.5 fault=short-reply:1:8"));
    EXPECT_EQ(bus_.Cameras(), 3u);
    EXPECT_DOUBLE_EQ(bus_.Status(1)->fps, 12.5);
    EXPECT_EQ(bus_.Status(1)->faultMask, 1u << 5);
    EXPECT_EQ(bus_.Status(0)->faultMask, 0u);
}

}  // namespace
}  // namespace pixora
