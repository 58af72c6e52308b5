// The analog gain page: global gain and exposure sent to the camera as they change, the
// four colour gains shown only, the vertical mirror and the automatic iris mode.
#pragma once

#include <cstdint>

#include "dialogs/PropertyDialogs.h"
#include "dialogs/host/DialogWindow.h"

namespace pixora {

class AnalogGainPage final : public DialogProcedure {
public:
    explicit AnalogGainPage(AnalogDialogContext& context);

    void OnInitDialog(DialogWindow& page) override;
    void OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) override;
    void OnHScroll(DialogWindow& page, int32_t id) override;

    // Gain and exposure trackbars and edits from the settings.
    void Refresh(DialogWindow& page);
    // The gain or exposure edit shows `value`, which then counts as typed in.
    void ShowValue(DialogWindow& page, int32_t editId, int32_t value);
    // The gain and exposure edits into the settings (OK).
    void Read(DialogWindow& page);

private:
    AnalogDialogContext& context_;
    bool ready_ = false;
};

}  // namespace pixora
