#include "dialogs/SliderRow.h"

namespace pixora {

void InitSliderRow(DialogWindow& page, const SliderRow& row, const SliderRange& range,
                   int32_t value, bool enabled) {
    page.TrackbarSetRangeMax(row.trackbar, range.max);
    page.TrackbarSetRangeMin(row.trackbar, range.min);
    page.TrackbarSetPos(row.trackbar, value);
    page.TrackbarSetTicFreq(row.trackbar, range.ticFrequency);
    page.UpDownSetRange32(row.upDown, range.min, range.max);
    page.UpDownSetPos(row.upDown, static_cast<int16_t>(value));  // the control keeps 16 bits
    page.UpDownSetBuddy(row.upDown, row.edit);
    page.SetItemInt(row.edit, value, true);
    for (int32_t id : {row.trackbar, row.edit, row.upDown})
        page.EnableItem(id, enabled);
}

void ShowSliderValue(DialogWindow& page, const SliderRow& row, int32_t value) {
    page.TrackbarSetPos(row.trackbar, value);
    page.SetItemInt(row.edit, value, true);
}

}  // namespace pixora
