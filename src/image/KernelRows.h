// Row walking shared by the copy and conversion kernels: one call per pixel pair, source
// rows straight (row i of the block from row i) or flipped (row i from row height - 1 - i),
// each image stepped by its own bytes per pixel and stride.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/PixelRegion.h"

namespace pixora::kernel_detail {

template <bool Flipped, typename PixelFn>
void ForEachPixel(const PixelRegion& region, PixelFn pixel) {
    if (region.IsEmpty()) {
        return;
    }
    // Held in locals: the pixel function's byte stores could alias the region's fields.
    const ptrdiff_t width = region.width;
    const ptrdiff_t rows = region.height;
    const ptrdiff_t destStep = region.destBytesPerPixel;
    const ptrdiff_t sourceStep = region.sourceBytesPerPixel;
    for (ptrdiff_t i = 0; i < rows; ++i) {
        const auto sourceRow = static_cast<int32_t>(Flipped ? rows - 1 - i : i);
        const uint8_t* s = region.SourceRow(sourceRow);
        uint8_t* d = region.DestRow(static_cast<int32_t>(i));
        for (ptrdiff_t k = 0; k < width; ++k) {
            pixel(d, s);
            d += destStep;
            s += sourceStep;
        }
    }
}

}  // namespace pixora::kernel_detail
