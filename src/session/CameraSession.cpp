#include "session/CameraSession.h"

#include <new>

#include "device/PixoraDevice.h"
#include "device/SensorInitTable.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"
#include "platform/DriverPort.h"
#include "preview/PreviewWindow.h"
#include "session/SessionAdapters.h"
#include "settings/SettingsPersistence.h"

namespace pixora {

namespace {

constexpr int32_t kColorModeBits[6] = {8, 16, 24, 32, 48, 64};

}  // namespace

CameraSession::CameraSession() : CameraSession(SystemDriverPort()) {}

CameraSession::CameraSession(DriverPort& port)
    : port_(port),
      dialogRefresh_(std::make_unique<SessionDialogRefresh>()),
      rateMeter_(TimeGetTime()),
      rateClock_(&TimeGetTime) {}

CameraSession::~CameraSession() {
    Teardown();
}

int32_t CameraSession::Release() {
    if (released_.exchange(true))
        return 0;
    Teardown();
    NotifyCaptureStopped();
    return 1;
}

void CameraSession::Teardown() {
    if (tornDown_)
        return;
    tornDown_ = true;
    if (HasDevice()) {
        SaveAnalogSettings(analog_);
        SaveFilterSettings(filter_);
        SaveGraySettings(filter_);
    }
    // Without a device this records NoDevice, as stopping always does.
    Close();
    preview_.reset();
    cameraControl_.reset();
    device_.reset();
    std::lock_guard frames(frameMutex_);
    for (auto& image : images_)
        image.reset();
}

bool CameraSession::RequireDevice() {
    if (HasDevice())
        return true;
    RecordError(ErrorCode::NoDevice);
    return false;
}

bool CameraSession::AllocateDeviceAndImages() {
    try {
        device_ = std::make_unique<PixoraDevice>(port_);
    } catch (const std::bad_alloc&) {
        device_.reset();
    }
    bool complete = device_ != nullptr;
    for (auto& image : images_) {
        image.reset(new (std::nothrow) ImageBuffer);
        complete = complete && image != nullptr;
    }
    return complete;
}

int32_t CameraSession::Initialize(PIXORA_HWND errorWindow) {
    IdentifyProcessor(&processor_);
    const bool allocated = AllocateDeviceAndImages();
    if (allocated)
        cameraControl_ = std::make_unique<SessionCameraControl>(*device_);
    errors_.SetErrorWindow(errorWindow);
    if (!allocated) {
        // A session without its device or images reports NoDevice on every later call.
        device_.reset();
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    device_->Open(0);
    SensorInitTable(*device_);
    LoadGeometry();
    if (!GeometryValid()) {
        RecordError(ErrorCode::BadGeometry);
        format_.totalWidth = kSensorWidth;
        format_.totalHeight = kSensorHeight;
        format_.captureWidth = kSensorWidth;
        format_.captureHeight = kSensorHeight;
        format_.startColumn = 0;
        format_.startRow = 0;
    }
    device_->SetWindow(format_.startColumn, format_.startRow, format_.captureWidth,
                       format_.captureHeight, subSampleIndex_.load());
    placement_ = PreviewPlacement{0, 0, format_.captureWidth, format_.captureHeight};
    LoadFilterSettings(filter_);
    LoadGraySettings(filter_);
    LoadAnalogSettings(analog_, 0);
    device_->SetGain(analog_.Get(AnalogField::GlobalGain));
    device_->SetExposure(analog_.Get(AnalogField::Exposure));
    LoadFormat();
    return 1;
}

int32_t CameraSession::SetColorMode(int32_t bitsPerPixel) {
    for (int32_t index = 0; index < 6; ++index) {
        if (kColorModeBits[index] == bitsPerPixel) {
            colorModeIndex_.store(index);
            return 1;
        }
    }
    RecordError(ErrorCode::BadArgument);
    return 0;
}

int32_t CameraSession::GetColorMode() const {
    const int32_t index = colorModeIndex_.load();
    return (index >= 0 && index < 6) ? kColorModeBits[index] : -1;
}

int32_t CameraSession::SetWaitTime(int32_t milliseconds) {
    if (milliseconds < 0)
        return 0;
    waitTimeMs_.store(milliseconds);
    return 1;
}

int32_t CameraSession::LoadGeometry() {
    return pixora::LoadGeometry(format_);
}

int32_t CameraSession::LoadFormat() {
    FormatValues values{colorModeIndex_.load(), subSampleIndex_.load(), waitTimeMs_.load(),
                        clock_.load()};
    const int32_t result = pixora::LoadFormat(values);
    colorModeIndex_.store(values.colorModeIndex);
    subSampleIndex_.store(values.subSampleIndex);
    waitTimeMs_.store(values.waitTimeMs);
    clock_.store(values.clock);
    return result;
}

}  // namespace pixora
