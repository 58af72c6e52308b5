// What the processing chain needs of the session: the camera's gain and exposure, and the
// open dialogs to refresh.
#pragma once

#include <memory>
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

// Forwards to whichever dialog is open; does nothing while none is. Dialogs publish and
// withdraw themselves on the application thread while the worker calls in; a target is
// kept alive by the call that uses it.
class SessionDialogRefresh final : public DialogRefresh {
public:
    void SetImageDialog(std::shared_ptr<DialogRefresh> dialog);
    void SetAnalogDialog(std::shared_ptr<DialogRefresh> dialog);
    void RefreshImageSettings() override;
    void ShowAnalogValue(AnalogField field, int32_t value) override;

private:
    std::mutex mutex_;
    std::shared_ptr<DialogRefresh> image_;
    std::shared_ptr<DialogRefresh> analog_;
};

}  // namespace pixora
