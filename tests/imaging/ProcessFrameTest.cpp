#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "FakeCamera.h"
#include "TestImages.h"
#include "image/ConversionKernels.h"
#include "imaging/AutoIris.h"
#include "imaging/ColorStep.h"
#include "imaging/GrayGainOffset.h"
#include "imaging/HueSaturation.h"
#include "imaging/ProcessFrame.h"
#include "imaging/Sharpness.h"
#include "imaging/ToneAdjust.h"

namespace pixora {
namespace {

using test::MakeImage;
using test::SampleAt;
using test::WholeRegion;
using ::testing::StrictMock;

constexpr int32_t kWidth = 37;
constexpr int32_t kHeight = 22;

// A session's worth of images and settings with everything neutral.
class ProcessFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        IdentifyProcessor(&processor);
        filter.Set(FilterField::Gamma, 100);
        filter.Set(FilterField::BayerGainRed, 100);
        filter.Set(FilterField::BayerGainGreen, 100);
        filter.Set(FilterField::BayerGainBlue, 100);
        filter.Set(FilterField::BayerMode, 3);
        for (const FilterField gain : {FilterField::GrayGainR, FilterField::GrayGainG1,
                                       FilterField::GrayGainG2, FilterField::GrayGainB}) {
            filter.Set(gain, 128);
        }
        raw8 = MakeImage(kWidth, kHeight, 8);
        raw16 = MakeImage(kWidth, kHeight, 16);
        color24 = MakeImage(kWidth, kHeight, 24);
        color32 = MakeImage(kWidth, kHeight, 32);
        color48 = MakeImage(kWidth, kHeight, 48);
        color64 = MakeImage(kWidth, kHeight, 64);
        test::FillRandom(raw8, 11, 255);
        test::FillRandom(raw16, 12, 1023);
    }

    FrameContext Context(int32_t mode) {
        ImageBuffer* output = nullptr;
        switch (mode) {
            case 0:
                output = &raw8;
                break;
            case 1:
                output = &raw16;
                break;
            case 2:
                output = &color24;
                break;
            case 3:
                output = &color32;
                break;
            case 4:
                output = &color48;
                break;
            default:
                output = &color64;
                break;
        }
        work.CreateLike(output);
        FrameImages images{&raw8, &raw16, &color24, &color32, &color48, &color64, &work};
        return FrameContext{filter, analog, mode, images, processor, nullptr, &dialogs};
    }

    // What the colour step alone makes of the current raw image.
    ImageBuffer Interpolated(int32_t mode) {
        static constexpr uint16_t kBits[] = {8, 16, 24, 32, 48, 64};
        ImageBuffer out = MakeImage(kWidth, kHeight, kBits[mode]);
        FilterSettings copy;
        copy.Restore(filter.Copy());
        RunColorStep(copy, copy.Get(FilterField::BayerMode), processor, mode >= 4 ? raw16 : raw8,
                     out, nullptr);
        return out;
    }

    ImageBuffer CopyOf(const ImageBuffer& image) {
        ImageBuffer copy;
        copy.CreateLike(&image);
        std::memcpy(copy.Bits(), image.Bits(), image.SizeBytes());
        return copy;
    }

    FilterSettings filter;
    AnalogSettings analog;
    ProcessorInfo processor;
    StrictMock<test::MockDialogs> dialogs;
    ImageBuffer raw8, raw16, color24, color32, color48, color64, work;
};

TEST_F(ProcessFrameTest, NeutralColourModesGiveTheInterpolationOnly) {
    for (int32_t mode = 2; mode <= 5; ++mode) {
        const ImageBuffer expected = Interpolated(mode);
        const FrameContext context = Context(mode);
        ProcessFrame(context);
        EXPECT_TRUE(test::SamePixels(*OutputImageOf(context), expected)) << "mode " << mode;
    }
}

TEST_F(ProcessFrameTest, NeutralGrayModesLeaveTheRawImage) {
    const ImageBuffer before8 = CopyOf(raw8);
    const ImageBuffer before16 = CopyOf(raw16);
    filter.Set(FilterField::Hue, 90);  // never used by modes 0 and 1
    filter.Set(FilterField::Saturation, -40);
    ProcessFrame(Context(0));
    ProcessFrame(Context(1));
    EXPECT_TRUE(test::SamePixels(raw8, before8));
    EXPECT_TRUE(test::SamePixels(raw16, before16));
}

TEST_F(ProcessFrameTest, VerticalMirrorTurnsTheRawImageFirst) {
    const ImageBuffer before = CopyOf(raw8);
    analog.Set(AnalogField::VerticalMirror, 1);
    ProcessFrame(Context(0));
    for (int32_t row = 0; row < kHeight; ++row) {
        for (int32_t column = 0; column < kWidth; ++column) {
            ASSERT_EQ(SampleAt(raw8, column, row), SampleAt(before, column, kHeight - 1 - row));
        }
    }
    // In a colour mode the interpolation sees the mirrored mosaic (raw8 holds it now).
    const ImageBuffer expected = Interpolated(2);
    std::memcpy(raw8.Bits(), before.Bits(), raw8.SizeBytes());
    ProcessFrame(Context(2));
    EXPECT_TRUE(test::SamePixels(color24, expected));
}

TEST_F(ProcessFrameTest, BayerConvertWithUnityGainsIgnoresOffsets) {
    const ImageBuffer before = CopyOf(raw8);
    filter.Set(FilterField::GrayMode, kGrayModeBayerConvert);
    filter.Set(FilterField::GrayOffsetR, 50);
    filter.Set(FilterField::GrayOffsetB, -20);
    ProcessFrame(Context(0));
    EXPECT_TRUE(test::SamePixels(raw8, before));

    filter.Set(FilterField::GrayGainG2, 129);
    ProcessFrame(Context(0));
    EXPECT_FALSE(test::SamePixels(raw8, before));
}

TEST_F(ProcessFrameTest, BayerConvertAppliesTheSessionsGainsAndOffsets) {
    ImageBuffer expected = CopyOf(raw8);
    filter.Set(FilterField::GrayMode, kGrayModeBayerConvert);
    filter.Set(FilterField::BayerMode, 1);
    filter.Set(FilterField::GrayGainR, 200);
    filter.Set(FilterField::GrayOffsetG1, 7);
    GrayGainBlock block;
    block.bayerMode = 1;
    block.gains[kGraySiteR] = 200;
    block.offsets[kGraySiteG1] = 7;
    GrayGainOffset8(WholeRegion(expected), block);
    ProcessFrame(Context(0));
    EXPECT_TRUE(test::SamePixels(raw8, expected));
}

TEST_F(ProcessFrameTest, GrayAutoGainOnceMeasuresOneFrame) {
    filter.Set(FilterField::GrayMode, kGrayModeBayerConvert);
    filter.Set(FilterField::BayerMode, 0);
    test::Fill(raw8, 0);
    // Mode 0: G1 R / B G2 with G1 100, R 50, B 200, G2 80.
    const int32_t levels[2][2] = {{100, 50}, {200, 80}};
    for (int32_t row = 0; row < kHeight; ++row) {
        for (int32_t column = 0; column < kWidth; ++column) {
            test::SetSample(raw8, column, row, 0, levels[row & 1][column & 1]);
        }
    }
    filter.Set(FilterField::GrayAutoGainCounter, 1);
    EXPECT_CALL(dialogs, RefreshImageSettings()).Times(1);
    ProcessFrame(Context(0));
    EXPECT_EQ(filter.Get(FilterField::GrayGainR), 256);
    EXPECT_EQ(filter.Get(FilterField::GrayGainG1), 128);
    EXPECT_EQ(filter.Get(FilterField::GrayGainB), 64);
    EXPECT_EQ(filter.Get(FilterField::GrayGainG2), 160);
    EXPECT_EQ(filter.Get(FilterField::GrayAutoGainCounter), 0);
    // The frame is already balanced (all sites near 100).
    EXPECT_EQ(SampleAt(raw8, 1, 0), 100);
    EXPECT_EQ(SampleAt(raw8, 0, 1), 100);
    EXPECT_EQ(SampleAt(raw8, 1, 1), 100);

    // Later frames keep the gains without measuring again.
    filter.Set(FilterField::GrayGainR, 128);
    ProcessFrame(Context(0));
    EXPECT_EQ(filter.Get(FilterField::GrayGainR), 128);
}

TEST_F(ProcessFrameTest, GrayAutoGainAllFramesMeasuresUntilReset) {
    filter.Set(FilterField::GrayMode, kGrayModeBayerConvert);
    filter.Set(FilterField::GrayAutoGainCounter, -1);
    EXPECT_CALL(dialogs, RefreshImageSettings()).Times(3);
    for (int i = 0; i < 3; ++i) {
        test::FillRandom(raw8, static_cast<uint32_t>(30 + i), 255);
        filter.Set(FilterField::GrayGainR, 1);
        ProcessFrame(Context(0));
        EXPECT_NE(filter.Get(FilterField::GrayGainR), 1);
    }
    EXPECT_EQ(filter.Get(FilterField::GrayAutoGainCounter), -4);
    filter.Set(FilterField::GrayAutoGainCounter, 0);
    filter.Set(FilterField::GrayGainR, 1);
    ProcessFrame(Context(0));
    EXPECT_EQ(filter.Get(FilterField::GrayGainR), 1);
}

TEST_F(ProcessFrameTest, GrayscaleModeIsTheLumaOfTheColourImage) {
    filter.Set(FilterField::GrayMode, kGrayModeGrayscale);
    ImageBuffer colour = Interpolated(2);
    ImageBuffer expected = MakeImage(kWidth, kHeight, 8);
    expected.Apply(Luma24To8, &colour, nullptr, 0, 0);
    ProcessFrame(Context(0));
    EXPECT_TRUE(test::SamePixels(raw8, expected));
}

TEST_F(ProcessFrameTest, SaturationAloneRunsTheHuePassWithNoHueShift) {
    filter.Set(FilterField::Saturation, 10);
    for (const int32_t mode : {2, 5}) {
        ImageBuffer expected = Interpolated(mode);
        if (mode == 2) {
            HueSaturation24(WholeRegion(expected), {0, 0, 10});
        } else {
            HueSaturation48(WholeRegion(expected), {0, 0, 10});
        }
        const FrameContext context = Context(mode);
        ProcessFrame(context);
        EXPECT_TRUE(test::SamePixels(*OutputImageOf(context), expected)) << "mode " << mode;
        EXPECT_FALSE(test::SamePixels(*OutputImageOf(context), Interpolated(mode)));
    }
}

TEST_F(ProcessFrameTest, AdjustmentsRunInTheirOrder) {
    filter.Set(FilterField::Hue, 30);
    filter.Set(FilterField::Gamma, 140);
    filter.Set(FilterField::Contrast, 20);
    filter.Set(FilterField::Sharpness, 12);
    filter.Set(FilterField::Brightness, -30);
    for (const int32_t mode : {0, 1, 3, 4}) {
        ImageBuffer expected = mode <= 1 ? CopyOf(mode == 0 ? raw8 : raw16) : Interpolated(mode);
        const bool words = mode == 1 || mode >= 4;
        const PixelRegion region = WholeRegion(expected);
        if (mode >= 2) {
            if (words) {
                HueSaturation48(region, {30, 0, 0});
            } else {
                HueSaturation24(region, {30, 0, 0});
            }
        }
        (words ? AdjustGamma10 : AdjustGamma8)(region, 140);
        (words ? AdjustContrast10 : AdjustContrast8)(region, 20);
        const ImageBuffer source = CopyOf(expected);
        (words ? Sharpen10 : Sharpen8)(WholeRegion(expected, source), 12);
        (words ? AdjustBrightness10 : AdjustBrightness8)(region, -30);

        const FrameContext context = Context(mode);
        ProcessFrame(context);
        EXPECT_TRUE(test::SamePixels(*OutputImageOf(context), expected)) << "mode " << mode;
        // The raw frames of modes 0 and 1 were changed in place: start again.
        test::FillRandom(raw8, 11, 255);
        test::FillRandom(raw16, 12, 1023);
    }
}

TEST_F(ProcessFrameTest, SharpnessNeedsAMatchingWorkCopy) {
    filter.Set(FilterField::Sharpness, 30);
    const ImageBuffer expected = Interpolated(2);
    FrameContext context = Context(2);
    context.images.workCopy = nullptr;
    ProcessFrame(context);
    EXPECT_TRUE(test::SamePixels(color24, expected));

    ImageBuffer wrong = MakeImage(kWidth - 1, kHeight, 24);
    context.images.workCopy = &wrong;
    ProcessFrame(context);
    EXPECT_TRUE(test::SamePixels(color24, expected));
}

TEST_F(ProcessFrameTest, MissingImagesAreSkipped) {
    const ImageBuffer before = CopyOf(raw8);
    ImageBuffer empty;
    filter.Set(FilterField::Gamma, 50);
    FrameImages none{};
    ProcessFrame(FrameContext{filter, analog, 2, none, processor, nullptr, nullptr});
    FrameImages holes{&raw8, nullptr, &empty, nullptr, nullptr, nullptr, nullptr};
    ProcessFrame(FrameContext{filter, analog, 2, holes, processor, nullptr, nullptr});
    ProcessFrame(FrameContext{filter, analog, 5, holes, processor, nullptr, nullptr});
    ProcessFrame(FrameContext{filter, analog, 9, holes, processor, nullptr, nullptr});
    filter.Set(FilterField::Gamma, 100);
    filter.Set(FilterField::GrayMode, kGrayModeGrayscale);
    ProcessFrame(FrameContext{filter, analog, 0, holes, processor, nullptr, nullptr});
    // Without an output image nothing touched the raw frame.
    EXPECT_TRUE(test::SamePixels(raw8, before));
    EXPECT_TRUE(empty.IsEmpty());
}

TEST_F(ProcessFrameTest, AutoIrisMeasuresBeforeTheMirror) {
    // Everything bright except the first window (memory rows 80..90 %, columns 10..20 %):
    // measured as delivered e = 1.1 - 4 x 0.15 = 0.5; measured after mirroring it would be
    // 0.85 - 4 x 0.15 = 0.25.
    analog.Set(AnalogField::AutoIris, kAutoIrisGain);
    analog.Set(AnalogField::GlobalGain, 100);
    analog.Set(AnalogField::VerticalMirror, 1);
    ImageBuffer big = MakeImage(100, 100, 8);
    for (int32_t row = 0; row < 100; ++row) {
        for (int32_t column = 0; column < 100; ++column) {
            const bool first = row >= 80 && row < 90 && column >= 10 && column < 20;
            test::SetSample(big, column, row, 0, first ? 10 : 250);
        }
    }
    test::FakeCamera camera;
    FrameImages images{&big, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    const FrameContext context{filter, analog, 0, images, processor, &camera, nullptr};
    test::SyncExposureCounter();
    // Each frame mirrors the image again, so the third (measured) frame sees it as built.
    for (int i = 0; i < 3; ++i) {
        ProcessFrame(context);
    }
    ASSERT_EQ(camera.gainsSent.size(), 1u);
    EXPECT_EQ(camera.gainsSent[0], 50);
}

}  // namespace
}  // namespace pixora
