// Kernels that move whole rows or bytes without changing their meaning: row spreading of
// packed frames, vertical mirror, flipped and straight copies. All run through
// ImageBuffer::Apply.
#pragma once

#include "image/PixelRegion.h"

namespace pixora {

// In place: a frame written as width * 1 (or * 2) bytes per row back to back at the start
// of the pixel memory is spread to the destination stride, last row first. Does nothing
// when the stride is shorter than a packed row.
void SpreadRows8(const PixelRegion& region);
void SpreadRows16(const PixelRegion& region);

// In place, any depth: the region's rows of the destination are mirrored (first with
// last), min(destination stride, source stride) bytes each from the start of the row; an
// odd middle row stays.
void SwapRows(const PixelRegion& region);

// Any depth to the same depth, rows reversed: whole rows including their padding, as many
// bytes as both rows hold from the region's column on.
void FlipCopy(const PixelRegion& region);

// Any depth to the same depth, rows in order, padding included like FlipCopy.
void CopyRows(const PixelRegion& region);

}  // namespace pixora
