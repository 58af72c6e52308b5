#include "imaging/WhiteBalance.h"

#include <cmath>
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

template <typename Load>
ColorSums SumColorSites(const PixelRegion& region, int32_t bayerMode, int32_t bytesPerSample,
                        Load load) {
    ColorSums sums;
    if (region.source == nullptr || region.width <= 0 || region.height <= 0) {
        return sums;
    }
    for (int32_t row = 0; row < region.height; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const uint8_t* s = region.SourceRow(row);
        // Per column phase: the colour's sum and count.
        uint64_t rowSum[2] = {0, 0};
        uint64_t rowCount[2] = {0, 0};
        for (int32_t column = 0; column < region.width; ++column) {
            const int32_t phase = ColumnPhase(bayerMode, region.sourceColumn + column);
            rowSum[phase] += load(s + ptrdiff_t{column} * bytesPerSample);
            ++rowCount[phase];
        }
        for (int32_t phase = 0; phase < 2; ++phase) {
            switch (ColorAtPhase(rowPhase, phase)) {
                case MosaicColor::Green:
                    sums.green += rowSum[phase];
                    sums.greenCount += rowCount[phase];
                    break;
                case MosaicColor::Blue:
                    sums.blue += rowSum[phase];
                    sums.blueCount += rowCount[phase];
                    break;
                case MosaicColor::Red:
                    sums.red += rowSum[phase];
                    sums.redCount += rowCount[phase];
                    break;
            }
        }
    }
    return sums;
}

double MeanOf(uint64_t sum, uint64_t count) {
    return count == 0 ? 0.0 : static_cast<double>(sum) / static_cast<double>(count);
}

}  // namespace

ColorSums SumColorSites8(const PixelRegion& region, int32_t bayerMode) {
    return SumColorSites(region, bayerMode, 1, [](const uint8_t* p) { return uint32_t{*p}; });
}

ColorSums SumColorSites16(const PixelRegion& region, int32_t bayerMode) {
    return SumColorSites(region, bayerMode, 2, [](const uint8_t* p) { return LoadWord(p); });
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
    if (region.source == nullptr || region.width <= 0 || region.height <= 0) {
        return sums;
    }
    for (int32_t row = 0; row < region.height; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const uint8_t* s = region.SourceRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            const int32_t phase = ColumnPhase(bayerMode, region.sourceColumn + column);
            const GraySite site = GraySiteAtPhase(rowPhase, phase);
            sums.sum[site] += s[column];
            ++sums.count[site];
        }
    }
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
