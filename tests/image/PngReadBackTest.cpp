// PNG files read back with libpng and compared sample by sample.
#include <png.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "Decoders.h"
#include "ImageTestSupport.h"
#include "image/PngWriter.h"
#include "image/SaveImageFile.h"

namespace pixora {
namespace {

using test::DecodedPng;
using test::PixelAt;
using test::Word;

class PngReadBack : public test::ScratchDir {
protected:
    DecodedPng SaveAndDecode(const ImageBuffer& image) {
        const std::string path = PathOf("image.png");
        EXPECT_EQ(SaveImageFile(path.c_str(), &image, kSavePng), 1);
        DecodedPng png;
        EXPECT_TRUE(test::DecodePng(path, &png));
        EXPECT_EQ(png.width, static_cast<uint32_t>(image.Width()));
        EXPECT_EQ(png.height, static_cast<uint32_t>(image.Height()));
        EXPECT_EQ(png.rows.size(), static_cast<size_t>(image.Height()));
        return png;
    }
};

uint16_t BigEndian(const std::vector<uint8_t>& row, size_t sample) {
    return static_cast<uint16_t>((row[2 * sample] << 8) | row[2 * sample + 1]);
}

TEST_F(PngReadBack, EightBitGrayIsExactWithRowZeroOnTop) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(13, 5, 8), 1);
    test::FillPattern(image);
    const DecodedPng png = SaveAndDecode(image);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_GRAY);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 13; ++x) {
            ASSERT_EQ(png.rows[y][x], PixelAt(image, x, y)[0]) << x << "," << y;
        }
    }
    EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
}

TEST_F(PngReadBack, SixteenBitGrayIsScaledByFourMostSignificantByteFirst) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(7, 3, 16), 1);
    test::FillPattern(image);
    test::SetWord(PixelAt(image, 0, 0), 0, 1023);
    const DecodedPng png = SaveAndDecode(image);
    EXPECT_EQ(png.bitDepth, 16);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_GRAY);
    EXPECT_EQ(png.rows[0][0], 0x3F);
    EXPECT_EQ(png.rows[0][1], 0xF0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 7; ++x) {
            ASSERT_EQ(BigEndian(png.rows[y], x), Word(PixelAt(image, x, y), 0) << 4);
        }
    }
}

TEST_F(PngReadBack, TwentyFourBitIsRgbInFileOrder) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(11, 4, 24), 1);
    test::FillPattern(image);
    const DecodedPng png = SaveAndDecode(image);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 11; ++x) {
            const uint8_t* p = PixelAt(image, x, y);
            ASSERT_EQ(png.rows[y][3 * x + 0], p[2]);
            ASSERT_EQ(png.rows[y][3 * x + 1], p[1]);
            ASSERT_EQ(png.rows[y][3 * x + 2], p[0]);
        }
    }
}

TEST_F(PngReadBack, ThirtyTwoBitWithZeroFourthBytesIsFullyOpaque) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(6, 3, 32), 1);
    test::FillPattern(image);  // fourth bytes stay 0
    PixelAt(image, 5, 2)[3] = 255;
    const DecodedPng png = SaveAndDecode(image);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB_ALPHA);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            const uint8_t* p = PixelAt(image, x, y);
            ASSERT_EQ(png.rows[y][4 * x + 0], p[2]);
            ASSERT_EQ(png.rows[y][4 * x + 2], p[0]);
            ASSERT_EQ(png.rows[y][4 * x + 3], x == 5 && y == 2 ? 0 : 255);
        }
    }
}

TEST_F(PngReadBack, DeepColorIsScaledBySixWithOpaqueAlpha) {
    for (uint16_t bpp : {48, 64}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(5, 4, bpp), 1);
        test::FillPattern(image);
        test::SetWord(PixelAt(image, 0, 0), 2, 1023);  // red of the top-left pixel
        const DecodedPng png = SaveAndDecode(image);
        const int channels = bpp == 48 ? 3 : 4;
        EXPECT_EQ(png.bitDepth, 16);
        EXPECT_EQ(png.colorType, bpp == 48 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA);
        EXPECT_EQ(BigEndian(png.rows[0], 0), 65472);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                const uint8_t* p = PixelAt(image, x, y);
                const size_t s = static_cast<size_t>(channels) * x;
                ASSERT_EQ(BigEndian(png.rows[y], s + 0), Word(p, 2) << 6);
                ASSERT_EQ(BigEndian(png.rows[y], s + 1), Word(p, 1) << 6);
                ASSERT_EQ(BigEndian(png.rows[y], s + 2), Word(p, 0) << 6);
                if (channels == 4) {
                    ASSERT_EQ(BigEndian(png.rows[y], s + 3), 0xFFFF);
                }
            }
        }
    }
}

TEST_F(PngReadBack, WriterRefusesBadArgumentsWithoutAFile) {
    const uint8_t pixels[16] = {};
    const std::string path = PathOf("bad.png");
    EXPECT_EQ(WritePng(nullptr, pixels, 2, 2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), nullptr, 2, 2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 0, 2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 2, -2, 8), 0);
    EXPECT_EQ(WritePng(path.c_str(), pixels, 2, 2, 12), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(WritePng(path.c_str(), pixels, 2, 2, 8), 1);
}

TEST_F(PngReadBack, LibraryErrorBecomesAFailure) {
    // libpng refuses widths above its limit; the error must come back as 0, not end the
    // process or leak.
    const uint8_t pixels[8] = {};
    const std::string path = PathOf("huge.png");
    EXPECT_EQ(WritePng(path.c_str(), pixels, 0x7FFFFFFF, 1, 8), 0);
}

}  // namespace
}  // namespace pixora
