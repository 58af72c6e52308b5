// Per-call lookup tables of the tone adjustments. 8-bit tables have 256 entries (top 255),
// 10-bit tables 1024 (top 1023). The caller provides the storage, so nothing allocates.
#pragma once

#include <cstdint>

namespace pixora {

inline constexpr int32_t kTable8Size = 256;
inline constexpr int32_t kTable10Size = 1024;

// Gamma g (100 = identity): exponent h = 1 + (g - 100) / 10 above 100, g / 100 otherwise,
// held to 0.001..99.999; entry i is the table's rendering of T (i / T)^h found by searching
// the decades of the integers, so the top sample lands on T - 1.
void BuildGammaTable(int32_t gamma, uint16_t* table, int32_t size);

// Contrast q: entries below q (4q for 10 bits) are 0, above top - q (top - 4q) are top, the
// rest stretched linearly over the range, truncating.
void BuildContrastTable(int32_t contrast, uint16_t* table, int32_t size);

// Brightness m: every entry multiplied by 1 - |m| / 255 (m < 0) or 1 + 10 m / 255 (m > 0),
// truncating, clamped to the top.
void BuildBrightnessTable(int32_t brightness, uint16_t* table, int32_t size);

}  // namespace pixora
