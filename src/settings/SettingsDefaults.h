// The default picture and analog values: what the loaders set when their subkey is missing,
// and what the dialogs' Default buttons put back.
#pragma once

#include <cstdint>

#include "settings/SettingsRecords.h"

namespace pixora {

inline constexpr int32_t kDefaultGlobalGain = 656;
inline constexpr int32_t kDefaultExposure = 64;

// Brightness, contrast, hue, saturation and sharpness 0; Bayer gains and gamma 100; Bayer
// mode 3.
void SetImageFilterDefaults(FilterSettings& filter);
// Gray gains 128 and gray offsets 0; the gray mode stays.
void SetGrayFilterDefaults(FilterSettings& filter);
// Global gain 656, colour gains 0, exposure 64; mirror and automatic iris stay.
void SetAnalogGainDefaults(AnalogSettings& analog);

}  // namespace pixora
