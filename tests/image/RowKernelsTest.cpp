#include "image/RowKernels.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestSupport.h"

namespace pixora {
namespace {

using test::PixelAt;
using test::Word;

TEST(RowSpreading, EightBitPackedFrameMovesToTheStride) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(1361, 3, 8), 1);
    ASSERT_EQ(image.Stride(), 1364);
    // The frame arrives packed: 1361 bytes per row back to back.
    uint8_t* bits = image.Bits();
    for (int i = 0; i < 1361 * 3; ++i) {
        bits[i] = static_cast<uint8_t>(i % 251);
    }
    const uint8_t lastOfRow1 = bits[2721];
    ASSERT_EQ(image.Apply(SpreadRows8, &image, nullptr, 0, 0), 1);
    EXPECT_EQ(bits[2724], lastOfRow1);
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 1361; ++k) {
            ASSERT_EQ(PixelAt(image, k, r)[0], (r * 1361 + k) % 251) << r << "," << k;
        }
    }
}

TEST(RowSpreading, SixteenBitPackedFrameMovesTwoBytesPerPixel) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(5, 4, 16), 1);
    ASSERT_EQ(image.Stride(), 12);
    uint8_t* bits = image.Bits();
    for (int i = 0; i < 5 * 4; ++i) {
        test::SetWord(bits, i, static_cast<uint16_t>(1000 + i));
    }
    ASSERT_EQ(image.Apply(SpreadRows16, &image, nullptr, 0, 0), 1);
    for (int r = 0; r < 4; ++r) {
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(Word(PixelAt(image, k, r), 0), 1000 + r * 5 + k);
        }
    }
}

TEST(RowSwap, ThreeRowsExchangeFirstAndLastAndKeepTheMiddle) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(3, 3, 24), 1);
    for (int r = 0; r < 3; ++r) {
        std::memset(PixelAt(image, 0, r), 'a' + r, static_cast<size_t>(image.Stride()));
    }
    ASSERT_EQ(image.Apply(SwapRows, &image, nullptr, 0, 0), 1);
    EXPECT_EQ(PixelAt(image, 0, 0)[0], 'c');
    EXPECT_EQ(PixelAt(image, 2, 0)[2], 'c');
    EXPECT_EQ(PixelAt(image, 0, 1)[0], 'b');
    EXPECT_EQ(PixelAt(image, 0, 2)[0], 'a');
    // The padding travels with its row.
    EXPECT_EQ(image.Bits()[image.Stride() - 1], 'c');
}

TEST(RowSwap, EvenRowCountMirrorsEveryRowAndTwiceRestores) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(6, 4, 64), 1);
    test::FillPattern(image);
    ImageBuffer original;
    ASSERT_EQ(original.CreateLike(&image), 1);
    std::memcpy(original.Bits(), image.Bits(), image.SizeBytes());
    ASSERT_EQ(image.Apply(SwapRows, &image, nullptr, 0, 0), 1);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(std::memcmp(PixelAt(image, 0, r), PixelAt(original, 0, 3 - r),
                              static_cast<size_t>(image.Stride())),
                  0);
    }
    ASSERT_EQ(image.Apply(SwapRows, &image, nullptr, 0, 0), 1);
    EXPECT_EQ(std::memcmp(image.Bits(), original.Bits(), image.SizeBytes()), 0);
}

TEST(RowCopies, FlipCopyReversesRowsIncludingPadding) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(3, 4, 8), 1);  // stride 4: one padding byte per row
    for (size_t i = 0; i < source.SizeBytes(); ++i) {
        source.Bits()[i] = static_cast<uint8_t>(i + 1);
    }
    ImageBuffer dest;
    ASSERT_EQ(dest.CreateLike(&source), 1);
    ASSERT_EQ(dest.Apply(FlipCopy, &source, nullptr, 0, 0), 1);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(std::memcmp(PixelAt(dest, 0, r), PixelAt(source, 0, 3 - r), 4), 0) << r;
    }
}

TEST(RowCopies, CopyRowsKeepsTheOrder) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(7, 3, 48), 1);
    test::FillPattern(source);
    ImageBuffer dest;
    ASSERT_EQ(dest.CreateLike(&source), 1);
    ASSERT_EQ(dest.Apply(CopyRows, &source, nullptr, 0, 0), 1);
    EXPECT_EQ(std::memcmp(dest.Bits(), source.Bits(), source.SizeBytes()), 0);
}

}  // namespace
}  // namespace pixora
