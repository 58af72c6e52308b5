// Mean level of a block of raw samples, for the automatic iris.
#pragma once

#include <cstdint>

#include "image/PixelRegion.h"

namespace pixora {

// Mean of the source block's 8-bit samples (sum and count unsigned 32-bit, truncating);
// 0 for an empty block.
uint32_t WindowMean8(const PixelRegion& region);
// The same over 16-bit words, each reduced to its bits 2..9 first.
uint32_t WindowMean16(const PixelRegion& region);

}  // namespace pixora
