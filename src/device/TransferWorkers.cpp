#include "device/TransferWorkers.h"

#include <deque>

#include "device/CommandBlocks.h"
#include "device/DeviceResult.h"
#include "device/DriverAccess.h"
#include "platform/Clock.h"

namespace pixora {

void PendingTransfer::Begin(DriverConnection* connection) {
    std::lock_guard lock(mutex_);
    connection_ = connection;
}

void PendingTransfer::End() {
    std::lock_guard lock(mutex_);
    connection_ = nullptr;
}

void PendingTransfer::Cancel() {
    std::lock_guard lock(mutex_);
    if (connection_ != nullptr)
        connection_->Cancel();
}

namespace {

void NoteOpenFailure(DriverFailureNote* failures, const std::string& path, std::string detail) {
    if (failures != nullptr)
        failures->Note(detail.empty() ? "the camera " + path + " does not open"
                                      : std::move(detail));
}

}  // namespace

void SingleTransferWorker(DriverPort& port, CaptureBlock& block) {
    int32_t result = kDevOk;
    uint32_t elapsed = 0;
    std::string detail;
    DriverConnectionPtr connection = DriverOpen(port, block.devicePath.c_str(), &detail);
    if (connection == nullptr) {
        result = kDevOpenFailed;
        NoteOpenFailure(block.failures, block.devicePath, std::move(detail));
    } else {
        const uint32_t start = TickCount();
        uint32_t moved = 0;
        block.pending.Begin(connection.get());
        // No frame request: the camera delivers its next frame by itself or on the trigger.
        TransferResult outcome;
        const int32_t transfer =
            PipeTransfer(connection.get(), wire::kPipeImage, block.byteCount, block.destination,
                         block.secondaryPair, kImageCode.second, &moved, &outcome);
        block.pending.End();
        const bool whole = transfer == kPipeOk && moved == block.byteCount;
        // A frame that came short was still a frame of the camera's: it takes its number.
        if (moved > 0 && block.counter != nullptr)
            block.stamp = block.counter->Received(whole);
        if (!whole) {
            result = kDevTransferFailed;
            if (block.failures != nullptr)
                block.failures->NoteTransfer("the frame transfer", outcome, block.byteCount);
        }
        elapsed = TickCount() - start;
        DriverClose(connection);
    }
    block.elapsedMs.store(elapsed, std::memory_order_relaxed);
    block.result.store(result, std::memory_order_relaxed);
    block.done.store(1, std::memory_order_release);
    block.completion.Set();
}

namespace {

// The connection's transfers under the stream's pair of request codes.
RequestCode CodeOf(RequestCode code, bool secondaryPair) {
    return RequestCode{secondaryPair, code.second};
}

}  // namespace

void StreamWorker(DriverPort& port, StreamBlock& block) {
    int32_t result = kDevOk;
    uint32_t elapsed = 0;
    uint32_t frames = 0;
    std::string detail;
    DriverConnectionPtr connection = DriverOpen(port, block.devicePath.c_str(), &detail);
    if (connection == nullptr) {
        result = kDevOpenFailed;
        NoteOpenFailure(block.failures, block.devicePath, std::move(detail));
    } else {
        const uint32_t start = TickCount();
        block.pending.Begin(connection.get());
        // Free-running, each frame is asked for with the frame request on pipe 0 and read
        // whole from pipe 2; the port may keep reads in flight ahead of this loop, so the
        // gain and exposure fixed by each request wait here in request order.
        std::mutex requestedMutex;
        std::deque<CameraExposure> requested;
        std::unique_ptr<FrameStream> frameStream;
        if (!block.triggered) {
            FrameStreamPlan plan;
            plan.request = MakeCommand(wire::kCmdRequestFrame);
            plan.requestCode = CodeOf(kFrameRequestCode, block.secondaryPair);
            plan.readCode = CodeOf(kImageCode, block.secondaryPair);
            plan.frameBytes = block.bytesPerFrame;
            if (block.requestFrame) {
                plan.sendRequest = [&](const std::function<void()>& send) {
                    const CameraExposure fixed = block.requestFrame(send);
                    std::lock_guard lock(requestedMutex);
                    requested.push_back(fixed);
                };
            }
            frameStream = connection->StartFrames(plan);
        }
        const PipeRequest triggeredRead{wire::kPipeImage, nullptr, block.bytesPerFrame,
                                        CodeOf(kImageCode, block.secondaryPair)};
        while (block.state.load(std::memory_order_acquire) != 1 && result != kDevTransferFailed) {
            uint8_t* slot = nullptr;
            {
                std::lock_guard lock(block.ringMutex);
                slot = block.slots[static_cast<std::size_t>(block.ring.WriteIndex())];
            }
            TransferResult transfer;
            if (slot != nullptr && frameStream != nullptr) {
                // The frame request's outcome is not examined; the read tells.
                transfer = frameStream->Next(slot);
            } else if (slot != nullptr) {
                // Triggered: no request, the pulse starts the frame.
                PipeRequest read = triggeredRead;
                read.data = slot;
                transfer = connection->Transfer(read);
            }
            CameraExposure exposure;
            {
                std::lock_guard lock(requestedMutex);
                if (!requested.empty()) {
                    exposure = requested.front();
                    requested.pop_front();
                }
            }
            const bool stopping = block.state.load(std::memory_order_acquire) == 1;
            if (block.triggered && transfer.status == TransferStatus::TimedOut && !stopping) {
                // No pulse within the driver's time-out: no frame of the camera's, and the
                // line may pause for as long as it likes. Only the stop or a camera that
                // fails otherwise ends the wait.
                continue;
            }
            const uint32_t moved = transfer.bytes;
            ++frames;
            block.framesAttempted.store(frames, std::memory_order_relaxed);
            const bool whole = transfer.Ok() && moved == block.bytesPerFrame;
            FrameArrival stamp;
            if (moved > 0 && block.counter != nullptr)
                stamp = block.counter->Received(whole);
            if (!whole) {
                // The partial slot is never published. After a stop request the read was
                // cancelled: the run ends as stopped, not failed.
                if (!stopping) {
                    result = kDevTransferFailed;
                    if (block.failures != nullptr)
                        block.failures->NoteTransfer("the frame transfer", transfer,
                                                     block.bytesPerFrame);
                }
                break;
            }
            if (block.triggered && block.currentExposure)
                exposure = block.currentExposure();
            stamp.gain = exposure.gain;
            stamp.exposure = exposure.exposure;
            {
                std::lock_guard lock(block.ringMutex);
                block.stamps[static_cast<std::size_t>(block.ring.WriteIndex())] = stamp;
                block.ring.Publish();
            }
            block.ringChanged.notify_all();
        }
        frameStream.reset();
        block.pending.End();
        elapsed = TickCount() - start;
        DriverClose(connection);
    }
    block.elapsedMs.store(elapsed, std::memory_order_relaxed);
    block.framesAttempted.store(frames, std::memory_order_relaxed);
    block.result.store(result, std::memory_order_relaxed);
    block.error.store(result == kDevTransferFailed ? 1 : 0, std::memory_order_relaxed);
    block.state.store(1, std::memory_order_release);
    {
        // Under the ring's lock: a consumer between its check and its wait still sees it.
        std::lock_guard lock(block.ringMutex);
    }
    block.ringChanged.notify_all();
    block.completion.Set();
}

}  // namespace pixora
