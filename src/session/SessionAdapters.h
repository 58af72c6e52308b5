// What the processing chain needs of the session: the camera's gain and exposure, and the
// open dialogs to refresh.
#pragma once

#include <mutex>

#include "imaging/DialogRefresh.h"
#include "imaging/ExposureControl.h"

namespace pixora {

class PixoraDevice;

class SessionCameraControl final : public ExposureControl {
public:
    explicit SessionCameraControl(PixoraDevice& device) : device_(device) {}
    bool IsOpen() const override { return true; }
    int32_t GainMin() const override;
    int32_t GainMax() const override;
    bool SetGain(int32_t gain) override;
    int32_t ExposureMin() const override;
    int32_t ExposureMax() const override;
    bool SetExposure(int32_t exposure) override;

private:
    PixoraDevice& device_;
};

// Forwards to whichever dialog is open; does nothing while none is. Dialogs register and
// unregister from the application thread while the worker calls in.
class SessionDialogRefresh final : public DialogRefresh {
public:
    void SetImageDialog(DialogRefresh* dialog);
    void SetAnalogDialog(DialogRefresh* dialog);
    void RefreshImageSettings() override;
    void ShowAnalogValue(int32_t controlId, int32_t value) override;

private:
    std::mutex mutex_;
    DialogRefresh* image_ = nullptr;
    DialogRefresh* analog_ = nullptr;
};

}  // namespace pixora
