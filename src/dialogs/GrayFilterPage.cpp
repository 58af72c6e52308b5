#include "dialogs/GrayFilterPage.h"

#include <utility>

#include "dialogs/DialogTemplates.h"
#include "dialogs/SliderRow.h"

namespace pixora {

namespace {

struct GrayRow {
    FilterField entry;
    SliderRow controls;
    SliderRange range;
};

constexpr SliderRange kGainRange{0, 400, 32};
constexpr SliderRange kOffsetRange{-255, 255, 32};

constexpr GrayRow kRows[] = {
    {FilterField::GrayGainR, {2100, 2101, 2102}, kGainRange},
    {FilterField::GrayGainG1, {2103, 2104, 2105}, kGainRange},
    {FilterField::GrayGainG2, {2106, 2107, 2108}, kGainRange},
    {FilterField::GrayGainB, {2109, 2110, 2111}, kGainRange},
    {FilterField::GrayOffsetR, {2112, 2113, 2114}, kOffsetRange},
    {FilterField::GrayOffsetG1, {2115, 2116, 2117}, kOffsetRange},
    {FilterField::GrayOffsetG2, {2118, 2119, 2120}, kOffsetRange},
    {FilterField::GrayOffsetB, {2121, 2122, 2123}, kOffsetRange},
};

constexpr int32_t kBayerModes = 4;
constexpr int32_t kGrayModes = 3;

}  // namespace

GrayFilterPage::GrayFilterPage(FilterSettings& filter, const FilterEnableFlags& flags,
                               std::function<void()> bayerModeChanged)
    : filter_(filter), flags_(flags), bayerModeChanged_(std::move(bayerModeChanged)) {}

void GrayFilterPage::OnInitDialog(DialogWindow& page) {
    ready_ = false;
    for (const GrayRow& row : kRows)
        InitSliderRow(page, row.controls, row.range, filter_.Get(row.entry), true);
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
    for (const GrayRow& row : kRows) {
        if (row.controls.edit == id) {
            const int32_t value = page.GetItemInt(id, nullptr, true);  // not clamped
            filter_.Set(row.entry, value);
            page.TrackbarSetPos(row.controls.trackbar, value);
            return;
        }
    }
}

void GrayFilterPage::OnHScroll(DialogWindow& page, int32_t id) {
    for (const GrayRow& row : kRows) {
        if (row.controls.trackbar == id) {
            const int32_t pos = page.TrackbarGetPos(id);
            page.SetItemInt(row.controls.edit, pos, true);
            filter_.Set(row.entry, pos);
            return;
        }
    }
}

void GrayFilterPage::Refresh(DialogWindow& page) {
    // As on the image page: showing values must not write them back over newer ones.
    const bool wasReady = ready_;
    ready_ = false;
    for (const GrayRow& row : kRows)
        ShowSliderValue(page, row.controls, filter_.Get(row.entry));
    ready_ = wasReady;
}

void GrayFilterPage::Read(DialogWindow& page) {
    for (const GrayRow& row : kRows)
        filter_.Set(row.entry, page.GetItemInt(row.controls.edit, nullptr, true));
}

}  // namespace pixora
