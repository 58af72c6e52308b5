#include "imaging/BayerInterpolation.h"

#include <algorithm>
#include <type_traits>

#include "imaging/BayerPixel.h"

namespace pixora {
namespace {

using bayer::LayoutFor;
using bayer::QuadLayout;

struct Bytes {
    static constexpr int32_t kTop = 255;
    static constexpr int64_t kLimit = 0x7FFFF;
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
    static int32_t Load(const uint8_t* row, ptrdiff_t column) {
        return static_cast<int32_t>(std::min<uint32_t>(LoadWord(row + 2 * column), 1023));
    }
    static void Store(uint8_t* pixel, int32_t blue, int32_t green, int32_t red) {
        StoreWord(pixel, static_cast<uint32_t>(blue));
        StoreWord(pixel + 2, static_cast<uint32_t>(green));
        StoreWord(pixel + 4, static_cast<uint32_t>(red));
    }
};

enum class Arithmetic { Reference, Fast };

template <typename Samples, Arithmetic Kind>
inline int32_t Scaled(int32_t sum, int32_t factor) {
    if constexpr (Kind == Arithmetic::Fast) {
        return bayer::ScaleFast(sum, factor);
    } else {
        return bayer::ScaleReference<Samples::kTop, Samples::kLimit>(sum, factor);
    }
}

// One pixel whose quad layout is known at compile time: every neighbour is a fixed offset.
template <typename Samples, Arithmetic Kind, int32_t RedRow, int32_t RedColumn>
inline void InteriorPixel(const uint8_t* const* rows, ptrdiff_t column, int32_t redFactor,
                          int32_t blueFactor, uint8_t* out) {
    constexpr QuadLayout q{RedRow, RedColumn, -1 - RedRow, -1 - RedColumn};
    const auto fetch = [&](int32_t dr, int32_t dc) {
        return Samples::Load(rows[dr + 2], column + dc);
    };
    int32_t red;
    int32_t green;
    int32_t blue;
    bayer::Sums(fetch, q, red, green, blue);
    Samples::Store(out, Scaled<Samples, Kind>(blue, blueFactor), std::min(green, Samples::kTop),
                   Scaled<Samples, Kind>(red, redFactor));
}

// Columns [first, end) of an interior row, two at a time: the first of each pair has the
// column phase `FirstPhase`.
template <typename Samples, Arithmetic Kind, int32_t RowPhaseValue, int32_t FirstPhase>
void InteriorColumns(const uint8_t* const* rows, uint8_t* out, ptrdiff_t step, int32_t first,
                     int32_t end, int32_t redFactor, int32_t blueFactor) {
    constexpr QuadLayout even = LayoutFor(RowPhaseValue, FirstPhase);
    constexpr QuadLayout odd = LayoutFor(RowPhaseValue, 1 - FirstPhase);
    int32_t column = first;
    for (; column + 1 < end; column += 2, out += 2 * step) {
        InteriorPixel<Samples, Kind, even.redRow, even.redColumn>(rows, column, redFactor,
                                                                  blueFactor, out);
        InteriorPixel<Samples, Kind, odd.redRow, odd.redColumn>(rows, column + 1, redFactor,
                                                                blueFactor, out + step);
    }
    if (column < end) {
        InteriorPixel<Samples, Kind, even.redRow, even.redColumn>(rows, column, redFactor,
                                                                  blueFactor, out);
    }
}

// Interior columns [first, end) of interior row `row`: every neighbour lies inside.
template <typename Samples, Arithmetic Kind>
void InteriorRow(const PixelRegion& region, int32_t row, int32_t first, int32_t end,
                 int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    if (first >= end) {
        return;
    }
    const uint8_t* rows[4] = {region.SourceRow(row - 2), region.SourceRow(row - 1),
                              region.SourceRow(row), region.SourceRow(row + 1)};
    const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
    const int32_t firstPhase = ColumnPhase(bayerMode, region.sourceColumn + first);
    const ptrdiff_t step = region.destBytesPerPixel;
    uint8_t* out = region.DestRow(row) + first * step;
    const auto run = [&](auto rowPhaseTag, auto firstPhaseTag) {
        InteriorColumns<Samples, Kind, decltype(rowPhaseTag)::value,
                        decltype(firstPhaseTag)::value>(rows, out, step, first, end, redFactor,
                                                        blueFactor);
    };
    using Zero = std::integral_constant<int32_t, 0>;
    using One = std::integral_constant<int32_t, 1>;
    if (rowPhase == 0) {
        firstPhase == 0 ? run(Zero{}, Zero{}) : run(Zero{}, One{});
    } else {
        firstPhase == 0 ? run(One{}, Zero{}) : run(One{}, One{});
    }
}

template <typename Samples, Arithmetic Kind>
void Interior(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        InteriorRow<Samples, Kind>(region, row, 2, region.width - 2, block.bayerMode, redFactor,
                                   blueFactor);
    }
}

template <typename Samples>
void Border(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    const int32_t width = region.width;
    const int32_t height = region.height;
    for (int32_t row = 0; row < height; ++row) {
        const bool frameRow = row < 2 || row >= height - 2;
        const int32_t rowPhase = RowPhase(block.bayerMode, region.sourceRow + row);
        const uint8_t* rows[4];
        for (int32_t dr = -2; dr <= 1; ++dr) {
            rows[dr + 2] = region.SourceRow(bayer::BorderIndex(row + dr, height));
        }
        uint8_t* out = region.DestRow(row);
        for (int32_t column = 0; column < width; ++column) {
            if (!frameRow && column == 2 && width > 4) {
                column = width - 2;  // the interior belongs to the members
            }
            const auto fetch = [&](int32_t dr, int32_t dc) {
                return Samples::Load(rows[dr + 2], bayer::BorderIndex(column + dc, width));
            };
            const QuadLayout q =
                LayoutFor(rowPhase, ColumnPhase(block.bayerMode, region.sourceColumn + column));
            int32_t red;
            int32_t green;
            int32_t blue;
            bayer::Sums(fetch, q, red, green, blue);
            Samples::Store(out + ptrdiff_t{column} * region.destBytesPerPixel,
                           Scaled<Samples, Arithmetic::Reference>(blue, blueFactor),
                           std::min(green, Samples::kTop),
                           Scaled<Samples, Arithmetic::Reference>(red, redFactor));
        }
    }
}

}  // namespace

void InterpolateReference8(const PixelRegion& region, const InterpolationBlock& block) {
    Interior<Bytes, Arithmetic::Reference>(region, block);
}

void InterpolateBorder8(const PixelRegion& region, const InterpolationBlock& block) {
    Border<Bytes>(region, block);
}

void InterpolateFast8(const PixelRegion& region, const InterpolationBlock& block) {
    if (!bayer::FastFactorsFit(bayer::GainFactor(block.gainR), bayer::GainFactor(block.gainB))) {
        Interior<Bytes, Arithmetic::Reference>(region, block);
        return;
    }
    Interior<Bytes, Arithmetic::Fast>(region, block);
}

void Interpolate16(const PixelRegion& region, const InterpolationBlock& block) {
    Interior<Words, Arithmetic::Reference>(region, block);
}

void InterpolateBorder16(const PixelRegion& region, const InterpolationBlock& block) {
    Border<Words>(region, block);
}

namespace bayer {

void FastRowScalar(const PixelRegion& region, int32_t row, int32_t firstColumn, int32_t endColumn,
                   int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    InteriorRow<Bytes, Arithmetic::Fast>(region, row, firstColumn, endColumn, bayerMode, redFactor,
                                         blueFactor);
}

void ReferenceRowScalar(const PixelRegion& region, int32_t row, int32_t firstColumn,
                        int32_t endColumn, int32_t bayerMode, int32_t redFactor,
                        int32_t blueFactor) {
    InteriorRow<Bytes, Arithmetic::Reference>(region, row, firstColumn, endColumn, bayerMode,
                                              redFactor, blueFactor);
}

void Row16Scalar(const PixelRegion& region, int32_t row, int32_t firstColumn, int32_t endColumn,
                 int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    InteriorRow<Words, Arithmetic::Reference>(region, row, firstColumn, endColumn, bayerMode,
                                              redFactor, blueFactor);
}

}  // namespace bayer
}  // namespace pixora
