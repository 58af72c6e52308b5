#include "image/ConversionKernels.h"

#include <gtest/gtest.h>

#include "ImageTestSupport.h"

namespace pixora {
namespace {

using test::PixelAt;
using test::SetWord;
using test::Word;

// A one-row source of the given depth with one pixel per value of `words`, each channel
// of a pixel carrying the same word (or byte).
ImageBuffer Row16(uint16_t bpp, std::initializer_list<uint16_t> words) {
    ImageBuffer image;
    EXPECT_EQ(image.Create(static_cast<int32_t>(words.size()), 1, bpp), 1);
    int x = 0;
    for (uint16_t w : words) {
        for (int c = 0; c < bpp / 16; ++c) {
            SetWord(PixelAt(image, x, 0), c, w);
        }
        ++x;
    }
    return image;
}

TEST(Reduction, TenBitSamplesKeepBitsTwoToNine) {
    ImageBuffer gray = Row16(16, {1023, 512, 3, 0, 4});
    ImageBuffer out;
    ASSERT_EQ(out.Create(5, 1, 8), 1);
    ASSERT_EQ(out.Apply(Gray16To8, &gray, nullptr, 0, 0), 1);
    const uint8_t* p = out.Bits();
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 128);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 0);
    EXPECT_EQ(p[4], 1);
}

TEST(Reduction, OutOfRangeWordsWrapModulo256) {
    // ((high byte x 64) + (low byte / 4)) mod 256: 0x0400 -> 0, 0xFFFF -> 255.
    ImageBuffer gray = Row16(16, {0x0400, 0xFFFF});
    ImageBuffer out;
    ASSERT_EQ(out.Create(2, 1, 8), 1);
    ASSERT_EQ(out.Apply(Gray16To8, &gray, nullptr, 0, 0), 1);
    EXPECT_EQ(out.Bits()[0], 0);
    EXPECT_EQ(out.Bits()[1], 255);
}

TEST(Reduction, ColorMembersReduceEachChannelAndKeepTheOrder) {
    for (uint16_t bpp : {48, 64}) {
        ImageBuffer source;
        ASSERT_EQ(source.Create(1, 1, bpp), 1);
        SetWord(source.Bits(), 0, 1023);  // blue
        SetWord(source.Bits(), 1, 512);   // green
        SetWord(source.Bits(), 2, 3);     // red
        ImageBuffer out;
        ASSERT_EQ(out.Create(1, 1, 24), 1);
        ASSERT_EQ(out.Apply(Color16To24, &source, nullptr, 0, 0), 1);
        EXPECT_EQ(out.Bits()[0], 255) << bpp;
        EXPECT_EQ(out.Bits()[1], 128) << bpp;
        EXPECT_EQ(out.Bits()[2], 0) << bpp;
    }
}

TEST(Luma, WeightsGreenRedAndBlue) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(4, 1, 24), 1);
    uint8_t* p = source.Bits();
    const uint8_t pixels[4][3] = {{255, 255, 255}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        for (int c = 0; c < 3; ++c) {
            p[3 * i + c] = pixels[i][c];
        }
    }
    ImageBuffer out;
    ASSERT_EQ(out.Create(4, 1, 8), 1);
    ASSERT_EQ(out.Apply(Luma24To8, &source, nullptr, 0, 0), 1);
    EXPECT_EQ(out.Bits()[0], 255);
    EXPECT_EQ(out.Bits()[1], 76);   // red: 30 x 255 / 100
    EXPECT_EQ(out.Bits()[2], 150);  // green: 59 x 255 / 100
    EXPECT_EQ(out.Bits()[3], 28);   // blue: 11 x 255 / 100
}

// Every level of every channel, in 24- and 32-bit sources, against the truncated weighted
// mean 0.59 G + 0.30 R + 0.11 B.
TEST(Luma, EveryLevelOfEveryChannelTruncatesTheWeightedMean) {
    for (const uint16_t bits : {uint16_t{24}, uint16_t{32}}) {
        SCOPED_TRACE(bits);
        const int step = bits / 8;
        ImageBuffer source;
        ASSERT_EQ(source.Create(256, 3, bits), 1);
        for (int row = 0; row < 3; ++row) {
            uint8_t* p = source.Bits() + row * source.Stride();
            for (int i = 0; i < 256; ++i) {
                p[step * i + row] = static_cast<uint8_t>(i);  // the channel under test
                p[step * i + (row + 1) % 3] = static_cast<uint8_t>(255 - i);
                p[step * i + (row + 2) % 3] = static_cast<uint8_t>(i * 37);
            }
        }
        ImageBuffer out;
        ASSERT_EQ(out.Create(256, 3, 8), 1);
        ASSERT_EQ(out.Apply(Luma24To8, &source, nullptr, 0, 0), 1);
        for (int row = 0; row < 3; ++row) {
            const uint8_t* p = source.Bits() + row * source.Stride();
            const uint8_t* luma = out.Bits() + row * out.Stride();
            for (int i = 0; i < 256; ++i) {
                const uint8_t* pixel = p + step * i;
                const int expected = (59 * pixel[1] + 30 * pixel[2] + 11 * pixel[0]) / 100;
                ASSERT_EQ(luma[i], expected) << "row " << row << " level " << i;
            }
        }
    }
}

TEST(DepthCopies, ThirtyTwoToTwentyFourDropsTheFourthByte) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(2, 2, 32), 1);
    for (size_t i = 0; i < source.SizeBytes(); ++i) {
        source.Bits()[i] = static_cast<uint8_t>(i);
    }
    ImageBuffer out;
    ASSERT_EQ(out.Create(2, 2, 24), 1);
    ASSERT_EQ(out.Apply(Copy32To24, &source, nullptr, 0, 0), 1);
    EXPECT_EQ(PixelAt(out, 1, 0)[0], 4);
    EXPECT_EQ(PixelAt(out, 1, 0)[2], 6);
    EXPECT_EQ(PixelAt(out, 0, 1)[0], 8);
    EXPECT_EQ(PixelAt(out, 1, 1)[2], 14);
}

TEST(DepthCopies, FlippedMembersTakeRowsFromTheBottom) {
    ImageBuffer gray;
    ASSERT_EQ(gray.Create(2, 3, 16), 1);
    ImageBuffer color;
    ASSERT_EQ(color.Create(2, 3, 64), 1);
    ImageBuffer bgrx;
    ASSERT_EQ(bgrx.Create(2, 3, 32), 1);
    for (int r = 0; r < 3; ++r) {
        SetWord(PixelAt(gray, 1, r), 0, static_cast<uint16_t>(4 * (r + 1)));
        for (int c = 0; c < 3; ++c) {
            SetWord(PixelAt(color, 1, r), c, static_cast<uint16_t>(4 * (10 * r + c)));
            PixelAt(bgrx, 1, r)[c] = static_cast<uint8_t>(10 * r + c);
        }
    }
    ImageBuffer gray8, color24, bgr24;
    ASSERT_EQ(gray8.Create(2, 3, 8), 1);
    ASSERT_EQ(color24.Create(2, 3, 24), 1);
    ASSERT_EQ(bgr24.Create(2, 3, 24), 1);
    ASSERT_EQ(gray8.Apply(Gray16To8Flipped, &gray, nullptr, 0, 0), 1);
    ASSERT_EQ(color24.Apply(Color16To24Flipped, &color, nullptr, 0, 0), 1);
    ASSERT_EQ(bgr24.Apply(FlipCopyTo24, &bgrx, nullptr, 0, 0), 1);
    for (int r = 0; r < 3; ++r) {
        const int from = 2 - r;
        EXPECT_EQ(PixelAt(gray8, 1, r)[0], from + 1);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(PixelAt(color24, 1, r)[c], 10 * from + c);
            EXPECT_EQ(PixelAt(bgr24, 1, r)[c], 10 * from + c);
        }
    }
}

TEST(FileLayouts, SwapToRgbExchangesBlueAndRedAndZeroesAFourthByte) {
    ImageBuffer source24;
    ASSERT_EQ(source24.Create(1, 1, 24), 1);
    source24.Bits()[0] = 1;
    source24.Bits()[1] = 2;
    source24.Bits()[2] = 3;
    ImageBuffer out24;
    ASSERT_EQ(out24.CreateLike(&source24), 1);
    ASSERT_EQ(out24.Apply(SwapToRgb, &source24, nullptr, 0, 0), 1);
    EXPECT_EQ(out24.Bits()[0], 3);
    EXPECT_EQ(out24.Bits()[1], 2);
    EXPECT_EQ(out24.Bits()[2], 1);

    ImageBuffer source32;
    ASSERT_EQ(source32.Create(1, 1, 32), 1);
    const uint8_t bgrx[4] = {1, 2, 3, 200};
    std::copy(bgrx, bgrx + 4, source32.Bits());
    ImageBuffer out32;
    ASSERT_EQ(out32.CreateLike(&source32), 1);
    ASSERT_EQ(out32.Apply(SwapToRgb, &source32, nullptr, 0, 0), 1);
    EXPECT_EQ(out32.Bits()[0], 3);
    EXPECT_EQ(out32.Bits()[2], 1);
    EXPECT_EQ(out32.Bits()[3], 0);
}

TEST(FileLayouts, AlphaComplementTurnsZeroIntoOpaque) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(2, 1, 32), 1);
    const uint8_t bytes[8] = {10, 20, 30, 0, 40, 50, 60, 200};
    std::copy(bytes, bytes + 8, source.Bits());
    ImageBuffer out;
    ASSERT_EQ(out.CreateLike(&source), 1);
    ASSERT_EQ(out.Apply(ComplementAlpha32, &source, nullptr, 0, 0), 1);
    const uint8_t expected[8] = {10, 20, 30, 255, 40, 50, 60, 55};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(out.Bits()[i], expected[i]) << i;
    }
}

TEST(FileLayouts, GrayScaleUpShiftsByFour) {
    ImageBuffer source = Row16(16, {1023, 1, 0x1001});
    ImageBuffer out;
    ASSERT_EQ(out.CreateLike(&source), 1);
    ASSERT_EQ(out.Apply(ScaleGray16, &source, nullptr, 0, 0), 1);
    EXPECT_EQ(Word(out.Bits(), 0), 16368);
    EXPECT_EQ(Word(out.Bits(), 1), 16);
    EXPECT_EQ(Word(out.Bits(), 2), 0x0010);  // the shift keeps the low 16 bits
}

TEST(FileLayouts, ColorScaleUpShiftsBySixAndFillsTheFourthWord) {
    for (uint16_t bpp : {48, 64}) {
        ImageBuffer source;
        ASSERT_EQ(source.Create(1, 1, bpp), 1);
        SetWord(source.Bits(), 0, 1023);
        SetWord(source.Bits(), 1, 1);
        SetWord(source.Bits(), 2, 512);
        ImageBuffer straight, swapped;
        ASSERT_EQ(straight.CreateLike(&source), 1);
        ASSERT_EQ(swapped.CreateLike(&source), 1);
        ASSERT_EQ(straight.Apply(ScaleColor16, &source, nullptr, 0, 0), 1);
        ASSERT_EQ(swapped.Apply(ScaleColor16Swapped, &source, nullptr, 0, 0), 1);
        EXPECT_EQ(Word(straight.Bits(), 0), 65472) << bpp;
        EXPECT_EQ(Word(straight.Bits(), 1), 64) << bpp;
        EXPECT_EQ(Word(straight.Bits(), 2), 32768) << bpp;
        EXPECT_EQ(Word(swapped.Bits(), 0), 32768) << bpp;
        EXPECT_EQ(Word(swapped.Bits(), 1), 64) << bpp;
        EXPECT_EQ(Word(swapped.Bits(), 2), 65472) << bpp;
        if (bpp == 64) {
            EXPECT_EQ(Word(straight.Bits(), 3), 0xFFFF);
            EXPECT_EQ(Word(swapped.Bits(), 3), 0xFFFF);
        }
    }
}

}  // namespace
}  // namespace pixora
