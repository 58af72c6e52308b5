#include "dialogs/AnalogGainPage.h"

#include "dialogs/DialogTemplates.h"
#include "dialogs/SliderRow.h"

namespace pixora {

namespace {

// The template's slider rows, top first (resources 110 and 105): the global gain, the four
// colour gains, the exposure.
constexpr SliderRow kSliderIds[] = {
    {kIdGainTrackbar, kIdGainEdit, 1038},
    {1018, 1019, 1039},
    {1020, 1021, 1040},
    {1022, 1023, 1041},
    {1024, 1025, 1042},
    {kIdExposureTrackbar, kIdExposureEdit, 1043},
};

constexpr int32_t kAutoIrisExposure = PIXORA_AUTO_IRIS_EXPOSURE;
constexpr int32_t kAutoIrisGain = PIXORA_AUTO_IRIS_GAIN;

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

const std::vector<AnalogGainPage::Row>& AnalogGainPage::Rows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> built;
        for (const ControlRow* control : SliderRows(DialogPage::AnalogGain)) {
            const auto slider = static_cast<std::size_t>(control->dialog.slider);
            if (slider < std::size(kSliderIds) &&
                control->entry.record == RecordEntry::Record::Analog) {
                built.push_back({control, static_cast<AnalogField>(control->entry.index),
                                 kSliderIds[slider],
                                 RowUsable(control->dialog.usable, kAnyColorMode)});
            }
        }
        return built;
    }();
    return rows;
}

SliderRange AnalogGainPage::RangeOf(const Row& row) const {
    int32_t min = 0;
    int32_t max = 0;
    switch (row.control->dialog.span) {
        case SliderSpan::Camera:
            // The camera's own limits, for the values it is sent.
            if (row.control->target == ControlTarget::GlobalGain) {
                min = context_.GainMin();
                max = context_.GainMax();
            } else {
                min = context_.ExposureMin();
                max = context_.ExposureMax();
            }
            break;
        case SliderSpan::Own:
            min = row.control->dialog.spanMin;
            max = row.control->dialog.spanMax;
            break;
        case SliderSpan::Control:
            min = row.control->minimum;
            max = row.control->maximum;
            break;
        case SliderSpan::Empty:
            break;
    }
    return {min, max, (max - min) / 8};
}

void AnalogGainPage::Send(const Row& row, int32_t value) {
    if (row.control->target == ControlTarget::GlobalGain)
        context_.SetGain(value);
    else if (row.control->target == ControlTarget::Exposure)
        context_.SetExposure(value);
}

void AnalogGainPage::OnInitDialog(DialogWindow& page) {
    ready_ = false;
    AnalogSettings& analog = context_.Analog();
    for (const Row& row : Rows())
        InitSliderRow(page, row.ids, RangeOf(row), analog.Get(row.entry), row.usable);
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
    for (const Row& row : Rows()) {
        if (row.usable && row.ids.edit == id) {
            // As typed: the camera keeps the bits of a gain it has and clamps an exposure.
            const int32_t value = page.GetItemInt(id, nullptr, true);
            analog.Set(row.entry, value);
            page.TrackbarSetPos(row.ids.trackbar, value);
            Send(row, value);
            return;
        }
    }
}

void AnalogGainPage::OnHScroll(DialogWindow& page, int32_t id) {
    for (const Row& row : Rows()) {
        if (row.usable && row.ids.trackbar == id) {
            page.SetItemInt(row.ids.edit, page.TrackbarGetPos(id), true);
            return;
        }
    }
}

void AnalogGainPage::Refresh(DialogWindow& page) {
    // The caller has sent the values to the camera already.
    const bool wasReady = ready_;
    ready_ = false;
    const AnalogSettings& analog = context_.Analog();
    for (const Row& row : Rows()) {
        if (row.usable)
            ShowSliderValue(page, row.ids, analog.Get(row.entry));
    }
    ready_ = wasReady;
}

void AnalogGainPage::ShowValue(DialogWindow& page, AnalogField field, int32_t value) {
    for (const Row& row : Rows()) {
        if (row.usable && row.entry == field) {
            page.SetItemInt(row.ids.edit, value, true);
            return;
        }
    }
}

void AnalogGainPage::Read(DialogWindow& page) {
    AnalogSettings& analog = context_.Analog();
    for (const Row& row : Rows()) {
        if (row.usable)
            analog.Set(row.entry, page.GetItemInt(row.ids.edit, nullptr, true));
    }
}

}  // namespace pixora
