// The filter indices of the filter-value exports: what each one changes and the values a
// set accepts. This one table serves the session's setter and getter, the sliders of the
// image filter page, and the range export that applications (and the pixora program) read
// the ranges from.
#pragma once

#include <cstdint>

#include "settings/SettingsRecords.h"

namespace pixora {

enum class FilterTarget {
    Picture,              // one entry of the picture record, stored as given
    PackedBayerGains,     // the three Bayer gains at once, 0xBBGGRR; bits 24..31 ignored
    WhiteBalanceRequest,  // stored as 1 when nonzero, else 0
    GlobalGain,           // the global and the four colour gains, sent to the camera
    Exposure,             // the exposure, sent to the camera (which keeps 8..1068)
};

struct FilterRange {
    int32_t index;
    FilterTarget target;
    FilterField field;  // the picture-record entry of a Picture target
    int32_t min;
    int32_t max;
};

// The entry of a settable index; null for unknown indices and for the colour gains 14..17,
// which this camera always refuses.
const FilterRange* FindFilterRange(int32_t index);

}  // namespace pixora
