#include "dialogs/PropertyDialogs.h"

#include "dialogs/AnalogGainDialog.h"
#include "dialogs/CameraPropertyDialog.h"
#include "dialogs/DialogTemplates.h"
#include "dialogs/ImageFilterDialog.h"
#include "dialogs/host/DialogHost.h"
#include "dialogs/host/DialogHosts.h"
#include "dialogs/host/DialogLanguage.h"

namespace pixora {

namespace {

// Shows `dialog` in its template of the system's language; kDialogNoHost when the host
// could not show it.
int32_t RunInSystemLanguage(DialogHost& host, const DialogTemplate& (*templateFor)(DialogLanguage),
                            DialogProcedure& dialog, PIXORA_HWND parent) {
    const int32_t code = host.RunModal(templateFor(SystemDialogLanguage()), dialog, parent);
    return code == kDialogHostFailed ? kDialogNoHost : code;
}

}  // namespace

bool PropertyDialogsAvailable() {
    return CurrentDialogHost() != nullptr;
}

int32_t RunCameraPropertyDialog(PIXORA_HWND parent) {
    DialogHost* host = CurrentDialogHost();
    if (host == nullptr)
        return kDialogNoHost;
    CameraPropertyDialog dialog;
    return RunInSystemLanguage(*host, CameraPropertyTemplate, dialog, parent);
}

int32_t RunImageFilterDialog(ImageDialogContext& context, PIXORA_HWND parent) {
    DialogHost* host = CurrentDialogHost();
    if (host == nullptr)
        return kDialogNoHost;
    const FilterSettings::Values saved = context.Filter().Copy();
    ImageFilterDialog dialog(context);
    const int32_t code = RunInSystemLanguage(*host, ImageFilterHostTemplate, dialog, parent);
    if (code == kDialogNoHost)
        return code;  // nothing was shown, nothing published or changed
    if (code != kDialogOk)
        context.Filter().Restore(saved);
    context.PublishImageDialog(nullptr);
    return code;
}

int32_t RunAnalogGainDialog(AnalogDialogContext& context, PIXORA_HWND parent) {
    DialogHost* host = CurrentDialogHost();
    if (host == nullptr)
        return kDialogNoHost;
    const AnalogSettings::Values saved = context.Analog().Copy();
    const int32_t savedBayerMode = context.Filter().Get(FilterField::BayerMode);
    AnalogGainDialog dialog(context);
    const int32_t code = RunInSystemLanguage(*host, AnalogGainHostTemplate, dialog, parent);
    if (code == kDialogNoHost)
        return code;  // nothing was shown, nothing published or changed
    if (code != kDialogOk) {
        context.SetGain(saved[static_cast<std::size_t>(AnalogField::GlobalGain)]);
        context.SetExposure(saved[static_cast<std::size_t>(AnalogField::Exposure)]);
        context.Analog().Restore(saved);
        context.Filter().Set(FilterField::BayerMode, savedBayerMode);
    }
    context.PublishAnalogDialog(nullptr);
    return code;
}

}  // namespace pixora
