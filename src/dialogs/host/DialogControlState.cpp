#include "dialogs/host/DialogControlState.h"

#include <algorithm>

#include "dialogs/host/DialogWindow.h"

namespace pixora {

// --- Drop-down list and tab control ------------------------------------------------------

bool ItemListState::Has(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(items.size());
}

int32_t ItemListState::InsertItem(int32_t index, const std::string& text) {
    const int32_t count = static_cast<int32_t>(items.size());
    if (index < 0)
        index = count;
    if (index > count)
        return -1;
    items.insert(items.begin() + index, text);
    if (selection >= index)
        ++selection;
    return index;
}

void ItemListState::DeleteItem(int32_t index) {
    if (!Has(index))
        return;
    items.erase(items.begin() + index);
    if (selection == index)
        selection = -1;
    else if (selection > index)
        --selection;
}

int32_t ItemListState::Select(int32_t index) {
    selection = Has(index) ? index : -1;
    return selection;
}

int32_t ItemListState::InsertTab(int32_t index, const std::string& text) {
    if (index < 0)
        return -1;
    const int32_t count = static_cast<int32_t>(items.size());
    index = std::min(index, count);
    items.insert(items.begin() + index, text);
    if (selection < 0)
        selection = 0;
    else if (selection >= index && count > 0)
        ++selection;
    return index;
}

// --- Trackbar ----------------------------------------------------------------------------

void TrackbarState::SetRangeMax(int32_t max) {
    rangeMax = max;
    if (position > max)
        position = max;
}

void TrackbarState::SetRangeMin(int32_t min) {
    rangeMin = min;
    if (position < min)
        position = min;
}

void TrackbarState::SetPos(int32_t pos) {
    if (pos < rangeMin)
        pos = rangeMin;
    if (pos > rangeMax)
        pos = rangeMax;
    position = pos;
}

void TrackbarState::Drag(int32_t pos) {
    position = std::clamp(pos, std::min(rangeMin, rangeMax), std::max(rangeMin, rangeMax));
}

// --- Up-down control ---------------------------------------------------------------------

void UpDownState::SetRange(int32_t newMin, int32_t newMax) {
    min = newMin;
    max = newMax;
}

void UpDownState::SetPos(int16_t pos) {
    position = std::clamp<int32_t>(pos, std::min(min, max), std::max(min, max));
}

int32_t UpDownState::Step(int delta, const std::string* buddyText) {
    int32_t start = position;
    if (buddyText != nullptr) {
        bool ok = false;
        const int32_t shown = ParseItemInt(*buddyText, &ok, true);
        if (ok)
            start = shown;
    }
    // Up moves towards the range's maximum, which may be its lower end.
    const int64_t low = std::min(min, max);
    const int64_t high = std::max(min, max);
    const int64_t step = (max >= min) ? delta : -delta;
    const int64_t from = std::clamp<int64_t>(start, low, high);
    position = static_cast<int32_t>(std::clamp<int64_t>(from + step, low, high));
    return position;
}

// --- A control ---------------------------------------------------------------------------

DialogControlState::DialogControlState(const DialogControlTemplate& control,
                                       DialogLanguage language)
    : source(&control),
      text(control.text.For(language)),
      enabled((control.style & kStyleDisabled) == 0),
      visible((control.style & kStyleVisible) != 0) {}

}  // namespace pixora
