// The image filter page: brightness, contrast, hue, saturation, sharpness, the three Bayer
// gains and gamma as slider rows, automatic white balance and the Bayer mode. Every change
// goes straight into the session's settings. Which rows it has, their ranges and in which
// colour modes they are usable come from the control table.
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/SliderRow.h"
#include "dialogs/host/DialogWindow.h"
#include "settings/ControlTable.h"
#include "settings/SettingsRecords.h"

namespace pixora {

class ImageFilterPage final : public DialogProcedure {
public:
    // The rows usable in the colour mode are enabled, the others shown disabled.
    ImageFilterPage(FilterSettings& filter, int32_t colorModeIndex);

    void OnInitDialog(DialogWindow& page) override;
    void OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) override;
    void OnHScroll(DialogWindow& page, int32_t id) override;

    // Sliders, edits and Bayer-mode radio buttons from the settings.
    void Refresh(DialogWindow& page);
    // Only the Bayer-mode radio buttons from the settings.
    void ShowBayerMode(DialogWindow& page);
    // The edits and the checked radio button into the settings (OK).
    void Read(DialogWindow& page);

private:
    // A control's slider row: its picture entry and the template's controls for it.
    struct Row {
        const ControlRow* control;
        FilterField entry;
        SliderRow ids;
    };

    // The page's rows, the same for every page: built once from the control table.
    static const std::vector<Row>& Rows();

    FilterSettings& filter_;
    int32_t colorModeIndex_;
    bool ready_ = false;
};

}  // namespace pixora
