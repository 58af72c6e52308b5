// The images the Windows writers are checked with, filled the same way in the Windows
// suite and in the Linux suite that reads the Windows files back: smooth ramps (so JPEG
// keeps them close) that differ from row to row and channel to channel (so a turned-over
// picture or swapped channels cannot pass), at a width whose rows need stride padding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/ImageBuffer.h"

namespace pixora::test {

inline constexpr int32_t kPatternWidth = 61;
inline constexpr int32_t kPatternHeight = 37;
inline constexpr uint16_t kPatternDepths[] = {8, 16, 24, 32, 48, 64};
// The file formats of SaveImageFile: JPEG at 100, 70 and 20, PNG, TIFF.
inline constexpr uint32_t kPatternFormats[] = {2, 3, 4, 5, 6};

// Sample `channel` of pixel (x, y): 0..255 for 8-bit samples, 0..1023 for 16-bit ones.
inline uint32_t PatternSample(int32_t x, int32_t y, int channel, bool wide) {
    const uint32_t v = static_cast<uint32_t>(x * (3 + channel) + y * (5 - channel) + 20 * channel);
    return wide ? (v * 4) % 1024 : v % 256;
}

inline bool FillPattern(ImageBuffer& image, uint16_t bitsPerPixel) {
    if (image.Create(kPatternWidth, kPatternHeight, bitsPerPixel) == 0)
        return false;
    const bool wide = bitsPerPixel == 16 || bitsPerPixel == 48 || bitsPerPixel == 64;
    const int samples = bitsPerPixel / (wide ? 16 : 8);
    for (int32_t y = 0; y < kPatternHeight; ++y) {
        uint8_t* row = image.Bits() + static_cast<size_t>(y) * image.Stride();
        for (int32_t x = 0; x < kPatternWidth; ++x) {
            for (int c = 0; c < samples; ++c) {
                const uint32_t v = PatternSample(x, y, c, wide);
                const size_t i = static_cast<size_t>(x * samples + c);
                if (wide) {
                    row[2 * i] = static_cast<uint8_t>(v);
                    row[2 * i + 1] = static_cast<uint8_t>(v >> 8);
                } else {
                    row[i] = static_cast<uint8_t>(v);
                }
            }
        }
    }
    return true;
}

// "pattern_<depth>_<format>.img": the extension is no concern of the writers.
inline std::string PatternFileName(uint16_t bitsPerPixel, uint32_t format) {
    char name[64];
    std::snprintf(name, sizeof name, "pattern_%u_%u.img", static_cast<unsigned>(bitsPerPixel),
                  static_cast<unsigned>(format));
    return name;
}

}  // namespace pixora::test
