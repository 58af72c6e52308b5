// The capture paths: stream preparation, snapshot, capture, preview, callback preview,
// trigger, stopping, and handing frames out by copy or file.
#include <algorithm>
#include <chrono>
#include <climits>

#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "image/SaveImageFile.h"
#include "imaging/ProcessFrame.h"
#include "platform/MessageWindow.h"
#include "platform/WorkerThread.h"
#include "session/CameraSession.h"
#include "session/CopyToCaller.h"
#include "session/SessionAdapters.h"

namespace pixora {

namespace {

constexpr uint32_t kTriggerTimeoutMs = 3000;
// How often a stop repeats the cancel of an armed read while the worker has not ended.
constexpr int64_t kCancelRetryMs = 20;

bool ValidMode(int32_t mode) {
    return mode >= 0 && mode < 6;
}
bool TenBitMode(int32_t mode) {
    return mode == 1 || mode == 4 || mode == 5;
}

}  // namespace

ImageBuffer* CameraSession::RawImage(int32_t mode) {
    return Image(TenBitMode(mode) ? ImageRole::Raw16 : ImageRole::Raw8);
}

ImageBuffer* CameraSession::OutputImage(int32_t mode) {
    switch (mode) {
        case 0:
            return Image(ImageRole::Raw8);
        case 1:
            return Image(ImageRole::Raw16);
        case 2:
            return Image(ImageRole::Out24);
        case 3:
            return Image(ImageRole::Out32);
        case 4:
            return Image(ImageRole::Out48);
        case 5:
            return Image(ImageRole::Out64);
        default:
            return nullptr;
    }
}

FrameTarget CameraSession::Target() const {
    std::lock_guard lock(targetMutex_);
    return target_;
}

void CameraSession::SetTarget(const FrameTarget& target) {
    std::lock_guard lock(targetMutex_);
    target_ = target;
}

void CameraSession::PostFrameError(ErrorCode code) {
    PostAppMessage(Target().window, PIXORA_WM_FRAME, 0, static_cast<intptr_t>(code));
}

int32_t CameraSession::CopyToCaller(const ImageBuffer* image, const FrameTarget& target) {
    const int64_t needed = image ? int64_t{image->Stride()} * image->Height() : 0;
    if (image == nullptr || target.size < needed) {
        PostAppMessage(target.window, PIXORA_WM_FRAME, 0,
                       static_cast<intptr_t>(ErrorCode::BufferError));
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    return CopyImageRows(*image, target.rowOrder, target.buffer, target.size) ? 1 : 0;
}

int32_t CameraSession::PrepareStream() {
    // A worker left from a trigger run whose arming failed would read the images and the
    // prepared mode that are about to change.
    EndWorker();
    if (!device_->IsPresent(device_->CurrentIndex())) {
        RecordError(ErrorCode::DeviceNotFound);
        return 0;
    }
    if (!GeometryValid()) {
        RecordError(ErrorCode::BadGeometry);
        return 0;
    }
    const int32_t mode = colorModeIndex_.load();
    if (!ValidMode(mode)) {
        // A stored colour mode outside the six has no images to capture into.
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    if (format_.captureWidth == 0 || format_.captureHeight == 0) {
        // A window of no pixels passes the geometry check; no image can be made for it.
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    // The device always transfers the whole capture window, so the images take the size of
    // the window it accepted; a window it refused must not leave images smaller than the copy.
    device_->SetWindow(format_.startColumn, format_.startRow, format_.captureWidth,
                       format_.captureHeight, subSampleIndex_.load());
    const CameraWindow window = device_->Window();
    if (window.width != format_.captureWidth || window.height != format_.captureHeight) {
        RecordError(ErrorCode::BadGeometry);
        return 0;
    }
    const int32_t width = window.width;
    const int32_t height = window.height;

    std::lock_guard frames(frameMutex_);
    preparedMode_.store(-1);
    frameCaptured_ = false;
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
        ImageBuffer* image = images_[role].get();
        if (image->Create(width, height, kRoleBits[role]) == 0) {
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
    if (!device_->QueryClock(deviceClock))
        deviceClock = 0;
    if (deviceClock != clock_.load())
        device_->SetClock(clock_.load());
    device_->SetWindow(format_.startColumn, format_.startRow, format_.captureWidth,
                       format_.captureHeight, subSampleIndex_.load());
    device_->SetSampleWidth(TenBitMode(mode) ? 1 : 0);
    device_->SetGain(static_cast<uint16_t>(analog_.Get(AnalogField::GlobalGain)));
    device_->SetExposure(static_cast<uint16_t>(analog_.Get(AnalogField::Exposure)));
    preparedMode_.store(mode);
    return 1;
}

int32_t CameraSession::StartWorker() {
    runFlag_.store(1);
    stopRequested_.Reset();
    workerDone_ = std::make_unique<ManualResetEvent>();
    worker_ = StartWorkerThread([this] { WorkerMain(); });
    if (!worker_) {
        workerDone_.reset();
        return 0;
    }
    return 1;
}

int32_t CameraSession::StartPreview() {
    if (!RequireDevice())
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
    device_->SetTrigger(0);
    if (device_->StartStream() != kDevOk) {
        StopPreview();
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    state_.store(CaptureState::Preview);
    return 1;
}

void CameraSession::EndWorker() {
    runFlag_.store(0);
    stopRequested_.Set();
    if (workerDone_) {
        // A trigger worker may wait in an armed read for a pulse that never comes: cancel
        // the read, again each pass in case the worker was just arming anew.
        do {
            device_->CancelCapture();
        } while (!workerDone_->Wait(kCancelRetryMs));
    }
    if (worker_) {
        if (worker_->joinable())
            worker_->join();
        worker_.reset();
    }
    // Only now: the worker may still be inside its last Set when the wait returns.
    workerDone_.reset();
    // A trigger frame the worker captured but did not deliver before it ended.
    device_->DiscardCapture();
}

int32_t CameraSession::StopPreview() {
    if (!RequireDevice())
        return 0;
    EndWorker();
    NotifyCaptureStopped();
    if (state_.load() == CaptureState::Idle)
        return 1;
    state_.store(CaptureState::Idle);
    device_->SetCaptureWaitLimited(0);
    if (device_->StopStream() != kDevOk) {
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    return 1;
}

int32_t CameraSession::Close() {
    // The worker draws into the window: it ends before the window goes. Without a device
    // this records NoDevice, as stopping does.
    StopPreview();
    DestroyPreviewWindow();
    return 1;
}

int32_t CameraSession::StartPreviewTo(const FrameTarget& target) {
    if (!RequireDevice())
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

int32_t CameraSession::Preview() {
    return StartPreviewTo(FrameTarget{});
}

int32_t CameraSession::CallBackPreview(PIXORA_HWND window, void* buffer, int32_t size,
                                       int32_t rowOrder) {
    return StartPreviewTo(FrameTarget{window, buffer, size, rowOrder});
}

int32_t CameraSession::Trigger(PIXORA_HWND window, void* buffer, int32_t size, int32_t rowOrder) {
    if (!RequireDevice())
        return 0;
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Capture)
        return 0;
    // A trigger worker already running (armed, or idle after a failed arming) is ended
    // before the new one starts, so one session never runs two.
    if (worker_ || state == CaptureState::Trigger)
        StopPreview();
    if (!CreatePreviewWindow())
        return 0;
    return EnterTriggerMode(FrameTarget{window, buffer, size, rowOrder});
}

int32_t CameraSession::EnterTriggerMode(const FrameTarget& target) {
    if (PrepareStream() == 0) {
        Close();
        return 0;
    }
    state_.store(CaptureState::Trigger);
    device_->SetTransferTimeout(kTriggerTimeoutMs);
    if (!device_->SetTrigger(1)) {
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

int32_t CameraSession::SnapShot(void* buffer, int32_t size, int32_t rowOrder) {
    if (!RequireDevice())
        return 0;
    const CaptureState state = state_.load();
    if (state == CaptureState::Preview || state == CaptureState::Trigger)
        return 0;
    if (state == CaptureState::Idle && PrepareStream() == 0)
        return 0;
    const int32_t mode = preparedMode_.load();
    if (!ValidMode(mode))
        return 0;
    device_->SetTrigger(0);
    if (device_->CaptureFrame() != kDevOk)
        return 0;

    std::lock_guard frames(frameMutex_);
    FrameArrival arrival;
    if (device_->ConvertFrame(*RawImage(mode), &arrival) != kDevOk) {
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

int32_t CameraSession::Capture() {
    if (!RequireDevice())
        return 0;
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

int32_t CameraSession::GetImage(void* buffer, int32_t size, int32_t rowOrder) {
    if (!RequireDevice())
        return 0;
    // Copies a whole frame: the worker does not rewrite the images meanwhile.
    std::lock_guard frames(frameMutex_);
    ImageBuffer* image = OutputImage(colorModeIndex_.load());
    if (image == nullptr) {
        RecordError(ErrorCode::NoDevice);
        return 0;
    }
    // Images made by a preparation hold no picture until a frame went through the chain.
    if (image->IsEmpty() || buffer == nullptr || !frameCaptured_) {
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    FrameTarget target = Target();
    target.buffer = buffer;
    target.size = size;
    target.rowOrder = rowOrder;
    return CopyToCaller(image, target);
}

int32_t CameraSession::GetFrame(void* buffer, int32_t size, int32_t rowOrder, FrameMeta* meta) {
    if (!RequireDevice())
        return 0;
    std::lock_guard frames(frameMutex_);
    ImageBuffer* image = OutputImage(colorModeIndex_.load());
    if (image == nullptr || image->IsEmpty() || !frameCaptured_) {
        RecordError(image == nullptr ? ErrorCode::NoDevice : ErrorCode::BufferError);
        return 0;
    }
    if (buffer != nullptr || size != 0) {
        FrameTarget target = Target();
        target.buffer = buffer;
        target.size = size;
        target.rowOrder = rowOrder;
        if (buffer == nullptr) {
            RecordError(ErrorCode::BufferError);
            return 0;
        }
        if (CopyToCaller(image, target) == 0)
            return 0;
    }
    if (meta != nullptr)
        *meta = shownMeta_;
    return 1;
}

int32_t CameraSession::WaitFrame(uint64_t afterSequence, int32_t timeoutMs) {
    std::unique_lock frames(frameMutex_);
    const uint64_t stops = captureStops_;
    const auto ready = [&] {
        return Released() || captureStops_ != stops ||
               (frameCaptured_ && shownMeta_.sequence > afterSequence);
    };
    if (timeoutMs < 0) {
        frameProcessed_.wait(frames, ready);
    } else {
        frameProcessed_.wait_for(frames, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (Released())
        return -1;
    return frameCaptured_ && shownMeta_.sequence > afterSequence ? 1 : 0;
}

FrameCounts CameraSession::Counts() const {
    FrameCounts counts;
    counts.delivered = framesDelivered_.load();
    counts.failed = framesFailed_.load();
    if (device_) {
        const FrameTally tally = device_->Frames();
        counts.dropped = tally.skipped;
        counts.failed += tally.lost;
    }
    return counts;
}

FrameMeta CameraSession::MetaOf(const FrameArrival& arrival) const {
    // Frames the camera sent since the last one handed out, and not handed out.
    const uint64_t gap = arrival.sequence > lastDeliveredSequence_
                             ? arrival.sequence - lastDeliveredSequence_ - 1
                             : 0;
    return FrameMeta{arrival.sequence, arrival.timestampUs,
                     static_cast<int32_t>(std::min<uint64_t>(gap, INT32_MAX))};
}

void CameraSession::CountDelivered(const FrameMeta& meta) {
    lastDeliveredSequence_ = meta.sequence;
    framesDelivered_.fetch_add(1);
}

void CameraSession::NotifyCaptureStopped() {
    {
        std::lock_guard frames(frameMutex_);
        ++captureStops_;
    }
    frameProcessed_.notify_all();
}

int32_t CameraSession::SetPreviewWindow(PIXORA_HWND parent, int32_t x, int32_t y, int32_t width,
                                        int32_t height) {
    if (!RequireDevice())
        return 0;
    previewParent_ = parent;
    placement_ = PreviewPlacement{x, y, width, height};
    return 1;
}

int32_t CameraSession::SaveImage(const char* fileName, int32_t format) {
    errors_.SetDetail({});
    std::lock_guard frames(frameMutex_);
    ImageBuffer* image = HasDevice() ? OutputImage(colorModeIndex_.load()) : nullptr;
    if (image == nullptr) {
        RecordError(ErrorCode::NoDevice);
        return 0;
    }
    if (!image->IsEmpty() && !frameCaptured_) {
        // Prepared images hold no picture yet: a save would write a black one.
        errors_.SetDetail("no frame has been captured since the images were prepared");
        RecordError(ErrorCode::NoDevice);
        return 0;
    }
    std::string why;
    const int32_t saved = SaveImageFile(fileName, image, static_cast<uint32_t>(format), &why);
    if (saved == 0)
        errors_.SetDetail(std::move(why));
    return saved;
}

void CameraSession::ProcessCurrentFrame(int32_t mode, const FrameMeta& meta) {
    FrameContext context{
        filter_,
        analog_,
        mode,
        FrameImages{Image(ImageRole::Raw8), Image(ImageRole::Raw16), Image(ImageRole::Out24),
                    Image(ImageRole::Out32), Image(ImageRole::Out48), Image(ImageRole::Out64),
                    Image(ImageRole::Work)},
        processor_,
        cameraControl_.get(),
        dialogRefresh_.get()};
    ProcessFrame(context);
    frameCaptured_ = true;
    shownMeta_ = meta;
    frameProcessed_.notify_all();
}

}  // namespace pixora
