#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "TestImages.h"
#include "imaging/GrayGainOffset.h"
#include "imaging/HueSaturation.h"
#include "imaging/ProcessorInfo.h"
#include "imaging/Sharpness.h"
#include "imaging/WindowMean.h"

namespace pixora {
namespace {

using test::MakeImage;
using test::SampleAt;
using test::SetSample;
using test::WholeRegion;

GrayGainBlock Uniform(int32_t mode, int32_t gain, int32_t offset) {
    GrayGainBlock block;
    block.bayerMode = mode;
    for (int32_t i = 0; i < 4; ++i) {
        block.gains[i] = gain;
        block.offsets[i] = offset;
    }
    return block;
}

TEST(GrayGainOffset, UnityLeavesTheImageAlone) {
    ImageBuffer image = MakeImage(9, 7, 8);
    test::FillRandom(image, 3, 255);
    ImageBuffer before = MakeImage(9, 7, 8);
    std::copy(image.Bits(), image.Bits() + image.SizeBytes(), before.Bits());
    GrayGainOffset8(WholeRegion(image), Uniform(1, 128, 0));
    EXPECT_TRUE(test::SamePixels(image, before));
}

TEST(GrayGainOffset, ClampsBothWays) {
    ImageBuffer image = MakeImage(4, 4, 8);
    test::Fill(image, 200);
    GrayGainOffset8(WholeRegion(image), Uniform(0, 255, 0));
    EXPECT_EQ(SampleAt(image, 1, 1), 255);
    test::Fill(image, 60);
    GrayGainOffset8(WholeRegion(image), Uniform(0, 64, -50));
    EXPECT_EQ(SampleAt(image, 2, 3), 0);
    test::Fill(image, 60);
    GrayGainOffset8(WholeRegion(image), Uniform(0, 100, 10));
    EXPECT_EQ(SampleAt(image, 2, 3), 10 + 6000 / 128);
}

TEST(GrayGainOffset, SitesFollowTheBayerMode) {
    // Gains 1x, 2x, 3x, 4x on R, G1, G2, B; all samples 10.
    GrayGainBlock block = Uniform(2, 128, 0);
    block.gains[kGraySiteR] = 128;
    block.gains[kGraySiteG1] = 256;
    block.gains[kGraySiteG2] = 384;
    block.gains[kGraySiteB] = 512;
    ImageBuffer image = MakeImage(2, 2, 8);
    test::Fill(image, 10);
    GrayGainOffset8(WholeRegion(image), block);  // mode 2: R G1 / G2 B
    EXPECT_EQ(SampleAt(image, 0, 0), 10);
    EXPECT_EQ(SampleAt(image, 1, 0), 20);
    EXPECT_EQ(SampleAt(image, 0, 1), 30);
    EXPECT_EQ(SampleAt(image, 1, 1), 40);

    // Mode 0 (G1 R / B G2) on an odd width: every row starts on its own sites.
    block.bayerMode = 0;
    ImageBuffer odd = MakeImage(3, 3, 8);
    test::Fill(odd, 10);
    GrayGainOffset8(WholeRegion(odd), block);
    const int32_t expected[3][3] = {{20, 10, 20}, {40, 30, 40}, {20, 10, 20}};
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < 3; ++column) {
            EXPECT_EQ(SampleAt(odd, column, row), expected[row][column]) << column << "," << row;
        }
    }
}

TEST(GrayGainOffset, MeasuredGainsAboveTheManualRangeDoNotOverflow) {
    ImageBuffer image = MakeImage(2, 2, 8);
    test::Fill(image, 255);
    GrayGainOffset8(WholeRegion(image), Uniform(0, 2000000000, -100));
    EXPECT_EQ(SampleAt(image, 0, 0), 255);
}

TEST(HueSaturation, PureRedWithoutShifts) {
    const Bgr out = ShiftHueSaturation({0, 0, 255}, {});
    EXPECT_EQ(out.red, 253);
    EXPECT_EQ(out.green, 1);
    EXPECT_EQ(out.blue, 1);
}

TEST(HueSaturation, GrayStaysGrayWhateverTheHue) {
    for (const int32_t hue : {-360, -90, 0, 45, 200, 360}) {
        const Bgr out = ShiftHueSaturation({90, 90, 90}, {hue, 0, 0});
        EXPECT_EQ(out.red, 90);
        EXPECT_EQ(out.green, 90);
        EXPECT_EQ(out.blue, 90);
    }
}

TEST(HueSaturation, ShiftsMoveHueAndSaturation) {
    // Pure green at lightness 127: a 120-degree shift makes it blue-ish, and dropping the
    // saturation below zero turns it to its lightness.
    const Bgr green = ShiftHueSaturation({0, 255, 0}, {120, 0, 0});
    EXPECT_GT(green.blue, 200);
    EXPECT_LT(green.green, 10);
    EXPECT_LT(green.red, 10);
    const Bgr gray = ShiftHueSaturation({0, 255, 0}, {0, 0, -255});
    EXPECT_EQ(gray.red, 127);
    EXPECT_EQ(gray.green, 127);
    EXPECT_EQ(gray.blue, 127);
    // Saturation +10 on a muted colour raises its spread.
    const Bgr muted = ShiftHueSaturation({100, 120, 140}, {0, 0, 10});
    EXPECT_GT(muted.red - muted.blue, 40);
}

// The integer HLS steps one after the other, with plain divisions and branches.
Bgr HlsBySteps(int32_t r, int32_t g, int32_t b, int32_t hueShift, int32_t satShift) {
    const int32_t mx = std::max({r, g, b});
    const int32_t mn = std::min({r, g, b});
    int32_t l = (mx + mn) / 2;
    int32_t h = 0;
    int32_t s = 0;
    if (mx != mn) {
        const int32_t d = mx - mn;
        if (l < 128) {
            s = 255 * d / (mx + mn);
        } else {
            s = 255 * d / (510 - mx - mn);
        }
        if (r == mx) {
            h = 64 * (g - b) / d;
        } else if (g == mx) {
            h = 64 * (b - r) / d + 120;
        } else {
            h = 64 * (r - g) / d + 240;
        }
        if (h < 0) {
            h += 360;
        }
        if (h >= 360) {
            h -= 360;
        }
    }
    h += hueShift;
    s += satShift;
    if (s <= 0) {
        return {l & 0xFF, l & 0xFF, l & 0xFF};
    }
    s = std::min(s, 255);
    const int32_t m2 = l < 128 ? (l * (s + 255)) >> 8 : s + l - ((s * l) >> 8);
    const int32_t m1 = 2 * l - m2;
    const auto channel = [&](int32_t angle) {
        const int32_t a = angle % 360;
        if (a < 0) {
            return m1;
        }
        if (a < 60) {
            return m1 + (((m2 - m1) * a) >> 6);
        }
        if (a < 180) {
            return m2;
        }
        if (a < 240) {
            return m1 + (((m2 - m1) * (240 - a)) >> 6);
        }
        return m1;
    };
    return {std::clamp(channel(h - 120), 0, 255), std::clamp(channel(h), 0, 255),
            std::clamp(channel(h + 120), 0, 255)};
}

TEST(HueSaturation, AgreesWithTheStepsOverTheColourCube) {
    const int32_t shifts[][2] = {{0, 0}, {0, 10}, {45, -30}, {-200, 255}, {360, -255}, {-360, 40}};
    for (const auto& [hue, saturation] : shifts) {
        for (int32_t r = 0; r < 256; r += 3) {
            for (int32_t g = 0; g < 256; g += 5) {
                for (int32_t b = 0; b < 256; b += 4) {
                    const Bgr expected = HlsBySteps(r, g, b, hue, saturation);
                    const Bgr actual = ShiftHueSaturation({b, g, r}, {hue, 0, saturation});
                    ASSERT_EQ(actual.red, expected.red) << r << "," << g << "," << b;
                    ASSERT_EQ(actual.green, expected.green) << r << "," << g << "," << b;
                    ASSERT_EQ(actual.blue, expected.blue) << r << "," << g << "," << b;
                }
            }
        }
    }
    // Every maximum and minimum pair, including the extremes of the divisors.
    for (int32_t high = 0; high < 256; ++high) {
        for (int32_t low = 0; low <= high; ++low) {
            const Bgr expected = HlsBySteps(high, low, (high + low) / 2, 30, 5);
            const Bgr actual = ShiftHueSaturation({(high + low) / 2, low, high}, {30, 0, 5});
            ASSERT_EQ(actual.red, expected.red) << high << "," << low;
            ASSERT_EQ(actual.green, expected.green) << high << "," << low;
            ASSERT_EQ(actual.blue, expected.blue) << high << "," << low;
        }
    }
}

TEST(HueSaturation, Avx2FormMatchesScalarOnEveryColourAndShift) {
    ProcessorInfo processor;
    IdentifyProcessor(&processor);
    if (!processor.avx2Usable) {
        GTEST_SKIP() << "no AVX2 here";
    }
    // Every colour with 4-step channels, 24- and 32-bit, in rows that leave short groups.
    ImageBuffer cube = MakeImage(4096, 4, 32);
    for (int32_t i = 0; i < 4096 * 4; ++i) {
        SetSample(cube, i % 4096, i / 4096, 0, (i & 63) * 4 + (i >> 14));
        SetSample(cube, i % 4096, i / 4096, 1, ((i >> 6) & 63) * 4 + 1);
        SetSample(cube, i % 4096, i / 4096, 2, ((i >> 12) & 3) * 85 + (i & 1));
        SetSample(cube, i % 4096, i / 4096, 3, i & 0xFF);
    }
    const HueSaturationBlock blocks[] = {{0, 0, 10},    {360, 0, -255}, {-360, 0, 255},
                                         {123, 0, -17}, {-77, 40, 3},   {200, -300, 0},
                                         {361, 0, 5},   {0, 0, 0}};
    for (const HueSaturationBlock& block : blocks) {
        for (const uint16_t bits : {uint16_t{24}, uint16_t{32}, uint16_t{48}, uint16_t{64}}) {
            const int32_t width = bits == 24 ? 4093 : 4090;  // short final groups
            ImageBuffer expected = MakeImage(width, 4, bits);
            for (int32_t row = 0; row < 4; ++row) {
                for (int32_t column = 0; column < width; ++column) {
                    for (int32_t c = 0;
                         c < 4 && c < expected.BytesPerPixel() / (bits >= 48 ? 2 : 1); ++c) {
                        const int32_t v = SampleAt(cube, column, row, c);
                        SetSample(expected, column, row, c, bits >= 48 ? v * 4 + (c & 3) : v);
                    }
                }
            }
            ImageBuffer actual = MakeImage(width, 4, bits);
            std::copy(expected.Bits(), expected.Bits() + expected.SizeBytes(), actual.Bits());
            if (bits >= 48) {
                HueSaturation48(WholeRegion(expected), block);
                HueSaturation48Avx2(WholeRegion(actual), block);
            } else {
                HueSaturation24(WholeRegion(expected), block);
                HueSaturation24Avx2(WholeRegion(actual), block);
            }
            ASSERT_EQ(std::memcmp(expected.Bits(), actual.Bits(), expected.SizeBytes()), 0)
                << bits << " bits, hue " << block.hue << " saturation " << block.saturation;
        }
    }
}

TEST(HueSaturation, WideMemberWorksOnQuarterWordsAndKeepsTheFourthWord) {
    ImageBuffer image = MakeImage(3, 2, 64);
    for (int32_t row = 0; row < 2; ++row) {
        for (int32_t column = 0; column < 3; ++column) {
            SetSample(image, column, row, 0, 3);     // 0 after / 4
            SetSample(image, column, row, 1, 2);     // 0
            SetSample(image, column, row, 2, 1023);  // 255
            SetSample(image, column, row, 3, 4321);
        }
    }
    HueSaturation48(WholeRegion(image), {});
    EXPECT_EQ(SampleAt(image, 2, 1, 2), 253 * 4);
    EXPECT_EQ(SampleAt(image, 2, 1, 1), 4);
    EXPECT_EQ(SampleAt(image, 2, 1, 0), 4);
    EXPECT_EQ(SampleAt(image, 2, 1, 3), 4321);

    ImageBuffer bytes = MakeImage(3, 2, 32);
    for (int32_t column = 0; column < 3; ++column) {
        SetSample(bytes, column, 0, 2, 255);
        SetSample(bytes, column, 0, 3, 9);
    }
    HueSaturation24(WholeRegion(bytes), {});
    EXPECT_EQ(SampleAt(bytes, 1, 0, 2), 253);
    EXPECT_EQ(SampleAt(bytes, 1, 0, 3), 9);
}

// Two passes as the picture is sharpened: box means written first, then each sample pushed
// away from its mean.
void SharpenByPasses(ImageBuffer& dest, const ImageBuffer& source, int32_t k) {
    const int32_t top = source.BitsPerPixel() == 16 || source.BitsPerPixel() >= 48 ? 1023 : 255;
    const int32_t channels = test::ChannelsOf(source);
    for (int32_t v = 2; v <= source.Height() - 3; ++v) {
        for (int32_t u = 2; u <= source.Width() - 3; ++u) {
            for (int32_t c = 0; c < channels; ++c) {
                int32_t sum = 0;
                for (int32_t y = v - 2; y <= v + 1; ++y) {
                    for (int32_t x = u - 2; x <= u + 1; ++x) {
                        sum += SampleAt(source, x, y, c);
                    }
                }
                SetSample(dest, u, v, c, sum >> 4);
            }
        }
    }
    for (int32_t v = 2; v <= source.Height() - 3; ++v) {
        for (int32_t u = 2; u <= source.Width() - 3; ++u) {
            for (int32_t c = 0; c < channels; ++c) {
                const int32_t s = SampleAt(source, u, v, c);
                const int32_t b = SampleAt(dest, u, v, c);
                SetSample(dest, u, v, c, std::clamp(s + (s - b) * k / 10, 0, top));
            }
        }
    }
}

TEST(Sharpness, MatchesTheTwoPassUnsharpMask) {
    uint32_t seed = 40;
    for (const uint16_t bits :
         {uint16_t{8}, uint16_t{16}, uint16_t{24}, uint16_t{32}, uint16_t{48}, uint16_t{64}}) {
        for (const int32_t k : {1, 7, 30}) {
            const int32_t top = bits == 16 || bits >= 48 ? 1023 : 255;
            ImageBuffer source = MakeImage(11, 9, bits);
            test::FillRandom(source, ++seed, top);
            ImageBuffer expected = MakeImage(11, 9, bits);
            ImageBuffer actual = MakeImage(11, 9, bits);
            std::copy(source.Bits(), source.Bits() + source.SizeBytes(), expected.Bits());
            std::copy(source.Bits(), source.Bits() + source.SizeBytes(), actual.Bits());
            SharpenByPasses(expected, source, k);
            if (top == 1023) {
                Sharpen10(WholeRegion(actual, source), k);
            } else {
                Sharpen8(WholeRegion(actual, source), k);
            }
            ASSERT_TRUE(test::SamePixels(expected, actual)) << bits << " bits, k " << k;
        }
    }
}

TEST(Sharpness, ImagesUnderFiveByFiveAreLeftAlone) {
    for (int32_t width = 1; width <= 5; ++width) {
        for (int32_t height = 1; height <= 5; ++height) {
            if (width == 5 && height == 5) {
                continue;
            }
            ImageBuffer source = MakeImage(width, height, 24);
            test::FillRandom(source, static_cast<uint32_t>(width * 10 + height), 255);
            ImageBuffer dest = MakeImage(width, height, 24);
            test::Fill(dest, 7);
            Sharpen8(WholeRegion(dest, source), 30);
            for (int32_t row = 0; row < height; ++row) {
                for (int32_t column = 0; column < width; ++column) {
                    ASSERT_EQ(SampleAt(dest, column, row, 1), 7);
                }
            }
        }
    }
}

TEST(Sharpness, TenBitWordsAboveTheRangeStayInsideTheTable) {
    ImageBuffer source = MakeImage(6, 6, 16);
    test::Fill(source, 60000);
    SetSample(source, 2, 2, 0, 0);
    ImageBuffer dest = MakeImage(6, 6, 16);
    Sharpen10(WholeRegion(dest, source), 30);
    EXPECT_EQ(SampleAt(dest, 3, 3), 1023);
    EXPECT_EQ(SampleAt(dest, 2, 2), 0);
}

TEST(WindowMean, MeansOfBytesAndReducedWords) {
    ImageBuffer bytes = MakeImage(4, 3, 8);
    int32_t value = 0;
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < 4; ++column) {
            SetSample(bytes, column, row, 0, value += 10);
        }
    }
    EXPECT_EQ(WindowMean8(WholeRegion(bytes)), 780u / 12u);  // (10 + ... + 120) / 12

    ImageBuffer words = MakeImage(3, 1, 16);
    SetSample(words, 0, 0, 0, 1023);  // 255
    SetSample(words, 1, 0, 0, 512);   // 128
    SetSample(words, 2, 0, 0, 3);     // 0
    EXPECT_EQ(WindowMean16(WholeRegion(words)), 383u / 3u);

    PixelRegion empty = WholeRegion(bytes);
    empty.width = 0;
    EXPECT_EQ(WindowMean8(empty), 0u);
}

}  // namespace
}  // namespace pixora
