// Gamma, contrast and brightness: one table built per call, then every sample mapped
// through it. The "8" members serve 8-bit gray, 24- and 32-bit pixels (B, G, R bytes; a
// fourth byte is left alone), the "10" members 16-bit gray, 48- and 64-bit pixels of 10-bit
// words. A 10-bit word above 1023 is looked up as 1023, so no word can index past the table.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/ToneTables.h"

namespace pixora {

// The mapping itself: each B, G, R sample (or the one gray sample) through `table`.
void MapSamples8(const PixelRegion& region, const uint16_t* table);
void MapSamples10(const PixelRegion& region, const uint16_t* table);

using ToneTableBuilder = void (*)(int32_t value, uint16_t* table, int32_t size);

// One adjustment: the table Build makes for `value`, 8-bit samples mapped through it for a
// 256-entry table and 10-bit words for a 1024-entry one.
template <int32_t TableSize, ToneTableBuilder Build>
void AdjustTone(const PixelRegion& region, int32_t value) {
    uint16_t table[TableSize];
    Build(value, table, TableSize);
    if constexpr (TableSize == kTable8Size) {
        MapSamples8(region, table);
    } else {
        MapSamples10(region, table);
    }
}

inline constexpr auto* AdjustGamma8 = &AdjustTone<kTable8Size, BuildGammaTable>;
inline constexpr auto* AdjustGamma10 = &AdjustTone<kTable10Size, BuildGammaTable>;
inline constexpr auto* AdjustContrast8 = &AdjustTone<kTable8Size, BuildContrastTable>;
inline constexpr auto* AdjustContrast10 = &AdjustTone<kTable10Size, BuildContrastTable>;
inline constexpr auto* AdjustBrightness8 = &AdjustTone<kTable8Size, BuildBrightnessTable>;
inline constexpr auto* AdjustBrightness10 = &AdjustTone<kTable10Size, BuildBrightnessTable>;

}  // namespace pixora
