#include "dialogs/ImageFilterPage.h"

#include "PixoraSdk_530TZ.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/SliderRow.h"
#include "settings/FilterRanges.h"

namespace pixora {

namespace {

// A row edits the picture-record entry of one filter index, within that index's range: the
// filter table is where both come from, as for the filter-value exports.
struct FilterRow {
    int32_t filterIndex;
    SliderRow controls;
    int32_t ticFrequency;

    const FilterRange& Range() const { return *FindFilterRange(filterIndex); }
    FilterField Entry() const { return Range().field; }
};

constexpr FilterRow kRows[] = {
    {PIXORA_FILTER_BRIGHTNESS, {2001, 2002, 2004}, 64},
    {PIXORA_FILTER_CONTRAST, {2011, 2012, 2014}, 32},
    {PIXORA_FILTER_HUE, {2021, 2022, 2024}, 90},
    {PIXORA_FILTER_SATURATION, {2031, 2032, 2034}, 64},
    {PIXORA_FILTER_SHARPNESS, {2041, 2042, 2044}, 4},
    {PIXORA_FILTER_BAYER_GAIN_RED, {2051, 2052, 2054}, 32},
    {PIXORA_FILTER_BAYER_GAIN_GREEN, {2061, 2062, 2063}, 32},
    {PIXORA_FILTER_BAYER_GAIN_BLUE, {2071, 2072, 2073}, 32},
    {PIXORA_FILTER_GAMMA, {2081, 2082, 2084}, 32},
};

constexpr int32_t kBayerModes = 4;

}  // namespace

ImageFilterPage::ImageFilterPage(FilterSettings& filter, const FilterEnableFlags& flags)
    : filter_(filter), flags_(flags) {}

void ImageFilterPage::OnInitDialog(DialogWindow& page) {
    ready_ = false;
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        const FilterRow& row = kRows[i];
        const FilterRange& range = row.Range();
        InitSliderRow(page, row.controls, {range.min, range.max, row.ticFrequency},
                      filter_.Get(range.field), flags_[i] != 0);
    }
    const bool colorControls = flags_[kColorControlsFlag] != 0;
    page.EnableItem(kIdOnceButton, colorControls);
    page.EnableItem(kIdAllFramesCheck, colorControls);
    for (int32_t mode = 0; mode < kBayerModes; ++mode)
        page.EnableItem(kIdBayerMode0Radio + mode, colorControls);
    ShowBayerMode(page);
    page.CheckItem(kIdAllFramesCheck, false);
    ready_ = true;
}

void ImageFilterPage::OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) {
    if (notifyCode == kButtonClicked) {
        if (id >= kIdBayerMode0Radio && id < kIdBayerMode0Radio + kBayerModes) {
            filter_.Set(FilterField::BayerMode, id - kIdBayerMode0Radio);
        } else if (id == kIdAllFramesCheck) {
            // Continuous measurement while checked.
            filter_.Set(FilterField::WhiteBalanceRequest, page.IsItemChecked(id) ? 1 : 0);
            filter_.Set(FilterField::WhiteBalanceCompanion1, 0);
            filter_.Set(FilterField::WhiteBalanceCompanion2, 0);
        } else if (id == kIdOnceButton) {
            // One measurement: the chain clears all three after it.
            filter_.Set(FilterField::WhiteBalanceRequest, 1);
            filter_.Set(FilterField::WhiteBalanceCompanion1, 1);
            filter_.Set(FilterField::WhiteBalanceCompanion2, 1);
            page.CheckItem(kIdAllFramesCheck, false);
        }
        return;
    }
    if (notifyCode != kEditChange || !ready_)
        return;
    for (const FilterRow& row : kRows) {
        if (row.controls.edit == id) {
            const int32_t value = page.GetItemInt(id, nullptr, true);  // not clamped
            filter_.Set(row.Entry(), value);
            page.TrackbarSetPos(row.controls.trackbar, value);
            return;
        }
    }
}

void ImageFilterPage::OnHScroll(DialogWindow& page, int32_t id) {
    for (const FilterRow& row : kRows) {
        if (row.controls.trackbar == id) {
            const int32_t pos = page.TrackbarGetPos(id);
            page.SetItemInt(row.controls.edit, pos, true);
            filter_.Set(row.Entry(), pos);
            return;
        }
    }
}

void ImageFilterPage::Refresh(DialogWindow& page) {
    // The edits' change reports would only write back what was just read; the streaming
    // thread may have stored a newer value meanwhile, which they must not overwrite.
    const bool wasReady = ready_;
    ready_ = false;
    for (const FilterRow& row : kRows)
        ShowSliderValue(page, row.controls, filter_.Get(row.Entry()));
    ready_ = wasReady;
    ShowBayerMode(page);
}

void ImageFilterPage::ShowBayerMode(DialogWindow& page) {
    const int32_t mode = filter_.Get(FilterField::BayerMode);
    for (int32_t m = 0; m < kBayerModes; ++m)
        page.CheckItem(kIdBayerMode0Radio + m, m == mode);
}

void ImageFilterPage::Read(DialogWindow& page) {
    for (const FilterRow& row : kRows)
        filter_.Set(row.Entry(), page.GetItemInt(row.controls.edit, nullptr, true));
    for (int32_t m = 0; m < kBayerModes; ++m) {
        if (page.IsItemChecked(kIdBayerMode0Radio + m)) {
            filter_.Set(FilterField::BayerMode, m);
            break;
        }
    }
}

}  // namespace pixora
