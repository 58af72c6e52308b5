#include "session/SessionAdapters.h"

#include "device/PixoraDevice.h"

namespace pixora {

int32_t SessionCameraControl::GainMin() const {
    return device_.GainMin();
}
int32_t SessionCameraControl::GainMax() const {
    return device_.GainMax();
}
bool SessionCameraControl::SetGain(int32_t gain) {
    return device_.SetGain(gain);
}
int32_t SessionCameraControl::ExposureMin() const {
    return device_.ExposureMin();
}
int32_t SessionCameraControl::ExposureMax() const {
    return device_.ExposureMax();
}
bool SessionCameraControl::SetExposure(int32_t exposure) {
    return device_.SetExposure(exposure);
}

void SessionDialogRefresh::SetImageDialog(DialogRefresh* dialog) {
    std::lock_guard lock(mutex_);
    image_ = dialog;
}

void SessionDialogRefresh::SetAnalogDialog(DialogRefresh* dialog) {
    std::lock_guard lock(mutex_);
    analog_ = dialog;
}

void SessionDialogRefresh::RefreshImageSettings() {
    std::lock_guard lock(mutex_);
    if (image_ != nullptr)
        image_->RefreshImageSettings();
}

void SessionDialogRefresh::ShowAnalogValue(int32_t controlId, int32_t value) {
    std::lock_guard lock(mutex_);
    if (analog_ != nullptr)
        analog_->ShowAnalogValue(controlId, value);
}

}  // namespace pixora
