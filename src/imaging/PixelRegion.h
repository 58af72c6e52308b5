// The rows a pixel kernel works on: a source and a destination block of the same size, each
// with its own stride and bytes per pixel, both already pointing at their first pixel. The
// source block's position in its image is kept because the Bayer kernels take a sample's
// colour from its row and column in the image, not in the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ImageBuffer.h"

namespace pixora {

struct PixelRegion {
    uint8_t* dest = nullptr;
    const uint8_t* source = nullptr;
    ptrdiff_t destStride = 0;
    ptrdiff_t sourceStride = 0;
    int32_t destBytesPerPixel = 0;
    int32_t sourceBytesPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t sourceRow = 0;     // memory row of the source block's first row
    int32_t sourceColumn = 0;  // column of the source block's first pixel

    bool IsEmpty() const {
        return dest == nullptr || source == nullptr || width <= 0 || height <= 0;
    }
    uint8_t* DestRow(int32_t row) const { return dest + row * destStride; }
    const uint8_t* SourceRow(int32_t row) const { return source + row * sourceStride; }
};

// The region a kernel run by ImageBuffer::Apply is handed. A null rectangle or pointer gives
// an empty region; only the low 16 bits of the bytes per pixel count.
inline PixelRegion RegionFromKernelArguments(uint8_t* dest, const uint8_t* source,
                                             const PixelRect* rect, int32_t destX, int32_t destY,
                                             uint16_t destBytesPerPixel,
                                             uint16_t sourceBytesPerPixel, int32_t destStride,
                                             int32_t sourceStride) {
    PixelRegion region;
    if (dest == nullptr || source == nullptr || rect == nullptr || rect->right <= rect->left ||
        rect->bottom <= rect->top) {
        return region;
    }
    region.destStride = destStride;
    region.sourceStride = sourceStride;
    region.destBytesPerPixel = destBytesPerPixel;
    region.sourceBytesPerPixel = sourceBytesPerPixel;
    region.dest = dest + ptrdiff_t{destY} * destStride + ptrdiff_t{destX} * destBytesPerPixel;
    region.source =
        source + ptrdiff_t{rect->top} * sourceStride + ptrdiff_t{rect->left} * sourceBytesPerPixel;
    region.width = rect->right - rect->left;
    region.height = rect->bottom - rect->top;
    region.sourceRow = rect->top;
    region.sourceColumn = rect->left;
    return region;
}

// Little-endian 16-bit words at any address.
inline uint32_t LoadWord(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}
inline void StoreWord(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace pixora
