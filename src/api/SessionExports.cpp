// Session, capture, device and settings exports: each looks its handle up and forwards.
#include <memory>
#include <new>

#include "PixoraSdk_530TZ.h"
#include "PixoraVersion.h"
#include "api/SessionCall.h"
#include "platform/Clock.h"

using pixora::CameraSession;
using pixora::CaptureMachine;
using pixora::ReadSession;
using pixora::WithCapture;
using pixora::WithSession;
using pixora::WithSessionLock;

extern "C" {

PIXORA_API int32_t PIXORA_CALL Pixora_GetDllVersion(void) {
    return PIXORA_VERSION_MAJOR << 16 | PIXORA_VERSION_MINOR << 8 | PIXORA_VERSION_PATCH;
}

PIXORA_API PIXORA_HANDLE PIXORA_CALL Pixora_Initialize(PIXORA_HWND errorWindow) {
    std::shared_ptr<CameraSession> session(new (std::nothrow) CameraSession);
    if (!session)
        return nullptr;
    // Calls with the new handle from other threads wait until it is initialised.
    std::lock_guard lock(session->CallMutex());
    const uint32_t handle = pixora::HandleList().InsertNew(pixora::TickCount(), session);
    // The handle is returned even when initialisation fails; the session then reports
    // its missing device on later calls.
    session->Initialize(errorWindow);
    return reinterpret_cast<PIXORA_HANDLE>(static_cast<uintptr_t>(handle));
}

PIXORA_API int32_t PIXORA_CALL Pixora_Release(PIXORA_HANDLE camera) {
    std::shared_ptr<CameraSession> session =
        pixora::HandleList().Remove(pixora::HandleValue(camera));
    if (!session)
        return 0;
    {
        // Waits for the call running on this session, then ends the session here and now,
        // even when calls waiting on other threads still hold it: they find it released.
        std::lock_guard lock(session->CallMutex());
        session->Release();
    }
    session.reset();
    return 1;
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetLastError(PIXORA_HANDLE camera) {
    return ReadSession(camera, 0, [](CameraSession& s) { return s.PopError(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_Preview(PIXORA_HANDLE camera) {
    return WithCapture(camera, 0, [](CaptureMachine& c) { return c.Preview(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_CallBackPreview(PIXORA_HANDLE camera,
                                                      PIXORA_HWND notifyWindow, void* buffer,
                                                      int32_t bufferSize, int32_t rowOrder) {
    return WithCapture(camera, 0, [&](CaptureMachine& c) {
        return c.CallBackPreview(notifyWindow, buffer, bufferSize, rowOrder);
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_StartPreview(PIXORA_HANDLE camera) {
    return WithCapture(camera, 0, [](CaptureMachine& c) { return c.StartPreview(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_StopPreview(PIXORA_HANDLE camera) {
    return WithCapture(camera, 0, [](CaptureMachine& c) { return c.StopPreview(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_Close(PIXORA_HANDLE camera) {
    // Without a device this records NoDevice, as stopping does, and still succeeds.
    return WithSession(camera, 0, [](CameraSession& s) {
        if (CaptureMachine* capture = s.RequireCapture())
            capture->Close();
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SnapShot(PIXORA_HANDLE camera, void* buffer,
                                               int32_t bufferSize, int32_t rowOrder) {
    return WithCapture(camera, 0,
                       [&](CaptureMachine& c) { return c.SnapShot(buffer, bufferSize, rowOrder); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_Capture(PIXORA_HANDLE camera) {
    return WithCapture(camera, 0, [](CaptureMachine& c) { return c.Capture(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_Trigger(PIXORA_HANDLE camera, PIXORA_HWND notifyWindow,
                                              void* buffer, int32_t bufferSize, int32_t rowOrder) {
    return WithCapture(camera, 0, [&](CaptureMachine& c) {
        return c.Trigger(notifyWindow, buffer, bufferSize, rowOrder);
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetImage(PIXORA_HANDLE camera, void* buffer,
                                               int32_t bufferSize, int32_t rowOrder) {
    return WithCapture(camera, 0,
                       [&](CaptureMachine& c) { return c.GetImage(buffer, bufferSize, rowOrder); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetPreviewWindow(PIXORA_HANDLE camera, PIXORA_HWND parent,
                                                       int32_t x, int32_t y, int32_t width,
                                                       int32_t height) {
    return WithCapture(camera, 0, [&](CaptureMachine& c) {
        c.SetPreviewWindow(parent, pixora::Rect{x, y, width, height});
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SaveImage(PIXORA_HANDLE camera, const char* fileName,
                                                int32_t format) {
    // The call lock goes once the picture is copied: the encoding does not hold up the
    // handle's other calls.
    return WithSessionLock(camera, 0, [&](CameraSession& s, CameraSession::CallLock& call) {
        CaptureMachine* capture = s.RequireCapture();
        return capture != nullptr ? capture->SaveImage(fileName, format, call) : 0;
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetColorMode(PIXORA_HANDLE camera, int32_t bitsPerPixel) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.SetColorMode(bitsPerPixel); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetColorMode(PIXORA_HANDLE camera) {
    return ReadSession(camera, -1, [](CameraSession& s) { return s.GetColorMode(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetDeviceNumber(PIXORA_HANDLE camera, int32_t index) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.SetDeviceNumber(index); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_EnumDevice(PIXORA_HANDLE camera, char* names) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.EnumDevices(names); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetDeviceName(PIXORA_HANDLE camera, int32_t index, char* name,
                                                    int32_t size) {
    return WithSession(camera, 0,
                       [&](CameraSession& s) { return s.GetDeviceName(index, name, size); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetCameraInfo(PIXORA_HANDLE camera, PixoraCameraInfo* info) {
    return ReadSession(camera, 0, [&](CameraSession& s) { return s.GetCameraInfo(info); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_Width(PIXORA_HANDLE camera) {
    return WithSession(camera, 0, [](CameraSession& s) { return s.Width(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_Height(PIXORA_HANDLE camera) {
    return WithSession(camera, 0, [](CameraSession& s) { return s.Height(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetStatus(PIXORA_HANDLE camera, int32_t) {
    return WithSession(camera, 0, [](CameraSession&) { return 0; });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetSubSample(PIXORA_HANDLE camera) {
    return WithSession(camera, -1, [](CameraSession&) { return 0; });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetWaitTime(PIXORA_HANDLE camera, int32_t milliseconds) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.SetWaitTime(milliseconds); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetWaitTime(PIXORA_HANDLE camera) {
    return ReadSession(camera, -1, [](CameraSession& s) { return s.GetWaitTime(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetCameraDlg(PIXORA_HANDLE camera, PIXORA_HWND parent) {
    return WithSessionLock(camera, 0, [&](CameraSession& s, CameraSession::CallLock& call) {
        return s.CameraDialog(parent, call);
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetImageDlg(PIXORA_HANDLE camera, PIXORA_HWND parent) {
    return WithSessionLock(camera, 0, [&](CameraSession& s, CameraSession::CallLock& call) {
        return s.ImageDialog(parent, call);
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetAnalogDlg(PIXORA_HANDLE camera, PIXORA_HWND parent) {
    return WithSessionLock(camera, 0, [&](CameraSession& s, CameraSession::CallLock& call) {
        return s.AnalogDialog(parent, call);
    });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetFilterValue(PIXORA_HANDLE camera, int32_t index,
                                                     int32_t value) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.SetFilterValue(index, value); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetFilterValue(PIXORA_HANDLE camera, int32_t index,
                                                     int32_t* ok) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.GetFilterValue(index, ok); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetMirrorV(PIXORA_HANDLE camera, int32_t flag) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.SetMirrorV(flag); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetMirrorV(PIXORA_HANDLE camera) {
    return WithSession(camera, 0, [](CameraSession& s) { return s.GetMirrorV(); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetMirrorH(PIXORA_HANDLE camera) {
    return WithSession(camera, 0, [](CameraSession&) { return 0; });
}

PIXORA_API int32_t PIXORA_CALL Pixora_SetAutoIris(PIXORA_HANDLE camera, int32_t mode) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.SetAutoIris(mode); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_GetAutoIris(PIXORA_HANDLE camera, int32_t* ok) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.GetAutoIris(ok); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_WriteRegister(PIXORA_HANDLE camera, int32_t address,
                                                    int32_t value) {
    return WithSession(camera, 0,
                       [&](CameraSession& s) { return s.WriteRegister(address, value); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_ReadRegister(PIXORA_HANDLE camera, int32_t address,
                                                   int32_t* ok) {
    return WithSession(camera, 0, [&](CameraSession& s) { return s.ReadRegister(address, ok); });
}

PIXORA_API int32_t PIXORA_CALL Pixora_ReadSromID(PIXORA_HANDLE camera, int32_t, int32_t* ok) {
    return WithSession(camera, 0, [&](CameraSession&) {
        if (ok != nullptr)
            *ok = 0;
        return 0;
    });
}

}  // extern "C"
