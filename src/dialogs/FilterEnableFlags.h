// Which parts of the image filter dialog are usable in a colour mode.
#pragma once

#include <array>
#include <cstdint>

namespace pixora {

// Flags 0..8 enable the slider rows of filter entries 0..8, flag 9 adds the gray filter
// tab, flag 15 enables the white-balance and Bayer-mode controls; the others stay 0.
using FilterEnableFlags = std::array<int32_t, 19>;

inline constexpr std::size_t kGrayTabFlag = 9;
inline constexpr std::size_t kColorControlsFlag = 15;

// Monochrome modes (0, 1): brightness, contrast, sharpness, gamma and the gray tab.
// Every other mode: all nine rows and the colour controls.
FilterEnableFlags FilterEnableFlagsFor(int32_t colorModeIndex);

}  // namespace pixora
