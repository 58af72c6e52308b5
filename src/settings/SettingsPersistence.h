// Persistence of the picture and analog settings in the "Filter", "Gray" and "Gain"
// subkeys of the library's settings key. The session loads them at initialisation and
// saves them at release. A missing subkey gives the defaults of settings/SettingsDefaults.h.
#pragma once

#include <cstdint>

#include "settings/SettingsRecords.h"

namespace pixora {

// 1 when the "Filter" subkey was read; 0 when it is missing and defaults were set
// (adjustments 0, Bayer gains and gamma 100, Bayer mode 3, entries 20..28 cleared).
int32_t LoadFilterSettings(FilterSettings& filter);
// 1 when written, 0 when the key could not be created.
int32_t SaveFilterSettings(const FilterSettings& filter);

// 1 when the "Gray" subkey was read; 0 when defaults were set (mode 0, gains 128, offsets 0).
int32_t LoadGraySettings(FilterSettings& filter);
int32_t SaveGraySettings(const FilterSettings& filter);

// Always 1: reads the "Gain" subkey, or sets gain 656, colour gains 0, exposure 64, the
// device's mirror state and automatic iris 0 when it is missing. A missing colour gain
// repeats the gain read before it.
int32_t LoadAnalogSettings(AnalogSettings& analog, int32_t deviceMirror);
int32_t SaveAnalogSettings(const AnalogSettings& analog);

}  // namespace pixora
