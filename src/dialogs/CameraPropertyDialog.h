// The camera property dialog's procedure: stream format and wait time of the capture format,
// shown with the stored sizes, sub-sampling and clock; written to the registry on OK and
// Apply.
#pragma once

#include <cstdint>

#include "dialogs/host/DialogWindow.h"
#include "settings/CameraFormatTable.h"

namespace pixora {

class CameraPropertyDialog final : public DialogProcedure {
public:
    void OnInitDialog(DialogWindow& dialog) override;
    void OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) override;

    const CameraFormatTable& Table() const { return table_; }

private:
    // Takes the lists' selections and the edits into the table.
    void ReadControls(DialogWindow& dialog);
    void ShowGeometry(DialogWindow& dialog, const FormatSettings& entry);
    void FillList(DialogWindow& dialog, int32_t id, const char* const* items, int32_t count,
                  int32_t selection);

    CameraFormatTable table_;
    int32_t loadedSizeIndex_ = 0;
};

}  // namespace pixora
