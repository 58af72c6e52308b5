// Depth and layout conversions for display and file output, run through ImageBuffer::Apply.
// Each steps both images by their own bytes per pixel, so the 24-bit members also read
// 32-bit sources and the 48-bit members 64-bit ones. Reducing a 16-bit word to 8 bits keeps
// its bits 2..9 (a 10-bit sample divided by 4).
#pragma once

#include "image/PixelRegion.h"

namespace pixora {

// 24/32-bit B, G, R to 8-bit gray: (59 G + 30 R + 11 B) / 100.
void Luma24To8(const PixelRegion& region);
// 32-bit (or 24-bit) to 24-bit: B, G, R copied, a fourth byte dropped.
void Copy32To24(const PixelRegion& region);
// 24/32-bit to 24-bit with the rows reversed (the fourth byte dropped).
void FlipCopyTo24(const PixelRegion& region);
// 16-bit gray to 8-bit gray, straight and flipped.
void Gray16To8(const PixelRegion& region);
void Gray16To8Flipped(const PixelRegion& region);
// 48/64-bit to 24-bit, each of B, G, R reduced, order kept; straight and flipped.
void Color16To24(const PixelRegion& region);
void Color16To24Flipped(const PixelRegion& region);
// 24-bit B, G, R to R, G, B; a 32-bit destination gets a fourth byte of 0.
void SwapToRgb(const PixelRegion& region);
// 32-bit: B, G, R copied, fourth byte = 255 - fourth byte (a zero X becomes opaque alpha).
void ComplementAlpha32(const PixelRegion& region);
// 16-bit gray: each word shifted left by 4 (10-bit samples to the full 16-bit range
// the way the files have always carried them).
void ScaleGray16(const PixelRegion& region);
// 48/64-bit: B, G, R words shifted left by 6; a 64-bit destination's fourth word 0xFFFF.
void ScaleColor16(const PixelRegion& region);
// As ScaleColor16, with the first and third word exchanged (R, G, B out).
void ScaleColor16Swapped(const PixelRegion& region);

}  // namespace pixora
