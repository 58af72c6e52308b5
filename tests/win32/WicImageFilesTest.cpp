// The image files the Windows build writes, read back here from their bytes: TIFF pixel
// by pixel (the files are uncompressed), PNG and JPEG by their headers and tables. The
// pixels of PNG and JPEG files are compared with the Linux writers' files by the Linux
// suite (tests/image/WineWrittenFilesTest.cpp) over the files this suite leaves in
// $PIXORA_WINE_IMAGES.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ImagePattern.h"
#include "image/ImageBuffer.h"
#include "image/SaveImageFile.h"

namespace pixora::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0;
}
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? Le16(b, at) | Le16(b, at + 2) << 16 : 0;
}
uint32_t Be16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? b[at] << 8 | b[at + 1] : 0;
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 <= b.size() ? Be16(b, at) << 16 | Be16(b, at + 2) : 0;
}

// An uncompressed little-endian TIFF: its first directory and its strips joined.
struct TiffFile {
    uint32_t width = 0, height = 0, compression = 0, photometric = 0, samples = 0;
    uint32_t bitsPerSample = 0, extraSamples = 0;
    std::vector<uint8_t> pixels;
};

bool ReadTiff(const std::vector<uint8_t>& b, TiffFile* t) {
    if (b.size() < 8 || b[0] != 'I' || b[1] != 'I' || Le16(b, 2) != 42)
        return false;
    const uint32_t ifd = Le32(b, 4);
    const uint32_t count = Le16(b, ifd);
    std::vector<uint32_t> offsets, sizes;
    auto values = [&](size_t entry) {
        const uint32_t type = Le16(b, entry + 2), n = Le32(b, entry + 4);
        const uint32_t bytes = type == 3 ? 2 : 4;
        const size_t at = n * bytes <= 4 ? entry + 8 : Le32(b, entry + 8);
        std::vector<uint32_t> v;
        for (uint32_t i = 0; i < n && i < 4096; ++i)
            v.push_back(type == 3 ? Le16(b, at + 2 * i) : Le32(b, at + 4 * i));
        return v;
    };
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = ifd + 2 + 12 * i;
        const std::vector<uint32_t> v = values(entry);
        if (v.empty())
            continue;
        switch (Le16(b, entry)) {
            case 256:
                t->width = v[0];
                break;
            case 257:
                t->height = v[0];
                break;
            case 258:
                t->bitsPerSample = v[0];
                break;
            case 259:
                t->compression = v[0];
                break;
            case 262:
                t->photometric = v[0];
                break;
            case 273:
                offsets = v;
                break;
            case 277:
                t->samples = v[0];
                break;
            case 279:
                sizes = v;
                break;
            case 338:
                t->extraSamples = v[0];
                break;
            default:
                break;
        }
    }
    if (offsets.size() != sizes.size())
        return false;
    for (size_t s = 0; s < offsets.size(); ++s) {
        if (uint64_t{offsets[s]} + sizes[s] > b.size())
            return false;
        t->pixels.insert(t->pixels.end(), b.begin() + offsets[s],
                         b.begin() + offsets[s] + sizes[s]);
    }
    return true;
}

// The samples a TIFF of the pattern at `depth` holds, in file order.
std::vector<uint32_t> ExpectedTiffSamples(uint16_t depth, int32_t x, int32_t y) {
    auto s = [&](int c, bool wide) { return PatternSample(x, y, c, wide); };
    switch (depth) {
        case 8:
            return {s(0, false)};
        case 16:
            return {s(0, true) << 4};
        case 24:
            return {s(2, false), s(1, false), s(0, false)};
        case 32:
            return {s(2, false), s(1, false), s(0, false), 0};
        case 48:
            return {s(2, true) << 6, s(1, true) << 6, s(0, true) << 6};
        default:
            return {s(2, true) << 6, s(1, true) << 6, s(0, true) << 6, 0xFFFF};
    }
}

// libjpeg's first luminance table entry at `quality` with baseline tables.
uint32_t LumaDcQuant(int quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    const int q = (16 * scale + 50) / 100;
    return static_cast<uint32_t>(q < 1 ? 1 : q > 255 ? 255 : q);
}

struct JpegFile {
    uint32_t width = 0, height = 0, components = 0, firstLumaQuant = 0;
};

bool ReadJpeg(const std::vector<uint8_t>& b, JpegFile* j) {
    if (Be16(b, 0) != 0xFFD8)
        return false;
    bool sawQuant = false;
    for (size_t at = 2; at + 4 <= b.size();) {
        const uint32_t marker = Be16(b, at), length = Be16(b, at + 2);
        if ((marker & 0xFF00) != 0xFF00)
            return false;
        if (marker == 0xFFDB && !sawQuant && at + 5 < b.size()) {
            j->firstLumaQuant = (b[at + 4] >> 4) == 0 ? b[at + 5] : Be16(b, at + 5);
            sawQuant = true;
        }
        if (marker == 0xFFC0 || marker == 0xFFC1 || marker == 0xFFC2) {
            j->height = Be16(b, at + 5);
            j->width = Be16(b, at + 7);
            j->components = at + 9 < b.size() ? b[at + 9] : 0;
            return sawQuant;
        }
        at += 2 + length;
    }
    return false;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class WicImageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* keep = std::getenv("PIXORA_WINE_IMAGES"); keep && *keep) {
            dir_ = keep;
            keep_ = true;
        } else {
            dir_ =
                fs::temp_directory_path() / ("pixora-wic-" + std::to_string(GetCurrentProcessId()));
        }
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        if (!keep_)
            fs::remove_all(dir_, ec);
    }
    // Writes the pattern at `depth` in `format`; the file's bytes, empty on failure.
    std::vector<uint8_t> Save(uint16_t depth, uint32_t format) {
        ImageBuffer image;
        if (!FillPattern(image, depth))
            return {};
        const fs::path file = dir_ / PatternFileName(depth, format);
        if (SaveImageFile(file.string().c_str(), &image, format) != 1)
            return {};
        return ReadFile(file);
    }

    fs::path dir_;
    bool keep_ = false;
};

TEST_F(WicImageFiles, TiffHoldsTheSamplesOfEveryDepthUncompressedTopRowFirst) {
    for (uint16_t depth : kPatternDepths) {
        SCOPED_TRACE(depth);
        TiffFile tiff;
        ASSERT_TRUE(ReadTiff(Save(depth, 6), &tiff));
        const uint32_t samples = static_cast<uint32_t>(ExpectedTiffSamples(depth, 0, 0).size());
        const bool wide = depth == 16 || depth == 48 || depth == 64;
        EXPECT_EQ(tiff.width, static_cast<uint32_t>(kPatternWidth));
        EXPECT_EQ(tiff.height, static_cast<uint32_t>(kPatternHeight));
        EXPECT_EQ(tiff.compression, 1u);
        EXPECT_EQ(tiff.samples, samples);
        EXPECT_EQ(tiff.bitsPerSample, wide ? 16u : 8u);
        EXPECT_EQ(tiff.photometric, samples == 1 ? 1u : 2u);  // gray stays gray
        const size_t sampleBytes = wide ? 2 : 1;
        ASSERT_EQ(tiff.pixels.size(),
                  sampleBytes * samples * kPatternWidth * kPatternHeight);  // rows packed
        int wrong = 0;
        for (int32_t y = 0; y < kPatternHeight; ++y) {
            for (int32_t x = 0; x < kPatternWidth; ++x) {
                const std::vector<uint32_t> want = ExpectedTiffSamples(depth, x, y);
                for (uint32_t c = 0; c < samples; ++c) {
                    const size_t at =
                        ((static_cast<size_t>(y) * kPatternWidth + x) * samples + c) * sampleBytes;
                    const uint32_t got = wide ? Le16(tiff.pixels, at) : tiff.pixels[at];
                    wrong += got != want[c];
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(WicImageFiles, TiffFourthEightBitSampleIsNoAlpha) {
    // A fourth sample of 0 declared as alpha would make the picture fully transparent.
    TiffFile tiff;
    ASSERT_TRUE(ReadTiff(Save(32, 6), &tiff));
    EXPECT_EQ(tiff.extraSamples, 0u);
}

TEST_F(WicImageFiles, PngHeaderKeepsGrayGrayAndSixteenBitDepths) {
    struct Want {
        uint16_t depth;
        uint8_t bitDepth;
        uint8_t colorType;
    };
    for (const Want& w : {Want{8, 8, 0}, Want{16, 16, 0}, Want{24, 8, 2}, Want{32, 8, 6},
                          Want{48, 16, 2}, Want{64, 16, 6}}) {
        SCOPED_TRACE(w.depth);
        const std::vector<uint8_t> png = Save(w.depth, 5);
        ASSERT_GE(png.size(), 33u);
        EXPECT_EQ(Be32(png, 0), 0x89504E47u);
        EXPECT_EQ(Be32(png, 12), 0x49484452u);  // IHDR first
        EXPECT_EQ(Be32(png, 16), static_cast<uint32_t>(kPatternWidth));
        EXPECT_EQ(Be32(png, 20), static_cast<uint32_t>(kPatternHeight));
        EXPECT_EQ(png[24], w.bitDepth);
        EXPECT_EQ(png[25], w.colorType);
        EXPECT_EQ(png[28], 0);  // not interlaced
    }
}

TEST_F(WicImageFiles, JpegIsGrayForGraySourcesAndColourOtherwise) {
    for (uint16_t depth : kPatternDepths) {
        SCOPED_TRACE(depth);
        JpegFile jpeg;
        ASSERT_TRUE(ReadJpeg(Save(depth, 3), &jpeg));
        EXPECT_EQ(jpeg.width, static_cast<uint32_t>(kPatternWidth));
        EXPECT_EQ(jpeg.height, static_cast<uint32_t>(kPatternHeight));
        EXPECT_EQ(jpeg.components, depth <= 16 ? 1u : 3u);
    }
}

TEST_F(WicImageFiles, JpegQuantisationFollowsTheQuality) {
    JpegFile q100, q70, q20;
    ASSERT_TRUE(ReadJpeg(Save(24, 2), &q100));
    ASSERT_TRUE(ReadJpeg(Save(24, 3), &q70));
    ASSERT_TRUE(ReadJpeg(Save(24, 4), &q20));
    if (UnderWine() && q100.firstLumaQuant == q20.firstLumaQuant) {
        GTEST_SKIP() << "this JPEG encoder ignores the ImageQuality option (Wine's does): "
                        "every file has the luminance DC quantiser "
                     << q100.firstLumaQuant;
    }
    EXPECT_EQ(q100.firstLumaQuant, LumaDcQuant(100));
    EXPECT_EQ(q70.firstLumaQuant, LumaDcQuant(70));
    EXPECT_EQ(q20.firstLumaQuant, LumaDcQuant(20));
}

TEST_F(WicImageFiles, UnwritablePathsFailWithoutAFile) {
    ImageBuffer image;
    ASSERT_TRUE(FillPattern(image, 24));
    const fs::path missing = dir_ / "no-such-dir" / "x.img";
    for (uint32_t format : kPatternFormats) {
        SCOPED_TRACE(format);
        EXPECT_EQ(SaveImageFile(missing.string().c_str(), &image, format), 0);
    }
    EXPECT_FALSE(fs::exists(missing.parent_path()));
    EXPECT_EQ(SaveImageFile(nullptr, &image, 5), 0);
    EXPECT_EQ(SaveImageFile("", &image, 6), 0);
}

TEST_F(WicImageFiles, EveryDepthAndFormatIsWrittenForTheLinuxReadBack) {
    for (uint16_t depth : kPatternDepths) {
        for (uint32_t format : kPatternFormats) {
            SCOPED_TRACE(std::to_string(depth) + "/" + std::to_string(format));
            EXPECT_FALSE(Save(depth, format).empty());
        }
    }
}

}  // namespace
}  // namespace pixora::test
