#include <gtest/gtest.h>

#include <cstdint>

#include "TestImages.h"
#include "imaging/WhiteBalance.h"

namespace pixora {
namespace {

using test::MakeImage;
using test::Mosaic;
using test::SetSample;
using test::WholeRegion;

TEST(WhiteBalance, GainsBringBlueAndRedToGreen) {
    for (int32_t mode = 0; mode < 4; ++mode) {
        for (const uint16_t bits : {uint16_t{8}, uint16_t{16}}) {
            ImageBuffer raw = Mosaic(mode, bits, 8, 6, 120, 60, 80);
            WhiteBalanceBlock block;
            block.bayerMode = mode;
            if (bits == 8) {
                MeasureWhiteBalance8(WholeRegion(raw), block);
            } else {
                MeasureWhiteBalance16(WholeRegion(raw), block);
            }
            EXPECT_EQ(block.blueGain, 200) << "mode " << mode;
            EXPECT_EQ(block.greenGain, 100);
            EXPECT_EQ(block.redGain, 150);
        }
    }
}

TEST(WhiteBalance, OddSizesCountEverySiteByItsOwnPosition) {
    ImageBuffer raw = Mosaic(3, 8, 7, 5, 200, 50, 100);
    WhiteBalanceBlock block;
    block.bayerMode = 3;
    MeasureWhiteBalance8(WholeRegion(raw), block);
    EXPECT_EQ(block.blueGain, 400);
    EXPECT_EQ(block.redGain, 200);
}

TEST(WhiteBalance, BlackChannelKeepsItsPreviousGain) {
    ImageBuffer raw = Mosaic(0, 8, 6, 6, 120, 0, 60);
    WhiteBalanceBlock block{123, 100, 77, 0};
    MeasureWhiteBalance8(WholeRegion(raw), block);
    EXPECT_EQ(block.blueGain, 123);
    EXPECT_EQ(block.redGain, 200);

    ImageBuffer black = Mosaic(0, 8, 6, 6, 0, 0, 0);
    WhiteBalanceBlock kept{111, 100, 222, 0};
    MeasureWhiteBalance8(WholeRegion(black), kept);
    EXPECT_EQ(kept.blueGain, 111);
    EXPECT_EQ(kept.redGain, 222);

    // Only one row: no blue site at all in mode 0 (G B / R G has blue in row 0; take mode 1).
    ImageBuffer line = Mosaic(1, 8, 6, 1, 90, 0, 45);
    WhiteBalanceBlock single{50, 100, 60, 1};
    MeasureWhiteBalance8(WholeRegion(line), single);
    EXPECT_EQ(single.blueGain, 50);
    EXPECT_EQ(single.redGain, 200);
}

TEST(WhiteBalance, HugeRatiosStayDefined) {
    ImageBuffer raw = MakeImage(1000, 1000, 8);
    test::Fill(raw, 255);
    // Mode 0: the blue sites are the odd columns of the even rows; all 0 but one.
    for (int32_t row = 0; row < 1000; row += 2) {
        for (int32_t column = 1; column < 1000; column += 2) {
            SetSample(raw, column, row, 0, row == 0 && column == 1 ? 1 : 0);
        }
    }
    WhiteBalanceBlock block;
    MeasureWhiteBalance8(WholeRegion(raw), block);
    EXPECT_GT(block.blueGain, 400);  // measured as it is; the colour step limits what it stores
}

GrayGainBlock GrayBlock(int32_t mode) {
    GrayGainBlock block;
    block.bayerMode = mode;
    return block;
}

TEST(GrayAutoGain, GainsBringEverySiteToG1) {
    // Mode 0: G1 R / B G2.
    ImageBuffer raw = MakeImage(6, 4, 8);
    const int32_t levels[2][2] = {{100, 50}, {200, 80}};
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t column = 0; column < 6; ++column) {
            SetSample(raw, column, row, 0, levels[row & 1][column & 1]);
        }
    }
    GrayGainBlock block = GrayBlock(0);
    block.gains[kGraySiteG1] = 17;
    MeasureGrayGains8(WholeRegion(raw), block);
    EXPECT_EQ(block.gains[kGraySiteG1], 128);
    EXPECT_EQ(block.gains[kGraySiteR], 256);
    EXPECT_EQ(block.gains[kGraySiteB], 64);
    EXPECT_EQ(block.gains[kGraySiteG2], 160);
}

TEST(GrayAutoGain, ResultsAreNotLimitedAndDarkSitesKeepTheirGain) {
    ImageBuffer raw = MakeImage(4, 4, 8);
    const int32_t levels[2][2] = {{250, 0}, {1, 125}};  // mode 0: G1 R / B G2
    for (int32_t row = 0; row < 4; ++row) {
        for (int32_t column = 0; column < 4; ++column) {
            SetSample(raw, column, row, 0, levels[row & 1][column & 1]);
        }
    }
    GrayGainBlock block = GrayBlock(0);
    block.gains[kGraySiteR] = 99;
    MeasureGrayGains8(WholeRegion(raw), block);
    EXPECT_EQ(block.gains[kGraySiteR], 99);
    EXPECT_EQ(block.gains[kGraySiteB], 250 * 128);
    EXPECT_EQ(block.gains[kGraySiteG2], 256);
}

}  // namespace
}  // namespace pixora
