// The analog gain page: global gain and exposure sent to the camera as they change, the
// four colour gains shown only, the vertical mirror and the automatic iris mode.
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/PropertyDialogs.h"
#include "dialogs/SliderRow.h"
#include "dialogs/host/DialogWindow.h"
#include "settings/ControlTable.h"

namespace pixora {

class AnalogGainPage final : public DialogProcedure {
public:
    explicit AnalogGainPage(AnalogDialogContext& context);

    void OnInitDialog(DialogWindow& page) override;
    void OnCommand(DialogWindow& page, int32_t id, int32_t notifyCode) override;
    void OnHScroll(DialogWindow& page, int32_t id) override;

    // Gain and exposure trackbars and edits from the settings.
    void Refresh(DialogWindow& page);
    // The edit of the analog entry (the gain or the exposure) shows `value`, which then
    // counts as typed in.
    void ShowValue(DialogWindow& page, AnalogField field, int32_t value);
    // The gain and exposure edits into the settings (OK).
    void Read(DialogWindow& page);

private:
    // A control's slider row; the rows not usable (the colour gains) only show their value.
    struct Row {
        const ControlRow* control;
        AnalogField entry;
        SliderRow ids;
        bool usable;
    };
    // The page's rows do not depend on the colour mode.
    static constexpr int32_t kAnyColorMode = 2;

    SliderRange RangeOf(const Row& row) const;
    // The gain and the exposure go to the camera as they change.
    void Send(const Row& row, int32_t value);

    // The page's rows, the same for every page: built once from the control table.
    static const std::vector<Row>& Rows();

    AnalogDialogContext& context_;
    bool ready_ = false;
};

}  // namespace pixora
