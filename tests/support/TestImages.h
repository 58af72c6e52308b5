// Helpers shared by the imaging and preview tests: images filled with known or random
// samples, Bayer mosaics, and pixel access by column and memory row.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "image/ImageBuffer.h"
#include "image/PixelRegion.h"

namespace pixora::test {

inline ImageBuffer MakeImage(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    ImageBuffer image;
    EXPECT_EQ(image.Create(width, height, bitsPerPixel), 1);
    return image;
}

inline uint8_t* PixelAt(ImageBuffer& image, int32_t column, int32_t row) {
    return image.Bits() + ptrdiff_t{row} * image.Stride() +
           ptrdiff_t{column} * image.BytesPerPixel();
}
inline const uint8_t* PixelAt(const ImageBuffer& image, int32_t column, int32_t row) {
    return image.Bits() + ptrdiff_t{row} * image.Stride() +
           ptrdiff_t{column} * image.BytesPerPixel();
}

// Sample `channel` (0 B, 1 G, 2 R for colour; 0 for gray) of a pixel, bytes or words by depth.
inline int32_t SampleAt(const ImageBuffer& image, int32_t column, int32_t row,
                        int32_t channel = 0) {
    const uint8_t* p = PixelAt(image, column, row);
    const uint16_t bits = image.BitsPerPixel();
    if (bits == 16 || bits == 48 || bits == 64) {
        return static_cast<int32_t>(LoadWord(p + 2 * channel));
    }
    return p[channel];
}

inline void SetSample(ImageBuffer& image, int32_t column, int32_t row, int32_t channel,
                      int32_t value) {
    uint8_t* p = PixelAt(image, column, row);
    const uint16_t bits = image.BitsPerPixel();
    if (bits == 16 || bits == 48 || bits == 64) {
        StoreWord(p + 2 * channel, static_cast<uint32_t>(value));
    } else {
        p[channel] = static_cast<uint8_t>(value);
    }
}

// The colour of each site of a Bayer mosaic in mode 0..3, by row and column parity.
inline constexpr char kBayerSites[4][2][3] = {
    {"GB", "RG"}, {"RG", "GB"}, {"BG", "GR"}, {"GR", "BG"}};

inline char BayerSite(int32_t mode, int32_t column, int32_t row) {
    return kBayerSites[mode][row & 1][column & 1];
}

// A mosaic whose colour sites hold the given levels.
inline ImageBuffer Mosaic(int32_t mode, uint16_t bits, int32_t width, int32_t height, int32_t green,
                          int32_t blue, int32_t red) {
    ImageBuffer image = MakeImage(width, height, bits);
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t column = 0; column < width; ++column) {
            const char color = BayerSite(mode, column, row);
            SetSample(image, column, row, 0, color == 'G' ? green : (color == 'B' ? blue : red));
        }
    }
    return image;
}

inline int32_t ChannelsOf(const ImageBuffer& image) {
    switch (image.BitsPerPixel()) {
        case 8:
        case 16:
            return 1;
        default:
            return 3;
    }
}

// Every sample of every pixel (B, G, R; gray) set to `value`.
inline void Fill(ImageBuffer& image, int32_t value) {
    for (int32_t row = 0; row < image.Height(); ++row) {
        for (int32_t column = 0; column < image.Width(); ++column) {
            for (int32_t c = 0; c < ChannelsOf(image); ++c) {
                SetSample(image, column, row, c, value);
            }
        }
    }
}

// Random samples in 0..top, including the fourth byte or word and the row padding.
inline void FillRandom(ImageBuffer& image, uint32_t seed, int32_t top) {
    std::mt19937 random(seed);
    const uint16_t bits = image.BitsPerPixel();
    const bool words = bits == 16 || bits == 48 || bits == 64;
    std::uniform_int_distribution<int32_t> sample(0, top);
    if (!words) {
        for (size_t i = 0; i < image.SizeBytes(); ++i) {
            image.Bits()[i] = static_cast<uint8_t>(sample(random));
        }
        return;
    }
    for (size_t i = 0; i + 1 < image.SizeBytes(); i += 2) {
        StoreWord(image.Bits() + i, static_cast<uint32_t>(sample(random)));
    }
}

// The whole of `source` as the region of an in-place or source-to-dest kernel, as
// ImageBuffer::Apply hands it over (both images of one size).
inline PixelRegion WholeRegion(ImageBuffer& dest, const ImageBuffer& source) {
    return dest.RegionFor(&source, nullptr, 0, 0);
}
inline PixelRegion WholeRegion(ImageBuffer& image) {
    return WholeRegion(image, image);
}

inline bool SamePixels(const ImageBuffer& a, const ImageBuffer& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() ||
        a.BitsPerPixel() != b.BitsPerPixel()) {
        return false;
    }
    for (int32_t row = 0; row < a.Height(); ++row) {
        for (int32_t column = 0; column < a.Width(); ++column) {
            for (int32_t c = 0; c < ChannelsOf(a); ++c) {
                if (SampleAt(a, column, row, c) != SampleAt(b, column, row, c)) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace pixora::test
