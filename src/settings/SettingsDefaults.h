// The neutral picture and analog values of the control table: what the dialogs' Default
// buttons put back, and what the loaders set when their subkey is missing.
#pragma once

#include "settings/ControlTable.h"
#include "settings/SettingsRecords.h"

namespace pixora {

// The image filter page's rows: brightness, contrast, hue, saturation and sharpness 0;
// white-balance gains and gamma 100; Bayer mode 3.
void SetImageFilterDefaults(FilterSettings& filter);
// The gray filter page's rows: gray gains 128 and gray offsets 0; the gray mode stays.
void SetGrayFilterDefaults(FilterSettings& filter);
// The analog gain page's rows: global gain 656, colour gains 0, exposure 64; mirror and
// automatic iris stay.
void SetAnalogGainDefaults(AnalogSettings& analog);

// Every control stored in `where` takes its neutral value.
void SetStoredDefaults(StoredIn where, FilterSettings& filter);
void SetStoredDefaults(StoredIn where, AnalogSettings& analog);

}  // namespace pixora
