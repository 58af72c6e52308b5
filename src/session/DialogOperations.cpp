// The property dialogs, while no dialog host is connected: each reports that no dialog
// window could be made (error 4) and changes nothing.
#include "session/CameraSession.h"

namespace pixora {

int32_t CameraSession::CameraDialog(PIXORA_HWND) {
    if (!RequireDevice())
        return 0;
    RecordError(ErrorCode::WindowFailed);
    return 0;
}

int32_t CameraSession::ImageDialog(PIXORA_HWND) {
    if (!RequireDevice())
        return 0;
    RecordError(ErrorCode::WindowFailed);
    return 0;
}

int32_t CameraSession::AnalogDialog(PIXORA_HWND) {
    if (!RequireDevice())
        return 0;
    RecordError(ErrorCode::WindowFailed);
    return 0;
}

}  // namespace pixora
