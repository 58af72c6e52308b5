// Operations that need the camera. Until the device layer is connected every session
// is one whose device could not be allocated: each records NoDevice and fails.
#include "session/CameraSession.h"

namespace pixora {

int32_t CameraSession::SetDeviceNumber(int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::EnumDevices(char*) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::GetDeviceName(int32_t, char*, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::GetCameraInfo(PixoraCameraInfo*) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::SetFilterValue(int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::GetFilterValue(int32_t, int32_t* ok) {
    if (ok != nullptr)
        *ok = 0;
    RequireDevice();
    return 0;
}

int32_t CameraSession::SetMirrorV(int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::GetMirrorV() {
    RequireDevice();
    return 0;
}

int32_t CameraSession::WriteRegister(int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::ReadRegister(int32_t, int32_t* ok) {
    if (ok != nullptr)
        *ok = 0;
    RequireDevice();
    return 0;
}

int32_t CameraSession::Preview() {
    RequireDevice();
    return 0;
}

int32_t CameraSession::CallBackPreview(PIXORA_HWND, void*, int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::StartPreview() {
    RequireDevice();
    return 0;
}

int32_t CameraSession::StopPreview() {
    RequireDevice();
    return 0;
}

int32_t CameraSession::Close() {
    RequireDevice();
    return 0;
}

int32_t CameraSession::SnapShot(void*, int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::Capture() {
    RequireDevice();
    return 0;
}

int32_t CameraSession::Trigger(PIXORA_HWND, void*, int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::GetImage(void*, int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::SetPreviewWindow(PIXORA_HWND, int32_t, int32_t, int32_t, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::SaveImage(const char*, int32_t) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::CameraDialog(PIXORA_HWND) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::ImageDialog(PIXORA_HWND) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::AnalogDialog(PIXORA_HWND) {
    RequireDevice();
    return 0;
}

int32_t CameraSession::SetAutoIris(int32_t mode) {
    if (mode < 0 || mode > 2) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    analog_.Set(AnalogField::AutoIris, mode);
    return 1;
}

int32_t CameraSession::GetAutoIris(int32_t* ok) const {
    if (ok != nullptr)
        *ok = 1;
    return analog_.Get(AnalogField::AutoIris);
}

}  // namespace pixora
