// The capture paths: stream preparation, snapshot, capture, preview, callback preview,
// trigger, stopping, and the pauses around a change of camera or the camera dialog.
#include "session/CaptureMachine.h"

#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"
#include "preview/PreviewWindow.h"

namespace pixora {

namespace {

constexpr uint32_t kTriggerTimeoutMs = 3000;

bool ValidMode(int32_t mode) {
    return mode >= 0 && mode < 6;
}
bool TenBitMode(int32_t mode) {
    return mode == 1 || mode == 4 || mode == 5;
}

}  // namespace

CaptureMachine::CaptureMachine(const CaptureParts& parts, SessionImages images)
    : device_(parts.device),
      settings_(parts.settings),
      processor_(parts.processor),
      errors_(parts.errors),
      camera_(parts.camera),
      openDialogs_(parts.openDialogs),
      images_(std::move(images)),
      rateMeter_(TimeGetTime()),
      rateClock_(&TimeGetTime) {}

CaptureMachine::~CaptureMachine() = default;

FrameImages CaptureMachine::ChainImages() {
    return FrameImages{Image(ImageRole::Raw8),  Image(ImageRole::Raw16), Image(ImageRole::Out24),
                       Image(ImageRole::Out32), Image(ImageRole::Out48), Image(ImageRole::Out64),
                       Image(ImageRole::Work)};
}

ImageBuffer* CaptureMachine::RawImage(int32_t mode) {
    return RawImageOf(ChainImages(), mode);
}

ImageBuffer* CaptureMachine::OutputImage(int32_t mode) {
    return OutputImageOf(ChainImages(), mode);
}

FrameTarget CaptureMachine::Target() const {
    std::lock_guard lock(targetMutex_);
    return target_;
}

void CaptureMachine::SetTarget(const FrameTarget& target) {
    std::lock_guard lock(targetMutex_);
    target_ = target;
}

int32_t CaptureMachine::PrepareStream() {
    // A worker left from a trigger run whose arming failed would read the images and the
    // prepared mode that are about to change.
    EndWorker();
    const FormatSettings& format = settings_.format;
    if (!device_.IsPresent(device_.CurrentIndex())) {
        RecordError(ErrorCode::DeviceNotFound);
        return 0;
    }
    if (!settings_.GeometryValid()) {
        RecordError(ErrorCode::BadGeometry);
        return 0;
    }
    const int32_t mode = settings_.colorModeIndex.load();
    if (!ValidMode(mode)) {
        // A stored colour mode outside the six has no images to capture into.
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    if (format.captureWidth == 0 || format.captureHeight == 0) {
        // A window of no pixels passes the geometry check; no image can be made for it.
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    // The device always transfers the whole capture window, so the images take the size of
    // the window it accepted; a window it refused must not leave images smaller than the copy.
    device_.SetWindow(format.startColumn, format.startRow, format.captureWidth,
                      format.captureHeight, settings_.subSampleIndex.load());
    const CameraWindow window = device_.Window();
    if (window.width != format.captureWidth || window.height != format.captureHeight) {
        RecordError(ErrorCode::BadGeometry);
        return 0;
    }

    std::lock_guard frames(frameMutex_);
    preparedMode_.store(-1);
    frameCaptured_ = false;
    preparedWindow_ = window;
    static constexpr ImageRole kNeeded[6][3] = {
        {ImageRole::Raw8, ImageRole::Out24, ImageRole::Out24},
        {ImageRole::Raw8, ImageRole::Raw16, ImageRole::Raw16},
        {ImageRole::Raw8, ImageRole::Out24, ImageRole::Out24},
        {ImageRole::Raw8, ImageRole::Out24, ImageRole::Out32},
        {ImageRole::Raw16, ImageRole::Out24, ImageRole::Out48},
        {ImageRole::Raw16, ImageRole::Out24, ImageRole::Out64},
    };
    static constexpr uint16_t kRoleBits[] = {8, 16, 24, 32, 48, 64};
    for (int role = 0; role <= static_cast<int>(ImageRole::Out64); ++role) {
        bool needed = false;
        for (ImageRole r : kNeeded[mode])
            needed = needed || static_cast<int>(r) == role;
        if (!needed)
            continue;
        ImageBuffer* image = images_[static_cast<std::size_t>(role)].get();
        if (image->Create(window.width, window.height, kRoleBits[role]) == 0) {
            RecordError(ErrorCode::BufferError);
            return 0;
        }
        if (role == static_cast<int>(ImageRole::Raw8)) {
            image->SetColorTable(ImageBuffer::kGrayRamp, nullptr, 0, 0);
        }
    }
    if (Image(ImageRole::Work)->CreateLike(OutputImage(mode)) == 0) {
        RecordError(ErrorCode::BufferError);
        return 0;
    }

    int32_t deviceClock = 0;
    if (!device_.QueryClock(deviceClock))
        deviceClock = 0;
    if (deviceClock != settings_.clock.load())
        device_.SetClock(settings_.clock.load());
    device_.SetWindow(format.startColumn, format.startRow, format.captureWidth,
                      format.captureHeight, settings_.subSampleIndex.load());
    device_.SetSampleWidth(TenBitMode(mode) ? 1 : 0);
    device_.SetGain(static_cast<uint16_t>(settings_.analog.Get(AnalogField::GlobalGain)));
    device_.SetExposure(static_cast<uint16_t>(settings_.analog.Get(AnalogField::Exposure)));
    preparedMode_.store(mode);
    return 1;
}

int32_t CaptureMachine::StartPreview() {
    // A frame-queue stream holds the capture (its state is Preview or Trigger).
    if (queueOpen_.load())
        return 0;
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview)
        return 1;
    if (state != CaptureState::Idle)
        return 0;
    if (PrepareStream() == 0)
        return 0;
    if (StartWorker() == 0) {
        StopPreview();
        RecordError(ErrorCode::ThreadFailed);
        return 0;
    }
    device_.SetTrigger(0);
    if (device_.StartStream() != kDevOk) {
        StopPreview();
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    state_.store(CaptureState::Preview);
    return 1;
}

int32_t CaptureMachine::StopPreview() {
    // Takers of a frame-queue stream learn at once; its last frames are counted once the
    // worker has ended.
    const std::shared_ptr<FrameQueue> queue = DetachQueue(StreamEnd::Stopped);
    // A frame-queue stream's failure was reported when it came (error 13, and to takers).
    const bool failureReported = queue && queue->Ended() == StreamEnd::Failed;
    EndWorker();
    if (queue) {
        std::lock_guard lock(queueMutex_);
        closedQueueDrops_ += queue->Counts().dropped;
    }
    if (queueOpen_.exchange(false)) {
        std::lock_guard frames(frameMutex_);
        queueRunning_ = false;
    }
    NotifyCaptureStopped();
    if (state_.load() == CaptureState::Idle)
        return 1;
    state_.store(CaptureState::Idle);
    device_.SetCaptureWaitLimited(0);
    if (device_.StopStream() != kDevOk && !failureReported) {
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    return 1;
}

int32_t CaptureMachine::Close() {
    // The worker draws into the window: it ends before the window goes.
    StopPreview();
    DestroyPreviewWindow();
    return 1;
}

int32_t CaptureMachine::StartPreviewTo(const FrameTarget& target) {
    if (queueOpen_.load())
        return 0;
    const CaptureState state = state_.load();
    if (state == CaptureState::Capture || state == CaptureState::Trigger) {
        // The preview cannot start over a capture or a trigger run: the session closes, as
        // after any failed start, and the refused target is never used.
        Close();
        return 0;
    }
    // A running preview keeps its window; otherwise a new one replaces any earlier one.
    if ((state == CaptureState::Idle || !HasPreviewWindow()) && !CreatePreviewWindow())
        return 0;
    // A running preview's worker takes the new target with its next frame; from idle, the
    // worker starts with it. A preview that does not start leaves the earlier target.
    const FrameTarget previous = Target();
    SetTarget(target);
    if (StartPreview() == 0) {
        SetTarget(previous);
        Close();
        return 0;
    }
    return 1;
}

int32_t CaptureMachine::Preview() {
    return StartPreviewTo(FrameTarget{});
}

int32_t CaptureMachine::CallBackPreview(PIXORA_HWND window, void* buffer, int32_t size,
                                        int32_t rowOrder) {
    return StartPreviewTo(FrameTarget{window, buffer, size, rowOrder});
}

int32_t CaptureMachine::Trigger(PIXORA_HWND window, void* buffer, int32_t size, int32_t rowOrder) {
    return TriggerTo(FrameTarget{window, buffer, size, rowOrder}, true);
}

int32_t CaptureMachine::StartTrigger() {
    return TriggerTo(FrameTarget{}, false);
}

int32_t CaptureMachine::TriggerTo(const FrameTarget& target, bool withWindow) {
    if (queueOpen_.load())
        return 0;
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Capture)
        return 0;
    // A trigger worker already running (armed, or idle after a failed arming) is ended
    // before the new one starts, so one session never runs two.
    if (worker_ || state == CaptureState::Trigger)
        StopPreview();
    if (withWindow && !CreatePreviewWindow())
        return 0;
    return EnterTriggerMode(target);
}

int32_t CaptureMachine::EnterTriggerMode(const FrameTarget& target) {
    if (PrepareStream() == 0) {
        Close();
        return 0;
    }
    state_.store(CaptureState::Trigger);
    device_.SetTransferTimeout(kTriggerTimeoutMs);
    if (!device_.SetTrigger(1)) {
        // A camera left free-running would deliver every frame as if it were triggered.
        Close();
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    // Only now, with nothing left to refuse: the worker delivers to this target.
    const FrameTarget previous = Target();
    SetTarget(target);
    if (StartWorker() == 0) {
        SetTarget(previous);
        Close();
        RecordError(ErrorCode::ThreadFailed);
        return 0;
    }
    return 1;
}

int32_t CaptureMachine::SnapShot(void* buffer, int32_t size, int32_t rowOrder) {
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Trigger)
        return 0;
    if (state == CaptureState::Idle && PrepareStream() == 0)
        return 0;
    const int32_t mode = preparedMode_.load();
    if (!ValidMode(mode))
        return 0;
    device_.SetTrigger(0);
    if (device_.CaptureFrame() != kDevOk)
        return 0;

    std::lock_guard frames(frameMutex_);
    FrameArrival arrival;
    if (device_.ConvertFrame(*RawImage(mode), &arrival) != kDevOk) {
        framesFailed_.fetch_add(1);
        PostFrameError(ErrorCode::TransferFailed);
        RecordError(ErrorCode::TransferFailed);
        return 0;
    }
    const FrameMeta meta = MetaOf(arrival);
    ProcessCurrentFrame(mode, meta);
    if (buffer != nullptr && size != 0) {
        FrameTarget target = Target();
        target.buffer = buffer;
        target.size = size;
        target.rowOrder = rowOrder;
        if (CopyToCaller(OutputImage(mode), target) == 0) {
            framesFailed_.fetch_add(1);
            return 0;
        }
    }
    CountDelivered(meta);
    return 1;
}

int32_t CaptureMachine::Capture() {
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Trigger)
        return 0;
    if (state == CaptureState::Capture)
        return 1;
    if (PrepareStream() == 0)
        return 0;
    state_.store(CaptureState::Capture);
    return 1;
}

CaptureState CaptureMachine::Suspend() {
    // A frame-queue stream ends for good: its buffers were made for the camera it ran on.
    const CaptureState state = queueOpen_.load() ? CaptureState::Idle : state_.load();
    if (state_.load() != CaptureState::Idle || worker_)
        StopPreview();
    return state;
}

void CaptureMachine::Restart(CaptureState state) {
    switch (state) {
        case CaptureState::Preview:
            StartPreview();
            break;
        case CaptureState::Capture:
            Capture();
            break;
        case CaptureState::Trigger:
            EnterTriggerMode(Target());
            break;
        case CaptureState::Idle:
            break;
    }
}

CaptureState CaptureMachine::Pause() {
    if (queueOpen_.load()) {
        // The dialog may change the colour mode and size the buffers were made for: the
        // stream ends and is not started again.
        StopPreview();
        return CaptureState::Idle;
    }
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Capture) {
        StopPreview();
    } else if (state == CaptureState::Trigger) {
        runFlag_.store(2);
    }
    return state;
}

void CaptureMachine::Resume(CaptureState paused) {
    if (paused == CaptureState::Preview && state_.load() == CaptureState::Idle) {
        StartPreview();
    } else if (paused == CaptureState::Capture && state_.load() == CaptureState::Idle) {
        Capture();
    } else if (paused == CaptureState::Trigger) {
        int32_t pausedFlag = 2;
        runFlag_.compare_exchange_strong(pausedFlag, 1);
    }
}

void CaptureMachine::Shutdown() {
    // Raised before the stop, so that a WaitFrame caller the stop wakes sees the end. Not
    // under the frame lock: a worker delivering frame after frame can hold that lock nearly
    // all the time until the stop ends it. A waiter that read the flag before it was raised
    // is woken by the notify below, which follows a pass through the lock.
    shutDown_.store(true);
    // Takers of a frame-queue stream return now (the stop below closes the stream); held
    // buffers stay valid until returned.
    if (const std::shared_ptr<FrameQueue> queue = Queue())
        queue->End(StreamEnd::Released);
    Close();
    {
        std::lock_guard frames(frameMutex_);
        preview_.reset();
        for (auto& image : images_)
            image.reset();
    }
    frameProcessed_.notify_all();
}

}  // namespace pixora
