#include "session/CameraSession.h"

#include <new>
#include <span>

#include "device/PixoraDevice.h"
#include "device/SensorInitTable.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"
#include "session/CaptureMachine.h"
#include "session/DriverChoice.h"
#include "session/SessionAdapters.h"
#include "settings/ControlRows.h"
#include "settings/SettingsPersistence.h"

namespace pixora {

namespace {

// The colour mode control's values, in index order: 8, 16, 24, 32, 48, 64 bits per pixel.
constexpr std::span<const ControlValue> kColorModes = CameraControl("color-mode").values;

}  // namespace

CameraSession::CameraSession() : CameraSession(SystemDriverPort()) {}

CameraSession::CameraSession(DriverPort& port)
    : port_(port), dialogRefresh_(std::make_unique<SessionDialogRefresh>()) {}

CameraSession::~CameraSession() {
    Teardown();
}

int32_t CameraSession::Release() {
    if (released_.exchange(true))
        return 0;
    Teardown();
    return 1;
}

void CameraSession::Teardown() {
    if (tornDown_)
        return;
    tornDown_ = true;
    if (HasDevice()) {
        SaveAnalogSettings(settings_.analog);
        SaveFilterSettings(settings_.filter);
        SaveGraySettings(settings_.filter);
    }
    if (windowChanged_)
        SaveGeometry(settings_.format);
    if (capture_) {
        // Everything of the capture ends before the device goes; the machinery itself stays
        // for WaitFrame callers that still hold the session.
        capture_->Shutdown();
    } else {
        RecordError(ErrorCode::NoDevice);  // as stopping always does without a device
    }
    cameraControl_.reset();
    device_.reset();
}

std::string CameraSession::FailureDetail() const {
    const DriverFailure driver = device_ ? device_->LastDriverFailure() : DriverFailure{};
    return errors_.NewerDetail(driver.when, driver.text);
}

CaptureMachine* CameraSession::RequireCapture() {
    return RequireDevice() ? capture_.get() : nullptr;
}

bool CameraSession::RequireDevice() {
    if (HasDevice())
        return true;
    RecordError(ErrorCode::NoDevice);
    return false;
}

bool CameraSession::AllocateDeviceAndImages(SessionImages& images) {
    try {
        device_ = std::make_unique<PixoraDevice>(port_);
    } catch (const std::bad_alloc&) {
        device_.reset();
    }
    bool complete = device_ != nullptr;
    for (auto& image : images) {
        image.reset(new (std::nothrow) ImageBuffer);
        complete = complete && image != nullptr;
    }
    return complete;
}

int32_t CameraSession::Initialize(PIXORA_HWND errorWindow) {
    IdentifyProcessor(&processor_);
    SessionImages images;
    const bool allocated = AllocateDeviceAndImages(images);
    errors_.SetErrorWindow(errorWindow);
    if (!allocated) {
        // A session without its device or images reports NoDevice on every later call.
        device_.reset();
        RecordError(ErrorCode::BufferError);
        initialized_.store(true);
        return 0;
    }
    cameraControl_ = std::make_unique<SessionCameraControl>(*device_);
    capture_ = std::make_unique<CaptureMachine>(
        CaptureParts{*device_, settings_, processor_, errors_, *cameraControl_, *dialogRefresh_},
        std::move(images));
    device_->Open(0);
    SensorInitTable(*device_);
    LoadGeometry();
    FormatSettings& format = settings_.format;
    if (!settings_.GeometryValid()) {
        RecordError(ErrorCode::BadGeometry);
        format.totalWidth = kSensorWidth;
        format.totalHeight = kSensorHeight;
        format.captureWidth = kSensorWidth;
        format.captureHeight = kSensorHeight;
        format.startColumn = 0;
        format.startRow = 0;
    }
    device_->SetWindow(format.startColumn, format.startRow, format.captureWidth,
                       format.captureHeight, settings_.subSampleIndex.load());
    capture_->SetPreviewWindow(nullptr, Rect{0, 0, format.captureWidth, format.captureHeight});
    LoadFilterSettings(settings_.filter);
    LoadGraySettings(settings_.filter);
    LoadAnalogSettings(settings_.analog, 0);
    device_->SetGain(settings_.analog.Get(AnalogField::GlobalGain));
    device_->SetExposure(settings_.analog.Get(AnalogField::Exposure));
    LoadFormat();
    initialized_.store(true);
    return 1;
}

int32_t CameraSession::SetColorMode(int32_t bitsPerPixel) {
    for (std::size_t index = 0; index < kColorModes.size(); ++index) {
        if (kColorModes[index].value == bitsPerPixel) {
            settings_.colorModeIndex.store(static_cast<int32_t>(index));
            return 1;
        }
    }
    RecordError(ErrorCode::BadArgument);
    return 0;
}

int32_t CameraSession::GetColorMode() const {
    const int32_t index = settings_.colorModeIndex.load();
    return (index >= 0 && static_cast<std::size_t>(index) < kColorModes.size())
               ? kColorModes[static_cast<std::size_t>(index)].value
               : -1;
}

int32_t CameraSession::SetWaitTime(int32_t milliseconds) {
    if (milliseconds < 0)
        return 0;
    settings_.waitTimeMs.store(milliseconds);
    return 1;
}

int32_t CameraSession::LoadGeometry() {
    windowChanged_ = false;  // the stored window is the session's again
    return pixora::LoadGeometry(settings_.format);
}

int32_t CameraSession::LoadFormat() {
    FormatValues values{settings_.colorModeIndex.load(), settings_.subSampleIndex.load(),
                        settings_.waitTimeMs.load(), settings_.clock.load()};
    const int32_t result = pixora::LoadFormat(values);
    settings_.colorModeIndex.store(values.colorModeIndex);
    settings_.subSampleIndex.store(values.subSampleIndex);
    settings_.waitTimeMs.store(values.waitTimeMs);
    settings_.clock.store(values.clock);
    return result;
}

}  // namespace pixora
