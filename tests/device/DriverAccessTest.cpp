// The driver access primitives: codes, pipe numbers, block sizes and results on the wire.
#include <gtest/gtest.h>

#include "FakeDriverPort.h"
#include "device/CommandBlocks.h"
#include "device/DeviceResult.h"
#include "device/DriverAccess.h"

namespace pixora {
namespace {

using test::FakeDriverPort;
using test::Request;

class DriverAccessTest : public ::testing::Test {
protected:
    FakeDriverPort port;
    const std::string path = FormatDevicePath(wire::kDeviceBaseName, 0);
};

TEST_F(DriverAccessTest, DevicePathsFollowTheBaseNameAndIndex) {
    EXPECT_EQ(FormatDevicePath(wire::kDeviceBaseName, 0), "\\\\.\\Qvo530TZ-0");
    EXPECT_EQ(FormatDevicePath(wire::kDeviceBaseName, 7), "\\\\.\\Qvo530TZ-7");
}

TEST_F(DriverAccessTest, OpenWithoutPathAsksNothing) {
    EXPECT_EQ(DriverOpen(port.Port(), nullptr), nullptr);
    EXPECT_EQ(DriverOpen(port.Port(), ""), nullptr);
    EXPECT_TRUE(port.Log().empty());
}

TEST_F(DriverAccessTest, CloseNullsTheHandleAndReportsWhetherItClosed) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(port.OpenHandles(), 1);
    EXPECT_TRUE(DriverClose(handle));
    EXPECT_EQ(handle, nullptr);
    EXPECT_FALSE(DriverClose(handle));
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST_F(DriverAccessTest, PipeTransferChoosesTheCodeOfThePairAndPassesThePipe) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    uint8_t buffer[64] = {};
    uint32_t moved = 7;
    EXPECT_EQ(PipeTransfer(handle.get(), 1, 64, buffer, false, false, &moved), kPipeOk);
    EXPECT_EQ(moved, 64u);
    PipeTransfer(handle.get(), 1, 64, buffer, false, true, &moved);
    PipeTransfer(handle.get(), 1, 64, buffer, true, false, &moved);
    PipeTransfer(handle.get(), 1, 64, buffer, true, true, &moved);
    EXPECT_EQ(port.Codes(), (std::vector<uint32_t>{0x22204E, 0x222051, 0x2220A6, 0x2220A9}));
    for (const Request& r : port.Log()) {
        if (r.kind == Request::kControl) {
            EXPECT_EQ(r.in, (std::vector<uint8_t>{1, 0, 0, 0}));
            EXPECT_EQ(r.outSize, 64u);
            EXPECT_EQ(r.out, buffer);
        }
    }
}

TEST_F(DriverAccessTest, PipeTransferRefusesMissingBufferThenMissingHandle) {
    uint8_t buffer[4];
    uint32_t moved = 9;
    EXPECT_EQ(PipeTransfer(nullptr, 0, 4, nullptr, false, false, &moved), kPipeNoBuffer);
    EXPECT_EQ(PipeTransfer(nullptr, 0, 4, buffer, false, false, &moved), kPipeNoHandle);
    EXPECT_EQ(moved, 0u);
    EXPECT_TRUE(port.Log().empty());
}

TEST_F(DriverAccessTest, PipeTransferReportsARefusedRequestAndStillTheByteCount) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    port.SetCommandFails(true);
    uint8_t block[64] = {};
    uint32_t moved = 5;
    EXPECT_EQ(PipeTransfer(handle.get(), 0, 64, block, false, true, &moved), kPipeRequestFailed);
    EXPECT_EQ(moved, 0u);
}

TEST_F(DriverAccessTest, SendCommandUsesPipeZeroWithTheSecondCode) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    EXPECT_EQ(SendCommand(handle.get(), MakeCommand(wire::kCmdInitDevice)), kDevOk);
    const std::vector<Request> log = port.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].code, 0x222051u);
    EXPECT_EQ(log[1].in, (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_EQ(log[1].block.size(), 64u);
    EXPECT_EQ(log[1].block[0], 6);
}

TEST_F(DriverAccessTest, SendCommandWithoutHandleIsAnOpenFailure) {
    EXPECT_EQ(SendCommand(nullptr, MakeCommand(wire::kCmdInitDevice)), kDevOpenFailed);
    EXPECT_TRUE(port.Log().empty());
}

TEST_F(DriverAccessTest, SendCommandRefusedIsACommandFailure) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    port.SetCommandFails(true);
    EXPECT_EQ(SendCommand(handle.get(), MakeCommand(wire::kCmdInitDevice)), kDevCommandFailed);
}

TEST_F(DriverAccessTest, ReadReplyUsesPipeOneWithTheFirstCode) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    port.SetReplyByte0(1);
    CommandBlock reply{};
    EXPECT_EQ(ReadReply(handle.get(), reply), kDevOk);
    EXPECT_EQ(reply[0], 1);
    const std::vector<Request> log = port.Log();
    EXPECT_EQ(log.back().code, 0x22204Eu);
    EXPECT_EQ(log.back().in, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(DriverAccessTest, AShortReplyIsACommandFailure) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    port.SetReplyBytes(63);
    CommandBlock reply{};
    EXPECT_EQ(ReadReply(handle.get(), reply), kDevCommandFailed);
}

TEST_F(DriverAccessTest, TimeoutRequestIsElevenWordsWithOneAndTheMilliseconds) {
    DriverConnectionPtr handle = DriverOpen(port.Port(), path.c_str());
    SetDriverTimeout(handle.get(), 0x01020304);
    const Request r = port.Log().back();
    EXPECT_EQ(r.code, 0x2220A0u);
    std::vector<uint8_t> expected(44, 0);
    expected[0] = 1;
    expected[4] = 0x04;
    expected[5] = 0x03;
    expected[6] = 0x02;
    expected[7] = 0x01;
    EXPECT_EQ(r.in, expected);
    EXPECT_EQ(r.outSize, 0u);
}

TEST_F(DriverAccessTest, TimeoutWithoutHandleSendsNothing) {
    SetDriverTimeout(nullptr, 100);
    EXPECT_TRUE(port.Log().empty());
}

}  // namespace
}  // namespace pixora
