#include "dialogs/GrayFilterPage.h"

#include <utility>

#include "dialogs/DialogTemplates.h"
#include "dialogs/SliderRow.h"

namespace pixora {

namespace {

// The template's slider rows, top first (resources 112 and 113): the four gains, then the
// four offsets.
constexpr SliderRow kSliderIds[] = {
    {2100, 2101, 2102}, {2103, 2104, 2105}, {2106, 2107, 2108}, {2109, 2110, 2111},
    {2112, 2113, 2114}, {2115, 2116, 2117}, {2118, 2119, 2120}, {2121, 2122, 2123},
};

constexpr int32_t kBayerModes = 4;
constexpr int32_t kGrayModes = 3;

SliderRange RangeOf(const ControlRow& control) {
    const DialogRow& place = control.dialog;
    if (place.span == SliderSpan::Own)
        return {place.spanMin, place.spanMax, place.ticStep};
    return {control.minimum, control.maximum, place.ticStep};
}

}  // namespace

GrayFilterPage::GrayFilterPage(FilterSettings& filter, std::function<void()> bayerModeChanged)
    : filter_(filter), bayerModeChanged_(std::move(bayerModeChanged)) {}

const std::vector<GrayFilterPage::Row>& GrayFilterPage::Rows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> built;
        for (const ControlRow* control : SliderRows(DialogPage::GrayFilter)) {
            const auto slider = static_cast<std::size_t>(control->dialog.slider);
            if (slider < std::size(kSliderIds) &&
                control->entry.record == RecordEntry::Record::Picture) {
                built.push_back({static_cast<FilterField>(control->entry.index), kSliderIds[slider],
                                 RangeOf(*control)});
            }
        }
        return built;
    }();
    return rows;
}

bool GrayFilterPage::ShownIn(int32_t colorModeIndex) {
    for (const ControlRow& control : Controls()) {
        if (control.dialog.page == DialogPage::GrayFilter &&
            RowUsable(control.dialog.usable, colorModeIndex))
            return true;
    }
    return false;
}

void GrayFilterPage::OnInitDialog(DialogWindow& page) {
    ready_ = false;
    for (const Row& row : Rows())
        InitSliderRow(page, row.ids, row.range, filter_.Get(row.entry), true);
    const int32_t grayMode = filter_.Get(FilterField::GrayMode);
    for (int32_t m = 0; m < kGrayModes; ++m)
        page.CheckItem(kIdGrayModeBayerRadio + m, m == grayMode);
    const int32_t bayerMode = filter_.Get(FilterField::BayerMode);
    for (int32_t m = 0; m < kBayerModes; ++m)
        page.CheckItem(kIdBayerMode0Radio + m, m == bayerMode);
    page.CheckItem(kIdAllFramesCheck, false);
    ready_ = true;
}

void GrayFilterPage::OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) {
    if (notifyCode == kButtonClicked) {
        if (id >= kIdBayerMode0Radio && id < kIdBayerMode0Radio + kBayerModes) {
            filter_.Set(FilterField::BayerMode, id - kIdBayerMode0Radio);
            if (bayerModeChanged_)
                bayerModeChanged_();
        } else if (id >= kIdGrayModeBayerRadio && id < kIdGrayModeBayerRadio + kGrayModes) {
            filter_.Set(FilterField::GrayMode, id - kIdGrayModeBayerRadio);
        } else if (id == kIdAllFramesCheck) {
            // Toggles continuous measurement; the box's own state is not consulted.
            const int32_t counter = filter_.Get(FilterField::GrayAutoGainCounter);
            filter_.Set(FilterField::GrayAutoGainCounter, counter != 0 ? 0 : -1);
        } else if (id == kIdOnceButton) {
            filter_.Set(FilterField::GrayAutoGainCounter, 1);
        }
        return;
    }
    if (notifyCode != kEditChange || !ready_)
        return;
    for (const Row& row : Rows()) {
        if (row.ids.edit == id) {
            const int32_t value = page.GetItemInt(id, nullptr, true);  // not clamped
            filter_.Set(row.entry, value);
            page.TrackbarSetPos(row.ids.trackbar, value);
            return;
        }
    }
}

void GrayFilterPage::OnHScroll(DialogWindow& page, int32_t id) {
    for (const Row& row : Rows()) {
        if (row.ids.trackbar == id) {
            const int32_t pos = page.TrackbarGetPos(id);
            page.SetItemInt(row.ids.edit, pos, true);
            filter_.Set(row.entry, pos);
            return;
        }
    }
}

void GrayFilterPage::Refresh(DialogWindow& page) {
    // As on the image page: showing values must not write them back over newer ones.
    const bool wasReady = ready_;
    ready_ = false;
    for (const Row& row : Rows())
        ShowSliderValue(page, row.ids, filter_.Get(row.entry));
    ready_ = wasReady;
}

void GrayFilterPage::Read(DialogWindow& page) {
    for (const Row& row : Rows())
        filter_.Set(row.entry, page.GetItemInt(row.ids.edit, nullptr, true));
}

}  // namespace pixora
