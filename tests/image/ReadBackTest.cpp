// Files of every writer and depth read back with the format's own library (libpng, libtiff,
// libjpeg) and compared with the image sample by sample: the file's layout, the order of
// rows and channels, the scaling of 10-bit samples and the fourth channel.
#include <png.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "Decoders.h"
#include "ImageTestSupport.h"
#include "image/SaveImageFile.h"

namespace pixora {
namespace {

using test::PixelAt;
using test::Word;

// What the file must hold for one format and depth.
struct ReadBackCase {
    const char* name;
    uint32_t format;
    uint16_t bitsPerPixel;
    int32_t width;
    int32_t height;
    int bitsPerSample;  // in the file
    int channels;       // in the file, the fourth one included
    int colorKind;      // PNG colour type or TIFF photometric interpretation; none for JPEG
    int shift;          // left shift from a 10-bit sample of the image to the file's sample
    int alpha;          // the file's fourth sample; kComplement: 255 minus the image's fourth byte
    int tolerance;      // JPEG: how far a decoded block colour may lie from the image's
};

constexpr int kComplement = -1;
constexpr int kNone = 0;

// The decoded file, whichever the format: samples as numbers, top row first.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitsPerSample = 0;
    int channels = 0;
    std::vector<std::vector<uint32_t>> rows;

    uint32_t Sample(int x, int y, int channel) const {
        return rows[y][static_cast<size_t>(x) * channels + channel];
    }
};

// The sample the file should hold for pixel (x, y), channel `channel` in file order (gray;
// or red, green, blue, fourth).
uint32_t Expected(const ReadBackCase& c, const ImageBuffer& image, int x, int y, int channel) {
    const uint8_t* p = PixelAt(image, x, y);
    const bool words = c.bitsPerPixel == 16 || c.bitsPerPixel >= 48;
    if (channel == 3) {
        return c.alpha == kComplement ? 255u - p[3] : static_cast<uint32_t>(c.alpha);
    }
    const int memoryChannel = c.channels == 1 ? 0 : 2 - channel;
    if (!words) {
        return p[memoryChannel];
    }
    const uint32_t sample = Word(p, memoryChannel);
    return c.shift >= 0 ? sample << c.shift : sample >> -c.shift;
}

std::vector<uint32_t> RowOfBytes(const uint8_t* bytes, size_t count) {
    return std::vector<uint32_t>(bytes, bytes + count);
}

class ReadBack : public test::ScratchDir, public ::testing::WithParamInterface<ReadBackCase> {
protected:
    // Saves `image` in the case's format and reads the file back, checking the layout the
    // format's own header tells.
    Picture SaveAndDecode(const ImageBuffer& image) {
        const ReadBackCase& c = GetParam();
        const std::string path = PathOf("image.file");
        EXPECT_EQ(SaveImageFile(path.c_str(), &image, c.format), 1);
        Picture picture;
        if (c.format == kSavePng) {
            test::DecodedPng png;
            EXPECT_TRUE(test::DecodePng(path, &png));
            EXPECT_EQ(png.colorType, c.colorKind);
            EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
            picture = {png.width, png.height, png.bitDepth, png.channels, {}};
            for (const std::vector<uint8_t>& row : png.rows) {
                if (png.bitDepth == 8) {
                    picture.rows.push_back(RowOfBytes(row.data(), row.size()));
                    continue;
                }
                std::vector<uint32_t> samples;
                for (size_t i = 0; i + 1 < row.size(); i += 2) {
                    samples.push_back(static_cast<uint32_t>((row[i] << 8) | row[i + 1]));
                }
                picture.rows.push_back(samples);
            }
        } else if (c.format == kSaveTiff) {
            test::DecodedTiff tiff;
            EXPECT_TRUE(test::DecodeTiff(path, &tiff));
            EXPECT_EQ(tiff.photometric, c.colorKind);
            EXPECT_EQ(tiff.compression, COMPRESSION_NONE);
            EXPECT_EQ(tiff.extraSamples, c.channels == 4 ? 1 : 0);
            // One strip of packed rows: no stride padding in the file.
            const int64_t rowBytes = int64_t{image.Width()} * c.channels * c.bitsPerSample / 8;
            EXPECT_EQ(tiff.strips, 1u);
            EXPECT_EQ(tiff.scanlineBytes, rowBytes);
            EXPECT_EQ(tiff.firstStripBytes, static_cast<uint64_t>(rowBytes) * image.Height());
            picture = {tiff.width, tiff.height, tiff.bitsPerSample, tiff.samplesPerPixel, {}};
            for (const std::vector<uint8_t>& row : tiff.rows) {
                if (tiff.bitsPerSample == 8) {
                    picture.rows.push_back(RowOfBytes(row.data(), row.size()));
                    continue;
                }
                std::vector<uint32_t> samples(row.size() / 2);
                for (size_t i = 0; i < samples.size(); ++i) {
                    uint16_t v;
                    std::memcpy(&v, row.data() + 2 * i, 2);
                    samples[i] = v;
                }
                picture.rows.push_back(samples);
            }
        } else {
            test::DecodedJpeg jpeg;
            EXPECT_TRUE(test::DecodeJpeg(path, &jpeg));
            EXPECT_TRUE(jpeg.progressive);
            picture = {jpeg.width, jpeg.height, 8, jpeg.components, {}};
            const size_t rowSamples = static_cast<size_t>(jpeg.width) * jpeg.components;
            for (size_t y = 0; y < jpeg.height && (y + 1) * rowSamples <= jpeg.pixels.size(); ++y) {
                picture.rows.push_back(RowOfBytes(jpeg.pixels.data() + y * rowSamples, rowSamples));
            }
        }
        EXPECT_EQ(picture.width, static_cast<uint32_t>(image.Width()));
        EXPECT_EQ(picture.height, static_cast<uint32_t>(image.Height()));
        EXPECT_EQ(picture.bitsPerSample, c.bitsPerSample);
        EXPECT_EQ(picture.channels, c.channels);
        EXPECT_EQ(picture.rows.size(), static_cast<size_t>(image.Height()));
        return picture;
    }
};

TEST_P(ReadBack, FileHoldsTheImageTopRowFirstInRgbOrder) {
    const ReadBackCase& c = GetParam();
    ImageBuffer image;
    ASSERT_EQ(image.Create(c.width, c.height, c.bitsPerPixel), 1);
    const bool words = c.bitsPerPixel == 16 || c.bitsPerPixel >= 48;
    if (c.tolerance > 0) {
        test::FillBlocks(image);
    } else {
        test::FillPattern(image);
        if (words) {
            // The largest 10-bit sample (red, or gray) shows the scaling reaches the top.
            test::SetWord(PixelAt(image, 0, 0), c.channels == 1 ? 0 : 2, 1023);
        }
        if (c.bitsPerPixel == 32) {
            PixelAt(image, c.width - 1, c.height - 1)[3] = 255;
        }
    }
    const Picture picture = SaveAndDecode(image);
    ASSERT_EQ(picture.channels, c.channels);
    ASSERT_EQ(picture.rows.size(), static_cast<size_t>(c.height));
    if (c.tolerance > 0) {
        // Lossy: the centres of the four flat blocks, within the tolerance.
        for (int block = 0; block < 4; ++block) {
            const int y = block >= 2 ? 24 : 8;
            const int x = block % 2 == 1 ? 24 : 8;
            for (int channel = 0; channel < c.channels; ++channel) {
                const int expected = static_cast<int>(Expected(c, image, x, y, channel));
                const int actual = static_cast<int>(picture.Sample(x, y, channel));
                EXPECT_LE(std::abs(actual - expected), c.tolerance)
                    << "block " << block << " channel " << channel;
            }
        }
        return;
    }
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            for (int channel = 0; channel < c.channels; ++channel) {
                ASSERT_EQ(picture.Sample(x, y, channel), Expected(c, image, x, y, channel))
                    << "pixel " << x << "," << y << " channel " << channel;
            }
        }
    }
}

// Widths that need row padding in memory (1361: a stride of 1364) and 10-bit samples that
// take the 16-bit formats' scaling: gray by four bits, colour by six.
const ReadBackCase kCases[] = {
    {"Png8BitGray", kSavePng, 8, 13, 5, 8, 1, PNG_COLOR_TYPE_GRAY, 0, kNone, 0},
    {"Png16BitGray", kSavePng, 16, 7, 3, 16, 1, PNG_COLOR_TYPE_GRAY, 4, kNone, 0},
    {"Png24BitColor", kSavePng, 24, 11, 4, 8, 3, PNG_COLOR_TYPE_RGB, 0, kNone, 0},
    {"Png32BitColor", kSavePng, 32, 6, 3, 8, 4, PNG_COLOR_TYPE_RGB_ALPHA, 0, kComplement, 0},
    {"Png48BitColor", kSavePng, 48, 5, 4, 16, 3, PNG_COLOR_TYPE_RGB, 6, kNone, 0},
    {"Png64BitColor", kSavePng, 64, 5, 4, 16, 4, PNG_COLOR_TYPE_RGB_ALPHA, 6, 0xFFFF, 0},
    {"Tiff8BitGray", kSaveTiff, 8, 1361, 6, 8, 1, PHOTOMETRIC_MINISBLACK, 0, kNone, 0},
    {"Tiff16BitGray", kSaveTiff, 16, 9, 4, 16, 1, PHOTOMETRIC_MINISBLACK, 4, kNone, 0},
    {"Tiff24BitColor", kSaveTiff, 24, 1361, 3, 8, 3, PHOTOMETRIC_RGB, 0, kNone, 0},
    {"Tiff32BitColor", kSaveTiff, 32, 1361, 3, 8, 4, PHOTOMETRIC_RGB, 0, 0, 0},
    {"Tiff48BitColor", kSaveTiff, 48, 7, 5, 16, 3, PHOTOMETRIC_RGB, 6, kNone, 0},
    {"Tiff64BitColor", kSaveTiff, 64, 7, 5, 16, 4, PHOTOMETRIC_RGB, 6, 0xFFFF, 0},
    // JPEG keeps eight bits: 10-bit samples lose their two lowest.
    {"Jpeg8BitGray", kSaveJpeg100, 8, 32, 32, 8, 1, 0, 0, kNone, 2},
    {"Jpeg16BitGray", kSaveJpeg100, 16, 32, 32, 8, 1, 0, -2, kNone, 2},
    {"Jpeg24BitColor", kSaveJpeg100, 24, 32, 32, 8, 3, 0, 0, kNone, 8},
    {"Jpeg32BitColor", kSaveJpeg100, 32, 32, 32, 8, 3, 0, 0, kNone, 8},
    {"Jpeg48BitColor", kSaveJpeg100, 48, 32, 32, 8, 3, 0, -2, kNone, 8},
    {"Jpeg64BitColor", kSaveJpeg100, 64, 32, 32, 8, 3, 0, -2, kNone, 8},
};

// A failure names its case rather than dumping its bytes.
void PrintTo(const ReadBackCase& c, std::ostream* os) {
    *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<ReadBackCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(FormatsAndDepths, ReadBack, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace pixora
