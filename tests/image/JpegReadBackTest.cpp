// JPEG files read back with libjpeg: settings exactly, pixels within a tolerance.
#include <gtest/gtest.h>

#include <filesystem>

#include "Decoders.h"
#include "ImageTestSupport.h"
#include "image/JpegWriter.h"
#include "image/SaveImageFile.h"

namespace pixora {
namespace {

using test::DecodedJpeg;
using test::PixelAt;

class JpegReadBack : public test::ScratchDir {
protected:
    DecodedJpeg SaveAndDecode(const ImageBuffer& image, uint32_t format = kSaveJpeg100) {
        const std::string path = PathOf("image.jpg");
        EXPECT_EQ(SaveImageFile(path.c_str(), &image, format), 1);
        DecodedJpeg jpeg;
        EXPECT_TRUE(test::DecodeJpeg(path, &jpeg));
        EXPECT_EQ(jpeg.width, static_cast<uint32_t>(image.Width()));
        EXPECT_EQ(jpeg.height, static_cast<uint32_t>(image.Height()));
        return jpeg;
    }
};

TEST_F(JpegReadBack, FormatCodesPickProgressiveFilesOfQuality100_70And20) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(32, 32, 24), 1);
    test::FillBlocks(image);
    // Entry 0 of the luminance table is 16 scaled by the quality: 1, 10 and 40.
    const std::pair<uint32_t, uint16_t> cases[] = {
        {kSaveJpeg100, 1}, {kSaveJpeg70, 10}, {kSaveJpeg20, 40}};
    for (const auto& [format, quant] : cases) {
        const DecodedJpeg jpeg = SaveAndDecode(image, format);
        EXPECT_TRUE(jpeg.progressive) << format;
        EXPECT_EQ(jpeg.firstLumaQuant, quant) << format;
        EXPECT_EQ(jpeg.components, 3);
    }
}

TEST_F(JpegReadBack, SixtyFourBitFileEqualsTheFortyEightBitOne) {
    ImageBuffer deep48, deep64;
    ASSERT_EQ(deep48.Create(40, 24, 48), 1);
    ASSERT_EQ(deep64.Create(40, 24, 64), 1);
    test::FillPattern(deep48);
    test::FillPattern(deep64);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 40; ++x) {
            test::SetWord(PixelAt(deep64, x, y), 3, 0xABCD);  // ignored
        }
    }
    const std::string a = PathOf("48.jpg");
    const std::string b = PathOf("64.jpg");
    ASSERT_EQ(SaveImageFile(a.c_str(), &deep48, kSaveJpeg70), 1);
    ASSERT_EQ(SaveImageFile(b.c_str(), &deep64, kSaveJpeg70), 1);
    EXPECT_EQ(test::ReadFileBytes(a), test::ReadFileBytes(b));
}

TEST_F(JpegReadBack, ThirtyTwoBitFileEqualsTheTwentyFourBitOne) {
    ImageBuffer color24, color32;
    ASSERT_EQ(color24.Create(40, 24, 24), 1);
    ASSERT_EQ(color32.Create(40, 24, 32), 1);
    test::FillPattern(color24);
    test::FillPattern(color32);
    const std::string a = PathOf("24.jpg");
    const std::string b = PathOf("32.jpg");
    ASSERT_EQ(SaveImageFile(a.c_str(), &color24, kSaveJpeg100), 1);
    ASSERT_EQ(SaveImageFile(b.c_str(), &color32, kSaveJpeg100), 1);
    EXPECT_EQ(test::ReadFileBytes(a), test::ReadFileBytes(b));
}

TEST_F(JpegReadBack, WriterTakesOnlyEightAndTwentyFourBitImages) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(8, 8, 32), 1);
    const std::string path = PathOf("bad.jpg");
    EXPECT_EQ(WriteJpeg(path.c_str(), &image, 90, false), 0);
    EXPECT_EQ(WriteJpeg(path.c_str(), nullptr, 90, false), 0);
    ImageBuffer empty;
    EXPECT_EQ(WriteJpeg(path.c_str(), &empty, 90, false), 0);
    EXPECT_FALSE(std::filesystem::exists(path));

    ASSERT_EQ(image.Create(8, 8, 24), 1);
    ASSERT_EQ(WriteJpeg(path.c_str(), &image, 90, false), 1);
    DecodedJpeg jpeg;
    ASSERT_TRUE(test::DecodeJpeg(path, &jpeg));
    EXPECT_FALSE(jpeg.progressive);
}

TEST_F(JpegReadBack, LibraryErrorBecomesAFailureInsteadOfEndingTheProcess) {
    // Wider than any JPEG may be: libjpeg raises an error at the start of compression.
    ImageBuffer image;
    ASSERT_EQ(image.Create(70000, 1, 8), 1);
    EXPECT_EQ(SaveImageFile(PathOf("wide.jpg").c_str(), &image, kSaveJpeg100), 0);
    // The next save works normally.
    ASSERT_EQ(image.Create(16, 16, 8), 1);
    EXPECT_EQ(SaveImageFile(PathOf("ok.jpg").c_str(), &image, kSaveJpeg100), 1);
}

}  // namespace
}  // namespace pixora
