// Capture and dialog operations: until the capture machinery and the dialogs are
// connected they report the device as unavailable.
#include "session/CameraSession.h"

namespace pixora {

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

}  // namespace pixora
