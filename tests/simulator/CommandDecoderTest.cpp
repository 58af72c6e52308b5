#include "simulator/CommandDecoder.h"

#include <gtest/gtest.h>

#include "WireClient.h"

namespace pixora {
namespace {

using test::MakeBlock;
using test::RegisterWriteBlock;

TEST(CommandDecoder, SixBitRegisterTakesSixteenBitWords) {
    const DecodedCommand c = DecodeCommand(RegisterWriteBlock(17, 30, 16));
    EXPECT_EQ(c.kind, CommandKind::WriteRegister);
    EXPECT_EQ(c.bitCount, 16u);
    EXPECT_EQ(c.word, (30u << 10) | 17u);
    EXPECT_EQ(c.address, 17u);
    EXPECT_EQ(c.value, 30u);
    EXPECT_TRUE(c.accepted);
}

TEST(CommandDecoder, WideRegistersTakeTheirOwnBitCounts) {
    const DecodedCommand mid = DecodeCommand(RegisterWriteBlock(256, 0x1ABCD, 26));
    EXPECT_TRUE(mid.accepted);
    EXPECT_EQ(mid.value, 0xABCDu);  // only 16 value bits travel
    const DecodedCommand wide = DecodeCommand(RegisterWriteBlock(512, 4187902, 32));
    EXPECT_TRUE(wide.accepted);
    EXPECT_EQ(wide.address, 512u);
    EXPECT_EQ(wide.value, 4187902u);
}

TEST(CommandDecoder, RefusesMissingRegistersAndWrongBitCounts) {
    EXPECT_FALSE(DecodeCommand(RegisterWriteBlock(200, 1, 16)).accepted);
    EXPECT_FALSE(DecodeCommand(RegisterWriteBlock(17, 1, 26)).accepted);
    EXPECT_FALSE(DecodeCommand(RegisterWriteBlock(400, 1, 16)).accepted);
    auto block = RegisterWriteBlock(17, 1, 16);
    block[1] = 0;  // a bit count that carries no value at all
    const DecodedCommand none = DecodeCommand(block);
    EXPECT_FALSE(none.accepted);
    EXPECT_EQ(none.value, 0u);
}

TEST(CommandDecoder, TransferSizeIsLittleEndian) {
    const DecodedCommand c = DecodeCommand(MakeBlock(9, {0x00, 0x60, 0x1C, 0x00}));
    EXPECT_EQ(c.kind, CommandKind::SetTransferSize);
    EXPECT_EQ(c.argument, 1859584u);
}

}  // namespace
}  // namespace pixora
