// Images with a pattern that differs in every row and column, filled for each colour
// mode the way the processing chain leaves them, and the picture a window should show.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "image/ImageBuffer.h"
#include "preview/PreviewWindow.h"
#include "preview/WindowSurface.h"

namespace pixora::test {

using Bgr = std::array<uint8_t, 3>;

// The colour of the picture's pixel (x, y), y counted from the top.
inline Bgr PatternColor(int x, int y, int seed = 0) {
    return Bgr{static_cast<uint8_t>(x * 7 + y * 3 + seed), static_cast<uint8_t>(x + y * 11),
               static_cast<uint8_t>(y * 5 + seed * 3 + 40)};
}

inline uint8_t PatternGray(int x, int y, int seed = 0) {
    return static_cast<uint8_t>(x * 3 + y * 13 + seed);
}

inline uint8_t* At(ImageBuffer& image, int x, int memoryRow) {
    return image.Bits() + static_cast<size_t>(memoryRow) * image.Stride() +
           static_cast<size_t>(x) * image.BytesPerPixel();
}

inline void Put16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// A 10-bit sample whose top eight bits are `value` and whose low two bits vary, so a
// conversion that kept the wrong bits shows.
inline uint16_t TenBit(uint8_t value, int x) {
    return static_cast<uint16_t>((value << 2) | (x & 3));
}

// The session's images for one colour mode, memory row 0 holding the picture's top row.
struct ModeImages {
    std::unique_ptr<ImageBuffer> image8 = std::make_unique<ImageBuffer>();
    std::unique_ptr<ImageBuffer> image16 = std::make_unique<ImageBuffer>();
    std::unique_ptr<ImageBuffer> image24 = std::make_unique<ImageBuffer>();
    std::unique_ptr<ImageBuffer> image32 = std::make_unique<ImageBuffer>();
    std::unique_ptr<ImageBuffer> image48 = std::make_unique<ImageBuffer>();
    std::unique_ptr<ImageBuffer> image64 = std::make_unique<ImageBuffer>();
    std::unique_ptr<ImageBuffer> display = std::make_unique<ImageBuffer>();

    PreviewImages View() {
        return PreviewImages{image8.get(),  image16.get(), image24.get(), image32.get(),
                             image48.get(), image64.get(), display.get()};
    }
};

// Bits per pixel of a colour mode index.
inline uint16_t ModeBits(int mode) {
    static constexpr uint16_t kBits[] = {8, 16, 24, 32, 48, 64};
    return kBits[mode];
}

// Makes the images stream preparation makes for `mode` and fills the output image.
inline void FillForMode(ModeImages& images, int mode, int width, int height, int seed = 0) {
    const bool sixteen = mode == 1 || mode == 4 || mode == 5;
    ASSERT_EQ(images.image8->Create(width, height, 8), 1);
    if (sixteen) {
        ASSERT_EQ(images.image16->Create(width, height, 16), 1);
    }
    if (mode != 1) {
        ASSERT_EQ(images.image24->Create(width, height, 24), 1);
    }
    if (mode >= 3) {
        ImageBuffer* out = mode == 3   ? images.image32.get()
                           : mode == 4 ? images.image48.get()
                                       : images.image64.get();
        ASSERT_EQ(out->Create(width, height, ModeBits(mode)), 1);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Bgr c = PatternColor(x, y, seed);
            const uint8_t gray = PatternGray(x, y, seed);
            switch (mode) {
                case 0:
                    *At(*images.image8, x, y) = gray;
                    break;
                case 1:
                    Put16(At(*images.image16, x, y), TenBit(gray, x));
                    break;
                case 2:
                    std::copy(c.begin(), c.end(), At(*images.image24, x, y));
                    break;
                case 3: {
                    uint8_t* p = At(*images.image32, x, y);
                    std::copy(c.begin(), c.end(), p);
                    p[3] = 0xA5;
                    break;
                }
                default: {
                    uint8_t* p = At(mode == 4 ? *images.image48 : *images.image64, x, y);
                    for (int k = 0; k < 3; ++k) {
                        Put16(p + 2 * k, TenBit(c[k], x + k));
                    }
                    if (mode == 5) {
                        Put16(p + 6, 0x3FF);
                    }
                }
            }
        }
    }
}

// What pixel (x, y) of the picture looks like on the screen in `mode`.
inline Bgr ShownColor(int mode, int x, int y, int seed = 0) {
    if (mode <= 1) {
        const uint8_t g = PatternGray(x, y, seed);
        return Bgr{g, g, g};
    }
    return PatternColor(x, y, seed);
}

inline Bgr PictureAt(const SurfacePicture& picture, int x, int y) {
    const uint8_t* p = picture.Pixel(x, y);
    return Bgr{p[0], p[1], p[2]};
}

// True when every channel is within `tolerance` (a screen with fewer than 8 bits per
// channel rounds the colours).
inline bool Near(const Bgr& a, const Bgr& b, int tolerance) {
    for (int k = 0; k < 3; ++k) {
        if (std::abs(a[k] - b[k]) > tolerance) {
            return false;
        }
    }
    return true;
}

// Counts the pixels of the top-left width x height of `picture` that differ from the
// picture of `mode` at full size (the 1:1 drawing).
inline int CountMismatches(const SurfacePicture& picture, int mode, int width, int height,
                           int seed = 0, int tolerance = 0) {
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            mismatches +=
                Near(PictureAt(picture, x, y), ShownColor(mode, x, y, seed), tolerance) ? 0 : 1;
        }
    }
    return mismatches;
}

// Source row and column of screen pixel (i, j) when a sourceW x sourceH picture is
// scaled to destW x destH: nearest sample, anchored at the bottom row.
inline int ScaledSourceRow(int i, int sourceH, int destH) {
    const auto sy = static_cast<float>(static_cast<double>(sourceH) / destH);
    const int u = std::min(static_cast<int>(static_cast<float>(destH - 1 - i) * sy), sourceH - 1);
    return sourceH - 1 - u;
}

inline int ScaledSourceColumn(int j, int sourceW, int destW) {
    const auto sx = static_cast<float>(static_cast<double>(sourceW) / destW);
    return std::min(static_cast<int>(static_cast<float>(j) * sx), sourceW - 1);
}

inline int CountScaledMismatches(const SurfacePicture& picture, int mode, int sourceW, int sourceH,
                                 int destW, int destH, int seed = 0, int tolerance = 0) {
    int mismatches = 0;
    for (int i = 0; i < destH; ++i) {
        const int row = ScaledSourceRow(i, sourceH, destH);
        for (int j = 0; j < destW; ++j) {
            const int column = ScaledSourceColumn(j, sourceW, destW);
            mismatches +=
                Near(PictureAt(picture, j, i), ShownColor(mode, column, row, seed), tolerance) ? 0
                                                                                               : 1;
        }
    }
    return mismatches;
}

}  // namespace pixora::test
