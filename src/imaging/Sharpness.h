// Unsharp masking against a 4 x 4 box mean. The source is an untouched copy of the picture,
// the destination the picture itself: the two-pixel frame keeps what the destination holds.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"

namespace pixora {

// Strength k (0..30): out = s + k (s - mean) / 10 for every pixel at least two pixels inside
// each edge, the mean over source rows v - 2 .. v + 1 and columns u - 2 .. u + 1, clamped to
// 0..255. Gray (1 byte) and B, G, R (3 or 4 bytes per pixel) members in one.
void Sharpen8(const PixelRegion& region, int32_t strength);
// The same on 10-bit words (16-bit gray, 48- and 64-bit pixels), clamped to 0..1023; words
// above 1023 are read as 1023.
void Sharpen10(const PixelRegion& region, int32_t strength);

}  // namespace pixora
