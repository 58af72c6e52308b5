#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

#include "TestImages.h"
#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/ProcessorInfo.h"

namespace pixora {
namespace {

using test::MakeImage;
using test::SampleAt;
using test::SetSample;
using test::WholeRegion;

// Colour of each site by Bayer mode, as the camera documents.
char SiteColor(int32_t mode, int32_t row, int32_t column) {
    return test::BayerSite(mode, column, row);
}

struct Expected {
    int32_t blue;
    int32_t green;
    int32_t red;
};

// An independent model of the interpolation for images of at least 4 x 4: the quad
// s(-1,-1), s(-1,0), s(0,-1), s(0,0), weights 9-3-3-1 around each colour's quad sample, and
// outside neighbours replaced by the ones four rows or columns further in.
Expected Model(const ImageBuffer& raw, int32_t mode, int32_t row, int32_t column, int32_t gainR,
               int32_t gainB, bool fast) {
    const int32_t width = raw.Width();
    const int32_t height = raw.Height();
    const auto inside = [](int32_t i, int32_t n) { return i < 0 ? i + 4 : (i >= n ? i - 4 : i); };
    const auto s = [&](int32_t dr, int32_t dc) {
        return SampleAt(raw, inside(column + dc, width), inside(row + dr, height));
    };
    const bool tenBit = raw.BitsPerPixel() == 16;
    const int32_t top = tenBit ? 1023 : 255;
    const int64_t limit = tenBit ? 0x1FFFFF : 0x7FFFF;
    const auto far = [](int32_t q) { return q == -1 ? 1 : -2; };
    int32_t sums[2] = {0, 0};  // red, blue
    int32_t greens = 0;
    for (int32_t qr = -1; qr <= 0; ++qr) {
        for (int32_t qc = -1; qc <= 0; ++qc) {
            const char color = SiteColor(mode, row + qr, column + qc);
            if (color == 'G') {
                greens += s(qr, qc);
                continue;
            }
            const int32_t sum =
                9 * s(qr, qc) + 3 * s(far(qr), qc) + 3 * s(qr, far(qc)) + s(far(qr), far(qc));
            sums[color == 'R' ? 0 : 1] = sum;
        }
    }
    const auto scale = [&](int32_t sum, int32_t gain) {
        const int32_t factor = gain * 128 / 100;
        if (fast) {
            return std::min(255, (sum / 16) * factor / 128);
        }
        const int64_t product = int64_t{sum} * factor;
        return product > limit ? top : static_cast<int32_t>(product / 2048);
    };
    return {scale(sums[1], gainB), std::min(greens / 2, top), scale(sums[0], gainR)};
}

void RunReference8(ImageBuffer& dest, const ImageBuffer& raw, const InterpolationBlock& block) {
    InterpolateReference8(WholeRegion(dest, raw), block);
    InterpolateBorder8(WholeRegion(dest, raw), block);
}

void Run16(ImageBuffer& dest, const ImageBuffer& raw, const InterpolationBlock& block) {
    Interpolate16(WholeRegion(dest, raw), block);
    InterpolateBorder16(WholeRegion(dest, raw), block);
}

void ExpectMatchesModel(const ImageBuffer& dest, const ImageBuffer& raw,
                        const InterpolationBlock& block, bool fastInterior) {
    for (int32_t row = 0; row < raw.Height(); ++row) {
        for (int32_t column = 0; column < raw.Width(); ++column) {
            const bool interior =
                row >= 2 && row <= raw.Height() - 3 && column >= 2 && column <= raw.Width() - 3;
            const Expected e = Model(raw, block.bayerMode, row, column, block.gainR, block.gainB,
                                     fastInterior && interior);
            ASSERT_EQ(SampleAt(dest, column, row, 0), e.blue) << column << "," << row;
            ASSERT_EQ(SampleAt(dest, column, row, 1), e.green) << column << "," << row;
            ASSERT_EQ(SampleAt(dest, column, row, 2), e.red) << column << "," << row;
        }
    }
}

TEST(BayerInterpolation, UniformGrayStaysGrayEverywhereIncludingBorders) {
    for (int32_t mode = 0; mode < 4; ++mode) {
        for (const auto& [width, height] : {std::pair{8, 6}, std::pair{7, 5}, std::pair{4, 4}}) {
            ImageBuffer raw = MakeImage(width, height, 8);
            test::Fill(raw, 100);
            ImageBuffer dest = MakeImage(width, height, 24);
            RunReference8(dest, raw, {mode, 100, 100, 100});
            for (int32_t row = 0; row < height; ++row) {
                for (int32_t column = 0; column < width; ++column) {
                    for (int32_t c = 0; c < 3; ++c) {
                        ASSERT_EQ(SampleAt(dest, column, row, c), 100)
                            << "mode " << mode << " at " << column << "," << row;
                    }
                }
            }
        }
    }
}

TEST(BayerInterpolation, RedGainDoublesAndSaturates) {
    ImageBuffer raw = MakeImage(10, 8, 8);
    test::Fill(raw, 100);
    ImageBuffer dest = MakeImage(10, 8, 24);
    RunReference8(dest, raw, {0, 200, 100, 100});
    EXPECT_EQ(SampleAt(dest, 4, 4, 2), 200);  // 1600 x 256 / 2048
    EXPECT_EQ(SampleAt(dest, 0, 0, 2), 200);
    EXPECT_EQ(SampleAt(dest, 4, 4, 0), 100);
    EXPECT_EQ(SampleAt(dest, 4, 4, 1), 100);

    RunReference8(dest, raw, {0, 400, 100, 100});
    EXPECT_EQ(SampleAt(dest, 4, 4, 2), 255);  // 1600 x 512 exceeds 0x7FFFF
    EXPECT_EQ(SampleAt(dest, 9, 7, 2), 255);
}

TEST(BayerInterpolation, GreenGainIsNotApplied) {
    ImageBuffer raw = MakeImage(8, 8, 8);
    test::Fill(raw, 90);
    ImageBuffer dest = MakeImage(8, 8, 24);
    RunReference8(dest, raw, {1, 100, 300, 100});
    EXPECT_EQ(SampleAt(dest, 3, 3, 1), 90);
}

TEST(BayerInterpolation, ReferenceMatchesModelOnRandomImagesInEveryMode) {
    uint32_t seed = 1;
    for (int32_t mode = 0; mode < 4; ++mode) {
        for (const auto& [width, height] : {std::pair{16, 12}, std::pair{13, 9}, std::pair{5, 7},
                                            std::pair{4, 5}, std::pair{21, 4}}) {
            for (const uint16_t bits : {uint16_t{24}, uint16_t{32}}) {
                ImageBuffer raw = MakeImage(width, height, 8);
                test::FillRandom(raw, ++seed, 255);
                ImageBuffer dest = MakeImage(width, height, bits);
                const InterpolationBlock block{mode, 37 + 13 * mode, 100, 180 - 9 * mode};
                RunReference8(dest, raw, block);
                ExpectMatchesModel(dest, raw, block, false);
                if (bits == 32) {
                    for (int32_t row = 0; row < height; ++row) {
                        for (int32_t column = 0; column < width; ++column) {
                            ASSERT_EQ(SampleAt(dest, column, row, 3), 0);
                        }
                    }
                }
            }
        }
    }
}

TEST(BayerInterpolation, ColoursFollowOwnPositionOnOddWidths) {
    // Red sites 40, green 80, blue 120: every pixel reads exactly those, on every row, also
    // when the row length is odd.
    for (int32_t mode = 0; mode < 4; ++mode) {
        ImageBuffer raw = MakeImage(11, 9, 8);
        for (int32_t row = 0; row < 9; ++row) {
            for (int32_t column = 0; column < 11; ++column) {
                const char color = SiteColor(mode, row, column);
                SetSample(raw, column, row, 0, color == 'R' ? 40 : (color == 'G' ? 80 : 120));
            }
        }
        ImageBuffer dest = MakeImage(11, 9, 24);
        RunReference8(dest, raw, {mode, 100, 100, 100});
        for (int32_t row = 0; row < 9; ++row) {
            for (int32_t column = 0; column < 11; ++column) {
                ASSERT_EQ(SampleAt(dest, column, row, 0), 120)
                    << mode << ":" << column << "," << row;
                ASSERT_EQ(SampleAt(dest, column, row, 1), 80)
                    << mode << ":" << column << "," << row;
                ASSERT_EQ(SampleAt(dest, column, row, 2), 40)
                    << mode << ":" << column << "," << row;
            }
        }
    }
}

TEST(BayerInterpolation, TinyImagesUseSameColourSamplesInside) {
    for (int32_t width = 1; width <= 5; ++width) {
        for (int32_t height = 1; height <= 5; ++height) {
            for (int32_t mode = 0; mode < 4; ++mode) {
                ImageBuffer raw = MakeImage(width, height, 8);
                for (int32_t row = 0; row < height; ++row) {
                    for (int32_t column = 0; column < width; ++column) {
                        const char color = SiteColor(mode, row, column);
                        SetSample(raw, column, row, 0,
                                  color == 'R' ? 40 : (color == 'G' ? 80 : 120));
                    }
                }
                ImageBuffer dest = MakeImage(width, height, 24);
                RunReference8(dest, raw, {mode, 100, 100, 100});
                if (width < 2 || height < 2) {
                    continue;  // some colour has no site at all; staying inside is the point
                }
                for (int32_t row = 0; row < height; ++row) {
                    for (int32_t column = 0; column < width; ++column) {
                        ASSERT_EQ(SampleAt(dest, column, row, 0), 120)
                            << width << "x" << height << " mode " << mode;
                        ASSERT_EQ(SampleAt(dest, column, row, 1), 80);
                        ASSERT_EQ(SampleAt(dest, column, row, 2), 40);
                    }
                }
            }
        }
    }
}

TEST(BayerInterpolation, FastArithmeticDividesBeforeTheGain) {
    uint32_t seed = 100;
    for (int32_t mode = 0; mode < 4; ++mode) {
        ImageBuffer raw = MakeImage(19, 11, 8);
        test::FillRandom(raw, ++seed, 255);
        ImageBuffer fast = MakeImage(19, 11, 24);
        const InterpolationBlock block{mode, 150, 100, 75};
        InterpolateFast8(WholeRegion(fast, raw), block);
        InterpolateBorder8(WholeRegion(fast, raw), block);
        ExpectMatchesModel(fast, raw, block, true);

        // Never above the reference, and at unity gain at most one below.
        ImageBuffer reference = MakeImage(19, 11, 24);
        const InterpolationBlock unity{mode, 100, 100, 100};
        InterpolateFast8(WholeRegion(fast, raw), unity);
        RunReference8(reference, raw, unity);
        for (int32_t row = 2; row <= 8; ++row) {
            for (int32_t column = 2; column <= 16; ++column) {
                for (const int32_t c : {0, 2}) {
                    const int32_t difference =
                        SampleAt(reference, column, row, c) - SampleAt(fast, column, row, c);
                    ASSERT_GE(difference, 0);
                    ASSERT_LE(difference, 1);
                }
            }
        }
    }
}

TEST(BayerInterpolation, FastFormFallsBackToReferenceAboveTwoHundredPercent) {
    ImageBuffer raw = MakeImage(12, 10, 8);
    test::FillRandom(raw, 7, 255);
    ImageBuffer fast = MakeImage(12, 10, 24);
    ImageBuffer reference = MakeImage(12, 10, 24);
    const InterpolationBlock block{2, 250, 100, 100};
    InterpolateFast8(WholeRegion(fast, raw), block);
    InterpolateSse2(WholeRegion(fast, raw), block);
    InterpolateReference8(WholeRegion(reference, raw), block);
    EXPECT_TRUE(test::SamePixels(fast, reference));
}

// The vector members against the scalar form of their arithmetic, on random images whose
// sizes cover odd and even widths, row tails shorter than one step and the full frame.
template <typename Member>
void ExpectSameAsScalarFast(Member member) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int32_t> gain(0, 200);
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1},  {3, 7},   {5, 5},   {17, 6},     {18, 5},
                                                 {33, 9}, {34, 8},  {35, 7},  {64, 6},     {66, 7},
                                                 {67, 5}, {99, 11}, {130, 4}, {1360, 1024}};
    uint32_t seed = 0;
    for (const auto& [width, height] : sizes) {
        for (int32_t mode = 0; mode < 4; ++mode) {
            ImageBuffer raw = MakeImage(width, height, 8);
            test::FillRandom(raw, ++seed, 255);
            ImageBuffer expected = MakeImage(width, height, 24);
            ImageBuffer actual = MakeImage(width, height, 24);
            const InterpolationBlock block{mode, gain(random), gain(random), gain(random)};
            InterpolateFast8(WholeRegion(expected, raw), block);
            member(WholeRegion(actual, raw), block);
            ASSERT_TRUE(test::SamePixels(expected, actual))
                << width << "x" << height << " mode " << mode << " gains " << block.gainR << "/"
                << block.gainB;
        }
    }
    // Saturating sums and the 200 % edge.
    ImageBuffer raw = MakeImage(70, 6, 8);
    test::Fill(raw, 255);
    ImageBuffer expected = MakeImage(70, 6, 24);
    ImageBuffer actual = MakeImage(70, 6, 24);
    InterpolateFast8(WholeRegion(expected, raw), {3, 200, 200, 200});
    member(WholeRegion(actual, raw), {3, 200, 200, 200});
    EXPECT_TRUE(test::SamePixels(expected, actual));
    EXPECT_EQ(SampleAt(actual, 10, 3, 2), 255);
}

TEST(BayerInterpolationVector, Sse2MatchesScalarForm) {
    ExpectSameAsScalarFast(InterpolateSse2);
}

TEST(BayerInterpolationVector, Avx2MatchesScalarForm) {
    ProcessorInfo processor;
    IdentifyProcessor(&processor);
    if (!processor.avx2Usable) {
        GTEST_SKIP() << "no AVX2 here";
    }
    ExpectSameAsScalarFast(InterpolateAvx2);
}

// The vector forms of the reference member against the scalar one, 24- and 32-bit, with
// gains up to 400 % and beyond what the vector lanes take.
template <typename Member>
void ExpectSameAsScalarReference(Member member) {
    std::mt19937 random(99);
    std::uniform_int_distribution<int32_t> gain(0, 400);
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1},  {4, 4},  {17, 6},  {18, 5},  {34, 8},
                                                 {35, 7}, {67, 5}, {99, 11}, {130, 4}, {1360, 64}};
    uint32_t seed = 300;
    for (const auto& [width, height] : sizes) {
        for (const uint16_t bits : {uint16_t{24}, uint16_t{32}}) {
            for (int32_t mode = 0; mode < 4; ++mode) {
                ImageBuffer raw = MakeImage(width, height, 8);
                test::FillRandom(raw, ++seed, 255);
                ImageBuffer expected = MakeImage(width, height, bits);
                ImageBuffer actual = MakeImage(width, height, bits);
                if (bits == 32) {  // fourth bytes must survive
                    test::FillRandom(expected, seed, 255);
                    test::FillRandom(actual, seed, 255);
                }
                const InterpolationBlock block{mode, gain(random), 100, gain(random)};
                InterpolateReference8(WholeRegion(expected, raw), block);
                member(WholeRegion(actual, raw), block);
                ASSERT_EQ(std::memcmp(expected.Bits(), actual.Bits(), expected.SizeBytes()), 0)
                    << width << "x" << height << " " << bits << " mode " << mode;
            }
        }
    }
    ImageBuffer raw = MakeImage(80, 6, 8);
    test::FillRandom(raw, 1, 255);
    ImageBuffer expected = MakeImage(80, 6, 24);
    ImageBuffer actual = MakeImage(80, 6, 24);
    const InterpolationBlock huge{1, 5000, 100, 1700};  // factors 6400 and 2176
    InterpolateReference8(WholeRegion(expected, raw), huge);
    member(WholeRegion(actual, raw), huge);
    EXPECT_TRUE(test::SamePixels(expected, actual));
}

TEST(BayerInterpolationVector, ReferenceSse2MatchesScalarReference) {
    ExpectSameAsScalarReference(InterpolateReferenceSse2);
}

TEST(BayerInterpolationVector, ReferenceAvx2MatchesScalarReference) {
    ProcessorInfo processor;
    IdentifyProcessor(&processor);
    if (!processor.avx2Usable) {
        GTEST_SKIP() << "no AVX2 here";
    }
    ExpectSameAsScalarReference(InterpolateReferenceAvx2);
}

TEST(BayerInterpolationVector, Avx2TenBitMatchesScalarMember) {
    ProcessorInfo processor;
    IdentifyProcessor(&processor);
    if (!processor.avx2Usable) {
        GTEST_SKIP() << "no AVX2 here";
    }
    std::mt19937 random(77);
    std::uniform_int_distribution<int32_t> gain(0, 400);
    uint32_t seed = 500;
    for (const auto& [width, height] :
         {std::pair{1, 1}, std::pair{9, 5}, std::pair{10, 6}, std::pair{11, 7}, std::pair{19, 9},
          std::pair{20, 6}, std::pair{35, 7}, std::pair{1360, 64}}) {
        for (const uint16_t bits : {uint16_t{48}, uint16_t{64}}) {
            for (int32_t mode = 0; mode < 4; ++mode) {
                ImageBuffer raw = MakeImage(width, height, 16);
                // Words beyond 10 bits as well: a caller's buffer may hold them.
                test::FillRandom(raw, ++seed, mode == 3 ? 65535 : 1023);
                ImageBuffer expected = MakeImage(width, height, bits);
                ImageBuffer actual = MakeImage(width, height, bits);
                if (bits == 64) {  // fourth words must survive
                    test::FillRandom(expected, seed, 65535);
                    test::FillRandom(actual, seed, 65535);
                }
                const InterpolationBlock block{mode, gain(random), 100, gain(random)};
                Interpolate16(WholeRegion(expected, raw), block);
                Interpolate16Avx2(WholeRegion(actual, raw), block);
                ASSERT_EQ(std::memcmp(expected.Bits(), actual.Bits(), expected.SizeBytes()), 0)
                    << width << "x" << height << " " << bits << " mode " << mode;
            }
        }
    }
}

TEST(BayerInterpolation, TenBitMemberMatchesModelAndSaturatesAt1023) {
    uint32_t seed = 900;
    for (int32_t mode = 0; mode < 4; ++mode) {
        for (const uint16_t bits : {uint16_t{48}, uint16_t{64}}) {
            ImageBuffer raw = MakeImage(13, 10, 16);
            test::FillRandom(raw, ++seed, 1023);
            ImageBuffer dest = MakeImage(13, 10, bits);
            const InterpolationBlock block{mode, 160, 100, 90};
            Run16(dest, raw, block);
            ExpectMatchesModel(dest, raw, block, false);
        }
    }
    ImageBuffer raw = MakeImage(8, 8, 16);
    test::Fill(raw, 1023);
    ImageBuffer dest = MakeImage(8, 8, 64);
    Run16(dest, raw, {0, 400, 100, 100});
    EXPECT_EQ(SampleAt(dest, 3, 3, 2), 1023);  // 16368 x 512 exceeds 0x1FFFFF
    EXPECT_EQ(SampleAt(dest, 3, 3, 1), 1023);
    EXPECT_EQ(SampleAt(dest, 3, 3, 0), 1023);
    EXPECT_EQ(SampleAt(dest, 3, 3, 3), 0);  // the fourth word is left alone
    test::Fill(raw, 400);
    Run16(dest, raw, {2, 100, 100, 100});
    EXPECT_EQ(SampleAt(dest, 0, 0, 0), 400);
    EXPECT_EQ(SampleAt(dest, 7, 7, 2), 400);
}

TEST(BayerInterpolation, TenBitGreenHeldTo1023ForOutOfRangeWords) {
    ImageBuffer raw = MakeImage(6, 6, 16);
    test::Fill(raw, 4000);
    ImageBuffer dest = MakeImage(6, 6, 48);
    Run16(dest, raw, {0, 100, 100, 100});
    EXPECT_EQ(SampleAt(dest, 2, 2, 1), 1023);
    EXPECT_EQ(SampleAt(dest, 2, 2, 2), 1023);
}

}  // namespace
}  // namespace pixora
