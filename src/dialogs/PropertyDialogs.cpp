#include "dialogs/PropertyDialogs.h"

#include "dialogs/AnalogGainDialog.h"
#include "dialogs/CameraPropertyDialog.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/ImageFilterDialog.h"
#include "dialogs/host/DialogHost.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/DialogLanguage.h"

namespace pixora {

bool PropertyDialogsAvailable() {
    return CurrentDialogHost() != nullptr;
}

int32_t RunCameraPropertyDialog(PIXORA_HWND parent) {
    DialogHost* host = CurrentDialogHost();
    if (host == nullptr)
        return kDialogNoHost;
    const DialogLanguage language = SystemDialogLanguage();
    CameraPropertyDialog dialog;
    const int32_t code = host->RunModal(CameraPropertyTemplate(language), dialog, parent);
    return code == kDialogHostFailed ? kDialogNoHost : code;
}

int32_t RunImageFilterDialog(ImageDialogContext& context, PIXORA_HWND parent) {
    DialogHost* host = CurrentDialogHost();
    if (host == nullptr)
        return kDialogNoHost;
    const FilterSettings::Values saved = context.Filter().Copy();
    const DialogLanguage language = SystemDialogLanguage();
    int32_t code = kDialogCancel;
    {
        ImageFilterDialog dialog(context);
        code = host->RunModal(ImageFilterHostTemplate(language), dialog, parent);
        if (code == kDialogHostFailed)
            return kDialogNoHost;  // nothing was shown, nothing published or changed
        if (code != kDialogOk)
            context.Filter().Restore(saved);
        context.PublishImageDialog(nullptr);
    }
    return code;
}

int32_t RunAnalogGainDialog(AnalogDialogContext& context, PIXORA_HWND parent) {
    DialogHost* host = CurrentDialogHost();
    if (host == nullptr)
        return kDialogNoHost;
    const AnalogSettings::Values saved = context.Analog().Copy();
    const int32_t savedBayerMode = context.Filter().Get(FilterField::BayerMode);
    const DialogLanguage language = SystemDialogLanguage();
    int32_t code = kDialogCancel;
    {
        AnalogGainDialog dialog(context);
        code = host->RunModal(AnalogGainHostTemplate(language), dialog, parent);
        if (code == kDialogHostFailed)
            return kDialogNoHost;  // nothing was shown, nothing published or changed
        if (code != kDialogOk) {
            context.SetGain(saved[static_cast<std::size_t>(AnalogField::GlobalGain)]);
            context.SetExposure(saved[static_cast<std::size_t>(AnalogField::Exposure)]);
            context.Analog().Restore(saved);
            context.Filter().Set(FilterField::BayerMode, savedBayerMode);
        }
        context.PublishAnalogDialog(nullptr);
    }
    return code;
}

}  // namespace pixora
