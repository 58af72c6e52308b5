#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "FakeCamera.h"
#include "TestImages.h"
#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/ColorStep.h"

namespace pixora {
namespace {

using test::MakeImage;
using test::Mosaic;
using test::SampleAt;
using test::SetSample;
using test::WholeRegion;
using ::testing::StrictMock;

ProcessorInfo WithFeatures(uint32_t usable, bool avx2) {
    ProcessorInfo processor;
    processor.reportedFeatures = usable;
    processor.usableFeatures = usable;
    processor.knownFeatures = kKnownProcessorFeatures;
    processor.avx2Usable = avx2;
    return processor;
}

TEST(InterpolationMemberChoice, FollowsDepthGainsAndProcessor) {
    const ProcessorInfo sse2 = WithFeatures(kFeatureMmx | kFeatureSse | kFeatureSse2, false);
    const ProcessorInfo avx2 = WithFeatures(kFeatureMmx | kFeatureSse | kFeatureSse2, true);
    const ProcessorInfo mmxOnly = WithFeatures(kFeatureMmx, false);
    const ProcessorInfo none;
    const InterpolationBlock unity{0, 100, 100, 100};

    EXPECT_EQ(ChooseInterpolationMember(sse2, 24, unity), InterpolationMember::Sse2);
    EXPECT_EQ(ChooseInterpolationMember(avx2, 24, unity), InterpolationMember::Avx2);
    EXPECT_EQ(ChooseInterpolationMember(mmxOnly, 24, unity), InterpolationMember::Reference);
    EXPECT_EQ(ChooseInterpolationMember(none, 24, unity), InterpolationMember::Reference);
    // 32-bit destinations and gains above 200 % always take the reference member.
    EXPECT_EQ(ChooseInterpolationMember(avx2, 32, unity), InterpolationMember::Reference);
    EXPECT_EQ(ChooseInterpolationMember(sse2, 24, {0, 201, 100, 100}),
              InterpolationMember::Reference);
    EXPECT_EQ(ChooseInterpolationMember(sse2, 24, {0, 100, 201, 100}),
              InterpolationMember::Reference);
    EXPECT_EQ(ChooseInterpolationMember(avx2, 24, {0, 100, 100, 250}),
              InterpolationMember::Reference);
    EXPECT_EQ(ChooseInterpolationMember(sse2, 24, {0, 200, 200, 200}), InterpolationMember::Sse2);

    // SSE2 reported but not executable.
    ProcessorInfo faulting = sse2;
    faulting.usableFeatures &= ~kFeatureSse2;
    EXPECT_EQ(ChooseInterpolationMember(faulting, 24, unity), InterpolationMember::Reference);
}

class ColorStepTest : public ::testing::Test {
protected:
    void SetGains(int32_t red, int32_t green, int32_t blue) {
        filter.Set(FilterField::BayerGainRed, red);
        filter.Set(FilterField::BayerGainGreen, green);
        filter.Set(FilterField::BayerGainBlue, blue);
    }

    FilterSettings filter;
    ProcessorInfo processor = WithFeatures(kFeatureMmx | kFeatureSse | kFeatureSse2, false);
};

TEST_F(ColorStepTest, OneShotWhiteBalanceMeasuresStoresAndClears) {
    SetGains(100, 100, 100);
    filter.Set(FilterField::BayerMode, 2);
    filter.Set(FilterField::WhiteBalanceRequest, 1);
    filter.Set(FilterField::WhiteBalanceCompanion1, 1);
    filter.Set(FilterField::WhiteBalanceCompanion2, 1);
    ImageBuffer raw = Mosaic(2, 8, 12, 10, 120, 60, 80);
    ImageBuffer dest = MakeImage(12, 10, 24);
    StrictMock<test::MockDialogs> dialogs;
    EXPECT_CALL(dialogs, RefreshImageSettings()).Times(1);

    ASSERT_TRUE(
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, dest, &dialogs));
    EXPECT_EQ(filter.Get(FilterField::BayerGainBlue), 200);
    EXPECT_EQ(filter.Get(FilterField::BayerGainGreen), 100);
    EXPECT_EQ(filter.Get(FilterField::BayerGainRed), 150);
    EXPECT_EQ(filter.Get(FilterField::WhiteBalanceRequest), 0);
    EXPECT_EQ(filter.Get(FilterField::WhiteBalanceCompanion1), 0);
    EXPECT_EQ(filter.Get(FilterField::WhiteBalanceCompanion2), 0);
    // The frame itself is already balanced: green 120 everywhere, red 80 x 1.5, blue 60 x 2
    // (the reference member, since no gain exceeds 200 but SSE2 may be one lower).
    EXPECT_EQ(SampleAt(dest, 5, 5, 1), 120);
    EXPECT_NEAR(SampleAt(dest, 5, 5, 2), 120, 1);
    EXPECT_NEAR(SampleAt(dest, 5, 5, 0), 120, 1);
}

TEST_F(ColorStepTest, ContinuousRequestStaysSet) {
    SetGains(100, 100, 100);
    filter.Set(FilterField::WhiteBalanceRequest, 1);
    filter.Set(FilterField::WhiteBalanceCompanion1, 1);  // the second companion is clear
    ImageBuffer raw = Mosaic(0, 16, 8, 8, 400, 100, 200);
    ImageBuffer dest = MakeImage(8, 8, 48);
    ASSERT_TRUE(
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, dest, nullptr));
    EXPECT_EQ(filter.Get(FilterField::BayerGainBlue), 400);
    EXPECT_EQ(filter.Get(FilterField::BayerGainRed), 200);
    EXPECT_EQ(filter.Get(FilterField::WhiteBalanceRequest), 1);
    EXPECT_EQ(filter.Get(FilterField::WhiteBalanceCompanion1), 1);
    EXPECT_EQ(SampleAt(dest, 4, 4, 0), 400);
    EXPECT_EQ(SampleAt(dest, 4, 4, 2), 400);
}

TEST_F(ColorStepTest, MeasuredGainAbove400IsStoredAs400AndUsesTheReference) {
    SetGains(100, 100, 100);
    filter.Set(FilterField::WhiteBalanceRequest, 1);
    ImageBuffer raw = Mosaic(0, 8, 40, 8, 180, 40, 90);  // blue 450 %, red 200 %
    ImageBuffer dest = MakeImage(40, 8, 24);
    ASSERT_TRUE(
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, dest, nullptr));
    EXPECT_EQ(filter.Get(FilterField::BayerGainBlue), 400);
    EXPECT_EQ(filter.Get(FilterField::BayerGainRed), 200);

    // A gain above 200 makes the step use the reference member even with SSE2 present.
    ImageBuffer reference = MakeImage(40, 8, 24);
    const InterpolationBlock block{0, 200, 100, 400};
    InterpolateReference8(WholeRegion(reference, raw), block);
    InterpolateBorder8(WholeRegion(reference, raw), block);
    EXPECT_TRUE(test::SamePixels(dest, reference));
}

TEST_F(ColorStepTest, BlackChannelKeepsThePreviousGain) {
    SetGains(130, 100, 170);
    filter.Set(FilterField::WhiteBalanceRequest, 1);
    ImageBuffer raw = Mosaic(0, 8, 8, 8, 100, 0, 50);
    ImageBuffer dest = MakeImage(8, 8, 24);
    RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, dest, nullptr);
    EXPECT_EQ(filter.Get(FilterField::BayerGainBlue), 170);
    EXPECT_EQ(filter.Get(FilterField::BayerGainRed), 200);
}

TEST_F(ColorStepTest, SelectedMemberDecidesTheOutput) {
    SetGains(100, 100, 100);
    ImageBuffer raw = MakeImage(64, 16, 8);
    test::FillRandom(raw, 5, 255);
    ImageBuffer viaStep = MakeImage(64, 16, 24);
    ASSERT_TRUE(
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, viaStep, nullptr));
    ImageBuffer expected = MakeImage(64, 16, 24);
    InterpolateSse2(WholeRegion(expected, raw), {0, 100, 100, 100});
    InterpolateBorder8(WholeRegion(expected, raw), {0, 100, 100, 100});
    EXPECT_TRUE(test::SamePixels(viaStep, expected));

    // A 32-bit destination gets the reference arithmetic and keeps its fourth byte at 0.
    ImageBuffer wide = MakeImage(64, 16, 32);
    ASSERT_TRUE(
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, wide, nullptr));
    ImageBuffer reference = MakeImage(64, 16, 32);
    InterpolateReference8(WholeRegion(reference, raw), {0, 100, 100, 100});
    InterpolateBorder8(WholeRegion(reference, raw), {0, 100, 100, 100});
    EXPECT_TRUE(test::SamePixels(wide, reference));
    EXPECT_EQ(SampleAt(wide, 10, 10, 3), 0);
}

TEST_F(ColorStepTest, MismatchedImagesAreSkipped) {
    ImageBuffer raw = MakeImage(8, 8, 8);
    ImageBuffer smaller = MakeImage(6, 8, 24);
    ImageBuffer wrongDepth = MakeImage(8, 8, 48);
    ImageBuffer empty;
    EXPECT_FALSE(
        RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw, smaller, nullptr));
    EXPECT_FALSE(RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, raw,
                              wrongDepth, nullptr));
    EXPECT_FALSE(RunColorStep(filter, filter.Get(FilterField::BayerMode), processor, empty, smaller,
                              nullptr));
}

}  // namespace
}  // namespace pixora
