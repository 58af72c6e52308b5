// Shared helpers of the image suites: a scratch folder per test, pixel access by
// coordinates, and whole-file reads.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "image/ImageBuffer.h"
#include "image/SaveFormatTable.h"

namespace pixora::test {

// A fresh folder for each test, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // A random suffix keeps concurrent runs of the same test (two build trees) apart.
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("pixora_image_") + info->test_suite_name() + "_" + info->name() + "_" +
                std::to_string(std::random_device{}()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

// The code of every save format in the table, so that a format added there is tested.
inline std::vector<uint32_t> SaveFormatCodes() {
    std::vector<uint32_t> codes;
    for (const SaveFormatRow& format : SaveFormats())
        codes.push_back(format.code);
    return codes;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline uint32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline uint16_t LittleEndian16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint8_t* PixelAt(ImageBuffer& image, int x, int memoryRow) {
    return image.Bits() + static_cast<size_t>(memoryRow) * image.Stride() +
           static_cast<size_t>(x) * image.BytesPerPixel();
}

inline const uint8_t* PixelAt(const ImageBuffer& image, int x, int memoryRow) {
    return image.Bits() + static_cast<size_t>(memoryRow) * image.Stride() +
           static_cast<size_t>(x) * image.BytesPerPixel();
}

inline uint16_t Word(const uint8_t* p, int index) {
    return static_cast<uint16_t>(p[2 * index] | (p[2 * index + 1] << 8));
}

inline void SetWord(uint8_t* p, int index, uint16_t value) {
    p[2 * index] = static_cast<uint8_t>(value);
    p[2 * index + 1] = static_cast<uint8_t>(value >> 8);
}

// Deterministic content: every sample depends on its column, row and channel. 16-bit
// depths get 10-bit samples; the fourth channel of 32/64-bit images is left as given.
inline uint16_t PatternSample(int x, int y, int channel, bool tenBit) {
    const int v = (x * 7 + y * 13 + channel * 101) % (tenBit ? 1024 : 256);
    return static_cast<uint16_t>(v);
}

inline void FillPattern(ImageBuffer& image) {
    const int bpp = image.BitsPerPixel();
    const bool words = bpp == 16 || bpp == 48 || bpp == 64;
    const int channels = bpp == 8 || bpp == 16 ? 1 : 3;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            uint8_t* p = PixelAt(image, x, y);
            for (int c = 0; c < channels; ++c) {
                const uint16_t v = PatternSample(x, y, c, words);
                if (words) {
                    SetWord(p, c, v);
                } else {
                    p[c] = static_cast<uint8_t>(v);
                }
            }
        }
    }
}

// Four flat 16 x 16 blocks (whole coding units, so quality 100 keeps them close): top
// left red, top right green, bottom left blue, bottom right gray, in memory rows.
inline void FillBlocks(ImageBuffer& image) {
    const bool deep = image.BitsPerPixel() >= 48;
    const int channels = image.BitsPerPixel() <= 16 ? 1 : 3;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const int block = (y >= 16 ? 2 : 0) + (x >= 16 ? 1 : 0);
            // B, G, R per block.
            static const int colors[4][3] = {
                {0, 0, 250}, {0, 250, 0}, {250, 0, 0}, {120, 120, 120}};
            uint8_t* p = PixelAt(image, x, y);
            for (int c = 0; c < channels; ++c) {
                const int v = channels == 1 ? 40 + 60 * block : colors[block][c];
                if (deep || image.BitsPerPixel() == 16) {
                    SetWord(p, c, static_cast<uint16_t>(4 * v));
                } else {
                    p[c] = static_cast<uint8_t>(v);
                }
            }
        }
    }
}

}  // namespace pixora::test
