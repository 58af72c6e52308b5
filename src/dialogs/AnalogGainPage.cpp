#include "dialogs/AnalogGainPage.h"

#include "dialogs/DialogTemplates.h"
#include "dialogs/SliderRow.h"

namespace pixora {

namespace {

constexpr SliderRow kGainRow{kIdGainTrackbar, kIdGainEdit, 1038};
constexpr SliderRow kExposureRow{kIdExposureTrackbar, kIdExposureEdit, 1043};

struct ShownRow {
    AnalogField entry;
    SliderRow controls;
};

// Colour gains: shown, not usable.
constexpr ShownRow kColorRows[] = {
    {AnalogField::ColorGainG1, {1018, 1019, 1039}},
    {AnalogField::ColorGainR, {1020, 1021, 1040}},
    {AnalogField::ColorGainB, {1022, 1023, 1041}},
    {AnalogField::ColorGainG2, {1024, 1025, 1042}},
};

constexpr int32_t kAutoIrisExposure = 1;
constexpr int32_t kAutoIrisGain = 2;

SliderRange DeviceRange(int32_t min, int32_t max) {
    return {min, max, (max - min) / 8};
}

// Mirroring the rows moves the colour pattern by one row.
int32_t SwapRowParity(int32_t bayerMode) {
    switch (bayerMode) {
        case 0:
            return 1;
        case 1:
            return 0;
        case 2:
            return 3;
        case 3:
            return 2;
        default:
            return bayerMode;
    }
}

}  // namespace

AnalogGainPage::AnalogGainPage(AnalogDialogContext& context) : context_(context) {}

void AnalogGainPage::OnInitDialog(DialogWindow& page) {
    ready_ = false;
    AnalogSettings& analog = context_.Analog();
    InitSliderRow(page, kGainRow, DeviceRange(context_.GainMin(), context_.GainMax()),
                  analog.Get(AnalogField::GlobalGain), true);
    for (const ShownRow& row : kColorRows)
        InitSliderRow(page, row.controls, {0, 0, 0}, analog.Get(row.entry), false);
    InitSliderRow(page, kExposureRow, DeviceRange(context_.ExposureMin(), context_.ExposureMax()),
                  analog.Get(AnalogField::Exposure), true);
    page.CheckItem(kIdMirrorCheck, analog.Get(AnalogField::VerticalMirror) != 0);
    const int32_t autoIris = analog.Get(AnalogField::AutoIris);
    page.CheckItem(kIdAutoIrisExposureCheck, autoIris == kAutoIrisExposure);
    page.CheckItem(kIdAutoIrisGainCheck, autoIris == kAutoIrisGain);
    ready_ = true;
}

void AnalogGainPage::OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) {
    AnalogSettings& analog = context_.Analog();
    if (notifyCode == kButtonClicked) {
        if (id == kIdMirrorCheck) {
            analog.Set(AnalogField::VerticalMirror, page.IsItemChecked(id) ? 1 : 0);
            FilterSettings& filter = context_.Filter();
            filter.Set(FilterField::BayerMode, SwapRowParity(filter.Get(FilterField::BayerMode)));
        } else if (id == kIdAutoIrisGainCheck) {
            const bool checked = page.IsItemChecked(id);
            if (checked)
                page.CheckItem(kIdAutoIrisExposureCheck, false);
            analog.Set(AnalogField::AutoIris, checked ? kAutoIrisGain : 0);
        } else if (id == kIdAutoIrisExposureCheck) {
            const bool checked = page.IsItemChecked(id);
            if (checked)
                page.CheckItem(kIdAutoIrisGainCheck, false);
            analog.Set(AnalogField::AutoIris, checked ? kAutoIrisExposure : 0);
        }
        return;
    }
    if (notifyCode != kEditChange || !ready_)
        return;
    if (id == kIdGainEdit) {
        // As typed: the camera keeps the bits it has.
        const int32_t gain = page.GetItemInt(id, nullptr, true);
        analog.Set(AnalogField::GlobalGain, gain);
        page.TrackbarSetPos(kIdGainTrackbar, gain);
        context_.SetGain(gain);
    } else if (id == kIdExposureEdit) {
        // As typed: the camera clamps it.
        const int32_t exposure = page.GetItemInt(id, nullptr, true);
        analog.Set(AnalogField::Exposure, exposure);
        page.TrackbarSetPos(kIdExposureTrackbar, exposure);
        context_.SetExposure(exposure);
    }
}

void AnalogGainPage::OnHScroll(DialogWindow& page, int32_t id) {
    if (id == kIdGainTrackbar)
        page.SetItemInt(kIdGainEdit, page.TrackbarGetPos(id), true);
    else if (id == kIdExposureTrackbar)
        page.SetItemInt(kIdExposureEdit, page.TrackbarGetPos(id), true);
}

void AnalogGainPage::Refresh(DialogWindow& page) {
    // The caller has sent the values to the camera already.
    const bool wasReady = ready_;
    ready_ = false;
    const AnalogSettings& analog = context_.Analog();
    ShowSliderValue(page, kGainRow, analog.Get(AnalogField::GlobalGain));
    ShowSliderValue(page, kExposureRow, analog.Get(AnalogField::Exposure));
    ready_ = wasReady;
}

void AnalogGainPage::ShowValue(DialogWindow& page, int32_t editId, int32_t value) {
    if (editId == kIdGainEdit || editId == kIdExposureEdit)
        page.SetItemInt(editId, value, true);
}

void AnalogGainPage::Read(DialogWindow& page) {
    AnalogSettings& analog = context_.Analog();
    analog.Set(AnalogField::GlobalGain, page.GetItemInt(kIdGainEdit, nullptr, true));
    analog.Set(AnalogField::Exposure, page.GetItemInt(kIdExposureEdit, nullptr, true));
}

}  // namespace pixora
