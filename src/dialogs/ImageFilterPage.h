// The image filter page: brightness, contrast, hue, saturation, sharpness, the three Bayer
// gains and gamma as slider rows, automatic white balance and the Bayer mode. Every change
// goes straight into the session's settings.
#pragma once

#include <cstdint>

#include "dialogs/FilterEnableFlags.h"
#include "dialogs/host/DialogWindow.h"
#include "settings/SettingsRecords.h"

namespace pixora {

class ImageFilterPage final : public DialogProcedure {
public:
    ImageFilterPage(FilterSettings& filter, const FilterEnableFlags& flags);

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
    FilterSettings& filter_;
    FilterEnableFlags flags_;
    bool ready_ = false;
};

}  // namespace pixora
