#include "session/CameraSession.h"

namespace pixora {

namespace {

constexpr int32_t kColorModeBits[6] = {8, 16, 24, 32, 48, 64};

}  // namespace

CameraSession::CameraSession() = default;

CameraSession::~CameraSession() = default;

bool CameraSession::HasDevice() const {
    return false;
}

bool CameraSession::RequireDevice() {
    if (HasDevice())
        return true;
    RecordError(ErrorCode::NoDevice);
    return false;
}

int32_t CameraSession::Initialize(PIXORA_HWND errorWindow) {
    errors_.SetErrorWindow(errorWindow);
    if (!HasDevice()) {
        RecordError(ErrorCode::BufferError);
        return 0;
    }
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
