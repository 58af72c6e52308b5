// Bayer colour interpolation with white-balance gains: raw mosaic to B, G, R pixels.
//
// Every member fills the interior (rows 2 .. height - 3, columns 2 .. width - 3 of the
// block); the border pass fills the remaining two-pixel frame. The block passed in is the
// whole raw image and a destination of the same size: the colour of each sample follows
// from its row and column in the image and the Bayer mode.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/KernelBlocks.h"

namespace pixora {

// Reference member: 8-bit mosaic to 24- or 32-bit pixels (a fourth byte is left alone).
// Red and blue are sum x trunc(gain x 1.28) / 2048, 255 for products above 0x7FFFF; green
// is the quad's green mean; the green gain is not applied.
void InterpolateReference8(const PixelRegion& region, const InterpolationBlock& block);

// The two-pixel frame with the reference arithmetic, for every 8-bit member. A neighbour
// outside the image is replaced by the same-colour sample four rows or columns further in
// (the nearest same-colour one inside when the image is smaller than that).
void InterpolateBorder8(const PixelRegion& region, const InterpolationBlock& block);

// Accelerated arithmetic in scalar form, 8-bit to 24-bit: the weighted sum divided by 16
// before the gain, min(255, (sum / 16) x factor / 128); may be one below the reference. The
// vector members are exact copies of it. Gains above 200 % fall back to the reference.
void InterpolateFast8(const PixelRegion& region, const InterpolationBlock& block);

// 10-bit words to 48- or 64-bit pixels (a fourth word is left alone): the reference
// arithmetic with green held to 1023 and 1023 for products above 0x1FFFFF. A word above
// 1023 (which the raw copy never produces) is read as 1023.
void Interpolate16(const PixelRegion& region, const InterpolationBlock& block);
void InterpolateBorder16(const PixelRegion& region, const InterpolationBlock& block);

namespace bayer {

// Interior columns [firstColumn, endColumn) of one interior row with the accelerated
// arithmetic in scalar form; the vector members finish their rows with it.
void FastRowScalar(const PixelRegion& region, int32_t row, int32_t firstColumn, int32_t endColumn,
                   int32_t bayerMode, int32_t redFactor, int32_t blueFactor);

// The same with the reference arithmetic of the 8-bit member.
void ReferenceRowScalar(const PixelRegion& region, int32_t row, int32_t firstColumn,
                        int32_t endColumn, int32_t bayerMode, int32_t redFactor,
                        int32_t blueFactor);

// Interior columns [firstColumn, endColumn) of one interior row of the 10-bit member.
void Row16Scalar(const PixelRegion& region, int32_t row, int32_t firstColumn, int32_t endColumn,
                 int32_t bayerMode, int32_t redFactor, int32_t blueFactor);

// True when the vector members may run: both factors within 0..256 (gains 0..200 %).
inline bool FastFactorsFit(int32_t redFactor, int32_t blueFactor) {
    return redFactor >= 0 && redFactor <= 256 && blueFactor >= 0 && blueFactor <= 256;
}

// True when the vector forms of the reference arithmetic may run: factors within 0..2047,
// whose products with any weighted sum fit the lanes they use.
inline bool ExactFactorsFit(int32_t redFactor, int32_t blueFactor) {
    return redFactor >= 0 && redFactor <= 2047 && blueFactor >= 0 && blueFactor <= 2047;
}

}  // namespace bayer
}  // namespace pixora
