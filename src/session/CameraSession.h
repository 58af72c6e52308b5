// The state of one open camera handle: the device, the settings, the error stack, and the
// capture machinery (CaptureMachine), which exists once the device does. Every export
// forwards to one operation here.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "PixoraSdk_530TZ.h"
#include "imaging/ProcessorInfo.h"
#include "session/CallMutex.h"
#include "session/CaptureTypes.h"
#include "session/ErrorStack.h"
#include "session/FrameRecordPool.h"
#include "session/SessionSettings.h"

namespace pixora {

class CaptureMachine;
struct ControlRow;
class DriverPort;
class ImageBuffer;
class PixoraDevice;
class SessionCameraControl;
class SessionDialogRefresh;

class CameraSession {
public:
    // The session talks to the camera through `port` (the system's driver by default).
    CameraSession();
    explicit CameraSession(DriverPort& port);
    virtual ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Opens the camera and loads the settings. 1, or 0 after recording error 5.
    int32_t Initialize(PIXORA_HWND errorWindow);

    // Ends the session with the call lock held: saves the dialog settings, stops every
    // worker and transfer, closes the preview window and the device, frees the images. When
    // it returns nothing of the session runs, and later calls fail (Released()). Threads
    // that still hold the object only find it released. 1, or 0 when already released.
    int32_t Release();

    // Error reporting.
    void RecordError(ErrorCode code) { errors_.Record(code); }
    int32_t PopError() { return errors_.Pop(); }
    // The reason of the last failure that had one: the session's own (a file not written)
    // or the driver's (a camera that does not open, a transfer that failed), the newer.
    std::string FailureDetail() const;

    // Colour mode, wait time and geometry.
    int32_t SetColorMode(int32_t bitsPerPixel);
    int32_t GetColorMode() const;
    int32_t SetWaitTime(int32_t milliseconds);
    int32_t GetWaitTime() const { return settings_.waitTimeMs.load(); }
    int32_t Width() const { return settings_.format.captureWidth; }
    int32_t Height() const { return settings_.format.captureHeight; }

    // Capture-format persistence, as initialisation and the camera dialog run it.
    int32_t LoadGeometry();
    int32_t LoadFormat();

    // Device selection and information.
    int32_t SetDeviceNumber(int32_t index);
    int32_t EnumDevices(char* names);
    int32_t GetDeviceName(int32_t index, char* name, int32_t size);
    // Reads only what initialisation fixed: it may run without the call lock.
    int32_t GetCameraInfo(PixoraCameraInfo* info);

    // Picture and analog settings, register access.
    int32_t SetFilterValue(int32_t index, int32_t value);
    int32_t GetFilterValue(int32_t index, int32_t* ok);
    int32_t SetMirrorV(int32_t flag);
    int32_t GetMirrorV();
    int32_t SetAutoIris(int32_t mode);
    int32_t GetAutoIris(int32_t* ok) const;
    int32_t WriteRegister(int32_t address, int32_t value);
    int32_t ReadRegister(int32_t address, int32_t* ok);

    // Any control of the table, through the operation above that stands behind it (its
    // checks and error codes), or, for a control without one, checked against its range.
    int32_t SetControl(const ControlRow& control, int32_t value);
    int32_t GetControl(const ControlRow& control, int32_t* value);

    // Property dialogs. `call` is the caller's hold on CallMutex(): it is let go while the
    // modal dialog runs, so that other threads' calls proceed meanwhile, and taken again
    // before the dialog's outcome is applied. The dialog's own changes take it briefly.
    // 0 when the session was released while the dialog was open.
    using CallLock = SessionCallLock;
    int32_t CameraDialog(PIXORA_HWND parent, CallLock& call);
    int32_t ImageDialog(PIXORA_HWND parent, CallLock& call);
    int32_t AnalogDialog(PIXORA_HWND parent, CallLock& call);
    // Gain and exposure from an open dialog, as calls of their own; nothing after release.
    void DialogSetGain(int32_t gain);
    void DialogSetExposure(int32_t exposure);

    // Held by each export for the length of its call, so that calls from several
    // application threads into one session run one at a time, in the order they came.
    // Recursive: while a modal dialog runs, the application's code on that thread may call
    // into the session again.
    pixora::CallMutex& CallMutex() { return callMutex_; }
    // Set by Release; calls still queued on the mutex then fail.
    bool Released() const { return released_.load(); }
    // Set once Initialize has run. From then on the getters that read only atomic state or
    // what initialisation fixed (the error stack, the colour mode, the wait time, the capture
    // state, the camera information) may run without the call lock.
    bool Initialized() const { return initialized_.load(); }

    int32_t ColorModeIndex() const { return settings_.colorModeIndex.load(); }
    FilterSettings& Filter() { return settings_.filter; }
    AnalogSettings& Analog() { return settings_.analog; }

    PixoraDevice* Device() { return device_.get(); }
    // The capture machinery, which exists once the device does and does every capture
    // export's work. RequireCapture records NoDevice when there is none.
    CaptureMachine* Machine() { return capture_.get(); }
    CaptureMachine* RequireCapture();

private:
    // Saves the settings and frees everything; the destructor's work, done once.
    void Teardown();
    template <typename Context, typename Run>
    int32_t RunSettingsDialog(Run run, PIXORA_HWND parent, CallLock& call);
    bool HasDevice() const { return device_ != nullptr; }
    // Records NoDevice and returns false when the session has no device.
    bool RequireDevice();
    // Allocates the device and the eight empty images; false when any is missing.
    bool AllocateDeviceAndImages(std::array<std::unique_ptr<ImageBuffer>, kImageCount>& images);

    DriverPort& port_;
    ProcessorInfo processor_{};
    std::unique_ptr<PixoraDevice> device_;
    std::unique_ptr<SessionCameraControl> cameraControl_;
    std::unique_ptr<SessionDialogRefresh> dialogRefresh_;
    SessionSettings settings_;
    ErrorStack errors_;
    // Made once the device is; kept to the session's end (WaitFrame callers may hold it).
    std::unique_ptr<CaptureMachine> capture_;

    pixora::CallMutex callMutex_;
    std::atomic<bool> released_{false};
    std::atomic<bool> initialized_{false};
    bool tornDown_ = false;
    // A control changed the capture window: it is saved to its size entry at release.
    bool windowChanged_ = false;
};

}  // namespace pixora
