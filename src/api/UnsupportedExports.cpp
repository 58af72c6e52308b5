// Exports this camera does not support, and the getters that always answer 0.
#include "PixoraSdk_530TZ.h"
#include "api/SessionCall.h"

using pixora::CameraSession;
using pixora::WithSession;

namespace {

int32_t NotSupported(PIXORA_HANDLE camera) {
    WithSession(camera, 0, [](CameraSession& s) {
        s.RecordError(pixora::ErrorCode::NotSupported);
        return 0;
    });
    return 0;
}

int32_t ZeroWithFlag(PIXORA_HANDLE camera, int32_t* ok) {
    WithSession(camera, 0, [&](CameraSession&) {
        if (ok != nullptr)
            *ok = 0;
        return 0;
    });
    return 0;
}

}  // namespace

extern "C" {

PIXORA_API int32_t PIXORA_CALL Pixora_GetVideoFormat(PIXORA_HANDLE camera, int32_t* ok) {
    return ZeroWithFlag(camera, ok);
}
PIXORA_API int32_t PIXORA_CALL Pixora_GetHalfClock(PIXORA_HANDLE camera, int32_t* ok) {
    return ZeroWithFlag(camera, ok);
}
PIXORA_API int32_t PIXORA_CALL Pixora_GetSamplingRate(PIXORA_HANDLE camera, int32_t* ok) {
    return ZeroWithFlag(camera, ok);
}

PIXORA_API int32_t PIXORA_CALL Pixora_Fpga_ReadRegister(PIXORA_HANDLE camera, int32_t, int32_t*) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_Fpga_WriteRegister(PIXORA_HANDLE camera, int32_t, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_Fps(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_GetCameraType(PIXORA_HANDLE camera, int32_t*) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_GetCaptureWindowEx(PIXORA_HANDLE camera, int32_t*, int32_t*,
                                                         int32_t*, int32_t*) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_GetIOPort(PIXORA_HANDLE camera, int32_t*) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_Record(PIXORA_HANDLE camera, const char*) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetCameraType(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetCaptureWindow(PIXORA_HANDLE camera, int32_t, int32_t,
                                                       int32_t, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetCaptureWindowEx(PIXORA_HANDLE camera, int32_t, int32_t,
                                                         int32_t, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetCrossbar(PIXORA_HANDLE camera, int32_t, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetHalfClock(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetIOPort(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetMirrorH(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetSamplingRate(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_SetSubSample(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}
PIXORA_API int32_t PIXORA_CALL Pixora_WriteSromID(PIXORA_HANDLE camera, int32_t) {
    return NotSupported(camera);
}

}  // extern "C"
