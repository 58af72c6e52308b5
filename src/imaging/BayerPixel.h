// The per-pixel arithmetic of the Bayer interpolation, shared by the reference, border and
// accelerated members.
//
// An output pixel is taken at the common corner of its sample and the samples one row and
// one column back, from the 2 x 2 quad s(-1,-1), s(-1,0), s(0,-1), s(0,0) around that point:
// green is the mean of the quad's two greens; red and blue weigh the quad sample of their
// colour 9, the two same-colour samples two rows or two columns further from the quad 3
// each and the diagonal one 1 (bilinear interpolation at the quad centre, weights sum 16).
#pragma once

#include <algorithm>
#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/BayerSites.h"

namespace pixora::bayer {

// Quad offsets (-1 or 0) of the red and blue samples for a sample of the given phases.
struct QuadLayout {
    int32_t redRow;
    int32_t redColumn;
    int32_t blueRow;
    int32_t blueColumn;
};

constexpr QuadLayout LayoutFor(int32_t rowPhase, int32_t columnPhase) {
    const int32_t redRow = rowPhase == 1 ? 0 : -1;
    const int32_t redColumn = columnPhase == 0 ? 0 : -1;
    return {redRow, redColumn, -1 - redRow, -1 - redColumn};
}

// The offset paired with a quad offset: -1 pairs with +1, 0 with -2.
constexpr int32_t Far(int32_t quadOffset) {
    return quadOffset == -1 ? 1 : -2;
}

// 9-3-3-1 sum of one colour whose quad sample is at (row, column); fetch(dr, dc) gives the
// sample dr rows and dc columns from the current one.
template <typename Fetch>
inline int32_t WeightedSum(const Fetch& fetch, int32_t row, int32_t column) {
    return 9 * fetch(row, column) + 3 * fetch(Far(row), column) + 3 * fetch(row, Far(column)) +
           fetch(Far(row), Far(column));
}

// trunc(gain x 1.28): 100 % is 128. Saturates at the int range: stored gains are not
// range-checked.
inline int32_t GainFactor(int32_t gainPercent) {
    return static_cast<int32_t>(std::clamp(gainPercent * 1.28, -2147483648.0, 2147483647.0));
}

// Reference scaling: sum x factor / 2048, and the top value for any product above the
// limit (0x7FFFF for 8-bit, 0x1FFFFF for 10-bit samples). A negative factor gives 0.
template <int32_t Top, int64_t Limit>
inline int32_t ScaleReference(int32_t sum, int32_t factor) {
    const int64_t product = int64_t{sum} * factor;
    if (product > Limit) {
        return Top;
    }
    return product < 0 ? 0 : static_cast<int32_t>(product >> 11);
}

// Accelerated scaling, 8-bit: the sum divided by 16 first, then x factor / 128, at most
// 255. Exact in 16-bit lanes for factors up to 256 (gains up to 200 %).
inline int32_t ScaleFast(int32_t sum, int32_t factor) {
    return std::min(((sum >> 4) * factor) >> 7, 255);
}

// Weighted sums and green mean of one pixel.
template <typename Fetch>
inline void Sums(const Fetch& fetch, const QuadLayout& q, int32_t& red, int32_t& green,
                 int32_t& blue) {
    red = WeightedSum(fetch, q.redRow, q.redColumn);
    blue = WeightedSum(fetch, q.blueRow, q.blueColumn);
    green = (fetch(q.redRow, q.blueColumn) + fetch(q.blueRow, q.redColumn)) >> 1;
}

// Row and column of a neighbour that lies outside an image of `size` rows (or columns):
// the one four further in, which has the same colour; in images under four samples, where
// that is still outside, the nearest sample of the same colour inside (any for size 1).
inline int32_t BorderIndex(int32_t index, int32_t size) {
    if (index >= 0 && index < size) {
        return index;
    }
    const int32_t moved = index < 0 ? index + 4 : index - 4;
    if (moved >= 0 && moved < size) {
        return moved;
    }
    if (size <= 1) {
        return 0;
    }
    if (index < 0) {
        return index & 1;
    }
    return ((size - 1) & 1) == (index & 1) ? size - 1 : size - 2;
}

}  // namespace pixora::bayer
