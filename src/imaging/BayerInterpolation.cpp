#include "imaging/BayerInterpolation.h"

#include <algorithm>

#include "imaging/BayerPixel.h"

namespace pixora {
namespace {

using bayer::LayoutFor;
using bayer::QuadLayout;

struct Bytes {
    static constexpr int32_t kTop = 255;
    static constexpr int64_t kLimit = 0x7FFFF;
    static constexpr int32_t kSampleBytes = 1;
    static int32_t Load(const uint8_t* row, ptrdiff_t column) { return row[column]; }
    static void Store(uint8_t* pixel, int32_t blue, int32_t green, int32_t red) {
        pixel[0] = static_cast<uint8_t>(blue);
        pixel[1] = static_cast<uint8_t>(green);
        pixel[2] = static_cast<uint8_t>(red);
    }
};

struct Words {
    static constexpr int32_t kTop = 1023;
    static constexpr int64_t kLimit = 0x1FFFFF;
    static constexpr int32_t kSampleBytes = 2;
    static int32_t Load(const uint8_t* row, ptrdiff_t column) {
        return static_cast<int32_t>(LoadWord(row + 2 * column));
    }
    static void Store(uint8_t* pixel, int32_t blue, int32_t green, int32_t red) {
        StoreWord(pixel, static_cast<uint32_t>(blue));
        StoreWord(pixel + 2, static_cast<uint32_t>(green));
        StoreWord(pixel + 4, static_cast<uint32_t>(red));
    }
};

// One pixel with the reference arithmetic of the sample type.
template <typename Samples, typename Fetch>
inline void ReferencePixel(const Fetch& fetch, const QuadLayout& q, int32_t redFactor,
                           int32_t blueFactor, uint8_t* out) {
    int32_t red;
    int32_t green;
    int32_t blue;
    bayer::Sums(fetch, q, red, green, blue);
    Samples::Store(out, bayer::ScaleReference<Samples::kTop, Samples::kLimit>(blue, blueFactor),
                   std::min(green, Samples::kTop),
                   bayer::ScaleReference<Samples::kTop, Samples::kLimit>(red, redFactor));
}

// Interior columns [first, end) of interior row `row`: every neighbour lies inside.
template <typename Samples, bool Fast>
void InteriorRow(const PixelRegion& region, int32_t row, int32_t first, int32_t end,
                 int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    const uint8_t* rows[4] = {region.SourceRow(row - 2), region.SourceRow(row - 1),
                              region.SourceRow(row), region.SourceRow(row + 1)};
    const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
    const QuadLayout layouts[2] = {LayoutFor(rowPhase, 0), LayoutFor(rowPhase, 1)};
    uint8_t* out = region.DestRow(row) + ptrdiff_t{first} * region.destBytesPerPixel;
    for (int32_t column = first; column < end; ++column) {
        const auto fetch = [&](int32_t dr, int32_t dc) {
            return Samples::Load(rows[dr + 2], ptrdiff_t{column} + dc);
        };
        const QuadLayout& q = layouts[ColumnPhase(bayerMode, region.sourceColumn + column)];
        if constexpr (Fast) {
            int32_t red;
            int32_t green;
            int32_t blue;
            bayer::Sums(fetch, q, red, green, blue);
            Samples::Store(out, bayer::ScaleFast(blue, blueFactor), green,
                           bayer::ScaleFast(red, redFactor));
        } else {
            ReferencePixel<Samples>(fetch, q, redFactor, blueFactor, out);
        }
        out += region.destBytesPerPixel;
    }
}

template <typename Samples, bool Fast>
void Interior(const PixelRegion& region, const InterpolationBlock& block) {
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        InteriorRow<Samples, Fast>(region, row, 2, region.width - 2, block.bayerMode, redFactor,
                                   blueFactor);
    }
}

template <typename Samples>
void Border(const PixelRegion& region, const InterpolationBlock& block) {
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    const int32_t width = region.width;
    const int32_t height = region.height;
    for (int32_t row = 0; row < height; ++row) {
        const bool frameRow = row < 2 || row >= height - 2;
        const int32_t rowPhase = RowPhase(block.bayerMode, region.sourceRow + row);
        int32_t rowAt[4];
        for (int32_t dr = -2; dr <= 1; ++dr) {
            rowAt[dr + 2] = bayer::BorderIndex(row + dr, height);
        }
        uint8_t* out = region.DestRow(row);
        for (int32_t column = 0; column < width; ++column) {
            if (!frameRow && column == 2 && width > 4) {
                column = std::max(column, width - 2);  // the interior belongs to the members
            }
            const auto fetch = [&](int32_t dr, int32_t dc) {
                return Samples::Load(region.SourceRow(rowAt[dr + 2]),
                                     bayer::BorderIndex(column + dc, width));
            };
            const QuadLayout q =
                LayoutFor(rowPhase, ColumnPhase(block.bayerMode, region.sourceColumn + column));
            ReferencePixel<Samples>(fetch, q, redFactor, blueFactor,
                                    out + ptrdiff_t{column} * region.destBytesPerPixel);
        }
    }
}

}  // namespace

void InterpolateReference8(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    Interior<Bytes, false>(region, block);
}

void InterpolateBorder8(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    Border<Bytes>(region, block);
}

void InterpolateFast8(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    if (!bayer::FastFactorsFit(bayer::GainFactor(block.gainR), bayer::GainFactor(block.gainB))) {
        Interior<Bytes, false>(region, block);
        return;
    }
    Interior<Bytes, true>(region, block);
}

void Interpolate16(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    Interior<Words, false>(region, block);
}

void InterpolateBorder16(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    Border<Words>(region, block);
}

namespace bayer {

void FastRowScalar(const PixelRegion& region, int32_t row, int32_t firstColumn, int32_t endColumn,
                   int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    InteriorRow<Bytes, true>(region, row, firstColumn, endColumn, bayerMode, redFactor, blueFactor);
}

void Row16Scalar(const PixelRegion& region, int32_t row, int32_t firstColumn, int32_t endColumn,
                 int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    InteriorRow<Words, false>(region, row, firstColumn, endColumn, bayerMode, redFactor,
                              blueFactor);
}

}  // namespace bayer
}  // namespace pixora
