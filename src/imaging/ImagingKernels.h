// The imaging kernels in the form ImageBuffer::Apply runs them. argument1 points at the
// parameter: one signed 32-bit value for gamma, contrast, sharpness and brightness, or the
// parameter block named below; argument2 is unused. A kernel given a null parameter or
// images of depths it has no member for does nothing and returns 0; otherwise it returns 1
// (the window means return the mean).
//
// Depth classes: "8" members take 8-bit gray, 24- and 32-bit images (source and destination
// of the same depth), "10" members 16-bit gray, 48- and 64-bit images of 10-bit words.
#pragma once

#include "image/ImageBuffer.h"

namespace pixora {

// Mean of the rectangle (8-bit samples; 16-bit words reduced to 8 bits). Reads only.
PixelKernelFunction WindowMean8Kernel;
PixelKernelFunction WindowMean16Kernel;

// GrayGainBlock: gain and offset per site, 8-bit in place.
PixelKernelFunction GrayGainOffsetKernel;
// GrayGainBlock: measures the 8-bit mosaic and overwrites the block's four gains.
PixelKernelFunction GrayGainStatisticsKernel;

// WhiteBalanceBlock: measures the 8-bit or 16-bit mosaic into the block's gain slots.
PixelKernelFunction WhiteBalance8Kernel;
PixelKernelFunction WhiteBalance16Kernel;

// HueSaturationBlock: 24/32-bit and 48/64-bit members.
PixelKernelFunction HueSaturation24Kernel;
PixelKernelFunction HueSaturation48Kernel;
PixelKernelFunction HueSaturation24Avx2Kernel;  // the same with AVX2 (caller checks support)
PixelKernelFunction HueSaturation48Avx2Kernel;

PixelKernelFunction Gamma8Kernel;
PixelKernelFunction Gamma10Kernel;
PixelKernelFunction Contrast8Kernel;
PixelKernelFunction Contrast10Kernel;
PixelKernelFunction Brightness8Kernel;
PixelKernelFunction Brightness10Kernel;
// Source: the untouched work copy; destination: the picture.
PixelKernelFunction Sharpen8Kernel;
PixelKernelFunction Sharpen10Kernel;

// InterpolationBlock: 8-bit mosaic to 24/32-bit (reference), to 24-bit (vector members),
// 16-bit mosaic to 48/64-bit, and the border passes.
PixelKernelFunction InterpolateReference8Kernel;
PixelKernelFunction InterpolateReferenceSse2Kernel;  // vector forms of the reference member
PixelKernelFunction InterpolateReferenceAvx2Kernel;
PixelKernelFunction InterpolateSse2Kernel;
PixelKernelFunction InterpolateAvx2Kernel;
PixelKernelFunction InterpolateBorder8Kernel;
PixelKernelFunction Interpolate16Kernel;
PixelKernelFunction Interpolate16Avx2Kernel;
PixelKernelFunction InterpolateBorder16Kernel;

}  // namespace pixora
