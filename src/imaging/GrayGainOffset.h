// Per-site gain and offset on an 8-bit Bayer mosaic (gray "Bayer convert" mode).
#pragma once

#include "image/PixelRegion.h"
#include "imaging/KernelBlocks.h"

namespace pixora {

// In place on 8-bit samples: out = offset(site) + gain(site) * in / 128, truncating toward
// zero, clamped to 0..255. Reads the source block, writes the destination block.
void GrayGainOffset8(const PixelRegion& region, const GrayGainBlock& block);

}  // namespace pixora
