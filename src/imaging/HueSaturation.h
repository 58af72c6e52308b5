// Hue, lightness and saturation shifts in integer HLS: hue in degrees with 64 units per
// 60-degree sector inside a sector, lightness and saturation 0..255.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/KernelBlocks.h"

namespace pixora {

struct Bgr {
    int32_t blue = 0;
    int32_t green = 0;
    int32_t red = 0;
};

// One 8-bit pixel through the conversion, the shifts and back; results clamped to 0..255.
Bgr ShiftHueSaturation(Bgr pixel, const HueSaturationBlock& block);

// In place, 24- and 32-bit pixels (B, G, R bytes; a fourth byte is left alone).
void HueSaturation24(const PixelRegion& region, const HueSaturationBlock& block);
// In place, 48- and 64-bit pixels: each word is brought to 8 bits (word / 4), shifted as
// above, and stored back times 4.
void HueSaturation48(const PixelRegion& region, const HueSaturationBlock& block);

// The same two members eight pixels at a time with AVX2, bit-exact; the caller must have
// checked that the processor and the operating system support AVX2.
void HueSaturation24Avx2(const PixelRegion& region, const HueSaturationBlock& block);
void HueSaturation48Avx2(const PixelRegion& region, const HueSaturationBlock& block);

}  // namespace pixora
