#include "dialogs/ImageFilterPage.h"

#include "dialogs/DialogTemplates.h"
#include "settings/ControlRows.h"

namespace pixora {

namespace {

// The template's slider rows, top first (resources 107 and 103).
constexpr SliderRow kSliderIds[] = {
    {2001, 2002, 2004}, {2011, 2012, 2014}, {2021, 2022, 2024},
    {2031, 2032, 2034}, {2041, 2042, 2044}, {2051, 2052, 2054},
    {2061, 2062, 2063}, {2071, 2072, 2073}, {2081, 2082, 2084},
};

constexpr int32_t kBayerModes = 4;

// The radio buttons pick the Bayer mode; "Once" and "All frames" drive the white-balance
// request.
constexpr const ControlRow& kBayerModeControl = CameraControl("bayer-mode");
constexpr const ControlRow& kBalanceControl = CameraControl("bayer-gain-auto");

}  // namespace

ImageFilterPage::ImageFilterPage(FilterSettings& filter, int32_t colorModeIndex)
    : filter_(filter), colorModeIndex_(colorModeIndex) {}

const std::vector<ImageFilterPage::Row>& ImageFilterPage::Rows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> built;
        for (const ControlRow* control : SliderRows(DialogPage::ImageFilter)) {
            const auto slider = static_cast<std::size_t>(control->dialog.slider);
            if (slider < std::size(kSliderIds) &&
                control->entry.record == RecordEntry::Record::Picture) {
                built.push_back(
                    {control, static_cast<FilterField>(control->entry.index), kSliderIds[slider]});
            }
        }
        return built;
    }();
    return rows;
}

void ImageFilterPage::OnInitDialog(DialogWindow& page) {
    ready_ = false;
    for (const Row& row : Rows()) {
        const DialogRow& place = row.control->dialog;
        InitSliderRow(page, row.ids, {row.control->minimum, row.control->maximum, place.ticStep},
                      filter_.Get(row.entry), RowUsable(place.usable, colorModeIndex_));
    }
    const bool balance = RowUsable(kBalanceControl.dialog.usable, colorModeIndex_);
    page.EnableItem(kIdOnceButton, balance);
    page.EnableItem(kIdAllFramesCheck, balance);
    const bool bayerMode = RowUsable(kBayerModeControl.dialog.usable, colorModeIndex_);
    for (int32_t mode = 0; mode < kBayerModes; ++mode)
        page.EnableItem(kIdBayerMode0Radio + mode, bayerMode);
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
    for (const Row& row : Rows()) {
        if (row.ids.edit == id) {
            const int32_t value = page.GetItemInt(id, nullptr, true);  // not clamped
            filter_.Set(row.entry, value);
            page.TrackbarSetPos(row.ids.trackbar, value);
            return;
        }
    }
}

void ImageFilterPage::OnHScroll(DialogWindow& page, int32_t id) {
    for (const Row& row : Rows()) {
        if (row.ids.trackbar == id) {
            const int32_t pos = page.TrackbarGetPos(id);
            page.SetItemInt(row.ids.edit, pos, true);
            filter_.Set(row.entry, pos);
            return;
        }
    }
}

void ImageFilterPage::Refresh(DialogWindow& page) {
    // The edits' change reports would only write back what was just read; the streaming
    // thread may have stored a newer value meanwhile, which they must not overwrite.
    const bool wasReady = ready_;
    ready_ = false;
    for (const Row& row : Rows())
        ShowSliderValue(page, row.ids, filter_.Get(row.entry));
    ready_ = wasReady;
    ShowBayerMode(page);
}

void ImageFilterPage::ShowBayerMode(DialogWindow& page) {
    const int32_t mode = filter_.Get(FilterField::BayerMode);
    for (int32_t m = 0; m < kBayerModes; ++m)
        page.CheckItem(kIdBayerMode0Radio + m, m == mode);
}

void ImageFilterPage::Read(DialogWindow& page) {
    for (const Row& row : Rows())
        filter_.Set(row.entry, page.GetItemInt(row.ids.edit, nullptr, true));
    for (int32_t m = 0; m < kBayerModes; ++m) {
        if (page.IsItemChecked(kIdBayerMode0Radio + m)) {
            filter_.Set(FilterField::BayerMode, m);
            break;
        }
    }
}

}  // namespace pixora
