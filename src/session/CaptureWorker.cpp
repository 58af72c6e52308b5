// The session's worker thread: the preview loop polling the device's ring, and the trigger
// loop arming one capture after another.
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "platform/Clock.h"
#include "platform/MessageWindow.h"
#include "session/CameraSession.h"

namespace pixora {

namespace {

constexpr int32_t kPollNotStreaming = 0;
constexpr int32_t kPollEndedWithError = 1;
constexpr int32_t kPollNewFrame = 3;
constexpr int64_t kPausedSleepMs = 10;
constexpr int32_t kModeBits[6] = {8, 16, 24, 32, 48, 64};

}  // namespace

void CameraSession::WorkerMain() {
    rateMeter_.Restart(rateClock_.load()());
    if (state_.load() == CaptureState::Trigger) {
        TriggerLoop();
    } else {
        PreviewLoop();
    }
    workerDone_->Set();
}

bool CameraSession::DeliverFrame(bool fromStream, int32_t frameRate) {
    const FrameTarget target = Target();
    std::lock_guard frames(frameMutex_);
    // Read under the frame lock, which a preparation holds while the images change.
    const int32_t mode = preparedMode_.load();
    if (mode < 0 || mode >= 6)
        return false;
    ImageBuffer* raw = RawImage(mode);
    FrameArrival arrival;
    const int32_t converted =
        fromStream ? device_->ConvertLatest(*raw, &arrival) : device_->ConvertFrame(*raw, &arrival);
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

void CameraSession::PauseWorker(int64_t milliseconds) {
    if (milliseconds > 0) {
        stopRequested_.Wait(milliseconds);
    } else {
        SleepMs(milliseconds);
    }
}

void CameraSession::PreviewLoop() {
    while (runFlag_.load() != 0) {
        PauseWorker(waitTimeMs_.load());
        if (runFlag_.load() != 1)
            continue;
        const int32_t polled = device_->PollFrame();
        // Once the stream has been started, "not streaming" means it ended by itself without
        // a transfer error: the camera could not be opened, and no frame will ever come.
        const bool endedUnopened =
            polled == kPollNotStreaming && state_.load() == CaptureState::Preview;
        if (polled == kPollEndedWithError || endedUnopened) {
            runFlag_.store(0);
            PostFrameError(ErrorCode::StreamFailed);
            RecordError(ErrorCode::StreamFailed);
            break;
        }
        if (polled != kPollNewFrame)
            continue;
        DeliverFrame(true, rateMeter_.Frame(rateClock_.load()()));
    }
}

bool CameraSession::ArmTrigger() {
    const int32_t armed = device_->CaptureFrame();
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

void CameraSession::TriggerLoop() {
    ArmTrigger();
    while (runFlag_.load() != 0) {
        if (runFlag_.load() != 1) {
            SleepMs(kPausedSleepMs);
            continue;
        }
        const int32_t finished = device_->FinishCapture();
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
