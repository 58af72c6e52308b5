#include "image/ScaleKernels.h"

#include <gtest/gtest.h>

#include "ImageTestSupport.h"

namespace pixora {
namespace {

using test::PixelAt;

TEST(Scaling, HalfSizeTakesEveryOtherPixelUpsideDown) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(1360, 1024, 24), 1);
    test::FillPattern(source);
    ImageBuffer dest;
    ASSERT_EQ(dest.Create(680, 512, 24), 1);
    ASSERT_EQ(dest.ApplyScaled(Scale24, &source, nullptr, nullptr), 1);
    for (int i = 0; i < 512; i += 37) {
        for (int j = 0; j < 680; j += 13) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(PixelAt(dest, j, i)[c], PixelAt(source, 2 * j, 1023 - 2 * i)[c])
                    << i << "," << j;
            }
        }
    }
    EXPECT_EQ(PixelAt(dest, 679, 511)[1], PixelAt(source, 1358, 1)[1]);
}

TEST(Scaling, EightBitEnlargementRepeatsSamplesAndStaysInside) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(3, 3, 8), 1);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            PixelAt(source, x, y)[0] = static_cast<uint8_t>(10 * y + x);
        }
    }
    ImageBuffer dest;
    ASSERT_EQ(dest.Create(7, 5, 8), 1);
    ASSERT_EQ(dest.ApplyScaled(Scale8, &source, nullptr, nullptr), 1);
    // sy = 3/5 = 0.6, sx = 3/7: destination row 4 takes u = trunc(2.4) = 2, memory row 0.
    EXPECT_EQ(PixelAt(dest, 0, 0)[0], 20);
    EXPECT_EQ(PixelAt(dest, 6, 0)[0], 22);
    EXPECT_EQ(PixelAt(dest, 3, 2)[0], 11);  // u = 1, v = trunc(1.28) = 1
    EXPECT_EQ(PixelAt(dest, 6, 4)[0], 2);
}

TEST(Scaling, SubRectanglesScaleOnlyTheirArea) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(8, 8, 8), 1);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            PixelAt(source, x, y)[0] = static_cast<uint8_t>(10 * y + x);
        }
    }
    ImageBuffer dest;
    ASSERT_EQ(dest.Create(4, 4, 8), 1);
    const PixelRect from{4, 4, 8, 8};  // bottom-right quarter, memory rows 4..7
    const PixelRect to{1, 1, 3, 3};
    ASSERT_EQ(dest.ApplyScaled(Scale8, &source, &from, &to), 1);
    EXPECT_EQ(PixelAt(dest, 0, 0)[0], 0);  // outside the destination rectangle
    EXPECT_EQ(PixelAt(dest, 1, 1)[0], 74);
    EXPECT_EQ(PixelAt(dest, 2, 1)[0], 76);
    EXPECT_EQ(PixelAt(dest, 1, 2)[0], 54);
    EXPECT_EQ(PixelAt(dest, 3, 3)[0], 0);
}

}  // namespace
}  // namespace pixora
