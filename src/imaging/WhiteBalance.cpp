#include "imaging/WhiteBalance.h"

#include <cmath>
#include <initializer_list>
#include <limits>

#include "imaging/BayerSites.h"

namespace pixora {
namespace {

// A ratio far beyond any setting must still become a defined integer.
int32_t TruncateToInt(double value) {
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    if (!(value == value)) {
        return 0;
    }
    if (value >= kMax) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= kMin) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

// Sample `column` of a row of bytes or of little-endian words.
template <typename Sample>
inline uint32_t SampleAt(const uint8_t* row, int32_t column) {
    if constexpr (sizeof(Sample) == 1) {
        return row[column];
    } else {
        return LoadWord(row + 2 * column);
    }
}

// Sums of the even and the odd columns of one row of samples.
template <typename Sample>
void SumAlternate(const uint8_t* row, int32_t width, uint64_t& even, uint64_t& odd) {
    uint64_t evenSum = 0;
    uint64_t oddSum = 0;
    int32_t column = 0;
    for (; column + 1 < width; column += 2) {
        evenSum += SampleAt<Sample>(row, column);
        oddSum += SampleAt<Sample>(row, column + 1);
    }
    if (column < width) {
        evenSum += SampleAt<Sample>(row, column);
    }
    even += evenSum;
    odd += oddSum;
}

// Walks the region's rows and hands `take` each row's two column phases:
// take(rowPhase, columnPhase, sum, count). Both sums share the walk; only what a site is
// differs between them.
template <typename Sample, typename Take>
void SumSitesByPhase(const PixelRegion& region, int32_t bayerMode, Take&& take) {
    if (region.source == nullptr || region.width <= 0 || region.height <= 0) {
        return;
    }
    const int32_t firstPhase = ColumnPhase(bayerMode, region.sourceColumn);
    const uint64_t evenCount = static_cast<uint64_t>(region.width + 1) / 2;
    const uint64_t oddCount = static_cast<uint64_t>(region.width) / 2;
    for (int32_t row = 0; row < region.height; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        uint64_t evenSum = 0;
        uint64_t oddSum = 0;
        SumAlternate<Sample>(region.SourceRow(row), region.width, evenSum, oddSum);
        take(rowPhase, firstPhase, evenSum, evenCount);
        take(rowPhase, 1 - firstPhase, oddSum, oddCount);
    }
}

template <typename Sample>
ColorSums SumColorSites(const PixelRegion& region, int32_t bayerMode) {
    ColorSums sums;
    SumSitesByPhase<Sample>(region, bayerMode,
                            [&sums](int32_t rowPhase, int32_t phase, uint64_t sum, uint64_t count) {
                                switch (ColorAtPhase(rowPhase, phase)) {
                                    case MosaicColor::Green:
                                        sums.green += sum;
                                        sums.greenCount += count;
                                        break;
                                    case MosaicColor::Blue:
                                        sums.blue += sum;
                                        sums.blueCount += count;
                                        break;
                                    case MosaicColor::Red:
                                        sums.red += sum;
                                        sums.redCount += count;
                                        break;
                                }
                            });
    return sums;
}

double MeanOf(uint64_t sum, uint64_t count) {
    return count == 0 ? 0.0 : static_cast<double>(sum) / static_cast<double>(count);
}

}  // namespace

ColorSums SumColorSites8(const PixelRegion& region, int32_t bayerMode) {
    return SumColorSites<uint8_t>(region, bayerMode);
}

ColorSums SumColorSites16(const PixelRegion& region, int32_t bayerMode) {
    return SumColorSites<uint16_t>(region, bayerMode);
}

void WhiteBalanceFromSums(const ColorSums& sums, WhiteBalanceBlock& block) {
    const double g = MeanOf(sums.green, sums.greenCount);
    const double b = MeanOf(sums.blue, sums.blueCount);
    const double r = MeanOf(sums.red, sums.redCount);
    block.greenGain = 100;
    if (g <= 0.0) {
        return;
    }
    const double third = 0.3333333333333333;
    const double total = g + r + b;
    const double k = 1.0 / ((total / g) * third);
    if (b > 0.0) {
        block.blueGain = TruncateToInt(k * (total / b) * third * 100.0);
    }
    if (r > 0.0) {
        block.redGain = TruncateToInt(k * (total / r) * third * 100.0);
    }
}

void MeasureWhiteBalance8(const PixelRegion& region, WhiteBalanceBlock& block) {
    WhiteBalanceFromSums(SumColorSites8(region, block.bayerMode), block);
}

void MeasureWhiteBalance16(const PixelRegion& region, WhiteBalanceBlock& block) {
    WhiteBalanceFromSums(SumColorSites16(region, block.bayerMode), block);
}

GraySiteSums SumGraySites8(const PixelRegion& region, int32_t bayerMode) {
    GraySiteSums sums;
    SumSitesByPhase<uint8_t>(
        region, bayerMode, [&sums](int32_t rowPhase, int32_t phase, uint64_t sum, uint64_t count) {
            const GraySite site = GraySiteAtPhase(rowPhase, phase);
            sums.sum[site] += sum;
            sums.count[site] += count;
        });
    return sums;
}

void GrayGainsFromSums(const GraySiteSums& sums, GrayGainBlock& block) {
    block.gains[kGraySiteG1] = 128;
    if (sums.count[kGraySiteG1] == 0) {
        return;
    }
    const double g1 = MeanOf(sums.sum[kGraySiteG1], sums.count[kGraySiteG1]);
    for (const GraySite site : {kGraySiteR, kGraySiteG2, kGraySiteB}) {
        const double mean = MeanOf(sums.sum[site], sums.count[site]);
        if (mean > 0.0) {
            block.gains[site] = TruncateToInt(g1 / mean * 128.0);
        }
    }
}

void MeasureGrayGains8(const PixelRegion& region, GrayGainBlock& block) {
    GrayGainsFromSums(SumGraySites8(region, block.bayerMode), block);
}

}  // namespace pixora
