// Row walking shared by the copy and conversion kernels: one call per pixel pair, source
// rows straight (row i from rectangle top + i) or flipped (row i from bottom - 1 - i),
// each image stepped by its own bytes per pixel and stride.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ImageBuffer.h"

namespace pixora::kernel_detail {

inline uint16_t Load16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void Store16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Bits 2..9 of a 16-bit word: a 10-bit sample brought down to 8 bits.
inline uint8_t Reduce(const uint8_t* p) {
    return static_cast<uint8_t>(Load16(p) >> 2);
}

template <bool Flipped, typename PixelFn>
int32_t ForEachPixel(uint8_t* dest, const uint8_t* source, const PixelRect* rect, int32_t destX,
                     int32_t destY, uint16_t destBpp, uint16_t sourceBpp, int32_t destStride,
                     int32_t sourceStride, PixelFn pixel) {
    if (dest == nullptr || source == nullptr || rect == nullptr) {
        return 1;
    }
    const ptrdiff_t width = rect->right - rect->left;
    const ptrdiff_t rows = rect->bottom - rect->top;
    for (ptrdiff_t i = 0; i < rows; ++i) {
        const ptrdiff_t sourceRow = Flipped ? rect->bottom - 1 - i : rect->top + i;
        const uint8_t* s = source + sourceRow * sourceStride + ptrdiff_t{rect->left} * sourceBpp;
        uint8_t* d = dest + (destY + i) * destStride + ptrdiff_t{destX} * destBpp;
        for (ptrdiff_t k = 0; k < width; ++k) {
            pixel(d, s);
            d += destBpp;
            s += sourceBpp;
        }
    }
    return 1;
}

}  // namespace pixora::kernel_detail
