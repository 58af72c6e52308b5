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

void SessionDialogRefresh::SetImageDialog(std::shared_ptr<DialogRefresh> dialog) {
    std::lock_guard lock(mutex_);
    image_ = std::move(dialog);
}

void SessionDialogRefresh::SetAnalogDialog(std::shared_ptr<DialogRefresh> dialog) {
    std::lock_guard lock(mutex_);
    analog_ = std::move(dialog);
}

void SessionDialogRefresh::RefreshImageSettings() {
    std::shared_ptr<DialogRefresh> target;
    {
        std::lock_guard lock(mutex_);
        target = image_;
    }
    if (target)
        target->RefreshImageSettings();
}

void SessionDialogRefresh::ShowAnalogValue(AnalogField field, int32_t value) {
    std::shared_ptr<DialogRefresh> target;
    {
        std::lock_guard lock(mutex_);
        target = analog_;
    }
    if (target)
        target->ShowAnalogValue(field, value);
}

}  // namespace pixora
