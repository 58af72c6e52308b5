// Measurements on a raw Bayer mosaic: white-balance gains for the colour path and the
// per-site gains of the gray "Bayer convert" path.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/KernelBlocks.h"

namespace pixora {

// Sums and counts of the three colours of a mosaic.
struct ColorSums {
    uint64_t green = 0;
    uint64_t blue = 0;
    uint64_t red = 0;
    uint64_t greenCount = 0;
    uint64_t blueCount = 0;
    uint64_t redCount = 0;
};

ColorSums SumColorSites8(const PixelRegion& region, int32_t bayerMode);
ColorSums SumColorSites16(const PixelRegion& region, int32_t bayerMode);

// Gains that bring blue and red to the green mean: 100 G / B and 100 G / R in percent
// (green 100), truncating. A colour whose mean is 0 (or that has no site) leaves its slot
// as the block holds it, since its ratio has no value; so does a green mean of 0 for both.
void WhiteBalanceFromSums(const ColorSums& sums, WhiteBalanceBlock& block);

// Measures the source mosaic into block's slots (the Bayer mode is read from the block).
void MeasureWhiteBalance8(const PixelRegion& region, WhiteBalanceBlock& block);
void MeasureWhiteBalance16(const PixelRegion& region, WhiteBalanceBlock& block);

// Sums and counts of the four gray sites, indexed by GraySite.
struct GraySiteSums {
    uint64_t sum[4] = {0, 0, 0, 0};
    uint64_t count[4] = {0, 0, 0, 0};
};

GraySiteSums SumGraySites8(const PixelRegion& region, int32_t bayerMode);

// Gains that bring R, G2 and B to the G1 mean, in 1/128 (G1 = 128), truncating and not
// limited to the manual range. A site whose mean is 0 (or that has no sample) keeps the
// block's gain; without any G1 sample all gains are kept.
void GrayGainsFromSums(const GraySiteSums& sums, GrayGainBlock& block);

// Measures the source mosaic and overwrites the four gains of the block.
void MeasureGrayGains8(const PixelRegion& region, GrayGainBlock& block);

}  // namespace pixora
