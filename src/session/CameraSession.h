// The state of one open camera handle: device, images, settings, capture machinery and
// the error stack. Every export forwards to one operation here.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "PixoraSdk_530TZ.h"
#include "imaging/ProcessorInfo.h"
#include "platform/ManualResetEvent.h"
#include "session/ErrorStack.h"
#include "session/FrameRateMeter.h"
#include "session/FrameRecordPool.h"
#include "settings/CaptureFormat.h"
#include "settings/SettingsRecords.h"

namespace pixora {

class DriverPort;
struct FrameArrival;
class ImageBuffer;
class PixoraDevice;
class PreviewWindow;
class SessionCameraControl;
class SessionDialogRefresh;

enum class CaptureState : int32_t { Idle = 0, Preview = 1, Capture = 2, Trigger = 3 };

// Where delivered frames go: the callback window and the caller's buffer.
struct FrameTarget {
    PIXORA_HWND window = nullptr;
    void* buffer = nullptr;
    int32_t size = 0;
    int32_t rowOrder = 0;
};

// The session's eight images, by role.
enum class ImageRole : int {
    Raw8 = 0,
    Raw16 = 1,
    Out24 = 2,
    Out32 = 3,
    Out48 = 4,
    Out64 = 5,
    Work = 6,
    Display = 7,
};
inline constexpr int kImageCount = 8;

// The session's frames so far: every frame the camera sent ends up in one of these.
struct FrameCounts {
    uint64_t delivered = 0;  // handed out: announced, copied or kept for GetImage
    uint64_t dropped = 0;    // whole, but a newer frame was taken instead, or a stop left it
    uint64_t failed = 0;     // lost in transfer, or not convertible or copyable
};

// Placement of a child preview window: x, y, width, height.
struct PreviewPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = kSensorWidth;
    int32_t height = kSensorHeight;
};

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
    std::string FailureDetail() const { return errors_.Detail(); }

    // Colour mode, wait time and geometry.
    int32_t SetColorMode(int32_t bitsPerPixel);
    int32_t GetColorMode() const;
    int32_t SetWaitTime(int32_t milliseconds);
    int32_t GetWaitTime() const { return waitTimeMs_.load(); }
    int32_t Width() const { return format_.captureWidth; }
    int32_t Height() const { return format_.captureHeight; }

    // Capture-format persistence, as initialisation and the camera dialog run it.
    int32_t LoadGeometry();
    int32_t LoadFormat();
    bool GeometryValid() const { return pixora::GeometryValid(format_, subSampleIndex_.load()); }

    // Device selection and information.
    int32_t SetDeviceNumber(int32_t index);
    int32_t EnumDevices(char* names);
    int32_t GetDeviceName(int32_t index, char* name, int32_t size);
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

    // Capture and streaming.
    int32_t Preview();
    int32_t CallBackPreview(PIXORA_HWND window, void* buffer, int32_t size, int32_t rowOrder);
    int32_t StartPreview();
    int32_t StopPreview();
    int32_t Close();
    int32_t SnapShot(void* buffer, int32_t size, int32_t rowOrder);
    int32_t Capture();
    int32_t Trigger(PIXORA_HWND window, void* buffer, int32_t size, int32_t rowOrder);
    int32_t GetImage(void* buffer, int32_t size, int32_t rowOrder);
    int32_t SetPreviewWindow(PIXORA_HWND parent, int32_t x, int32_t y, int32_t width,
                             int32_t height);
    int32_t SaveImage(const char* fileName, int32_t format);

    // Frame metadata. GetFrame copies the newest processed frame like GetImage and gives its
    // meta, both of one frame. WaitFrame is called without the call lock: it waits until a
    // frame newer than `afterSequence` has been processed (1), the time-out passed or the
    // capture stopped (0), or the session was released (-1).
    int32_t GetFrame(void* buffer, int32_t size, int32_t rowOrder, FrameMeta* meta);
    int32_t WaitFrame(uint64_t afterSequence, int32_t timeoutMs);
    FrameCounts Counts() const;

    // Property dialogs. `call` is the caller's hold on CallMutex(): it is let go while the
    // modal dialog runs, so that other threads' calls proceed meanwhile, and taken again
    // before the dialog's outcome is applied. The dialog's own changes take it briefly.
    // 0 when the session was released while the dialog was open.
    using CallLock = std::unique_lock<std::recursive_mutex>;
    int32_t CameraDialog(PIXORA_HWND parent, CallLock& call);
    int32_t ImageDialog(PIXORA_HWND parent, CallLock& call);
    int32_t AnalogDialog(PIXORA_HWND parent, CallLock& call);
    // Gain and exposure from an open dialog, as calls of their own; nothing after release.
    void DialogSetGain(int32_t gain);
    void DialogSetExposure(int32_t exposure);

    // Held by each export for the length of its call, so that calls from several
    // application threads into one session run one at a time. Recursive: while a modal
    // dialog runs, the application's code on that thread may call into the session again.
    std::recursive_mutex& CallMutex() { return callMutex_; }
    // Set by Release; calls still queued on the mutex then fail.
    bool Released() const { return released_.load(); }

    CaptureState State() const { return state_.load(); }
    // Frame-rate clock of the workers (milliseconds); tests substitute their own.
    void SetRateClock(uint32_t (*clock)()) { rateClock_.store(clock); }

    int32_t ColorModeIndex() const { return colorModeIndex_.load(); }
    int32_t SubSampleIndex() const { return subSampleIndex_.load(); }
    int32_t ClockSelection() const { return clock_.load(); }
    const FormatSettings& Format() const { return format_; }
    const PreviewPlacement& Placement() const { return placement_; }
    PIXORA_HWND ErrorWindow() const { return errors_.ErrorWindow(); }
    FilterSettings& Filter() { return filter_; }
    AnalogSettings& Analog() { return analog_; }

    PixoraDevice* Device() { return device_.get(); }
    // The preview window while one was ever opened (for reading back what it shows).
    PreviewWindow* PreviewSurface() { return preview_.get(); }
    ImageBuffer* Image(ImageRole role) { return images_[static_cast<int>(role)].get(); }
    const ProcessorInfo& Processor() const { return processor_; }

private:
    // Capture machinery.
    int32_t PrepareStream();
    int32_t StartWorker();
    // Stops the worker, if there is one, and waits for it to end; a trigger worker's armed
    // read is cancelled so that this does not wait for the next trigger.
    void EndWorker();
    // Preview and callback preview: the target is applied only when the preview starts.
    int32_t StartPreviewTo(const FrameTarget& target);
    // Trigger mode from a prepared window on: state, camera and worker. Closes on failure.
    int32_t EnterTriggerMode(const FrameTarget& target);
    // Saves the settings and frees everything; the destructor's work, done once.
    void Teardown();
    bool CreatePreviewWindow();
    bool HasPreviewWindow() const;
    void DestroyPreviewWindow();
    void DrawFrame(int32_t mode);
    void WorkerMain();
    void PreviewLoop();
    void TriggerLoop();
    bool ArmTrigger();
    // Sleeps between worker passes; a stop request ends the pause early.
    void PauseWorker(int64_t milliseconds);
    // Converts the newest frame (stream) or the captured one, runs the chain and delivers
    // it; false when the frame could not be delivered.
    bool DeliverFrame(bool fromStream, int32_t frameRate);
    // Runs the chain on the raw image the device just filled, the frame `meta` describes;
    // frameMutex_ held.
    void ProcessCurrentFrame(int32_t mode, const FrameMeta& meta);
    // A frame's meta, its gap measured from the last frame handed out (frameMutex_).
    FrameMeta MetaOf(const FrameArrival& arrival) const;
    // A frame handed out: counted, and the next frame's gap measured from it (frameMutex_).
    void CountDelivered(const FrameMeta& meta);
    // Wakes WaitFrame callers: a stop or the release.
    void NotifyCaptureStopped();
    int32_t CopyToCaller(const ImageBuffer* image, const FrameTarget& target);
    void PostFrameError(ErrorCode code);
    FrameTarget Target() const;
    void SetTarget(const FrameTarget& target);
    ImageBuffer* RawImage(int32_t mode);
    ImageBuffer* OutputImage(int32_t mode);

    bool HasDevice() const { return device_ != nullptr; }
    // Records NoDevice and returns false when the session has no device.
    bool RequireDevice();
    // Allocates the device and the eight empty images; false when any is missing.
    bool AllocateDeviceAndImages();

    DriverPort& port_;
    ProcessorInfo processor_{};
    std::unique_ptr<PixoraDevice> device_;
    std::array<std::unique_ptr<ImageBuffer>, kImageCount> images_;
    std::unique_ptr<SessionCameraControl> cameraControl_;
    std::unique_ptr<SessionDialogRefresh> dialogRefresh_;

    // Capture state and the worker. The worker reads the run flag, state and target while
    // the application thread changes them; images and the preview window are touched by
    // one side at a time under frameMutex_.
    std::atomic<CaptureState> state_{CaptureState::Idle};
    std::atomic<int32_t> runFlag_{0};
    std::unique_ptr<std::thread> worker_;
    std::unique_ptr<ManualResetEvent> workerDone_;
    // Set with the stop request, so a worker's pause between passes ends at once.
    ManualResetEvent stopRequested_;
    std::atomic<int32_t> preparedMode_{-1};
    mutable std::mutex targetMutex_;
    FrameTarget target_;
    mutable std::mutex frameMutex_;
    std::unique_ptr<PreviewWindow> preview_;
    PIXORA_HWND previewParent_ = nullptr;
    // Each delivered frame's record stays valid for the next kFrameInfoRing - 1 frames, so
    // an application reading it late is not raced by the worker.
    FrameRecordLease frameRecords_;
    // A frame went through the chain since the images were last prepared (frameMutex_).
    bool frameCaptured_ = false;
    // The frame the output image holds, and the last one handed out (frameMutex_).
    FrameMeta shownMeta_;
    uint64_t lastDeliveredSequence_ = 0;
    // Raised by every stop, so that a WaitFrame caller returns (frameMutex_).
    uint64_t captureStops_ = 0;
    std::condition_variable frameProcessed_;
    std::atomic<uint64_t> framesDelivered_{0};
    std::atomic<uint64_t> framesFailed_{0};
    FrameRateMeter rateMeter_;
    std::atomic<uint32_t (*)()> rateClock_;

    std::recursive_mutex callMutex_;
    std::atomic<bool> released_{false};
    bool tornDown_ = false;

    FormatSettings format_;
    FilterSettings filter_;
    AnalogSettings analog_;
    PreviewPlacement placement_;
    std::atomic<int32_t> colorModeIndex_{0};
    std::atomic<int32_t> subSampleIndex_{0};
    std::atomic<int32_t> waitTimeMs_{10};
    std::atomic<int32_t> clock_{0};
    ErrorStack errors_;
};

}  // namespace pixora
