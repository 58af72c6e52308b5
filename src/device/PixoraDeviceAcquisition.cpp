// Frame acquisition of PixoraDevice: geometry and buffers, single captures, the stream into
// the slot ring, and conversion of a fetched frame into raw image rows.
#include <chrono>
#include <limits>
#include <new>
#include <stdexcept>

#include "device/CommandBlocks.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "device/RawFrameCopy.h"
#include "device/SlotRing.h"
#include "image/ImageBuffer.h"
#include "platform/WorkerThread.h"

namespace pixora {

namespace {

// How often a stop repeats its cancel while the transfer thread has not ended.
constexpr int64_t kCancelRetryMs = 20;

}  // namespace

bool PixoraDevice::CaptureRunningLocked() const {
    return capture_.done.load(std::memory_order_acquire) == 0;
}

// A stream worker exists and has not signalled its end: it may still write slots, even
// after a stop request.
bool PixoraDevice::StreamRunningLocked() const {
    return streamThread_ != nullptr && !stream_.completion.IsSet();
}

void PixoraDevice::JoinFinishedCaptureLocked() {
    // Only called with `done` at 1: the worker is past its last access to the block.
    if (captureThread_ != nullptr) {
        captureThread_->join();
        captureThread_.reset();
    }
}

void PixoraDevice::ReleaseBuffersLocked() {
    frameBuffer_ = ZeroedBuffer();
    slots_.clear();
    slots_.shrink_to_fit();
    allocatedSamples_ = 0;
    streamSlotsValid_ = false;
}

void PixoraDevice::FreeResources() {
    // Loops only if another thread starts a transfer meanwhile; the buffers are never freed
    // under a running worker.
    for (;;) {
        StopStream();
        {
            std::lock_guard lock(acquisitionMutex_);
            if (!CaptureRunningLocked() && !StreamRunningLocked()) {
                JoinFinishedCaptureLocked();
                if (streamThread_ != nullptr) {
                    streamThread_->join();
                    streamThread_.reset();
                }
                ReleaseBuffersLocked();
                return;
            }
        }
        capture_.completion.Wait();
    }
}

int32_t PixoraDevice::SetFrameGeometry(int32_t pitch, int32_t column, int32_t width,
                                       int32_t totalLines, int32_t line, int32_t height,
                                       int32_t slots) {
    std::lock_guard lock(acquisitionMutex_);
    const int32_t check = CheckFrameGeometry(pitch, column, width, totalLines, line, height);
    if (check != kDevOk) {
        return check;
    }
    if (slots < 2) {
        return kDevTooFewSlots;
    }
    // The workers write into these buffers; they are never freed under a running transfer.
    if (CaptureRunningLocked() || StreamRunningLocked()) {
        return kDevBusy;
    }
    JoinFinishedCaptureLocked();
    ReleaseBuffersLocked();

    slotCount_ = slots;
    geometry_.activeWidth = width;
    geometry_.pitch = pitch;
    geometry_.activeColumn = column;
    geometry_.totalLines = totalLines;
    geometry_.activeLine = line;
    geometry_.activeHeight = height;

    // A transfer's byte count and the size command are 32-bit on the wire.
    const int64_t samples = TransferSamplesFor(pitch, line, height);
    if (samples * 2 > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) {
        geometry_.transferSamples = 0;
        return kDevNoMemory;
    }
    geometry_.transferSamples = static_cast<int32_t>(samples);
    const std::size_t slotBytes = static_cast<std::size_t>(samples) * 2;

    frameBuffer_ = ZeroedBuffer(slotBytes);
    if (frameBuffer_.IsEmpty()) {
        return kDevNoMemory;
    }
    try {
        slots_.reserve(static_cast<std::size_t>(slots));
    } catch (const std::bad_alloc&) {
        ReleaseBuffersLocked();
        return kDevNoMemory;
    } catch (const std::length_error&) {
        ReleaseBuffersLocked();
        return kDevNoMemory;
    }
    for (int32_t i = 0; i < slots; ++i) {
        ZeroedBuffer slot(slotBytes);
        if (slot.IsEmpty()) {
            ReleaseBuffersLocked();
            return kDevNoMemory;
        }
        slots_.push_back(std::move(slot));
    }
    allocatedSamples_ = samples;

    Send(MakeTransferSizeCommand(static_cast<uint32_t>(samples)));
    return kDevOk;
}

FrameGeometry PixoraDevice::Geometry() const {
    std::lock_guard lock(acquisitionMutex_);
    return geometry_;
}

int32_t PixoraDevice::SlotCount() const {
    std::lock_guard lock(acquisitionMutex_);
    return slotCount_;
}

// --- Single capture ---------------------------------------------------------------------

int32_t PixoraDevice::CaptureFrame() {
    {
        std::lock_guard lock(acquisitionMutex_);
        if (CaptureRunningLocked()) {
            return kDevBusy;
        }
        // A worker left over from an expired wait has finished; its result is dropped.
        JoinFinishedCaptureLocked();
        DiscardCaptureLocked();
        const uint32_t wide = sampleWidth_.load(std::memory_order_relaxed);
        capture_.destination = frameBuffer_.Data();
        capture_.byteCount =
            static_cast<uint32_t>(geometry_.transferSamples) * (wide != 0 ? 2u : 1u);
        capture_.sampleWidth = wide;
        capture_.secondaryPair = false;
        capture_.devicePath = DevicePath();
        capture_.counter = &frames_;
        capture_.failures = &failures_;
        capture_.stamp = FrameArrival{};
        capture_.completion.Reset();
        capture_.done.store(0, std::memory_order_release);
        captureThread_ = StartWorkerThread([this] { SingleTransferWorker(port_, capture_); });
        if (captureThread_ == nullptr) {
            capture_.done.store(1, std::memory_order_release);
            capture_.completion.Set();
            return kDevNoMemory;
        }
    }
    const bool limited = captureWaitLimited_.load(std::memory_order_relaxed) != 0;
    const int64_t waitMs =
        limited ? static_cast<int64_t>(transferTimeoutMs_.load(std::memory_order_relaxed)) : -1;
    if (!capture_.completion.Wait(waitMs)) {
        // The worker keeps the block and its event, both owned by this object; it ends at
        // the driver's time-out and FinishCapture then collects its result.
        return kDevTransferFailed;
    }
    std::lock_guard lock(acquisitionMutex_);
    JoinFinishedCaptureLocked();
    lastElapsedMs_.store(capture_.elapsedMs.load(std::memory_order_relaxed),
                         std::memory_order_relaxed);
    return capture_.result.load(std::memory_order_relaxed);
}

int32_t PixoraDevice::FinishCapture() {
    std::lock_guard lock(acquisitionMutex_);
    if (CaptureRunningLocked()) {
        return kDevBusy;
    }
    JoinFinishedCaptureLocked();
    lastElapsedMs_.store(capture_.elapsedMs.load(std::memory_order_relaxed),
                         std::memory_order_relaxed);
    return capture_.result.load(std::memory_order_relaxed);
}

// --- Streaming --------------------------------------------------------------------------

int32_t PixoraDevice::StartStream(const StreamMode& mode) {
    std::lock_guard lock(acquisitionMutex_);
    if (StreamRunningLocked()) {
        return kDevBusy;
    }
    if (streamThread_ != nullptr) {
        // The previous run ended by itself and was never stopped: its result is dropped.
        streamThread_->join();
        streamThread_.reset();
    }
    if (slots_.empty()) {
        return kDevNoBuffer;
    }
    const uint32_t wide = sampleWidth_.load(std::memory_order_relaxed);
    stream_.bytesPerFrame =
        static_cast<uint32_t>(geometry_.transferSamples) * (wide != 0 ? 2u : 1u);
    stream_.sampleWidth = wide;
    stream_.secondaryPair = false;
    stream_.devicePath = DevicePath();
    stream_.slots.clear();
    for (const ZeroedBuffer& slot : slots_) {
        stream_.slots.push_back(slot.Data());
    }
    stream_.elapsedMs.store(0, std::memory_order_relaxed);
    stream_.framesAttempted.store(0, std::memory_order_relaxed);
    stream_.result.store(kDevOk, std::memory_order_relaxed);
    stream_.error.store(0, std::memory_order_relaxed);
    stream_.counter = &frames_;
    stream_.failures = &failures_;
    stream_.triggered = mode.triggered;
    stream_.requestFrame = [this](const std::function<void()>& send) { return RequestFrame(send); };
    stream_.currentExposure = [this] { return CurrentExposure(); };
    {
        std::lock_guard ring(stream_.ringMutex);
        // A run that ended by itself was never stopped: its frames are counted now.
        stream_.ring.Discard();
        frames_.Skipped(stream_.ring.TakeSkipped());
        stream_.ring.Reset(static_cast<int32_t>(slots_.size()), mode.order, mode.dropOldest);
        stream_.stamps.assign(slots_.size(), FrameArrival{});
        stream_.waitInterrupted = false;
    }
    stream_.completion.Reset();
    stream_.state.store(0, std::memory_order_release);
    streamSlotsValid_ = true;
    streamThread_ = StartWorkerThread([this] { StreamWorker(port_, stream_); });
    if (streamThread_ == nullptr) {
        stream_.state.store(1, std::memory_order_release);
        stream_.completion.Set();
        return kDevNoMemory;
    }
    return kDevOk;
}

int32_t PixoraDevice::PollFrame() {
    std::lock_guard lock(acquisitionMutex_);
    {
        // Frames in turn: those complete before the run ended are still handed out.
        std::lock_guard ring(stream_.ringMutex);
        if (stream_.ring.Order() == RingOrder::OldestFirst && stream_.ring.Take() >= 0)
            return kPollNewFrame;
    }
    // The worker sets the error flag before the state flag: read them the other way round.
    const int32_t state = stream_.state.load(std::memory_order_acquire);
    if (stream_.error.load(std::memory_order_relaxed) == 1) {
        return kPollEndedWithError;
    }
    if (state == 1) {
        return kPollNotStreaming;
    }
    std::lock_guard ring(stream_.ringMutex);
    // The newest complete frame becomes the read slot; frames completed in between are
    // skipped, so a slow consumer always gets the newest.
    return stream_.ring.Take() < 0 ? kPollNoNewFrame : kPollNewFrame;
}

int32_t PixoraDevice::WaitStreamFrame(int64_t timeoutMs) {
    {
        std::unique_lock ring(stream_.ringMutex);
        const auto ready = [this] {
            return stream_.waitInterrupted || stream_.ring.HasFrame() ||
                   stream_.state.load(std::memory_order_acquire) == 1;
        };
        if (timeoutMs < 0) {
            stream_.ringChanged.wait(ring, ready);
        } else {
            stream_.ringChanged.wait_for(ring, std::chrono::milliseconds(timeoutMs), ready);
        }
    }
    return PollFrame();
}

void PixoraDevice::InterruptStreamWait() {
    {
        std::lock_guard ring(stream_.ringMutex);
        stream_.waitInterrupted = true;
    }
    stream_.ringChanged.notify_all();
}

int32_t PixoraDevice::ReleaseLatest(FrameArrival* stamp) {
    std::lock_guard lock(acquisitionMutex_);
    std::lock_guard ring(stream_.ringMutex);
    const int32_t read = stream_.ring.ReadIndex();
    if (!streamSlotsValid_ || read < 0 || static_cast<std::size_t>(read) >= stream_.stamps.size())
        return kDevNoBuffer;
    if (stamp != nullptr)
        *stamp = stream_.stamps[static_cast<std::size_t>(read)];
    stream_.ring.Release();
    return kDevOk;
}

int32_t PixoraDevice::StopStream() {
    {
        std::lock_guard lock(acquisitionMutex_);
        if (streamThread_ == nullptr) {
            stream_.error.store(0, std::memory_order_relaxed);
            return kDevOk;
        }
        // The worker sees the request between frames; the read it may be waiting in is
        // cancelled, again each pass in case it had not started yet.
        stream_.state.store(1, std::memory_order_release);
    }
    do {
        stream_.pending.Cancel();
    } while (!stream_.completion.Wait(kCancelRetryMs));
    std::lock_guard lock(acquisitionMutex_);
    if (streamThread_ != nullptr) {
        streamThread_->join();
        streamThread_.reset();
    }
    lastElapsedMs_.store(stream_.elapsedMs.load(std::memory_order_relaxed),
                         std::memory_order_relaxed);
    lastFrameCount_.store(stream_.framesAttempted.load(std::memory_order_relaxed),
                          std::memory_order_relaxed);
    {
        // A frame the consumer never took is not going to be taken now.
        std::lock_guard ring(stream_.ringMutex);
        stream_.ring.Discard();
        frames_.Skipped(stream_.ring.TakeSkipped());
    }
    stream_.state.store(1, std::memory_order_relaxed);
    stream_.error.store(0, std::memory_order_relaxed);
    return stream_.result.load(std::memory_order_relaxed);
}

void PixoraDevice::CancelCapture() {
    capture_.pending.Cancel();
}

void PixoraDevice::DiscardCapture() {
    std::lock_guard lock(acquisitionMutex_);
    if (!CaptureRunningLocked())
        DiscardCaptureLocked();
}

void PixoraDevice::DiscardCaptureLocked() {
    const uint64_t sequence = capture_.stamp.sequence;
    if (capture_.result.load(std::memory_order_relaxed) == kDevOk &&
        sequence > captureAccountedSequence_) {
        frames_.Skipped(1);
        captureAccountedSequence_ = sequence;
    }
}

FrameTally PixoraDevice::Frames() const {
    FrameTally tally;
    std::lock_guard ring(stream_.ringMutex);
    tally.received = frames_.ReceivedCount();
    tally.lost = frames_.LostCount();
    tally.skipped = frames_.SkippedCount() + stream_.ring.Skipped();
    return tally;
}

bool PixoraDevice::IsStreaming() const {
    std::lock_guard lock(acquisitionMutex_);
    return StreamRunningLocked() && stream_.state.load(std::memory_order_relaxed) == 0;
}

// --- Conversion -------------------------------------------------------------------------

int32_t PixoraDevice::CopyFrameLocked(const uint8_t* frame, uint32_t sampleWidth,
                                      const RawDestination& dest) const {
    if (dest.pixels == nullptr || frame == nullptr) {
        return kDevNoBuffer;
    }
    const FrameGeometry& g = geometry_;
    if (!WindowFitsFrame(g, allocatedSamples_)) {
        return kDevNoBuffer;
    }
    const std::size_t bytesPerPixel = RawBytesPerPixel(sampleWidth);
    if (dest.bytesPerPixel != 0 && dest.bytesPerPixel != bytesPerPixel) {
        return kDevNoBuffer;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(g.activeWidth) * bytesPerPixel;
    const std::size_t stride = dest.stride != 0 ? dest.stride : rowBytes;
    if (stride < rowBytes ||
        dest.capacity < static_cast<std::size_t>(g.activeHeight - 1) * stride + rowBytes) {
        return kDevNoBuffer;
    }
    RawCopy(frame, g, sampleWidth, static_cast<uint8_t*>(dest.pixels), stride);
    return kDevOk;
}

RawDestination PixoraDevice::DestinationOf(ImageBuffer& image) {
    RawDestination dest;
    if (image.IsEmpty() || (image.BitsPerPixel() != 8 && image.BitsPerPixel() != 16)) {
        return dest;
    }
    dest.pixels = image.Bits();
    dest.capacity = image.SizeBytes();
    dest.stride = static_cast<std::size_t>(image.Stride());
    dest.bytesPerPixel = image.BytesPerPixel();
    return dest;
}

int32_t PixoraDevice::ConvertLatest(const RawDestination& dest, FrameArrival* stamp) {
    std::lock_guard lock(acquisitionMutex_);
    if (dest.pixels == nullptr || !streamSlotsValid_) {
        return kDevNoBuffer;
    }
    int32_t read = -1;
    {
        std::lock_guard ring(stream_.ringMutex);
        read = stream_.ring.ReadIndex();
        if (stamp != nullptr && read >= 0 && static_cast<std::size_t>(read) < stream_.stamps.size())
            *stamp = stream_.stamps[static_cast<std::size_t>(read)];
    }
    // Only a slot handed out by PollFrame: the writer keeps off it until it is released.
    if (read < 0 || static_cast<std::size_t>(read) >= slots_.size()) {
        return kDevNoBuffer;
    }
    const int32_t result =
        CopyFrameLocked(slots_[static_cast<std::size_t>(read)].Data(), stream_.sampleWidth, dest);
    if (result != kDevOk) {
        return result;
    }
    std::lock_guard ring(stream_.ringMutex);
    stream_.ring.Release();
    return kDevOk;
}

int32_t PixoraDevice::ConvertLatest(ImageBuffer& image, FrameArrival* stamp) {
    return ConvertLatest(DestinationOf(image), stamp);
}

int32_t PixoraDevice::ConvertFrame(const RawDestination& dest, FrameArrival* stamp) {
    std::lock_guard lock(acquisitionMutex_);
    if (dest.pixels == nullptr) {
        return kDevNoBuffer;
    }
    if (CaptureRunningLocked()) {
        return kDevBusy;
    }
    if (stamp != nullptr)
        *stamp = capture_.stamp;
    if (capture_.stamp.sequence > captureAccountedSequence_)
        captureAccountedSequence_ = capture_.stamp.sequence;
    return CopyFrameLocked(frameBuffer_.Data(), capture_.sampleWidth, dest);
}

int32_t PixoraDevice::ConvertFrame(ImageBuffer& image, FrameArrival* stamp) {
    return ConvertFrame(DestinationOf(image), stamp);
}

}  // namespace pixora
