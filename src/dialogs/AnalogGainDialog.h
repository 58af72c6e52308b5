// The analog gain dialog's host procedure: one tab with the analog gain page; OK, Cancel
// and Default.
#pragma once

#include <cstdint>
#include <memory>

#include "dialogs/AnalogGainPage.h"
#include "dialogs/DialogRefreshChannel.h"
#include "dialogs/PropertyDialogs.h"
#include "dialogs/host/DialogWindow.h"

namespace pixora {

class AnalogGainDialog final : public DialogProcedure {
public:
    explicit AnalogGainDialog(AnalogDialogContext& context);

    void OnInitDialog(DialogWindow& dialog) override;
    void OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) override;

private:
    AnalogDialogContext& context_;
    AnalogGainPage page_;
    DialogWindow* pageWindow_ = nullptr;
    std::shared_ptr<DialogRefreshChannel> channel_;
};

}  // namespace pixora
