// Parameter blocks handed to the kernels: consecutive signed 32-bit values in the order the
// processing chain fills them.
#pragma once

#include <cstdint>

#include "imaging/BayerSites.h"

namespace pixora {

// Gray "Bayer convert": Bayer mode, then gains and offsets per site in the order R, G1, G2,
// B (indexed by GraySite). Gains are in 1/128, 128 = unity.
struct GrayGainBlock {
    int32_t bayerMode = 0;
    int32_t gains[4] = {128, 128, 128, 128};
    int32_t offsets[4] = {0, 0, 0, 0};
};
static_assert(sizeof(GrayGainBlock) == 9 * sizeof(int32_t));

// Hue shift in degrees, lightness shift, saturation shift.
struct HueSaturationBlock {
    int32_t hue = 0;
    int32_t lightness = 0;
    int32_t saturation = 0;
};

// Bayer interpolation: mode and white-balance gains in percent (100 = unity).
struct InterpolationBlock {
    int32_t bayerMode = 0;
    int32_t gainR = 100;
    int32_t gainG = 100;
    int32_t gainB = 100;
};

// White-balance measurement: three result slots, then the Bayer mode it reads.
struct WhiteBalanceBlock {
    int32_t blueGain = 100;
    int32_t greenGain = 100;
    int32_t redGain = 100;
    int32_t bayerMode = 0;
};

}  // namespace pixora
