// Injected faults as the host sees them on the wire.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "WireClient.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

using test::Block;
using test::DevicePath;
using test::kFullFrame8;
using test::MakeBlock;
using test::WireClient;

class FaultInjection : public ::testing::Test {
protected:
    bool ReadFrame(WireClient& host, uint32_t* returned) {
        std::vector<uint8_t> frame;
        return host.ReadFrame(frame, kFullFrame8, returned);
    }

    VirtualCameraBus bus_{"fps=0 cameras=0,1"};
};

TEST_F(FaultInjection, AbsentCameraCannotBeOpenedAndComesBackFresh) {
    WireClient before(bus_, 1);
    ASSERT_TRUE(before.WriteRegister(17, 30));
    ASSERT_TRUE(bus_.SetFault(1, FaultKind::Absent, 0));
    EXPECT_FALSE(before.WriteRegister(17, 31));
    EXPECT_EQ(bus_.Open(DevicePath(1).c_str()), nullptr);
    EXPECT_FALSE(bus_.Trigger(1));
    EXPECT_FALSE(bus_.Status(1)->attached);
    EXPECT_TRUE(bus_.Status(1)->present);
    ASSERT_TRUE(bus_.SetFault(1, FaultKind::Absent, -1));
    WireClient after(bus_, 1);
    EXPECT_TRUE(after.IsOpen());
    EXPECT_EQ(bus_.ReadRegister(1, 17), 0u);
    WireClient other(bus_, 0);
    EXPECT_TRUE(other.IsOpen()) << "faults belong to one camera";
}

TEST_F(FaultInjection, OpenFailureEveryTimeOrOnlyTheNth) {
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::OpenFailure, 0));
    EXPECT_EQ(bus_.Open(DevicePath(0).c_str()), nullptr);
    EXPECT_EQ(bus_.Open(DevicePath(0).c_str()), nullptr);
    EXPECT_EQ(bus_.Log(0).back().outcome, RequestOutcome::Injected);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::OpenFailure, 2));
    WireClient first(bus_, 0);
    WireClient second(bus_, 0);
    WireClient third(bus_, 0);
    EXPECT_TRUE(first.IsOpen());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(third.IsOpen());
}

TEST_F(FaultInjection, FailedCommandChangesNothing) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::CommandFailure, 2));
    EXPECT_TRUE(host.WriteRegister(17, 1));
    EXPECT_FALSE(host.WriteRegister(18, 2));
    EXPECT_TRUE(host.WriteRegister(19, 3));
    EXPECT_EQ(bus_.ReadRegister(0, 17), 1u);
    EXPECT_EQ(bus_.ReadRegister(0, 18), 0u);
    EXPECT_EQ(bus_.ReadRegister(0, 19), 3u);
    const auto log = bus_.Log(0);
    EXPECT_EQ(log[2].outcome, RequestOutcome::Injected);
    EXPECT_EQ(log[2].bytesReturned, 0u);
    EXPECT_EQ(bus_.Commands(0).size(), 2u);
}

TEST_F(FaultInjection, CommandNumberFaultHitsOnlyThatCommand) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::CommandNumber, wire::kCmdSetTrigger));
    EXPECT_FALSE(host.Send(MakeBlock(40, {1})));
    EXPECT_FALSE(bus_.Status(0)->triggerMode);
    EXPECT_TRUE(host.Send(MakeBlock(10, {1})));
    EXPECT_FALSE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::None, 0));
    EXPECT_TRUE(host.Send(MakeBlock(40, {1})));
    EXPECT_TRUE(bus_.Status(0)->triggerMode);
}

TEST_F(FaultInjection, ShortReplyReturnsFewerBytes) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::ShortReply, 10));
    ASSERT_TRUE(host.Send(MakeBlock(36)));
    Block reply{};
    uint32_t returned = 0;
    EXPECT_TRUE(host.Reply(reply, &returned));
    EXPECT_EQ(returned, 10u);
}

TEST_F(FaultInjection, ShortFrameReturnsFewerBytes) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::ShortFrame, 5000));
    uint32_t returned = 0;
    EXPECT_TRUE(ReadFrame(host, &returned));
    EXPECT_EQ(returned, 5000u);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::ShortFrame, 1 << 30));
    EXPECT_TRUE(ReadFrame(host, &returned));
    EXPECT_EQ(returned, kFullFrame8 - 1) << "a short frame is short whatever the argument";
    const CameraStatus s = *bus_.Status(0);
    EXPECT_EQ(s.counters.framesShort, 2u);
    EXPECT_EQ(s.counters.framesSent, 0u);
}

TEST_F(FaultInjection, StalledTransferFailsAtTheDriverTimeout) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.SetTimeout(40));
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::Stall, 0));
    uint32_t returned = 9;
    EXPECT_FALSE(ReadFrame(host, &returned));
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(bus_.Log(0).back().outcome, RequestOutcome::Injected);
    EXPECT_TRUE(host.WriteRegister(17, 5)) << "commands still work while frames stall";
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::Stall, -1));
    EXPECT_TRUE(ReadFrame(host, &returned));
}

TEST_F(FaultInjection, ClearingAStallReleasesAWaitingRead) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(host.SetTimeout(60000));
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::Stall, 0));
    auto pending = std::async(std::launch::async, [&] {
        uint32_t returned = 0;
        return ReadFrame(host, &returned);
    });
    for (int i = 0; i < 5000 && bus_.Status(0)->readsWaiting == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::Stall, -1));
    EXPECT_TRUE(pending.get());
}

TEST_F(FaultInjection, CameraVanishesAfterNFrames) {
    WireClient host(bus_, 0);
    ASSERT_TRUE(bus_.SetFault(0, FaultKind::Vanish, 3));
    uint32_t returned = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(ReadFrame(host, &returned)) << "frame " << i;
    }
    EXPECT_FALSE(ReadFrame(host, &returned));
    EXPECT_EQ(bus_.Log(0).back().outcome, RequestOutcome::NoDevice);
    EXPECT_FALSE(host.WriteRegister(17, 1));
    EXPECT_EQ(bus_.Open(DevicePath(0).c_str()), nullptr);
    EXPECT_FALSE(bus_.Status(0)->attached);
    EXPECT_EQ(bus_.Status(0)->counters.framesSent, 3u);

    ASSERT_TRUE(bus_.SetFault(0, FaultKind::Vanish, -1));
    WireClient again(bus_, 0);
    EXPECT_TRUE(ReadFrame(again, &returned));
}

TEST_F(FaultInjection, VanishingEndsAWaitingRead) {
    WireClient host(bus_, 1);
    ASSERT_TRUE(host.Send(MakeBlock(40, {1})));
    ASSERT_TRUE(host.SetTimeout(60000));
    auto pending = std::async(std::launch::async, [&] {
        uint32_t returned = 0;
        return ReadFrame(host, &returned);
    });
    for (int i = 0; i < 5000 && bus_.Status(1)->readsWaiting == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(bus_.SetFault(1, FaultKind::Vanish, 0));
    EXPECT_FALSE(pending.get());
}

TEST_F(FaultInjection, RefusesBadFaultRequests) {
    EXPECT_FALSE(bus_.SetFault(8, FaultKind::Stall, 0));
    EXPECT_FALSE(bus_.SetFault(-2, FaultKind::Stall, 0));
    EXPECT_FALSE(bus_.SetFault(0, FaultKind::CommandNumber, 300));
    EXPECT_TRUE(bus_.SetFault(-1, FaultKind::ShortReply, 3));
    for (int i = 0; i < wire::kCameraSlots; ++i) {
        EXPECT_EQ(bus_.Status(i)->faultMask, 1u << 5) << "camera " << i;
    }
}

}  // namespace
}  // namespace pixora
