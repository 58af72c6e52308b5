#include "dialogs/ImageFilterDialog.h"

#include "dialogs/DialogTemplates.h"
#include "settings/SettingsDefaults.h"

namespace pixora {

namespace {

constexpr int32_t kPageX = 30;
constexpr int32_t kPageY = 25;

}  // namespace

ImageFilterDialog::ImageFilterDialog(ImageDialogContext& context)
    : context_(context),
      grayTab_(GrayFilterPage::ShownIn(context.ColorModeIndex())),
      imagePage_(context.Filter(), context.ColorModeIndex()),
      grayPage_(context.Filter(), [this] {
          if (imageWindow_ != nullptr)
              imagePage_.ShowBayerMode(*imageWindow_);
      }) {}

void ImageFilterDialog::OnInitDialog(DialogWindow& dialog) {
    const DialogLanguage language = dialog.Language();
    dialog.TabInsertItem(kIdTabControl, 0, "Image Filter");
    imageWindow_ =
        dialog.CreateChildPage(kIdTabControl, ImageFilterPageTemplate(language), imagePage_);
    if (imageWindow_ != nullptr) {
        imageWindow_->MoveWindow(kPageX, kPageY);
        imageWindow_->ShowWindow(true);
    }
    if (HasGrayTab()) {
        dialog.TabInsertItem(kIdTabControl, 1, "Gray Filter");
        grayWindow_ =
            dialog.CreateChildPage(kIdTabControl, GrayFilterPageTemplate(language), grayPage_);
        if (grayWindow_ != nullptr) {
            grayWindow_->MoveWindow(kPageX, kPageY);
            grayWindow_->ShowWindow(false);
        }
    }
    channel_ = std::make_shared<DialogRefreshChannel>(
        dialog.Mailbox(), [this] { Refresh(); }, nullptr);
    context_.PublishImageDialog(channel_);
}

void ImageFilterDialog::OnNotify(DialogWindow& dialog, int32_t id, int32_t code) {
    if (id != kIdTabControl || code != kTabSelChange)
        return;
    const int32_t selection = dialog.TabGetCurSel(kIdTabControl);
    if (selection != 0 && selection != 1)
        return;
    if (imageWindow_ != nullptr)
        imageWindow_->ShowWindow(selection == 0);
    if (grayWindow_ != nullptr)
        grayWindow_->ShowWindow(selection == 1);
}

void ImageFilterDialog::OnCommand(DialogWindow& dialog, int32_t id, int32_t notifyCode) {
    if (notifyCode != kButtonClicked)
        return;
    switch (id) {
        case kIdOk:
            if (imageWindow_ != nullptr)
                imagePage_.Read(*imageWindow_);
            if (grayWindow_ != nullptr)
                grayPage_.Read(*grayWindow_);
            dialog.EndDialog(kIdOk);
            break;
        case kIdCancel:
            dialog.EndDialog(kIdCancel);
            break;
        case kIdDefault:
            SetDefaults();
            break;
        default:
            break;
    }
}

void ImageFilterDialog::SetDefaults() {
    SetImageFilterDefaults(context_.Filter());
    if (imageWindow_ != nullptr)
        imagePage_.Refresh(*imageWindow_);
    if (!HasGrayTab())
        return;
    SetGrayFilterDefaults(context_.Filter());
    if (grayWindow_ != nullptr)
        grayPage_.Refresh(*grayWindow_);
}

void ImageFilterDialog::Refresh() {
    if (imageWindow_ != nullptr)
        imagePage_.Refresh(*imageWindow_);
    if (grayWindow_ != nullptr)
        grayPage_.Refresh(*grayWindow_);
}

}  // namespace pixora
