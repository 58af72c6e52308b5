// The sensor initialisation sequence: its 932 writes in order, and what reaches the wire.
#include <gtest/gtest.h>

#include "FakeDriverPort.h"
#include "device/PixoraDevice.h"
#include "device/RegisterMap.h"
#include "device/SensorInitTable.h"

namespace pixora {
namespace {

using test::FakeDriverPort;

constexpr uint32_t kGroupEnd = 4187902;

std::vector<uint32_t> RegistersOf(const std::vector<RegisterWrite>& writes, std::size_t from,
                                  std::size_t count) {
    std::vector<uint32_t> regs;
    for (std::size_t i = from; i < from + count; ++i) {
        regs.push_back(writes[i].reg);
    }
    return regs;
}

std::vector<uint32_t> Range(uint32_t first, uint32_t last) {
    std::vector<uint32_t> regs;
    for (uint32_t r = first; r <= last; ++r) {
        regs.push_back(r);
    }
    return regs;
}

class SensorInitWritesTest : public ::testing::Test {
protected:
    const std::vector<RegisterWrite> writes = SensorInitWrites();
};

TEST_F(SensorInitWritesTest, NineHundredThirtyTwoWritesToExistingRegisters) {
    ASSERT_EQ(writes.size(), 932u);
    for (const RegisterWrite& w : writes) {
        const auto cls = ClassifyRegister(w.reg);
        ASSERT_TRUE(cls.has_value()) << w.reg;
        EXPECT_EQ(w.value & ~cls->valueMask, 0u) << w.reg;
    }
}

TEST_F(SensorInitWritesTest, SensorTimingFirst) {
    EXPECT_EQ(RegistersOf(writes, 0, 12), Range(35, 46));
    const std::vector<uint32_t> values = {62, 7, 40, 39, 55, 6, 22, 1, 56, 39, 5, 2};
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(writes[i].value, values[i]) << i;
    }
}

TEST_F(SensorInitWritesTest, TimingGroupsRiseAndCloseWithTheEndWord) {
    ASSERT_EQ(RegistersOf(writes, 12, 363), Range(512, 874));
    EXPECT_EQ(writes[12].value, 204825u);
    EXPECT_EQ(writes[12 + 38].value, 239357u);
    const std::vector<std::pair<uint32_t, uint32_t>> groups = {{512, 551}, {552, 590}, {591, 637},
                                                               {638, 677}, {678, 705}, {706, 732},
                                                               {733, 769}, {770, 795}, {796, 874}};
    for (const auto& [first, last] : groups) {
        const std::size_t begin = 12 + (first - 512);
        const std::size_t end = 12 + (last - 512);
        EXPECT_EQ(writes[end].value, kGroupEnd) << first;
        for (std::size_t i = begin + 1; i <= end; ++i) {
            EXPECT_GT(writes[i].value & 0x3FF, writes[i - 1].value & 0x3FF) << writes[i].reg;
        }
        for (std::size_t i = begin; i < end; ++i) {
            EXPECT_NE(writes[i].value, kGroupEnd) << writes[i].reg;
        }
    }
}

TEST_F(SensorInitWritesTest, ZeroBlocksAndTheSerialBlocks) {
    std::size_t at = 12 + 363;
    EXPECT_EQ(RegistersOf(writes, at, 149), Range(875, 1023));
    at += 149;
    EXPECT_EQ(RegistersOf(writes, at, 128), Range(256, 383));
    at += 128;
    for (std::size_t i = 12 + 363; i < at; ++i) {
        EXPECT_EQ(writes[i].value, 0u) << writes[i].reg;
    }
    EXPECT_EQ(RegistersOf(writes, at, 25), Range(384, 408));
    EXPECT_EQ(writes[at].value, 794625u);
    EXPECT_EQ(writes[at + 8].value, 4064300u);
    for (std::size_t i = at + 9; i < at + 16; ++i) {
        EXPECT_EQ(writes[i].value, 0u);
    }
    EXPECT_EQ(writes[at + 16].value, 323585u);
    EXPECT_EQ(writes[at + 24].value, 794624u);
    at += 25;
    EXPECT_EQ(RegistersOf(writes, at, 103), Range(409, 511));
}

TEST_F(SensorInitWritesTest, ControlRegistersLeaveOutTriggerTimingAndSixtyThree) {
    const std::size_t at = 12 + 363 + 149 + 128 + 25 + 103;
    std::vector<uint32_t> expected;
    for (uint32_t r = 0; r <= 163; ++r) {
        if (r != 31 && r != 32 && !(r >= 35 && r <= 46) && r != 63) {
            expected.push_back(r);
        }
    }
    ASSERT_EQ(expected.size(), 149u);
    EXPECT_EQ(RegistersOf(writes, at, 149), expected);
    uint32_t nonzero = 0;
    for (std::size_t i = at; i < at + 149; ++i) {
        nonzero += writes[i].value != 0 ? 1 : 0;
    }
    EXPECT_EQ(nonzero, 21u);
    EXPECT_EQ(writes[at + 17].reg, 17u);
    EXPECT_EQ(writes[at + 17].value, 30u);
}

TEST_F(SensorInitWritesTest, ExposureAgainThenRegisterThirtyTwoLast) {
    ASSERT_EQ(writes.size(), 932u);
    EXPECT_EQ(writes[929].reg, 158u);
    EXPECT_EQ(writes[929].value, 36u);
    EXPECT_EQ(writes[930].reg, 159u);
    EXPECT_EQ(writes[930].value, 1u);
    EXPECT_EQ(writes[931].reg, 32u);
    EXPECT_EQ(writes[931].value, 11u);
}

TEST(SensorInitTable, SendsInitThenEveryWriteInOrder) {
    FakeDriverPort port;
    PixoraDevice device(port.Port());
    port.ClearLog();
    SensorInitTable(device);

    const auto blocks = port.Commands();
    ASSERT_EQ(blocks.size(), 933u);
    EXPECT_EQ(blocks[0][0], 6);
    const auto wire = port.RegisterWrites();
    const auto table = SensorInitWrites();
    ASSERT_EQ(wire.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto cls = ClassifyRegister(table[i].reg);
        ASSERT_EQ(wire[i].reg(), table[i].reg) << i;
        ASSERT_EQ(wire[i].value(), table[i].value) << i;
        ASSERT_EQ(wire[i].bitCount, cls->bitCount) << i;
    }

    uint32_t value = 0;
    ASSERT_TRUE(device.ReadRegister(17, value));
    EXPECT_EQ(value, 30u);
    ASSERT_TRUE(device.ReadRegister(32, value));
    EXPECT_EQ(value, 11u);
    ASSERT_TRUE(device.ReadRegister(6, value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(device.ReadRegister(7, value));
    EXPECT_EQ(value, 3u);
    ASSERT_TRUE(device.ReadRegister(158, value));
    EXPECT_EQ(value, 36u);
    ASSERT_TRUE(device.ReadRegister(874, value));
    EXPECT_EQ(value, kGroupEnd);
}

TEST(SensorInitTable, WithoutCameraNothingIsCached) {
    FakeDriverPort port;
    port.SetPresent({});
    PixoraDevice device(port.Port());
    SensorInitTable(device);
    EXPECT_TRUE(port.Commands().empty());
    uint32_t value = 1;
    ASSERT_TRUE(device.ReadRegister(17, value));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(device.ReadRegister(32, value));
    EXPECT_EQ(value, 0u);
}

}  // namespace
}  // namespace pixora
