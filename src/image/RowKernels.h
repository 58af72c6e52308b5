// Kernels that move whole rows or bytes without changing their meaning: row spreading of
// packed frames, vertical mirror, flipped and straight copies. All run through
// ImageBuffer::Apply (PixelKernel convention) and return 1.
#pragma once

#include <cstdint>

#include "image/ImageBuffer.h"

namespace pixora {

// In place: a frame written as width * 1 (or * 2) bytes per row back to back at the start
// of the pixel memory is spread to the destination stride, last row first. Does nothing
// when the stride is shorter than a packed row.
PixelKernelFunction SpreadRows8;
PixelKernelFunction SpreadRows16;

// In place, any depth: the rectangle's rows of the destination are mirrored (first with
// last), min(destination stride, source stride) bytes each; an odd middle row stays.
PixelKernelFunction SwapRows;

// Any depth to the same depth, rows reversed: whole rows including their padding, as many
// bytes as both rows hold from the rectangle's column on.
PixelKernelFunction FlipCopy;

// Any depth to the same depth, rows in order, padding included like FlipCopy.
PixelKernelFunction CopyRows;

}  // namespace pixora
