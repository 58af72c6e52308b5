// The virtual camera through the driver seam, as the device layer reaches it: transfers on
// pipes that say what became of them, the time-out request, cancels, and a frame stream
// whose requests reach the camera in the protocol's order and under its codes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "WireClient.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {
namespace {

using test::DevicePath;
using test::kFullFrame8;
using test::MakeBlock;

bool WaitForWaitingRead(const VirtualCameraBus& bus, int index) {
    for (int i = 0; i < 5000; ++i) {
        if (bus.Status(index)->readsWaiting > 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TransferResult Send(DriverConnection& connection, test::Block block) {
    return connection.Transfer(
        PipeRequest{wire::kPipeCommand, block.data(), wire::kBlockSize, kCommandCode});
}

TransferResult ReadFrame(DriverConnection& connection, std::vector<uint8_t>& frame) {
    frame.assign(kFullFrame8, 0);
    return connection.Transfer(
        PipeRequest{wire::kPipeImage, frame.data(), kFullFrame8, kImageCode});
}

TEST(PortTransfer, OpeningNamesTheCameraByItsPath) {
    VirtualCameraBus bus("fps=0 cameras=0,3");
    EXPECT_NE(bus.Port().Open(DevicePath(3).c_str()).connection, nullptr);
    EXPECT_EQ(bus.Port().Open(DevicePath(2).c_str()).connection, nullptr);
    EXPECT_EQ(bus.Port().Open("").connection, nullptr);
    EXPECT_EQ(bus.Port().Open(nullptr).connection, nullptr);
    EXPECT_EQ(bus.OpenHandles(3), 0);
    {
        OpenResult opened = bus.Port().Open("\\\\.\\qvo530tz-3");
        ASSERT_NE(opened.connection, nullptr);
        EXPECT_EQ(bus.OpenHandles(3), 1);
    }
    EXPECT_EQ(bus.OpenHandles(3), 0);  // the connection closed its handle
}

TEST(PortTransfer, EachOperationReachesTheCameraUnderItsCode) {
    VirtualCameraBus bus("fps=0");
    OpenResult opened = bus.Port().Open(DevicePath(0).c_str());
    ASSERT_NE(opened.connection, nullptr);
    DriverConnection& camera = *opened.connection;
    bus.ClearLog();

    TransferResult sent = Send(camera, MakeBlock(wire::kCmdQueryClock));
    EXPECT_TRUE(sent.Ok());
    EXPECT_EQ(sent.bytes, wire::kBlockSize);
    test::Block reply{};
    TransferResult got =
        camera.Transfer(PipeRequest{wire::kPipeReply, reply.data(), wire::kBlockSize, kReplyCode});
    EXPECT_TRUE(got.Ok());
    EXPECT_EQ(got.bytes, wire::kBlockSize);
    camera.SetTransferTimeout(1234);
    std::vector<uint8_t> frame;
    TransferResult image = ReadFrame(camera, frame);
    EXPECT_TRUE(image.Ok());
    EXPECT_EQ(image.bytes, kFullFrame8);

    const std::vector<RequestRecord> log = bus.Log(0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, RequestKind::Command);
    EXPECT_EQ(log[0].code, wire::kCodePipeSecond);
    EXPECT_EQ(log[0].inSize, wire::kPipeRequestSize);
    EXPECT_EQ(log[1].kind, RequestKind::Reply);
    EXPECT_EQ(log[1].code, wire::kCodePipeFirst);
    EXPECT_EQ(log[2].kind, RequestKind::Timeout);
    EXPECT_EQ(log[2].code, wire::kCodeSetTimeout);
    EXPECT_EQ(log[2].inSize, wire::kTimeoutRequestSize);
    EXPECT_EQ(log[2].block[0], 1);
    EXPECT_EQ(log[2].block[4] | (log[2].block[5] << 8), 1234);
    EXPECT_EQ(bus.Status(0)->timeoutMs, 1234u);
    EXPECT_EQ(log[3].kind, RequestKind::Frame);
    EXPECT_EQ(log[3].code, wire::kCodePipeSecond);
    EXPECT_EQ(log[3].pipe, 2);
}

TEST(PortTransfer, AFailedTransferSaysWhatHappened) {
    VirtualCameraBus bus("fps=0 maxwait=20");
    OpenResult opened = bus.Port().Open(DevicePath(0).c_str());
    ASSERT_NE(opened.connection, nullptr);
    DriverConnection& camera = *opened.connection;
    std::vector<uint8_t> frame;

    // A trigger that never comes: the time-out ends the read.
    ASSERT_TRUE(Send(camera, MakeBlock(wire::kCmdSetTrigger, {1})).Ok());
    EXPECT_EQ(ReadFrame(camera, frame).status, TransferStatus::TimedOut);
    // A stalled camera's read also ends at the time-out.
    ASSERT_TRUE(Send(camera, MakeBlock(wire::kCmdSetTrigger, {0})).Ok());
    ASSERT_TRUE(bus.SetFault(0, FaultKind::Stall, 0));
    EXPECT_EQ(ReadFrame(camera, frame).status, TransferStatus::TimedOut);
    ASSERT_TRUE(bus.SetFault(0, FaultKind::None, 0));
    // A refused command.
    ASSERT_TRUE(bus.SetFault(0, FaultKind::CommandFailure, 0));
    EXPECT_EQ(Send(camera, MakeBlock(wire::kCmdInitDevice)).status, TransferStatus::Failed);
    ASSERT_TRUE(bus.SetFault(0, FaultKind::None, 0));
    // A short frame is done, with fewer bytes.
    ASSERT_TRUE(bus.SetFault(0, FaultKind::ShortFrame, 1000));
    TransferResult shortFrame = ReadFrame(camera, frame);
    EXPECT_EQ(shortFrame.status, TransferStatus::Done);
    EXPECT_EQ(shortFrame.bytes, 1000u);
    ASSERT_TRUE(bus.SetFault(0, FaultKind::None, 0));
    // Unplugged: every transfer on the connection finds the camera gone.
    ASSERT_TRUE(bus.SetFault(0, FaultKind::Absent, 0));
    EXPECT_EQ(ReadFrame(camera, frame).status, TransferStatus::NoDevice);
    EXPECT_EQ(Send(camera, MakeBlock(wire::kCmdInitDevice)).status, TransferStatus::NoDevice);
}

TEST(PortTransfer, CancelEndsAWaitingReadAndNotTheNextOne) {
    VirtualCameraBus bus("fps=0");
    OpenResult opened = bus.Port().Open(DevicePath(0).c_str());
    ASSERT_NE(opened.connection, nullptr);
    DriverConnection& camera = *opened.connection;
    ASSERT_TRUE(Send(camera, MakeBlock(wire::kCmdSetTrigger, {1})).Ok());
    std::vector<uint8_t> frame;
    auto waiting = std::async(std::launch::async, [&] { return ReadFrame(camera, frame); });
    ASSERT_TRUE(WaitForWaitingRead(bus, 0));
    camera.Cancel();
    EXPECT_EQ(waiting.get().status, TransferStatus::Cancelled);

    std::vector<uint8_t> next;
    auto later = std::async(std::launch::async, [&] { return ReadFrame(camera, next); });
    ASSERT_TRUE(WaitForWaitingRead(bus, 0));
    ASSERT_TRUE(bus.Trigger(0));
    EXPECT_TRUE(later.get().Ok());
}

TEST(PortTransfer, AFrameStreamAsksForEachFrameBeforeReadingIt) {
    VirtualCameraBus bus("fps=0");
    OpenResult opened = bus.Port().Open(DevicePath(0).c_str());
    ASSERT_NE(opened.connection, nullptr);
    bus.ClearLog();
    FrameStreamPlan plan;
    plan.request[0] = wire::kCmdRequestFrame;
    plan.frameBytes = kFullFrame8;
    std::unique_ptr<FrameStream> stream = opened.connection->StartFrames(plan);
    std::vector<uint8_t> frame(kFullFrame8);
    for (int i = 0; i < 3; ++i) {
        TransferResult result = stream->Next(frame.data());
        EXPECT_TRUE(result.Ok());
        EXPECT_EQ(result.bytes, kFullFrame8);
    }
    const std::vector<RequestRecord> log = bus.Log(0);
    ASSERT_EQ(log.size(), 6u);
    for (size_t i = 0; i < log.size(); i += 2) {
        EXPECT_EQ(log[i].kind, RequestKind::Command);
        EXPECT_EQ(log[i].code, wire::kCodePipeFirst);
        EXPECT_EQ(log[i].command.kind, CommandKind::RequestFrame);
        EXPECT_EQ(log[i + 1].kind, RequestKind::Frame);
        EXPECT_EQ(log[i + 1].code, wire::kCodePipeSecond);
        EXPECT_EQ(log[i + 1].outSize, kFullFrame8);
    }
}

// A caller that orders the requests against commands of its own sends each one itself: the
// request reaches the camera inside its call, before the frame's read.
TEST(PortTransfer, AFrameStreamSendsEachRequestThroughTheCallersHook) {
    VirtualCameraBus bus("fps=0");
    OpenResult opened = bus.Port().Open(DevicePath(0).c_str());
    ASSERT_NE(opened.connection, nullptr);
    bus.ClearLog();
    FrameStreamPlan plan;
    plan.request[0] = wire::kCmdRequestFrame;
    plan.frameBytes = kFullFrame8;
    std::vector<size_t> logSizeAfterSend;
    plan.sendRequest = [&](const std::function<void()>& send) {
        send();
        logSizeAfterSend.push_back(bus.Log(0).size());
    };
    std::unique_ptr<FrameStream> stream = opened.connection->StartFrames(plan);
    std::vector<uint8_t> frame(kFullFrame8);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(stream->Next(frame.data()).Ok());
    // Each request is the newest entry of the log when the hook sees it sent.
    EXPECT_EQ(logSizeAfterSend, (std::vector<size_t>{1, 3}));
    const std::vector<RequestRecord> log = bus.Log(0);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].command.kind, CommandKind::RequestFrame);
    EXPECT_EQ(log[1].kind, RequestKind::Frame);
}

}  // namespace
}  // namespace pixora
