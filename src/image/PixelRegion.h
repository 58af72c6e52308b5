// The rows a pixel kernel works on, as ImageBuffer::Apply hands them over after clipping:
// a destination and a source block of the same size, each with its own stride and bytes
// per pixel, both already pointing at their first pixel. Each block's place in its image is
// kept: the Bayer kernels take a sample's colour from its row and column in the image, and
// the whole-row kernels reach back to the start of a row.
#pragma once

#include <cstddef>
#include <cstdint>

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
    int32_t destRow = 0;       // the same for the destination block
    int32_t destColumn = 0;

    bool IsEmpty() const {
        return dest == nullptr || source == nullptr || width <= 0 || height <= 0;
    }
    uint8_t* DestRow(int32_t row) const { return dest + row * destStride; }
    const uint8_t* SourceRow(int32_t row) const { return source + row * sourceStride; }
};

// What ImageBuffer::ApplyScaled hands a scaling kernel: blocks of different sizes. `rows`
// describes both blocks with the destination's width and height; the source block's own
// size follows.
struct ScaledRegion {
    PixelRegion rows;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
};

// Little-endian 16-bit words at any address.
inline uint32_t LoadWord(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}
inline void StoreWord(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}
// Bits 2..9 of a word: a 10-bit sample brought down to 8 bits.
inline uint8_t ReduceWord(const uint8_t* p) {
    return static_cast<uint8_t>(LoadWord(p) >> 2);
}

}  // namespace pixora
