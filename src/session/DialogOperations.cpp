// The session's side of the three property dialogs: pausing the capture around the camera
// dialog, and the contexts through which the picture and analog dialogs edit the session.
#include "device/PixoraDevice.h"
#include "dialogs/PropertyDialogs.h"
#include "session/CameraSession.h"
#include "session/SessionAdapters.h"

namespace pixora {

namespace {

class ImageContext final : public ImageDialogContext {
public:
    ImageContext(CameraSession& session, SessionDialogRefresh& refresh)
        : session_(session), refresh_(refresh) {}
    FilterSettings& Filter() override { return session_.Filter(); }
    int32_t ColorModeIndex() const override { return session_.ColorModeIndex(); }
    void PublishImageDialog(std::shared_ptr<DialogRefresh> dialog) override {
        refresh_.SetImageDialog(std::move(dialog));
    }

private:
    CameraSession& session_;
    SessionDialogRefresh& refresh_;
};

class AnalogContext final : public AnalogDialogContext {
public:
    AnalogContext(CameraSession& session, PixoraDevice& device, SessionDialogRefresh& refresh)
        : session_(session), device_(device), refresh_(refresh) {}
    AnalogSettings& Analog() override { return session_.Analog(); }
    FilterSettings& Filter() override { return session_.Filter(); }
    int32_t GainMin() const override { return device_.GainMin(); }
    int32_t GainMax() const override { return device_.GainMax(); }
    int32_t ExposureMin() const override { return device_.ExposureMin(); }
    int32_t ExposureMax() const override { return device_.ExposureMax(); }
    void SetGain(int32_t gain) override { device_.SetGain(gain); }
    void SetExposure(int32_t exposure) override { device_.SetExposure(exposure); }
    void PublishAnalogDialog(std::shared_ptr<DialogRefresh> dialog) override {
        refresh_.SetAnalogDialog(std::move(dialog));
    }

private:
    CameraSession& session_;
    PixoraDevice& device_;
    SessionDialogRefresh& refresh_;
};

}  // namespace

int32_t CameraSession::CameraDialog(PIXORA_HWND parent) {
    if (!RequireDevice())
        return 0;
    if (!PropertyDialogsAvailable()) {
        // Nothing can be shown: leave the capture running and report it.
        RecordError(ErrorCode::WindowFailed);
        return 0;
    }
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Capture) {
        StopPreview();
    } else if (state == CaptureState::Trigger) {
        runFlag_.store(2);
    }
    if (RunCameraPropertyDialog(parent) == kDialogOk) {
        LoadGeometry();
        LoadFormat();
    }
    if (state == CaptureState::Preview) {
        StartPreview();
    } else if (state == CaptureState::Capture) {
        Capture();
    } else if (state == CaptureState::Trigger) {
        runFlag_.store(1);
    }
    return 1;
}

int32_t CameraSession::ImageDialog(PIXORA_HWND parent) {
    if (!RequireDevice())
        return 0;
    ImageContext context(*this, *dialogRefresh_);
    if (RunImageFilterDialog(context, parent) == kDialogNoHost) {
        RecordError(ErrorCode::WindowFailed);
        return 0;
    }
    return 1;
}

int32_t CameraSession::AnalogDialog(PIXORA_HWND parent) {
    if (!RequireDevice())
        return 0;
    AnalogContext context(*this, *device_, *dialogRefresh_);
    if (RunAnalogGainDialog(context, parent) == kDialogNoHost) {
        RecordError(ErrorCode::WindowFailed);
        return 0;
    }
    return 1;
}

}  // namespace pixora
