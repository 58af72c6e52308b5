#include "device/TransferWorkers.h"

#include "device/CommandBlocks.h"
#include "device/DeviceResult.h"
#include "device/DriverAccess.h"
#include "platform/Clock.h"

namespace pixora {

void PendingTransfer::Begin(DriverHandle handle) {
    std::lock_guard lock(mutex_);
    handle_ = handle;
}

void PendingTransfer::End() {
    std::lock_guard lock(mutex_);
    handle_ = nullptr;
}

void PendingTransfer::Cancel(DriverPort& port) {
    std::lock_guard lock(mutex_);
    if (handle_ != nullptr)
        port.CancelPending(handle_);
}

void SingleTransferWorker(DriverPort& port, CaptureBlock& block) {
    int32_t result = kDevOk;
    uint32_t elapsed = 0;
    DriverHandle handle = DriverOpen(port, block.devicePath.c_str());
    if (handle == nullptr) {
        result = kDevOpenFailed;
    } else {
        const uint32_t start = TickCount();
        uint32_t moved = 0;
        block.pending.Begin(handle);
        // No frame request: the camera delivers its next frame by itself or on the trigger.
        const int32_t transfer = PipeTransfer(port, handle, kPipeImage, block.byteCount,
                                              block.destination, block.secondaryPair, true, &moved);
        block.pending.End();
        const bool whole = transfer == kPipeOk && moved == block.byteCount;
        // A frame that came short was still a frame of the camera's: it takes its number.
        if (moved > 0 && block.counter != nullptr)
            block.stamp = block.counter->Received(whole);
        if (!whole) {
            result = kDevTransferFailed;
        }
        elapsed = TickCount() - start;
        DriverClose(port, handle);
    }
    block.elapsedMs.store(elapsed, std::memory_order_relaxed);
    block.result.store(result, std::memory_order_relaxed);
    block.done.store(1, std::memory_order_release);
    block.completion.Set();
}

void StreamWorker(DriverPort& port, StreamBlock& block) {
    int32_t result = kDevOk;
    uint32_t elapsed = 0;
    uint32_t frames = 0;
    DriverHandle handle = DriverOpen(port, block.devicePath.c_str());
    if (handle == nullptr) {
        result = kDevOpenFailed;
    } else {
        const uint32_t start = TickCount();
        block.pending.Begin(handle);
        while (block.state.load(std::memory_order_acquire) != 1 && result != kDevTransferFailed) {
            CommandBlock request = MakeCommand(kCmdRequestFrame);
            uint32_t moved = 0;
            // The frame request's outcome is not examined; the read below tells.
            PipeTransfer(port, handle, kPipeCommand, kBlockSize, request.data(),
                         block.secondaryPair, false, &moved);

            uint8_t* slot = nullptr;
            {
                std::lock_guard lock(block.ringMutex);
                slot = block.slots[static_cast<std::size_t>(block.ring.WriteIndex())];
            }
            const int32_t transfer = PipeTransfer(port, handle, kPipeImage, block.bytesPerFrame,
                                                  slot, block.secondaryPair, true, &moved);
            ++frames;
            block.framesAttempted.store(frames, std::memory_order_relaxed);
            const bool whole = transfer == kPipeOk && moved == block.bytesPerFrame;
            FrameArrival stamp;
            if (moved > 0 && block.counter != nullptr)
                stamp = block.counter->Received(whole);
            if (!whole) {
                // The partial slot is never published. After a stop request the read was
                // cancelled: the run ends as stopped, not failed.
                if (block.state.load(std::memory_order_acquire) != 1)
                    result = kDevTransferFailed;
                break;
            }
            std::lock_guard lock(block.ringMutex);
            block.stamps[static_cast<std::size_t>(block.ring.WriteIndex())] = stamp;
            block.ring.Publish();
        }
        block.pending.End();
        elapsed = TickCount() - start;
        DriverClose(port, handle);
    }
    block.elapsedMs.store(elapsed, std::memory_order_relaxed);
    block.framesAttempted.store(frames, std::memory_order_relaxed);
    block.result.store(result, std::memory_order_relaxed);
    block.error.store(result == kDevTransferFailed ? 1 : 0, std::memory_order_relaxed);
    block.state.store(1, std::memory_order_release);
    block.completion.Set();
}

}  // namespace pixora
