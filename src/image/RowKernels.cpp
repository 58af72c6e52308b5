#include "image/RowKernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace pixora {

namespace {

int32_t SpreadRows(uint8_t* pixels, const PixelRect* rect, int32_t stride,
                   ptrdiff_t bytesPerPixel) {
    if (pixels == nullptr || rect == nullptr) {
        return 1;
    }
    const ptrdiff_t rowBytes = ptrdiff_t{rect->right - rect->left} * bytesPerPixel;
    const ptrdiff_t rows = rect->bottom - rect->top;
    if (rowBytes <= 0 || stride < rowBytes) {
        return 1;
    }
    // Last row first: every row moves to a higher address than it was packed at, so the
    // rows still waiting are never overwritten. Row 0 stays where it is.
    for (ptrdiff_t r = rows - 1; r > 0; --r) {
        std::memmove(pixels + r * stride, pixels + r * rowBytes, static_cast<size_t>(rowBytes));
    }
    return 1;
}

// Copies rows of as many bytes as both images hold from the given columns on, so that
// whole-image calls carry the row padding along.
template <bool Flipped>
int32_t CopyWholeRows(uint8_t* dest, const uint8_t* source, const PixelRect* rect, int32_t destX,
                      int32_t destY, uint16_t destBpp, uint16_t sourceBpp, int32_t destStride,
                      int32_t sourceStride) {
    if (dest == nullptr || source == nullptr || rect == nullptr) {
        return 1;
    }
    const ptrdiff_t destOffset = ptrdiff_t{destX} * destBpp;
    const ptrdiff_t sourceOffset = ptrdiff_t{rect->left} * sourceBpp;
    const ptrdiff_t bytes = std::min(destStride - destOffset, sourceStride - sourceOffset);
    if (bytes <= 0) {
        return 1;
    }
    const ptrdiff_t rows = rect->bottom - rect->top;
    for (ptrdiff_t i = 0; i < rows; ++i) {
        const ptrdiff_t sourceRow = Flipped ? rect->bottom - 1 - i : rect->top + i;
        std::memcpy(dest + (destY + i) * destStride + destOffset,
                    source + sourceRow * sourceStride + sourceOffset, static_cast<size_t>(bytes));
    }
    return 1;
}

}  // namespace

int32_t SpreadRows8(uint8_t* dest, const uint8_t*, const PixelRect* sourceRect, int32_t, int32_t,
                    uint16_t, uint16_t, int32_t destStride, int32_t, void*, void*) {
    return SpreadRows(dest, sourceRect, destStride, 1);
}

int32_t SpreadRows16(uint8_t* dest, const uint8_t*, const PixelRect* sourceRect, int32_t, int32_t,
                     uint16_t, uint16_t, int32_t destStride, int32_t, void*, void*) {
    return SpreadRows(dest, sourceRect, destStride, 2);
}

int32_t SwapRows(uint8_t* dest, const uint8_t*, const PixelRect* sourceRect, int32_t, int32_t destY,
                 uint16_t, uint16_t, int32_t destStride, int32_t sourceStride, void*, void*) {
    if (dest == nullptr || sourceRect == nullptr) {
        return 1;
    }
    // Exchanged in place byte for byte: no row buffer, so nothing can fail.
    const ptrdiff_t bytes = std::min(destStride, sourceStride);
    const ptrdiff_t rows = sourceRect->bottom - sourceRect->top;
    uint8_t* first = dest + ptrdiff_t{destY} * destStride;
    for (ptrdiff_t i = 0; i < rows / 2; ++i) {
        uint8_t* a = first + i * destStride;
        uint8_t* b = first + (rows - 1 - i) * destStride;
        std::swap_ranges(a, a + bytes, b);
    }
    return 1;
}

int32_t FlipCopy(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect, int32_t destX,
                 int32_t destY, uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel,
                 int32_t destStride, int32_t sourceStride, void*, void*) {
    return CopyWholeRows<true>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                               sourceBytesPerPixel, destStride, sourceStride);
}

int32_t CopyRows(uint8_t* dest, const uint8_t* source, const PixelRect* sourceRect, int32_t destX,
                 int32_t destY, uint16_t destBytesPerPixel, uint16_t sourceBytesPerPixel,
                 int32_t destStride, int32_t sourceStride, void*, void*) {
    return CopyWholeRows<false>(dest, source, sourceRect, destX, destY, destBytesPerPixel,
                                sourceBytesPerPixel, destStride, sourceStride);
}

}  // namespace pixora
