// The session's side of the three property dialogs: pausing the capture around the camera
// dialog, and the contexts through which the picture and analog dialogs edit the session.
// A modal dialog runs without the session's call lock, so that the application's other
// threads keep calling in (a streaming application's frame handler, its getters) while the
// user edits; whatever the dialog changes goes through the lock like any call.
#include "device/PixoraDevice.h"
#include "dialogs/PropertyDialogs.h"
#include "session/CameraSession.h"
#include "session/CaptureMachine.h"
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
    AnalogContext(CameraSession& session, SessionDialogRefresh& refresh)
        : session_(session), refresh_(refresh) {}
    AnalogSettings& Analog() override { return session_.Analog(); }
    FilterSettings& Filter() override { return session_.Filter(); }
    int32_t GainMin() const override { return PixoraDevice::kGainMin; }
    int32_t GainMax() const override { return PixoraDevice::kGainMax; }
    int32_t ExposureMin() const override { return PixoraDevice::kExposureMin; }
    int32_t ExposureMax() const override { return PixoraDevice::kExposureMax; }
    // The device may be gone by the time the user moves a slider (released meanwhile).
    void SetGain(int32_t gain) override { session_.DialogSetGain(gain); }
    void SetExposure(int32_t exposure) override { session_.DialogSetExposure(exposure); }
    void PublishAnalogDialog(std::shared_ptr<DialogRefresh> dialog) override {
        refresh_.SetAnalogDialog(std::move(dialog));
    }

private:
    CameraSession& session_;
    SessionDialogRefresh& refresh_;
};

}  // namespace

int32_t CameraSession::CameraDialog(PIXORA_HWND parent, CallLock& call) {
    if (!RequireDevice())
        return 0;
    if (!PropertyDialogsAvailable()) {
        // Nothing can be shown: leave the capture running and report it.
        RecordError(ErrorCode::WindowFailed);
        return 0;
    }
    const CaptureState paused = capture_->Pause();
    call.unlock();
    const int32_t code = RunCameraPropertyDialog(parent);
    call.lock();
    if (Released())
        return 0;
    if (code == kDialogOk) {
        LoadGeometry();
        LoadFormat();
    }
    // Resume what the dialog paused, unless another thread's call changed the capture while
    // the dialog was open.
    capture_->Resume(paused);
    return 1;
}

// Runs one of the two settings dialogs without the call lock: 1, or 0 when nothing could
// be shown (error 4) or the session was released meanwhile.
template <typename Context, typename Run>
int32_t CameraSession::RunSettingsDialog(Run run, PIXORA_HWND parent, CallLock& call) {
    if (!RequireDevice())
        return 0;
    Context context(*this, *dialogRefresh_);
    call.unlock();
    const int32_t code = run(context, parent);
    call.lock();
    if (Released())
        return 0;
    if (code == kDialogNoHost) {
        RecordError(ErrorCode::WindowFailed);
        return 0;
    }
    return 1;
}

int32_t CameraSession::ImageDialog(PIXORA_HWND parent, CallLock& call) {
    return RunSettingsDialog<ImageContext>(RunImageFilterDialog, parent, call);
}

int32_t CameraSession::AnalogDialog(PIXORA_HWND parent, CallLock& call) {
    return RunSettingsDialog<AnalogContext>(RunAnalogGainDialog, parent, call);
}

void CameraSession::DialogSetGain(int32_t gain) {
    std::lock_guard lock(callMutex_);
    if (!Released() && HasDevice())
        device_->SetGain(gain);
}

void CameraSession::DialogSetExposure(int32_t exposure) {
    std::lock_guard lock(callMutex_);
    if (!Released() && HasDevice())
        device_->SetExposure(exposure);
}

}  // namespace pixora
