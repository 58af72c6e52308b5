// The capture worker thread: the preview loop polling the device's ring, and the trigger
// loop arming one capture after another; starting and ending it.
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"
#include "platform/MessageWindow.h"
#include "platform/WorkerThread.h"
#include "session/CaptureMachine.h"

namespace pixora {

namespace {

constexpr int64_t kPausedSleepMs = 10;
constexpr int32_t kModeBits[6] = {8, 16, 24, 32, 48, 64};
// How often a stop repeats the cancel of an armed read while the worker has not ended.
constexpr int64_t kCancelRetryMs = 20;

}  // namespace

int32_t CaptureMachine::StartWorker() {
    {
        std::lock_guard frames(frameMutex_);
        streamFailed_ = false;
    }
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

void CaptureMachine::EndWorker() {
    runFlag_.store(0);
    stopRequested_.Set();
    if (workerDone_) {
        // A trigger worker may wait in an armed read for a pulse that never comes: cancel
        // the read, again each pass in case the worker was just arming anew.
        // A queue worker waits for the stream's next transfer: woken too.
        do {
            device_.CancelCapture();
            device_.InterruptStreamWait();
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
    device_.DiscardCapture();
}

void CaptureMachine::WorkerMain() {
    rateMeter_.Restart(rateClock_.load()());
    if (queueOpen_.load()) {
        QueueLoop();
    } else if (state_.load() == CaptureState::Trigger) {
        TriggerLoop();
    } else {
        PreviewLoop();
    }
    workerDone_->Set();
}

bool CaptureMachine::DeliverFrame(bool fromStream, int32_t frameRate) {
    const FrameTarget target = Target();
    std::lock_guard frames(frameMutex_);
    // Read under the frame lock, which a preparation holds while the images change.
    const int32_t mode = preparedMode_.load();
    if (mode < 0 || mode >= 6)
        return false;
    ImageBuffer* raw = RawImage(mode);
    FrameArrival arrival;
    const int32_t converted =
        fromStream ? device_.ConvertLatest(*raw, &arrival) : device_.ConvertFrame(*raw, &arrival);
    if (converted != kDevOk) {
        framesFailed_.fetch_add(1);
        PostAppMessage(target.window, PIXORA_WM_FRAME, 0,
                       static_cast<intptr_t>(ErrorCode::TransferFailed));
        RecordError(ErrorCode::TransferFailed);
        return false;
    }
    const FrameMeta meta = MetaOf(arrival);
    FrameRecord& record = frameRecords_.Next();
    PixoraFrameInfo& info = record.info;
    info.size = sizeof(PixoraFrameInfo);
    info.width = raw->Width();
    info.height = raw->Height();
    info.bitsPerPixel = kModeBits[mode];
    info.frameRate = frameRate;
    info.reserved = 0;
    record.SetMeta(meta);
    ProcessCurrentFrame(mode, meta);
    DrawFrame(mode);
    if (target.buffer != nullptr && target.size != 0 &&
        CopyToCaller(OutputImage(mode), target) == 0) {
        framesFailed_.fetch_add(1);
        return false;
    }
    CountDelivered(meta);
    PostAppMessage(target.window, PIXORA_WM_FRAME, reinterpret_cast<uintptr_t>(&info), 0);
    return true;
}

void CaptureMachine::PauseWorker(int64_t milliseconds) {
    if (milliseconds > 0) {
        stopRequested_.Wait(milliseconds);
    } else {
        SleepMs(milliseconds);
    }
}

void CaptureMachine::PreviewLoop() {
    while (runFlag_.load() != 0) {
        PauseWorker(settings_.waitTimeMs.load());
        if (runFlag_.load() != 1)
            continue;
        const int32_t polled = device_.PollFrame();
        // Once the stream has been started, "not streaming" means it ended by itself without
        // a transfer error: the camera could not be opened, and no frame will ever come.
        const bool endedUnopened =
            polled == PixoraDevice::kPollNotStreaming && state_.load() == CaptureState::Preview;
        if (polled == PixoraDevice::kPollEndedWithError || endedUnopened) {
            runFlag_.store(0);
            PostFrameError(ErrorCode::StreamFailed);
            RecordError(ErrorCode::StreamFailed);
            // No frame will come: a PixoraEx_WaitFrame caller learns it now, not at its time-out.
            NotifyStreamFailed();
            break;
        }
        if (polled != PixoraDevice::kPollNewFrame)
            continue;
        DeliverFrame(true, rateMeter_.Frame(rateClock_.load()()));
    }
}

bool CaptureMachine::ArmTrigger() {
    const int32_t armed = device_.CaptureFrame();
    if (armed == kDevOk)
        return true;
    // Only the trigger state this worker serves falls back to idle; a state the
    // application thread set meanwhile stays.
    CaptureState expected = CaptureState::Trigger;
    state_.compare_exchange_strong(expected, CaptureState::Idle);
    // A capture that failed without waiting for the camera (it could not be opened, or the
    // transfer could not start) would fail the same way at once: pause before the next.
    if (armed != kDevTransferFailed)
        PauseWorker(kPausedSleepMs);
    return false;
}

void CaptureMachine::TriggerLoop() {
    ArmTrigger();
    while (runFlag_.load() != 0) {
        if (runFlag_.load() != 1) {
            SleepMs(kPausedSleepMs);
            continue;
        }
        const int32_t finished = device_.FinishCapture();
        if (finished == kDevBusy) {
            SleepMs(kPausedSleepMs);
            continue;
        }
        if (finished == kDevOk)
            DeliverFrame(false, 0);
        ArmTrigger();
    }
}

}  // namespace pixora
