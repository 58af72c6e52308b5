// TIFF files read back with libtiff and compared sample by sample.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "Decoders.h"
#include "ImageTestSupport.h"
#include "image/SaveImageFile.h"
#include "image/TiffWriter.h"

namespace pixora {
namespace {

using test::DecodedTiff;
using test::PixelAt;
using test::Word;

class TiffReadBack : public test::ScratchDir {
protected:
    DecodedTiff SaveAndDecode(const ImageBuffer& image) {
        const std::string path = PathOf("image.tif");
        EXPECT_EQ(SaveImageFile(path.c_str(), &image, kSaveTiff), 1);
        DecodedTiff tiff;
        EXPECT_TRUE(test::DecodeTiff(path, &tiff));
        EXPECT_EQ(tiff.width, static_cast<uint32_t>(image.Width()));
        EXPECT_EQ(tiff.height, static_cast<uint32_t>(image.Height()));
        EXPECT_EQ(tiff.compression, COMPRESSION_NONE);
        EXPECT_EQ(tiff.strips, 1u);
        return tiff;
    }
};

uint16_t HostWord(const std::vector<uint8_t>& row, size_t sample) {
    uint16_t v;
    std::memcpy(&v, row.data() + 2 * sample, 2);
    return v;
}

TEST_F(TiffReadBack, EightBitRowsArePackedWithoutTheStridePadding) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(1361, 6, 8), 1);
    ASSERT_EQ(image.Stride(), 1364);
    test::FillPattern(image);
    const DecodedTiff tiff = SaveAndDecode(image);
    EXPECT_EQ(tiff.bitsPerSample, 8);
    EXPECT_EQ(tiff.samplesPerPixel, 1);
    EXPECT_EQ(tiff.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(tiff.scanlineBytes, 1361);
    EXPECT_EQ(tiff.firstStripBytes, 1361u * 6);
    for (int y = 0; y < 6; ++y) {
        ASSERT_EQ(std::memcmp(tiff.rows[y].data(), PixelAt(image, 0, y), 1361), 0) << y;
    }
}

TEST_F(TiffReadBack, SixteenBitGrayIsScaledByFour) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(9, 4, 16), 1);
    test::FillPattern(image);
    test::SetWord(PixelAt(image, 8, 3), 0, 1023);
    const DecodedTiff tiff = SaveAndDecode(image);
    EXPECT_EQ(tiff.bitsPerSample, 16);
    EXPECT_EQ(tiff.samplesPerPixel, 1);
    EXPECT_EQ(tiff.photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(HostWord(tiff.rows[3], 8), 16368);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(HostWord(tiff.rows[y], x), Word(PixelAt(image, x, y), 0) << 4);
        }
    }
}

TEST_F(TiffReadBack, EightBitColorIsRgbAndThirtyTwoBitHasAZeroFourthSample) {
    for (uint16_t bpp : {24, 32}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(1361, 3, bpp), 1);
        test::FillPattern(image);
        if (bpp == 32) {
            PixelAt(image, 4, 1)[3] = 99;
        }
        const DecodedTiff tiff = SaveAndDecode(image);
        const int samples = bpp / 8;
        EXPECT_EQ(tiff.bitsPerSample, 8);
        EXPECT_EQ(tiff.samplesPerPixel, samples);
        EXPECT_EQ(tiff.extraSamples, samples - 3);
        EXPECT_EQ(tiff.photometric, PHOTOMETRIC_RGB);
        EXPECT_EQ(tiff.scanlineBytes, 1361 * samples);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 1361; ++x) {
                const uint8_t* p = PixelAt(image, x, y);
                const uint8_t* t = tiff.rows[y].data() + static_cast<size_t>(samples) * x;
                ASSERT_EQ(t[0], p[2]);
                ASSERT_EQ(t[1], p[1]);
                ASSERT_EQ(t[2], p[0]);
                if (samples == 4) {
                    ASSERT_EQ(t[3], 0);
                }
            }
        }
    }
}

TEST_F(TiffReadBack, DeepColorIsScaledBySixInRgbOrder) {
    for (uint16_t bpp : {48, 64}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(7, 5, bpp), 1);
        test::FillPattern(image);
        const DecodedTiff tiff = SaveAndDecode(image);
        const int samples = bpp / 16;
        EXPECT_EQ(tiff.bitsPerSample, 16);
        EXPECT_EQ(tiff.samplesPerPixel, samples);
        EXPECT_EQ(tiff.extraSamples, samples - 3);
        EXPECT_EQ(tiff.photometric, PHOTOMETRIC_RGB);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                const uint8_t* p = PixelAt(image, x, y);
                const size_t s = static_cast<size_t>(samples) * x;
                ASSERT_EQ(HostWord(tiff.rows[y], s + 0), Word(p, 2) << 6);
                ASSERT_EQ(HostWord(tiff.rows[y], s + 1), Word(p, 1) << 6);
                ASSERT_EQ(HostWord(tiff.rows[y], s + 2), Word(p, 0) << 6);
                if (samples == 4) {
                    ASSERT_EQ(HostWord(tiff.rows[y], s + 3), 0xFFFF);
                }
            }
        }
    }
}

TEST_F(TiffReadBack, FullFrameIsOneStripTopRowFirst) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(1360, 1024, 24), 1);
    test::FillPattern(image);
    const DecodedTiff tiff = SaveAndDecode(image);
    EXPECT_EQ(tiff.firstStripBytes, 1360u * 3 * 1024);
    for (int y : {0, 1, 500, 1023}) {
        const uint8_t* p = PixelAt(image, 1359, y);
        const uint8_t* t = tiff.rows[y].data() + 3 * 1359;
        EXPECT_EQ(t[0], p[2]) << y;
        EXPECT_EQ(t[2], p[0]) << y;
    }
}

TEST_F(TiffReadBack, WriterRefusesNullAndEmptyImagesWithoutAFile) {
    const std::string path = PathOf("bad.tif");
    ImageBuffer empty;
    EXPECT_EQ(WriteTiff(path.c_str(), nullptr), 0);
    EXPECT_EQ(WriteTiff(path.c_str(), &empty), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace pixora
