// Vector members of the 8-bit Bayer interpolation, bit-exact copies of InterpolateFast8
// (the weighted sum divided by 16 before the gain). 24-bit destinations only; any other
// destination, or a gain above 200 %, is handed to the scalar forms. On processors without
// these instruction sets the functions exist and run the scalar form, but the selection in
// the colour step never picks them there.
#pragma once

#include "image/PixelRegion.h"
#include "imaging/KernelBlocks.h"

namespace pixora {

// 16 samples per step, SSE2 only.
void InterpolateSse2(const PixelRegion& region, const InterpolationBlock& block);

// Vector forms of the reference member (8-bit to 24- or 32-bit, fourth byte kept), bit-exact
// copies of InterpolateReference8; factors beyond 2047 take the scalar form.
void InterpolateReferenceSse2(const PixelRegion& region, const InterpolationBlock& block);
void InterpolateReferenceAvx2(const PixelRegion& region, const InterpolationBlock& block);
// 32 samples per step; the caller must have checked that the processor and the operating
// system support AVX2.
void InterpolateAvx2(const PixelRegion& region, const InterpolationBlock& block);

// 10-bit member (48/64-bit destinations), 16 samples per step with AVX2; bit-exact copy of
// Interpolate16. The same precondition as InterpolateAvx2.
void Interpolate16Avx2(const PixelRegion& region, const InterpolationBlock& block);

}  // namespace pixora
