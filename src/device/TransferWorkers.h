// The two thread routines that read image data from pipe 2: one frame into a buffer, or
// frames without end into a ring of slots. Each opens and closes its own driver connection.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/DriverFailureNote.h"
#include "device/FrameCounter.h"
#include "device/SlotRing.h"
#include "driver/DriverPort.h"
#include "platform/ManualResetEvent.h"

namespace pixora {

// The connection a transfer thread is reading on, so that another thread can cancel the
// read in progress. The connection is only ever cancelled while it is open.
class PendingTransfer {
public:
    void Begin(DriverConnection* connection);
    void End();
    // Cancels the read in progress, if any; a read that starts afterwards is not affected.
    void Cancel();

private:
    std::mutex mutex_;
    DriverConnection* connection_ = nullptr;
};

// One single-frame transfer. The starter fills the plain fields before the worker starts
// and does not touch them until `done` is 1 again; the outcome fields are atomic because
// the starter may read them while a late worker (after a limited wait) still runs.
struct CaptureBlock {
    uint8_t* destination = nullptr;
    uint32_t byteCount = 0;
    ManualResetEvent completion;
    std::atomic<uint32_t> elapsedMs{0};
    std::atomic<int32_t> result{0};
    std::atomic<int32_t> done{1};  // 1: no capture running
    uint32_t sampleWidth = 0;
    bool secondaryPair = false;
    std::string devicePath;
    PendingTransfer pending;
    // Numbers the frame; its number and time are set before `done`.
    FrameCounter* counter = nullptr;
    FrameArrival stamp;
    DriverFailureNote* failures = nullptr;  // told why a capture failed
};

// One stream run into a ring of slots.
struct StreamBlock {
    uint32_t bytesPerFrame = 0;
    ManualResetEvent completion;
    std::atomic<uint32_t> elapsedMs{0};
    std::atomic<uint32_t> framesAttempted{0};
    std::atomic<int32_t> result{0};
    std::atomic<int32_t> state{1};  // 0 running; 1 stop requested or stopped
    std::atomic<int32_t> error{0};  // 1 when the run ended with a transfer error
    std::vector<uint8_t*> slots;
    // Shared by the worker (write side) and the consumer (read side); each step of either
    // side happens under the lock, so the writer never picks the slot the consumer takes.
    mutable std::mutex ringMutex;
    SlotRing ring;
    std::vector<FrameArrival> stamps;  // per slot: the frame it holds (under ringMutex)
    FrameCounter* counter = nullptr;
    DriverFailureNote* failures = nullptr;  // told why a run failed
    uint32_t sampleWidth = 0;
    bool secondaryPair = false;
    std::string devicePath;
    PendingTransfer pending;
};

// Reads one frame of byteCount bytes into destination; result kDevOk, kDevOpenFailed or
// kDevTransferFailed. Sets `done` and then the completion event as its last actions.
void SingleTransferWorker(DriverPort& port, CaptureBlock& block);

// Requests and reads frames into the slots until the state flag is 1 or a transfer fails.
// A read that fails after the stop request (a cancelled one) ends the run normally.
// Stores the outcome, sets the state flag (and the error flag for a transfer error), then
// the completion event.
void StreamWorker(DriverPort& port, StreamBlock& block);

}  // namespace pixora
