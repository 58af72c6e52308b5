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
void ScaleNearest(const ScaledRegion& region) {
    const PixelRegion& rows = region.rows;
    const int32_t destW = rows.width;
    const int32_t destH = rows.height;
    const int32_t sourceW = region.sourceWidth;
    const int32_t sourceH = region.sourceHeight;
    if (rows.IsEmpty() || sourceW <= 0 || sourceH <= 0) {
        return;
    }
    const int32_t destBpp = rows.destBytesPerPixel;
    const int32_t sourceBpp = rows.sourceBytesPerPixel;
    const auto sy = static_cast<float>(static_cast<double>(sourceH) / destH);
    const auto sx = static_cast<float>(static_cast<double>(sourceW) / destW);
    const bool sameWidth = sourceW == destW && destBpp == SampleBytes && sourceBpp == SampleBytes;
    for (int32_t i = 0; i < destH; ++i) {
        const int32_t u = Nearest(i, sy, sourceH);
        // Upside down on the way: the first destination row takes the last source row.
        const uint8_t* sourceRow = rows.SourceRow(sourceH - 1 - u);
        uint8_t* d = rows.DestRow(i);
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
}

}  // namespace

void Scale8(const ScaledRegion& region) {
    ScaleNearest<1>(region);
}

void Scale24(const ScaledRegion& region) {
    ScaleNearest<3>(region);
}

}  // namespace pixora
