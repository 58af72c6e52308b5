// The image files the Windows build wrote under Wine ($PIXORA_WINE_IMAGES, left there by
// the Windows suite's WicImageFiles tests), read back with the same decoders as the Linux
// files and compared with what the Linux writers make of the same pictures: PNG and TIFF
// pixel for pixel, JPEG by layout and closeness (the encoders differ, and Wine's takes no
// quality). Without that directory there is nothing to compare and the test is skipped.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "Decoders.h"
#include "ImagePattern.h"
#include "TempDir.h"
#include "image/ImageBuffer.h"
#include "image/SaveImageFile.h"

namespace pixora::test {
namespace {

// Mean difference of the decoded samples from the picture the JPEG should hold: the top
// row is memory row 0, 16-bit samples taken as (v >> 2) & 0xFF, colour as R, G, B; or from
// that picture turned over, or with red and blue exchanged.
double MeanErrorToPattern(const DecodedJpeg& jpeg, uint16_t depth, bool flipped = false,
                          bool swapped = false) {
    const bool wide = depth == 16 || depth == 48 || depth == 64;
    const auto components = static_cast<size_t>(jpeg.components);
    double total = 0;
    for (int32_t y = 0; y < kPatternHeight; ++y) {
        for (int32_t x = 0; x < kPatternWidth; ++x) {
            for (size_t c = 0; c < components; ++c) {
                const int rgb = static_cast<int>(swapped ? c : 2 - c);
                const int channel = components == 1 ? 0 : rgb;
                const int32_t row = flipped ? kPatternHeight - 1 - y : y;
                uint32_t want = PatternSample(x, row, channel, wide);
                if (wide)
                    want = (want >> 2) & 0xFF;
                const size_t at = (static_cast<size_t>(y) * kPatternWidth + x) * components + c;
                total += std::abs(static_cast<int>(jpeg.pixels[at]) - static_cast<int>(want));
            }
        }
    }
    return total / static_cast<double>(jpeg.pixels.size());
}

class WineWrittenFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("PIXORA_WINE_IMAGES");
        if (dir == nullptr || *dir == '\0')
            GTEST_SKIP() << "PIXORA_WINE_IMAGES names no directory of files written under Wine";
        wine_ = dir;
    }
    // The Windows file and the Linux writer's file of the same picture.
    bool Pair(uint16_t depth, uint32_t format, std::string* windows, std::string* linux) {
        ImageBuffer image;
        *windows = (wine_ / PatternFileName(depth, format)).string();
        *linux = local_.File(PatternFileName(depth, format));
        return std::filesystem::exists(*windows) && FillPattern(image, depth) &&
               SaveImageFile(linux->c_str(), &image, format) == 1;
    }

    std::filesystem::path wine_;
    TempDir local_;
};

TEST_F(WineWrittenFiles, PngPixelsEqualTheLinuxWriters) {
    for (uint16_t depth : kPatternDepths) {
        SCOPED_TRACE(depth);
        std::string windows, linux;
        ASSERT_TRUE(Pair(depth, 5, &windows, &linux));
        DecodedPng w, l;
        ASSERT_TRUE(DecodePng(windows, &w));
        ASSERT_TRUE(DecodePng(linux, &l));
        EXPECT_EQ(w.width, l.width);
        EXPECT_EQ(w.height, l.height);
        EXPECT_EQ(w.bitDepth, l.bitDepth);
        EXPECT_EQ(w.colorType, l.colorType);
        EXPECT_TRUE(w.rows == l.rows);
    }
}

TEST_F(WineWrittenFiles, TiffPixelsEqualTheLinuxWriters) {
    for (uint16_t depth : kPatternDepths) {
        SCOPED_TRACE(depth);
        std::string windows, linux;
        ASSERT_TRUE(Pair(depth, 6, &windows, &linux));
        DecodedTiff w, l;
        ASSERT_TRUE(DecodeTiff(windows, &w));
        ASSERT_TRUE(DecodeTiff(linux, &l));
        EXPECT_EQ(w.width, l.width);
        EXPECT_EQ(w.height, l.height);
        EXPECT_EQ(w.bitsPerSample, l.bitsPerSample);
        EXPECT_EQ(w.samplesPerPixel, l.samplesPerPixel);
        EXPECT_EQ(w.photometric, l.photometric);
        EXPECT_EQ(w.compression, l.compression);
        EXPECT_TRUE(w.rows == l.rows);
    }
}

TEST_F(WineWrittenFiles, JpegMatchesTheLinuxWritersLayoutAndPicture) {
    for (uint16_t depth : kPatternDepths) {
        for (uint32_t format : {2u, 3u, 4u}) {
            SCOPED_TRACE(std::to_string(depth) + "/" + std::to_string(format));
            std::string windows, linux;
            ASSERT_TRUE(Pair(depth, format, &windows, &linux));
            DecodedJpeg w, l;
            ASSERT_TRUE(DecodeJpeg(windows, &w));
            ASSERT_TRUE(DecodeJpeg(linux, &l));
            EXPECT_EQ(w.width, l.width);
            EXPECT_EQ(w.height, l.height);
            EXPECT_EQ(w.components, l.components);  // gray stays gray
            ASSERT_EQ(w.pixels.size(), l.pixels.size());
            // Measured against the picture itself the Windows file is about as close as the
            // Linux one (Wine's encoder keeps its own quality: 75 against 100 costs about
            // 3), and clearly closer than to the picture turned over or with red and blue
            // exchanged.
            const double windowsError = MeanErrorToPattern(w, depth);
            const double linuxError = MeanErrorToPattern(l, depth);
            EXPECT_LT(windowsError, linuxError + 4.0) << "Linux file off by " << linuxError;
            EXPECT_LT(2 * windowsError, MeanErrorToPattern(w, depth, true, false));
            if (w.components == 3) {
                EXPECT_LT(2 * windowsError, MeanErrorToPattern(w, depth, false, true));
            }
        }
    }
}

}  // namespace
}  // namespace pixora::test

#endif  // _WIN32
