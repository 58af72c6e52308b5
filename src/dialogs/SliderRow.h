// A slider row of the settings pages: trackbar, numeric edit and up-down control showing
// one value.
#pragma once

#include <cstdint>

#include "dialogs/host/DialogWindow.h"

namespace pixora {

struct SliderRow {
    int32_t trackbar;
    int32_t edit;
    int32_t upDown;
};

struct SliderRange {
    int32_t min;
    int32_t max;
    int32_t ticFrequency;
};

// Sets the trackbar's range, position and ticks, the up-down control's range, position and
// buddy, writes the value into the edit (a text change the page sees) and enables or
// disables the three controls.
void InitSliderRow(DialogWindow& page, const SliderRow& row, const SliderRange& range,
                   int32_t value, bool enabled);

// Trackbar and edit show `value` (the edit reports its text change).
void ShowSliderValue(DialogWindow& page, const SliderRow& row, int32_t value);

}  // namespace pixora
