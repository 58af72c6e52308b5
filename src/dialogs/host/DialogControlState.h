// What a dialog's control holds and the rules that change it, for the hosts that keep the
// controls themselves (headless and FLTK; the system's controls keep their own). One state
// per template control; the parts a control's class does not use stay at their defaults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/host/DialogTemplate.h"

namespace pixora {

// The items of a drop-down list or the headers of a tab control, and the selection (-1 for
// none), which stays on its item as others come and go.
struct ItemListState {
    std::vector<std::string> items;
    int32_t selection = -1;

    bool Has(int32_t index) const;
    // Drop-down list: at `index`, or at the end for a negative one; -1 past the end.
    int32_t InsertItem(int32_t index, const std::string& text);
    // Drop-down list: deleting the selected item leaves none selected.
    void DeleteItem(int32_t index);
    // Drop-down list: an index without item clears the selection; the selection.
    int32_t Select(int32_t index);
    // Tab control: a negative index is -1, one past the end appends; the first tab opens
    // selected.
    int32_t InsertTab(int32_t index, const std::string& text);
};

struct TrackbarState {
    int32_t rangeMin = 0;
    int32_t rangeMax = 100;
    int32_t position = 0;
    int32_t ticFrequency = 1;

    // A new range end that passes the position takes it along.
    void SetRangeMax(int32_t max);
    void SetRangeMin(int32_t min);
    // A position outside the range shows the nearest end.
    void SetPos(int32_t pos);
    // Where the user's thumb lands: inside the range whichever way round its ends are.
    void Drag(int32_t pos);
};

struct UpDownState {
    // The system's default range runs from 100 down to 0.
    int32_t min = 100;
    int32_t max = 0;
    int32_t position = 0;
    int32_t buddyId = 0;

    void SetRange(int32_t newMin, int32_t newMax);
    // Kept inside the range.
    void SetPos(int16_t pos);
    // A click on an arrow (`delta` +1 up, -1 down), starting from the number the buddy
    // shows when it shows one (`buddyText` may be null); the new position.
    int32_t Step(int delta, const std::string* buddyText);
};

struct DialogControlState {
    DialogControlState(const DialogControlTemplate& source, DialogLanguage language);

    const DialogControlTemplate* source;
    std::string text;
    bool enabled;
    bool visible;
    bool checked = false;
    TrackbarState trackbar;
    UpDownState upDown;
    ItemListState list;  // drop-down list and tab control

    int32_t Id() const { return source->id; }
    DialogControlClass Class() const { return source->cls; }
    uint32_t Style() const { return source->style; }
    uint32_t ButtonKind() const { return source->style & kButtonKindMask; }
    // An up-down control that writes its position into its buddy.
    bool SetsBuddyInt() const {
        return source->cls == DialogControlClass::UpDown && (source->style & kUpDownSetBuddyInt);
    }
};

}  // namespace pixora
