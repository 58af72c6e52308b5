#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "TestImages.h"
#include "imaging/ToneAdjust.h"
#include "imaging/ToneTables.h"

namespace pixora {
namespace {

using test::MakeImage;
using test::SampleAt;
using test::SetSample;
using test::WholeRegion;

// The table entry by its definition: the smallest j in 3..N-1 with
// log10(j - 2) <= v <= log10(j) gives j - 1, searched one j after the other.
int32_t GammaEntryBySearch(int32_t gamma, int32_t i, int32_t size) {
    double h = gamma > 100 ? 1.0 + (gamma - 100) * 0.1 : gamma * 0.01;
    h = std::clamp(h, 0.001, 99.999);
    const double top = size - 1;
    if (i == 0) {
        return 0;
    }
    const double v = std::log10(top) + h * (std::log10(static_cast<double>(i)) - std::log10(top));
    if (v < 0) {
        return 1;
    }
    for (int32_t j = 3; j < size; ++j) {
        if (std::log10(static_cast<double>(j - 2)) <= v &&
            v <= std::log10(static_cast<double>(j))) {
            return j - 1;
        }
    }
    return size - 1;
}

// A gray image whose samples run through 0..top (and wrap).
ImageBuffer Ramp(int32_t width, int32_t height, uint16_t bits, int32_t top) {
    ImageBuffer image = MakeImage(width, height, bits);
    int32_t value = 0;
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t column = 0; column < width; ++column) {
            for (int32_t c = 0; c < test::ChannelsOf(image); ++c) {
                SetSample(image, column, row, c, value);
                value = value == top ? 0 : value + 1;
            }
        }
    }
    return image;
}

TEST(GammaTable, EveryEightBitTableMatchesTheSearch) {
    uint16_t table[kTable8Size];
    for (int32_t gamma = 0; gamma <= 200; ++gamma) {
        BuildGammaTable(gamma, table, kTable8Size);
        for (int32_t i = 0; i < kTable8Size; ++i) {
            ASSERT_EQ(table[i], GammaEntryBySearch(gamma, i, kTable8Size))
                << "gamma " << gamma << " entry " << i;
        }
    }
}

TEST(GammaTable, TenBitTablesMatchTheSearch) {
    uint16_t table[kTable10Size];
    for (const int32_t gamma : {0, 1, 37, 99, 100, 101, 133, 200}) {
        BuildGammaTable(gamma, table, kTable10Size);
        for (int32_t i = 0; i < kTable10Size; ++i) {
            ASSERT_EQ(table[i], GammaEntryBySearch(gamma, i, kTable10Size))
                << "gamma " << gamma << " entry " << i;
        }
    }
}

TEST(Gamma, EndpointsWhateverTheExponent) {
    for (const int32_t gamma : {0, 50, 100, 150, 200}) {
        ImageBuffer gray = MakeImage(256, 1, 8);
        for (int32_t i = 0; i < 256; ++i) {
            SetSample(gray, i, 0, 0, i);
        }
        AdjustGamma8(WholeRegion(gray), gamma);
        EXPECT_EQ(SampleAt(gray, 0, 0), 0);
        EXPECT_EQ(SampleAt(gray, 255, 0), 254);
        if (gamma > 100) {
            EXPECT_EQ(SampleAt(gray, 1, 0), 1);
        }
        ImageBuffer words = MakeImage(1024, 1, 16);
        for (int32_t i = 0; i < 1024; ++i) {
            SetSample(words, i, 0, 0, i);
        }
        AdjustGamma10(WholeRegion(words), gamma);
        EXPECT_EQ(SampleAt(words, 0, 0), 0);
        EXPECT_EQ(SampleAt(words, 1023, 0), 1022);
    }
}

TEST(Gamma, ColourMembersMapEachChannelAndLeaveTheFourthSample) {
    uint16_t table[kTable8Size];
    BuildGammaTable(60, table, kTable8Size);
    uint16_t table10[kTable10Size];
    BuildGammaTable(60, table10, kTable10Size);
    for (const uint16_t bits : {uint16_t{24}, uint16_t{32}, uint16_t{48}, uint16_t{64}}) {
        const bool words = bits >= 48;
        ImageBuffer image = Ramp(7, 5, bits, words ? 1023 : 255);
        if (bits == 32 || bits == 64) {
            for (int32_t row = 0; row < 5; ++row) {
                for (int32_t column = 0; column < 7; ++column) {
                    SetSample(image, column, row, 3, 77);
                }
            }
        }
        ImageBuffer before = Ramp(7, 5, bits, words ? 1023 : 255);
        if (words) {
            AdjustGamma10(WholeRegion(image), 60);
        } else {
            AdjustGamma8(WholeRegion(image), 60);
        }
        for (int32_t row = 0; row < 5; ++row) {
            for (int32_t column = 0; column < 7; ++column) {
                for (int32_t c = 0; c < 3; ++c) {
                    const int32_t in = SampleAt(before, column, row, c);
                    ASSERT_EQ(SampleAt(image, column, row, c), words ? table10[in] : table[in]);
                }
                if (bits == 32 || bits == 64) {
                    ASSERT_EQ(SampleAt(image, column, row, 3), 77);
                }
            }
        }
    }
}

TEST(Contrast, FullContrastSplitsAtTheMiddle) {
    ImageBuffer gray = Ramp(256, 1, 8, 255);
    AdjustContrast8(WholeRegion(gray), 127);
    for (int32_t i = 0; i < 127; ++i) {
        ASSERT_EQ(SampleAt(gray, i, 0), 0);
    }
    EXPECT_EQ(SampleAt(gray, 127, 0), 0);
    EXPECT_EQ(SampleAt(gray, 128, 0), 128);
    for (int32_t i = 129; i < 256; ++i) {
        ASSERT_EQ(SampleAt(gray, i, 0), 255);
    }
}

TEST(Contrast, TablesStretchAndCompress) {
    uint16_t table[kTable8Size];
    BuildContrastTable(-127, table, kTable8Size);
    EXPECT_EQ(table[0], static_cast<int>(256.0 / 510.0 * 127));
    EXPECT_EQ(table[255], static_cast<int>(256.0 / 510.0 * 382));
    BuildContrastTable(50, table, kTable8Size);
    EXPECT_EQ(table[49], 0);
    EXPECT_EQ(table[50], 0);
    EXPECT_EQ(table[100], static_cast<int>(256.0 / 156.0 * 50));
    EXPECT_EQ(table[205], static_cast<int>(256.0 / 156.0 * 155));
    EXPECT_EQ(table[206], 255);

    uint16_t table10[kTable10Size];
    BuildContrastTable(127, table10, kTable10Size);  // 4q = 508
    EXPECT_EQ(table10[507], 0);
    EXPECT_EQ(table10[509], 128);
    EXPECT_EQ(table10[515], 896);
    EXPECT_EQ(table10[516], 1023);
}

TEST(Brightness, DarkestAndBrightest) {
    ImageBuffer gray = Ramp(256, 1, 8, 255);
    AdjustBrightness8(WholeRegion(gray), -255);
    for (int32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(SampleAt(gray, i, 0), 0);
    }
    gray = Ramp(256, 1, 8, 255);
    AdjustBrightness8(WholeRegion(gray), 255);
    EXPECT_EQ(SampleAt(gray, 20, 0), 220);
    EXPECT_EQ(SampleAt(gray, 23, 0), 253);
    EXPECT_EQ(SampleAt(gray, 24, 0), 255);

    ImageBuffer words = Ramp(1024, 1, 16, 1023);
    AdjustBrightness10(WholeRegion(words), 255);
    EXPECT_EQ(SampleAt(words, 90, 0), 990);
    EXPECT_EQ(SampleAt(words, 93, 0), 1023);
    EXPECT_EQ(SampleAt(words, 1023, 0), 1023);

    ImageBuffer colour = MakeImage(3, 2, 24);
    test::Fill(colour, 200);
    AdjustBrightness8(WholeRegion(colour), -51);
    EXPECT_EQ(SampleAt(colour, 2, 1, 2), static_cast<int32_t>(200 * (1.0 - 51 / 255.0)));
    EXPECT_EQ(SampleAt(colour, 0, 0, 0), SampleAt(colour, 2, 1, 2));
}

TEST(TenBitMembers, WordsAboveTheRangeStayInsideTheTable) {
    ImageBuffer words = MakeImage(4, 2, 48);
    test::Fill(words, 0xFFFF);
    AdjustGamma10(WholeRegion(words), 150);
    EXPECT_EQ(SampleAt(words, 0, 0, 0), 1022);
    test::Fill(words, 5000);
    AdjustContrast10(WholeRegion(words), 20);
    EXPECT_EQ(SampleAt(words, 3, 1, 2), 1023);
    test::Fill(words, 2000);
    AdjustBrightness10(WholeRegion(words), -255);
    EXPECT_EQ(SampleAt(words, 1, 1, 1), 0);
}

}  // namespace
}  // namespace pixora
