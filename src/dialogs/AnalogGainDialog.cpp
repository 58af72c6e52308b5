#include "dialogs/AnalogGainDialog.h"

#include "dialogs/DialogTemplates.h"
#include "settings/ControlRows.h"
#include "settings/SettingsDefaults.h"

namespace pixora {

AnalogGainDialog::AnalogGainDialog(AnalogDialogContext& context)
    : context_(context), page_(context) {}

void AnalogGainDialog::OnInitDialog(DialogWindow& dialog) {
    dialog.TabInsertItem(kIdTabControl, 0, "Analog Gain");
    pageWindow_ =
        dialog.CreateChildPage(kIdTabControl, AnalogGainPageTemplate(dialog.Language()), page_);
    if (pageWindow_ != nullptr) {
        pageWindow_->MoveWindow(30, 25);
        pageWindow_->ShowWindow(true);
    }
    channel_ = std::make_shared<DialogRefreshChannel>(
        dialog.Mailbox(), nullptr, [this](AnalogField field, int32_t value) {
            if (pageWindow_ != nullptr)
                page_.ShowValue(*pageWindow_, field, value);
        });
    context_.PublishAnalogDialog(channel_);
}

void AnalogGainDialog::OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) {
    if (notifyCode != kButtonClicked)
        return;
    if (id == kIdOk) {
        if (pageWindow_ != nullptr)
            page_.Read(*pageWindow_);
        dialog.EndDialog(kIdOk);
    } else if (id == kIdCancel) {
        dialog.EndDialog(kIdCancel);
    } else if (id == kIdDefault) {
        SetAnalogGainDefaults(context_.Analog());  // mirror and automatic iris stay
        context_.SetGain(CameraControl("global-gain").neutral);
        context_.SetExposure(CameraControl("exposure-time").neutral);
        if (pageWindow_ != nullptr)
            page_.Refresh(*pageWindow_);
    }
}

}  // namespace pixora
