// Cutting the image window out of a transferred frame.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/FrameGeometry.h"
#include "device/RawFrameCopy.h"

namespace pixora {
namespace {

FrameGeometry FullWindow() {
    FrameGeometry g;
    g.pitch = 1791;
    g.activeColumn = 424;
    g.activeWidth = 1360;
    g.totalLines = 1060;
    g.activeLine = 14;
    g.activeHeight = 1024;
    g.transferSamples = 1859584;
    return g;
}

uint8_t Marker(int line, int column) {
    return static_cast<uint8_t>(line * 7 + column * 13 + (line >> 3));
}

uint16_t Value(const std::vector<uint8_t>& dest, std::size_t pixel) {
    uint16_t v = 0;
    std::memcpy(&v, dest.data() + pixel * 2, 2);
    return v;
}

TEST(RawFrameCopy, EightBitFullWindowTakesColumns424To1783OfLines14To1037) {
    const FrameGeometry g = FullWindow();
    std::vector<uint8_t> frame(static_cast<std::size_t>(g.transferSamples));
    for (int line = 0; line * g.pitch < g.transferSamples; ++line) {
        for (int column = 0; column < g.pitch && line * g.pitch + column < g.transferSamples;
             ++column) {
            frame[static_cast<std::size_t>(line * g.pitch + column)] = Marker(line, column);
        }
    }
    std::vector<uint8_t> dest(1360 * 1024);
    RawCopy(frame.data(), g, 0, dest.data(), 1360);
    int wrong = 0;
    for (int row = 0; row < 1024; ++row) {
        for (int column = 0; column < 1360; ++column) {
            if (dest[static_cast<std::size_t>(row * 1360 + column)] !=
                Marker(row + 14, column + 424)) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(RawFrameCopy, TenBitSamplesKeepOnlyTheTwoLowBitsOfTheSecondByte) {
    FrameGeometry g{8, 2, 4, 2, 1, 1, 16};
    std::vector<uint8_t> frame(16 * 2, 0);
    const uint8_t pairs[4][2] = {{0xFF, 0x03}, {0x80, 0xFE}, {0x00, 0xFF}, {0x01, 0x00}};
    for (int i = 0; i < 4; ++i) {
        frame[static_cast<std::size_t>((8 + 2 + i) * 2)] = pairs[i][0];
        frame[static_cast<std::size_t>((8 + 2 + i) * 2 + 1)] = pairs[i][1];
    }
    std::vector<uint8_t> dest(4 * 2);
    RawCopy(frame.data(), g, 1, dest.data(), 8);
    EXPECT_EQ(Value(dest, 0), 1023);
    EXPECT_EQ(Value(dest, 1), 514);
    EXPECT_EQ(Value(dest, 2), 3);
    EXPECT_EQ(Value(dest, 3), 4);
}

using UnpackFunction = void (*)(const uint8_t*, uint8_t*, int32_t);

class UnpackRow10Test : public ::testing::TestWithParam<UnpackFunction> {};

TEST_P(UnpackRow10Test, EveryBytePairMatchesTheFormula) {
    std::vector<uint8_t> source;
    for (int b0 = 0; b0 < 256; ++b0) {
        for (int b1 = 0; b1 < 256; ++b1) {
            source.push_back(static_cast<uint8_t>(b0));
            source.push_back(static_cast<uint8_t>(b1));
        }
    }
    // One byte in, so the destination is not aligned for 16-bit values.
    std::vector<uint8_t> dest(65536 * 2 + 1);
    GetParam()(source.data(), dest.data() + 1, 65536);
    for (int i = 0; i < 65536; ++i) {
        uint16_t v = 0;
        std::memcpy(&v, dest.data() + 1 + i * 2, 2);
        ASSERT_EQ(v, (i >> 8) * 4 + ((i & 0xFF) & 3)) << i;
    }
}

TEST_P(UnpackRow10Test, EveryWidthWritesExactlyItsSamples) {
    for (int32_t width = 0; width <= 19; ++width) {
        std::vector<uint8_t> source(static_cast<std::size_t>(width) * 2 + 16, 0xFF);
        std::vector<uint8_t> dest(static_cast<std::size_t>(width) * 2 + 16, 0xAA);
        GetParam()(source.data(), dest.data(), width);
        for (int32_t i = 0; i < width; ++i) {
            ASSERT_EQ(Value(dest, static_cast<std::size_t>(i)), 1023) << width << " " << i;
        }
        for (std::size_t b = static_cast<std::size_t>(width) * 2; b < dest.size(); ++b) {
            ASSERT_EQ(dest[b], 0xAA) << width << " " << b;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, UnpackRow10Test,
                         ::testing::Values(&UnpackRow10, &UnpackRow10Portable));

TEST(RawFrameCopy, AWindowOf1001ColumnsIsPacked) {
    FrameGeometry g = FullWindow();
    g.activeWidth = 1001;
    g.activeHeight = 3;
    std::vector<uint8_t> frame(1791 * 17);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<uint8_t>(i % 251);
    }
    std::vector<uint8_t> dest(1001 * 3 + 5, 0xAB);
    RawCopy(frame.data(), g, 0, dest.data(), 1001);
    for (int row = 0; row < 3; ++row) {
        const std::size_t first = static_cast<std::size_t>((14 + row) * 1791 + 424);
        EXPECT_EQ(dest[static_cast<std::size_t>(row * 1001)], frame[first]) << row;
        EXPECT_EQ(dest[static_cast<std::size_t>(row * 1001 + 1000)], frame[first + 1000]) << row;
    }
    EXPECT_EQ(dest[1001 * 3], 0xAB);  // nothing past the packed rows
}

TEST(RawFrameCopy, RowsGoToTheGivenStride) {
    FrameGeometry g{10, 1, 3, 3, 0, 2, 1024};
    std::vector<uint8_t> frame(1024);
    for (std::size_t i = 0; i < 30; ++i) {
        frame[i] = static_cast<uint8_t>(i);
    }
    std::vector<uint8_t> dest(8, 0xEE);
    RawCopy(frame.data(), g, 0, dest.data(), 4);
    EXPECT_EQ(dest, (std::vector<uint8_t>{1, 2, 3, 0xEE, 11, 12, 13, 0xEE}));
}

TEST(FrameGeometryCheck, WindowMustLieInsideTheFrame) {
    FrameGeometry g = FullWindow();
    EXPECT_TRUE(WindowFitsFrame(g, 1859584));
    EXPECT_TRUE(WindowFitsFrame(g, 1037 * 1791 + 1784));
    EXPECT_FALSE(WindowFitsFrame(g, 1037 * 1791 + 1783));
    EXPECT_FALSE(WindowFitsFrame(g, 0));
    g.activeColumn = -1;
    EXPECT_FALSE(WindowFitsFrame(g, 1859584));
}

TEST(FrameGeometryCheck, TransferSamplesRoundUpToWholeKilosamples) {
    EXPECT_EQ(TransferSamplesFor(1791, 14, 1024), 1859584);
    EXPECT_EQ(TransferSamplesFor(1024, 0, 3), 3072);
    EXPECT_EQ(TransferSamplesFor(1, 0, 1), 1024);
    EXPECT_EQ(TransferSamplesFor(2147483647, 0, 2147483647),
              ((int64_t{2147483647} * 2147483647 + 1023) / 1024) * 1024);
}

}  // namespace
}  // namespace pixora
