// Gamma, contrast and brightness: one table built per call, then every sample mapped
// through it. The "8" members serve 8-bit gray, 24- and 32-bit pixels (B, G, R bytes; a
// fourth byte is left alone), the "10" members 16-bit gray, 48- and 64-bit pixels of 10-bit
// words. A 10-bit word above 1023 is looked up as 1023, so no word can index past the table.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"

namespace pixora {

void AdjustGamma8(const PixelRegion& region, int32_t gamma);
void AdjustGamma10(const PixelRegion& region, int32_t gamma);
void AdjustContrast8(const PixelRegion& region, int32_t contrast);
void AdjustContrast10(const PixelRegion& region, int32_t contrast);
void AdjustBrightness8(const PixelRegion& region, int32_t brightness);
void AdjustBrightness10(const PixelRegion& region, int32_t brightness);

// The mapping itself: each B, G, R sample (or the one gray sample) through `table`.
void MapSamples8(const PixelRegion& region, const uint16_t* table);
void MapSamples10(const PixelRegion& region, const uint16_t* table);

}  // namespace pixora
