// Choosing among the attached cameras, their names and the camera information record.
#include <cstdio>
#include <cstring>

#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "device/SensorInitTable.h"
#include "session/CameraSession.h"
#include "session/CaptureMachine.h"

namespace pixora {

namespace {

constexpr const char* kDisplayName = "Pixora530TZ";
constexpr int32_t kNameLength = 14;  // "Pixora530TZ_01"

void WriteName(char* out, int32_t number) {
    // Numbers are 1..8, so the name is always 14 characters.
    std::snprintf(out, kNameLength + 1, "%s_%02u", kDisplayName,
                  static_cast<unsigned>(number) % 100u);
}

}  // namespace

int32_t CameraSession::SetDeviceNumber(int32_t index) {
    if (!RequireDevice())
        return 0;
    if (!device_->IsPresent(index)) {
        RecordError(ErrorCode::DeviceNotFound);
        return 0;
    }
    // Opening resets the camera's window and buffers, which a running transfer uses: a
    // capture in progress is stopped, the camera selected, and the capture started again on
    // the new camera with the same window and target.
    const CaptureState state = capture_->Suspend();
    const int32_t opened = device_->Open(index);
    if (opened == kDevBusy) {
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    if (opened == kDevOk)
        SensorInitTable(*device_);
    capture_->Restart(state);
    return 1;
}

int32_t CameraSession::EnumDevices(char* names) {
    if (!RequireDevice())
        return 0;
    if (names == nullptr) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    int32_t found = 0;
    for (int32_t index = 0; index < device_->DeviceCount(); ++index) {
        if (!device_->IsPresent(index))
            continue;
        ++found;
        WriteName(names + (found - 1) * PIXORA_DEVICE_NAME_ENTRY, found);
    }
    for (int32_t entry = found; entry < PIXORA_DEVICE_NAME_COUNT; ++entry) {
        names[entry * PIXORA_DEVICE_NAME_ENTRY] = '\0';
    }
    if (found == 0) {
        // No camera is an answer, not a failure; why there is none is worth telling.
        errors_.SetDetail(device_->AbsenceReason());
    }
    return found;
}

int32_t CameraSession::GetDeviceName(int32_t index, char* name, int32_t size) {
    if (!RequireDevice())
        return 0;
    if (size <= kNameLength || name == nullptr) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    if (index < 0 || index >= device_->DeviceCount())
        return 0;
    if (!device_->IsPresent(index)) {
        RecordError(ErrorCode::DeviceNotFound);
        return 0;
    }
    WriteName(name, index + 1);
    return 1;
}

int32_t CameraSession::GetCameraInfo(PixoraCameraInfo* info) {
    // The capture machinery exists exactly when the device does and, unlike the device, is
    // kept to the session's end; the ranges are the device's constants.
    if (capture_ == nullptr) {
        RecordError(ErrorCode::NoDevice);
        return 0;
    }
    if (info == nullptr) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    if (info->size < sizeof(PixoraCameraInfo)) {
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    info->sensorWidth = kSensorWidth;
    info->sensorHeight = kSensorHeight;
    info->gainMin = static_cast<uint16_t>(PixoraDevice::kGainMin);
    info->gainMax = static_cast<uint16_t>(PixoraDevice::kGainMax);
    info->reserved1 = 0;
    info->reserved2 = 0;
    info->exposureMin = PixoraDevice::kExposureMin;
    info->exposureMax = PixoraDevice::kExposureMax;
    return 1;
}

}  // namespace pixora
