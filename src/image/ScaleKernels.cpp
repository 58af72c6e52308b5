#include "image/ScaleKernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace pixora {

namespace {

// Source index for destination index i: trunc(i * ratio), kept inside 0..count - 1 (the
// single-precision ratio can land one past the end on the last index).
int32_t Nearest(int32_t i, float ratio, int32_t count) {
    const auto index = static_cast<int32_t>(static_cast<float>(i) * ratio);
    return std::clamp(index, 0, count - 1);
}

template <int SampleBytes>
int32_t ScaleNearest(uint8_t* dest, const uint8_t* source, const PixelRect* destRect,
                     const PixelRect* sourceRect, uint16_t destBpp, uint16_t sourceBpp,
                     int32_t destStride, int32_t sourceStride) {
    if (dest == nullptr || source == nullptr || destRect == nullptr || sourceRect == nullptr) {
        return 1;
    }
    const int32_t destW = destRect->right - destRect->left;
    const int32_t destH = destRect->bottom - destRect->top;
    const int32_t sourceW = sourceRect->right - sourceRect->left;
    const int32_t sourceH = sourceRect->bottom - sourceRect->top;
    if (destW <= 0 || destH <= 0 || sourceW <= 0 || sourceH <= 0) {
        return 1;
    }
    const auto sy = static_cast<float>(static_cast<double>(sourceH) / destH);
    const auto sx = static_cast<float>(static_cast<double>(sourceW) / destW);
    const bool sameWidth = sourceW == destW && destBpp == SampleBytes && sourceBpp == SampleBytes;
    for (int32_t i = 0; i < destH; ++i) {
        const int32_t u = Nearest(i, sy, sourceH);
        // Upside down on the way: the first destination row takes the last source row.
        const uint8_t* sourceRow = source + ptrdiff_t{sourceRect->bottom - 1 - u} * sourceStride +
                                   ptrdiff_t{sourceRect->left} * sourceBpp;
        uint8_t* d =
            dest + ptrdiff_t{destRect->top + i} * destStride + ptrdiff_t{destRect->left} * destBpp;
        if (sameWidth) {
            // Column j is column j: a row copy (the preview's 16-bit mode at full size).
            std::memcpy(d, sourceRow, static_cast<size_t>(destW) * SampleBytes);
            continue;
        }
        for (int32_t j = 0; j < destW; ++j) {
            const uint8_t* s = sourceRow + ptrdiff_t{Nearest(j, sx, sourceW)} * sourceBpp;
            for (int b = 0; b < SampleBytes; ++b) {
                d[b] = s[b];
            }
            d += destBpp;
        }
    }
    return 1;
}

}  // namespace

int32_t Scale8(uint8_t* dest, const uint8_t* source, const PixelRect* destRect,
               const PixelRect* sourceRect, int32_t, int32_t, int32_t, int32_t,
               uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel, int32_t destStride,
               int32_t sourceStride, void*, void*) {
    return ScaleNearest<1>(dest, source, destRect, sourceRect, destBytesPerPixel,
                           sourceBytesPerPixel, destStride, sourceStride);
}

int32_t Scale24(uint8_t* dest, const uint8_t* source, const PixelRect* destRect,
                const PixelRect* sourceRect, int32_t, int32_t, int32_t, int32_t,
                uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel, int32_t destStride,
                int32_t sourceStride, void*, void*) {
    return ScaleNearest<3>(dest, source, destRect, sourceRect, destBytesPerPixel,
                           sourceBytesPerPixel, destStride, sourceStride);
}

}  // namespace pixora
