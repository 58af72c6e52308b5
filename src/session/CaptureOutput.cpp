// Frames handed out: copies into the caller's memory, the newest frame with its meta, the
// wait for the next one, files, and the bookkeeping of every frame processed.
#include <algorithm>
#include <chrono>
#include <climits>

#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "image/RowKernels.h"
#include "image/SaveImageFile.h"
#include "imaging/ProcessFrame.h"
#include "platform/MessageWindow.h"
#include "session/CaptureMachine.h"
#include "session/CopyToCaller.h"

namespace pixora {

void CaptureMachine::PostFrameError(ErrorCode code) {
    PostAppMessage(Target().window, PIXORA_WM_FRAME, 0, static_cast<intptr_t>(code));
}

int32_t CaptureMachine::CopyToCaller(const ImageBuffer* image, const FrameTarget& target) {
    const int64_t needed = image ? int64_t{image->Stride()} * image->Height() : 0;
    if (image == nullptr || target.size < needed) {
        PostAppMessage(target.window, PIXORA_WM_FRAME, 0,
                       static_cast<intptr_t>(ErrorCode::BufferError));
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    return CopyImageRows(*image, target.rowOrder, target.buffer, target.size) ? 1 : 0;
}

int32_t CaptureMachine::GetImage(void* buffer, int32_t size, int32_t rowOrder) {
    // Copies a whole frame: the worker does not rewrite the images meanwhile.
    std::lock_guard frames(frameMutex_);
    ImageBuffer* image = OutputImage(settings_.colorModeIndex.load());
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

int32_t CaptureMachine::GetFrame(void* buffer, int32_t size, int32_t rowOrder, FrameMeta* meta) {
    std::lock_guard frames(frameMutex_);
    ImageBuffer* image = OutputImage(settings_.colorModeIndex.load());
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

int32_t CaptureMachine::WaitFrame(uint64_t afterSequence, int32_t timeoutMs) {
    if (timeoutMs < kWaitWithoutLimit)
        return shutDown_.load() ? -1 : 0;  // refused: no time-out but -1 is negative
    std::unique_lock frames(frameMutex_);
    const uint64_t stops = captureStops_;
    const auto ready = [&] {
        return shutDown_.load() || streamFailed_ || queueRunning_ || captureStops_ != stops ||
               (frameCaptured_ && shownMeta_.sequence > afterSequence);
    };
    if (timeoutMs == kWaitWithoutLimit) {
        frameProcessed_.wait(frames, ready);
    } else {
        frameProcessed_.wait_for(frames, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (shutDown_.load())
        return -1;
    return frameCaptured_ && shownMeta_.sequence > afterSequence ? 1 : 0;
}

FrameCounts CaptureMachine::Counts() const {
    FrameCounts counts;
    counts.delivered = framesDelivered_.load();
    counts.failed = framesFailed_.load();
    const FrameTally tally = device_.Frames();
    counts.dropped = tally.skipped;
    {
        std::lock_guard lock(queueMutex_);
        counts.dropped += closedQueueDrops_;
        if (queue_)
            counts.dropped += queue_->Counts().dropped;
    }
    counts.failed += tally.lost;
    return counts;
}

FrameMeta CaptureMachine::MetaOf(const FrameArrival& arrival) const {
    // Frames the camera sent since the last one handed out, and not handed out.
    const uint64_t gap = arrival.sequence > lastDeliveredSequence_
                             ? arrival.sequence - lastDeliveredSequence_ - 1
                             : 0;
    return FrameMeta{arrival.sequence, arrival.timestampUs,
                     static_cast<int32_t>(std::min<uint64_t>(gap, INT32_MAX))};
}

void CaptureMachine::CountDelivered(const FrameMeta& meta) {
    lastDeliveredSequence_ = meta.sequence;
    framesDelivered_.fetch_add(1);
}

void CaptureMachine::NotifyCaptureStopped() {
    {
        std::lock_guard frames(frameMutex_);
        ++captureStops_;
    }
    frameProcessed_.notify_all();
}

void CaptureMachine::NotifyStreamFailed() {
    {
        std::lock_guard frames(frameMutex_);
        streamFailed_ = true;
        ++captureStops_;
    }
    frameProcessed_.notify_all();
}

int32_t CaptureMachine::SaveImage(const char* fileName, int32_t format, SessionCallLock& call) {
    errors_.SetDetail({});
    ImageBuffer picture;
    {
        std::lock_guard frames(frameMutex_);
        ImageBuffer* image = OutputImage(settings_.colorModeIndex.load());
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
        // The frame as it is now: the worker may rewrite the images while the copy is
        // encoded. An empty image stays empty and fails below, as it always did.
        if (!image->IsEmpty() && (picture.CreateLike(image) == 0 ||
                                  picture.Apply(CopyRows, image, nullptr, 0, 0) == 0)) {
            errors_.SetDetail("not enough memory for a copy of the picture");
            return 0;
        }
    }
    // Everything below works on the copy and the file alone. The session outlives the call
    // (the caller holds it), so the failure detail can still be set after a release.
    call.unlock();
    std::string why;
    const int32_t saved = SaveImageFile(fileName, &picture, static_cast<uint32_t>(format), &why);
    if (saved == 0)
        errors_.SetDetail(std::move(why));
    return saved;
}

void CaptureMachine::ProcessCurrentFrame(int32_t mode, const FrameMeta& meta) {
    FrameContext context{settings_.filter, settings_.analog, mode,         ChainImages(),
                         processor_,       &camera_,         &openDialogs_};
    context.windowColumn = preparedWindow_.x;
    context.windowRow = preparedWindow_.y;
    ProcessFrame(context);
    frameCaptured_ = true;
    shownMeta_ = meta;
    frameProcessed_.notify_all();
}

}  // namespace pixora
