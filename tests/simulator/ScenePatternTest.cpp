#include "simulator/ScenePattern.h"

#include <gtest/gtest.h>

#include <vector>

#include "WireClient.h"
#include "driver/WireProtocol.h"

namespace pixora {
namespace {

using test::SampleOffset;

TEST(SensorLevel, WhiteAtReferenceSettingsReadsAboutTwoHundred) {
    const uint32_t level = SensorLevel(255, 656, 64);
    EXPECT_NEAR(static_cast<int>(level >> 2), 200, 3);
}

TEST(SensorLevel, RisesWithExposureAndGainAndSaturates) {
    uint32_t previous = 0;
    for (uint32_t exposure = 8; exposure <= 1068; exposure += 20) {
        const uint32_t level = SensorLevel(128, 300, exposure);
        EXPECT_GE(level, previous) << "exposure " << exposure;
        previous = level;
    }
    EXPECT_EQ(previous, 1023u);
    previous = 0;
    for (uint32_t gain = 0; gain <= 1023; gain += 31) {
        const uint32_t level = SensorLevel(128, gain, 100);
        EXPECT_GE(level, previous) << "gain " << gain;
        previous = level;
    }
    EXPECT_LT(SensorLevel(128, 0, 100), SensorLevel(128, 1023, 100));
    EXPECT_LT(SensorLevel(128, 300, 50), SensorLevel(128, 300, 60));
    EXPECT_EQ(SensorLevel(255, 0, 0), 0u);
    EXPECT_EQ(SensorLevel(0, 1023, 1068), 0u);
}

TEST(BayerChannel, GreenOnARedRowComesFirst) {
    EXPECT_EQ(BayerChannel(0, 0), 1);
    EXPECT_EQ(BayerChannel(1, 0), 0);
    EXPECT_EQ(BayerChannel(0, 1), 2);
    EXPECT_EQ(BayerChannel(1, 1), 1);
    EXPECT_EQ(BayerChannel(1000, 998), 1);
}

TEST(Scenes, BarsRunFromWhiteToBlackOverAGreyRamp) {
    // Bar 0 white, bar 5 red, bar 7 black; the bottom quarter is a grey ramp.
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, 10, 10, 0), 255u);
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, 10, 10, 2), 255u);
    const uint32_t red = 5 * 170 + 20;
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, red, 10, 0), 255u);
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, red, 10, 1), 0u);
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, 1359, 0, 1), 0u);
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, 0, 1000, 1), 0u);
    EXPECT_EQ(SceneReflectance(SceneKind::Bars, 1359, 1000, 1), 255u);
}

TEST(Scenes, GradientDiffersTopToBottomAndLeftToRight) {
    EXPECT_EQ(SceneReflectance(SceneKind::Gradient, 0, 0, 1), 0u);
    EXPECT_EQ(SceneReflectance(SceneKind::Gradient, 1359, 1023, 0), 255u);
    EXPECT_LT(SceneReflectance(SceneKind::Gradient, 0, 100, 1),
              SceneReflectance(SceneKind::Gradient, 0, 900, 1));
    EXPECT_LT(SceneReflectance(SceneKind::Gradient, 100, 0, 1),
              SceneReflectance(SceneKind::Gradient, 900, 0, 1));
}

TEST(ScenePattern, TenBitSamplesSplitOverTwoBytes) {
    const ScenePattern pattern({SceneKind::Bars, 2, 656, 64});
    const uint8_t* row0 = pattern.Row(0);
    const uint32_t white = SensorLevel(255, 656, 64);
    EXPECT_EQ(row0[0], white >> 2);
    EXPECT_EQ(row0[1], white & 3);
    EXPECT_EQ(pattern.Level(0, 0), white);
    EXPECT_EQ(pattern.RowBytes(), 2u * wire::kSensorWidth);
}

TEST(ScenePattern, EightBitSamplesAreTheHighBitsOfTheLevel) {
    const ScenePattern narrow({SceneKind::Gradient, 1, 500, 300});
    const ScenePattern wide({SceneKind::Gradient, 2, 500, 300});
    for (uint32_t x : {0u, 7u, 680u, 1359u}) {
        for (uint32_t y : {0u, 1u, 511u, 1023u}) {
            EXPECT_EQ(narrow.Level(x, y), wide.Level(x, y) & ~3u);
        }
    }
}

TEST(ScenePattern, RedBarLightsOnlyTheRedSites) {
    const ScenePattern pattern({SceneKind::Bars, 1, 656, 64});
    const uint32_t x = 5 * 170 + 20;  // even: a green site on row 0
    EXPECT_EQ(pattern.Level(x, 0), 0u);
    EXPECT_GT(pattern.Level(x + 1, 0), 700u);  // red
    EXPECT_EQ(pattern.Level(x, 1), 0u);        // blue
    EXPECT_EQ(pattern.Level(x + 1, 1), 0u);    // green
}

class FrameWriting : public ::testing::Test {
protected:
    ScenePattern pattern_{PatternKey{SceneKind::Bars, 1, 656, 64}};
};

TEST_F(FrameWriting, PlacesTheImageAtLineFourteenColumn424) {
    std::vector<uint8_t> frame(test::kFullFrame8, 0xAA);
    WriteFrame(pattern_, 0, {}, 7, frame.data(), frame.size());
    EXPECT_EQ(FrameStamp(frame.data()), 7u);
    for (size_t i = 4; i < SampleOffset(0, 0, 1); ++i) {
        ASSERT_EQ(frame[i], 0) << "offset " << i;
    }
    EXPECT_EQ(frame[SampleOffset(0, 0, 1)], pattern_.Row(0)[0]);
    EXPECT_EQ(frame[SampleOffset(1, 0, 1)], pattern_.Row(0)[1]);
    EXPECT_EQ(frame[SampleOffset(1359, 1023, 1)], pattern_.Row(1023)[1359]);
    EXPECT_EQ(frame[SampleOffset(0, 0, 1) - 1], 0);     // column 423
    EXPECT_EQ(frame[SampleOffset(1359, 0, 1) + 1], 0);  // column 1784
    for (size_t i = SampleOffset(1359, 1023, 1) + 1; i < frame.size(); ++i) {
        ASSERT_EQ(frame[i], 0) << "offset " << i;
    }
}

TEST_F(FrameWriting, WritesExactlyTheBytesAsked) {
    std::vector<uint8_t> frame(100000, 0xAA);
    const size_t asked = SampleOffset(600, 10, 1) + 3;  // ends inside a line
    WriteFrame(pattern_, 0, {}, 1, frame.data(), asked);
    EXPECT_EQ(frame[asked - 1], pattern_.Row(10)[602]);
    EXPECT_EQ(frame[asked], 0xAA);
}

TEST_F(FrameWriting, ShiftMovesTheSceneRightAndWraps) {
    std::vector<uint8_t> frame(test::kFullFrame8);
    WriteFrame(pattern_, 16, {}, 1, frame.data(), frame.size());
    EXPECT_EQ(frame[SampleOffset(16, 3, 1)], pattern_.Row(3)[0]);
    EXPECT_EQ(frame[SampleOffset(0, 3, 1)], pattern_.Row(3)[1360 - 16]);
    EXPECT_EQ(frame[SampleOffset(1359, 3, 1)], pattern_.Row(3)[1359 - 16]);
}

// The read-out runs from the window start to the sensor's edges; the moving scene wraps in
// sensor columns wherever the read-out starts.
TEST_F(FrameWriting, ReadOutStartsAtTheWindowStart) {
    std::vector<uint8_t> frame(test::kFullFrame8, 0xAA);
    WriteFrame(pattern_, 16, ReadoutStart{5, 201}, 1, frame.data(), frame.size());
    EXPECT_EQ(frame[SampleOffset(0, 0, 1)], pattern_.Row(201)[1360 - 11]);
    EXPECT_EQ(frame[SampleOffset(11, 3, 1)], pattern_.Row(204)[0]);
    EXPECT_EQ(frame[SampleOffset(1354, 822, 1)], pattern_.Row(1023)[1359 - 16]);
    EXPECT_EQ(frame[SampleOffset(1355, 0, 1)], 0);  // past the sensor's right edge
    EXPECT_EQ(frame[SampleOffset(0, 823, 1)], 0);   // past its bottom edge
}

TEST(SceneShift, OnlyTheMovingSceneMovesAndKeepsTheColourPhase) {
    EXPECT_EQ(SceneShift(SceneKind::Bars, 5), 0u);
    EXPECT_EQ(SceneShift(SceneKind::Gradient, 5), 0u);
    EXPECT_NE(SceneShift(SceneKind::Moving, 1), SceneShift(SceneKind::Moving, 2));
    for (uint64_t s = 0; s < 200; ++s) {
        EXPECT_EQ(SceneShift(SceneKind::Moving, s) % 2, 0u);
        EXPECT_LT(SceneShift(SceneKind::Moving, s), wire::kSensorWidth);
    }
}

}  // namespace
}  // namespace pixora
