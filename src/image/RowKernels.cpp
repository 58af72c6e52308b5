#include "image/RowKernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace pixora {

namespace {

// Column 0 of the destination block's row `row`.
uint8_t* DestRowStart(const PixelRegion& region, int32_t row) {
    return region.DestRow(row) - ptrdiff_t{region.destColumn} * region.destBytesPerPixel;
}

void SpreadRows(const PixelRegion& region, ptrdiff_t bytesPerPixel) {
    if (region.IsEmpty()) {
        return;
    }
    // The packed frame starts at the first byte of the pixel memory, wherever the block is.
    uint8_t* pixels = DestRowStart(region, -region.destRow);
    const ptrdiff_t stride = region.destStride;
    const ptrdiff_t rowBytes = ptrdiff_t{region.width} * bytesPerPixel;
    if (stride < rowBytes) {
        return;
    }
    // Last row first: every row moves to a higher address than it was packed at, so the
    // rows still waiting are never overwritten. Row 0 stays where it is.
    for (ptrdiff_t r = region.height - 1; r > 0; --r) {
        std::memmove(pixels + r * stride, pixels + r * rowBytes, static_cast<size_t>(rowBytes));
    }
}

// Copies rows of as many bytes as both images hold from the block's columns on, so that
// whole-image calls carry the row padding along.
template <bool Flipped>
void CopyWholeRows(const PixelRegion& region) {
    if (region.IsEmpty()) {
        return;
    }
    const ptrdiff_t bytes =
        std::min(region.destStride - ptrdiff_t{region.destColumn} * region.destBytesPerPixel,
                 region.sourceStride - ptrdiff_t{region.sourceColumn} * region.sourceBytesPerPixel);
    if (bytes <= 0) {
        return;
    }
    for (int32_t i = 0; i < region.height; ++i) {
        std::memcpy(region.DestRow(i), region.SourceRow(Flipped ? region.height - 1 - i : i),
                    static_cast<size_t>(bytes));
    }
}

}  // namespace

void SpreadRows8(const PixelRegion& region) {
    SpreadRows(region, 1);
}

void SpreadRows16(const PixelRegion& region) {
    SpreadRows(region, 2);
}

void SwapRows(const PixelRegion& region) {
    if (region.IsEmpty()) {
        return;
    }
    // Exchanged in place byte for byte: no row buffer, so nothing can fail.
    const ptrdiff_t bytes = std::min(region.destStride, region.sourceStride);
    const int32_t rows = region.height;
    for (int32_t i = 0; i < rows / 2; ++i) {
        uint8_t* a = DestRowStart(region, i);
        uint8_t* b = DestRowStart(region, rows - 1 - i);
        std::swap_ranges(a, a + bytes, b);
    }
}

void FlipCopy(const PixelRegion& region) {
    CopyWholeRows<true>(region);
}

void CopyRows(const PixelRegion& region) {
    CopyWholeRows<false>(region);
}

}  // namespace pixora
