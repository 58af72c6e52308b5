// The image filter dialog's host procedure: a tab control with the image filter page and,
// in the monochrome modes, the gray filter page; OK, Cancel and Default.
#pragma once

#include <cstdint>
#include <memory>

#include "dialogs/DialogRefreshChannel.h"
#include "dialogs/GrayFilterPage.h"
#include "dialogs/ImageFilterPage.h"
#include "dialogs/PropertyDialogs.h"
#include "dialogs/host/DialogWindow.h"

namespace pixora {

class ImageFilterDialog final : public DialogProcedure {
public:
    explicit ImageFilterDialog(ImageDialogContext& context);

    void OnInitDialog(DialogWindow& dialog) override;
    void OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) override;
    void OnNotify(DialogWindow& dialog, int32_t id, int32_t code) override;

    // The pages' controls from the settings.
    void Refresh();

private:
    bool HasGrayTab() const { return grayTab_; }
    void SetDefaults();

    ImageDialogContext& context_;
    bool grayTab_;
    ImageFilterPage imagePage_;
    GrayFilterPage grayPage_;
    DialogWindow* imageWindow_ = nullptr;
    DialogWindow* grayWindow_ = nullptr;
    std::shared_ptr<DialogRefreshChannel> channel_;
};

}  // namespace pixora
