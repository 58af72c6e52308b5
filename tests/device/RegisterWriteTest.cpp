// Register writes, the register cache, gain, exposure, gain mode, trigger and clock, as
// they appear on the wire.
#include <gtest/gtest.h>

#include "FakeDriverPort.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"

namespace pixora {
namespace {

using test::FakeDriverPort;
using test::Request;
using test::WireRegisterWrite;

class RegisterTest : public ::testing::Test {
protected:
    RegisterTest() : device(port.Port()) { port.ClearLog(); }

    uint32_t Cached(uint32_t reg) {
        uint32_t value = 0xDEADBEEF;
        EXPECT_TRUE(device.ReadRegister(reg, value));
        return value;
    }

    FakeDriverPort port;
    PixoraDevice device;
};

TEST_F(RegisterTest, SixBitRegistersSendSixteenBitWords) {
    ASSERT_TRUE(device.WriteRegister(17, 30));
    const auto blocks = port.Commands();
    ASSERT_EQ(blocks.size(), 1u);
    const uint32_t word = (30u << 10) | 17u;
    EXPECT_EQ((std::vector<uint8_t>(blocks[0].begin(), blocks[0].begin() + 6)),
              (std::vector<uint8_t>{4, 16, static_cast<uint8_t>(word),
                                    static_cast<uint8_t>(word >> 8), 0, 0}));
    for (std::size_t i = 6; i < 64; ++i) {
        EXPECT_EQ(blocks[0][i], 0);
    }
}

TEST_F(RegisterTest, ValueBitsAboveTheClassAreDroppedOnTheWireButCachedUnmasked) {
    ASSERT_TRUE(device.WriteRegister(5, 0x7F));
    ASSERT_TRUE(device.WriteRegister(256, 0x12345));
    ASSERT_TRUE(device.WriteRegister(1023, 0xFFFFFFFF));
    const auto writes = port.RegisterWrites();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].bitCount, 16u);
    EXPECT_EQ(writes[0].word, (0x3Fu << 10) | 5u);
    EXPECT_EQ(writes[1].bitCount, 26u);
    EXPECT_EQ(writes[1].word, (0x2345u << 10) | 256u);
    EXPECT_EQ(writes[2].bitCount, 32u);
    EXPECT_EQ(writes[2].word, (0x3FFFFFu << 10) | 1023u);
    EXPECT_EQ(Cached(5), 0x7Fu);
    EXPECT_EQ(Cached(256), 0x12345u);
    EXPECT_EQ(Cached(1023), 0xFFFFFFFFu);
}

TEST_F(RegisterTest, ClassBoundaries) {
    EXPECT_TRUE(device.WriteRegister(191, 1));
    EXPECT_TRUE(device.WriteRegister(383, 1));
    EXPECT_TRUE(device.WriteRegister(384, 1));
    const auto writes = port.RegisterWrites();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[0].bitCount, 16u);
    EXPECT_EQ(writes[1].bitCount, 26u);
    EXPECT_EQ(writes[2].bitCount, 32u);
}

TEST_F(RegisterTest, RejectedRegistersSendNothingAndReadNothing) {
    for (uint32_t reg : {192u, 200u, 255u, 1024u, 70000u}) {
        EXPECT_FALSE(device.WriteRegister(reg, 1)) << reg;
        uint32_t value = 0;
        EXPECT_FALSE(device.ReadRegister(reg, value)) << reg;
    }
    EXPECT_TRUE(port.Log().empty());
}

TEST_F(RegisterTest, ANeverWrittenRegisterReadsZero) {
    EXPECT_EQ(Cached(100), 0u);
    EXPECT_TRUE(port.Log().empty());
}

TEST_F(RegisterTest, EachWriteOpensAndClosesItsOwnHandle) {
    device.WriteRegister(3, 1);
    device.WriteRegister(4, 2);
    const auto log = port.Log();
    ASSERT_EQ(log.size(), 6u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(log[i * 3].kind, Request::kOpen);
        EXPECT_EQ(log[i * 3].path, "\\\\.\\Qvo530TZ-0");
        EXPECT_EQ(log[i * 3 + 1].kind, Request::kControl);
        EXPECT_EQ(log[i * 3 + 2].kind, Request::kClose);
    }
    EXPECT_EQ(port.OpenHandles(), 0);
}

TEST_F(RegisterTest, AFailedWriteLeavesTheCache) {
    ASSERT_TRUE(device.WriteRegister(20, 5));
    port.SetCommandFails(true);
    EXPECT_FALSE(device.WriteRegister(20, 9));
    EXPECT_EQ(Cached(20), 5u);
}

TEST_F(RegisterTest, WithoutCameraWritesFailAndSendNothing) {
    port.SetPresent({});
    EXPECT_FALSE(device.WriteRegister(20, 9));
    EXPECT_TRUE(port.Commands().empty());
    EXPECT_EQ(Cached(20), 0u);
}

TEST_F(RegisterTest, GainSplitsOverSixAndSeven) {
    ASSERT_TRUE(device.SetGain(1023));
    const auto writes = port.RegisterWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].reg(), 6u);
    EXPECT_EQ(writes[0].value(), 63u);
    EXPECT_EQ(writes[1].reg(), 7u);
    EXPECT_EQ(writes[1].value(), 15u);
    EXPECT_EQ(device.GetGain(), 1023);
    ASSERT_TRUE(device.SetGain(656));
    EXPECT_EQ(Cached(6), 656u & 0x3F);
    EXPECT_EQ(Cached(7), 656u >> 6);
    EXPECT_EQ(device.GetGain(), 656);
}

TEST_F(RegisterTest, GainKeepsTenBits) {
    ASSERT_TRUE(device.SetGain(1024 + 5));
    EXPECT_EQ(device.GetGain(), 5);
}

TEST_F(RegisterTest, GainFailureKeepsTheStoredGainButTriesBothRegisters) {
    ASSERT_TRUE(device.SetGain(100));
    port.SetCommandFails(true);
    EXPECT_FALSE(device.SetGain(200));
    EXPECT_EQ(device.GetGain(), 100);
    EXPECT_EQ(port.RegisterWrites().size(), 4u);
}

TEST_F(RegisterTest, ExposureIsClampedAndSplitOverSixBitHalves) {
    ASSERT_TRUE(device.SetExposure(0));
    EXPECT_EQ(device.GetExposure(), 8);
    ASSERT_TRUE(device.SetExposure(5000));
    EXPECT_EQ(device.GetExposure(), 1068);
    ASSERT_TRUE(device.SetExposure(100));
    const auto writes = port.RegisterWrites();
    ASSERT_EQ(writes.size(), 6u);
    EXPECT_EQ(writes[0].reg(), 158u);
    EXPECT_EQ(writes[0].value(), 8u);
    EXPECT_EQ(writes[1].reg(), 159u);
    EXPECT_EQ(writes[1].value(), 0u);
    EXPECT_EQ(writes[2].value(), 1068u & 0x3F);
    EXPECT_EQ(writes[3].value(), 1068u >> 6);
    EXPECT_EQ(writes[4].value(), 36u);
    EXPECT_EQ(writes[5].value(), 1u);
}

TEST_F(RegisterTest, ExposureIsTakenAsSixteenBits) {
    ASSERT_TRUE(device.SetExposure(65536 + 100));
    EXPECT_EQ(device.GetExposure(), 100);
    ASSERT_TRUE(device.SetExposure(-1));  // 0xFFFF
    EXPECT_EQ(device.GetExposure(), 1068);
}

TEST_F(RegisterTest, GainAndExposureRanges) {
    EXPECT_EQ(device.GainMin(), 0);
    EXPECT_EQ(device.GainMax(), 1023);
    EXPECT_EQ(device.ExposureMin(), 8);
    EXPECT_EQ(device.ExposureMax(), 1068);
}

TEST_F(RegisterTest, GainModeZeroToFourIntoRegisterEight) {
    EXPECT_FALSE(device.SetGainMode(5));
    EXPECT_FALSE(device.SetGainMode(-1));
    EXPECT_TRUE(port.Log().empty());
    ASSERT_TRUE(device.SetGainMode(4));
    const auto writes = port.RegisterWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].reg(), 8u);
    EXPECT_EQ(writes[0].value(), 4u);
}

TEST_F(RegisterTest, TriggerOnClearsBitFourAndSetsTheNibble) {
    ASSERT_TRUE(device.WriteRegister(32, 0x35));
    ASSERT_TRUE(device.WriteRegister(33, 0x21));
    port.ClearLog();
    ASSERT_TRUE(device.SetTrigger(1));
    auto blocks = port.Commands();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0][0], 40);
    EXPECT_EQ(blocks[0][1], 1);
    auto writes = port.RegisterWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].reg(), 32u);
    EXPECT_EQ(writes[0].value(), 0x25u);
    EXPECT_EQ(writes[1].reg(), 33u);
    EXPECT_EQ(writes[1].value(), 0x2Eu);

    port.ClearLog();
    ASSERT_TRUE(device.SetTrigger(0));
    blocks = port.Commands();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0][1], 0);
    writes = port.RegisterWrites();
    EXPECT_EQ(writes[0].value(), 0x35u);
    EXPECT_EQ(writes[1].value(), 0x21u);
    EXPECT_EQ(Cached(32), 0x35u);
    EXPECT_EQ(Cached(33), 0x21u);
}

TEST_F(RegisterTest, TriggerFlagsOtherThanOneMeanFreeRunningRegisters) {
    ASSERT_TRUE(device.WriteRegister(32, 0x25));
    ASSERT_TRUE(device.SetTrigger(2));
    EXPECT_EQ(Cached(32), 0x35u);
    EXPECT_EQ(Cached(33) & 0xF, 0x1u);
}

TEST_F(RegisterTest, AFailedTriggerCommandChangesNoRegister) {
    ASSERT_TRUE(device.WriteRegister(32, 0x35));
    port.ClearLog();
    port.FailCommandNumber(40);
    EXPECT_FALSE(device.SetTrigger(1));
    EXPECT_TRUE(port.RegisterWrites().empty());
    EXPECT_EQ(Cached(32), 0x35u);
}

TEST_F(RegisterTest, ClockQuerySendsOneCommandAndReadsTwoReplies) {
    port.SetReplyByte0(1);
    int32_t flag = -1;
    ASSERT_TRUE(device.QueryClock(flag));
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(port.Codes(), (std::vector<uint32_t>{0x222051, 0x22204E, 0x22204E}));
    ASSERT_EQ(port.Commands().size(), 1u);
    EXPECT_EQ(port.Commands()[0][0], 36);
    port.SetReplyByte0(0);
    ASSERT_TRUE(device.QueryClock(flag));
    EXPECT_EQ(flag, 0);
}

TEST_F(RegisterTest, ClockQueryFailsOnAShortReplyOrAFailedCommand) {
    int32_t flag = 7;
    port.SetReplyBytes(10);
    EXPECT_FALSE(device.QueryClock(flag));
    port.SetReplyBytes(64);
    port.SetCommandFails(true);
    EXPECT_FALSE(device.QueryClock(flag));
    EXPECT_EQ(flag, 7);
}

TEST_F(RegisterTest, ClockChangeSendsTheClockAndReopensTheCamera) {
    ASSERT_TRUE(device.SetClock(1));
    const auto blocks = port.Commands();
    ASSERT_GE(blocks.size(), 4u);
    EXPECT_EQ(blocks[0][0], 35);
    EXPECT_EQ(blocks[0][1], 1);
    // Then the open sequence: sample width 8-bit, init, transfer size, trigger off.
    EXPECT_EQ(blocks[1][0], 10);
    EXPECT_EQ(blocks[1][1], 0);
    EXPECT_EQ(blocks[2][0], 6);
    EXPECT_EQ(blocks[3][0], 9);
    EXPECT_EQ(blocks[4][0], 40);
    EXPECT_EQ(blocks[4][1], 0);
}

TEST_F(RegisterTest, ClockChangeWithoutCameraReportsFailureButStillReopens) {
    device.SetSampleWidth(1);
    port.SetPresent({});
    EXPECT_FALSE(device.SetClock(0));
    EXPECT_EQ(device.SampleWidth(), 0u);
}

TEST_F(RegisterTest, ARefusedClockCommandIsAFailure) {
    port.FailCommandNumber(35);
    EXPECT_FALSE(device.SetClock(1));
}

}  // namespace
}  // namespace pixora
