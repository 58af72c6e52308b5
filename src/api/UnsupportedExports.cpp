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

// A getter that answers 0, and 0 in *ok, for an open camera.
#define PIXORA_ZERO_GETTER(Name)                                             \
    PIXORA_API int32_t PIXORA_CALL Name(PIXORA_HANDLE camera, int32_t* ok) { \
        return ZeroWithFlag(camera, ok);                                     \
    }
PIXORA_ZERO_GETTER(Pixora_GetVideoFormat)
PIXORA_ZERO_GETTER(Pixora_GetHalfClock)
PIXORA_ZERO_GETTER(Pixora_GetSamplingRate)
#undef PIXORA_ZERO_GETTER

// An export that records NotSupported for an open camera and returns 0; the parameters
// after the camera are its declared ones, unused.
#define PIXORA_NOT_SUPPORTED(Name, ...)                                      \
    PIXORA_API int32_t PIXORA_CALL Name(PIXORA_HANDLE camera, __VA_ARGS__) { \
        return NotSupported(camera);                                         \
    }
PIXORA_NOT_SUPPORTED(Pixora_Fpga_ReadRegister, int32_t, int32_t*)
PIXORA_NOT_SUPPORTED(Pixora_Fpga_WriteRegister, int32_t, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_Fps, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_GetCameraType, int32_t*)
PIXORA_NOT_SUPPORTED(Pixora_GetCaptureWindowEx, int32_t*, int32_t*, int32_t*, int32_t*)
PIXORA_NOT_SUPPORTED(Pixora_GetIOPort, int32_t*)
PIXORA_NOT_SUPPORTED(Pixora_Record, const char*)
PIXORA_NOT_SUPPORTED(Pixora_SetCameraType, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetCaptureWindow, int32_t, int32_t, int32_t, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetCaptureWindowEx, int32_t, int32_t, int32_t, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetCrossbar, int32_t, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetHalfClock, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetIOPort, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetMirrorH, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetSamplingRate, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_SetSubSample, int32_t)
PIXORA_NOT_SUPPORTED(Pixora_WriteSromID, int32_t)
#undef PIXORA_NOT_SUPPORTED

}  // extern "C"
