// The two thread routines that read image data from pipe 2: one frame into a buffer, or
// frames without end into a ring of slots. Each opens and closes its own driver connection.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
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
//
// Free-running, the worker requests each frame, and the camera takes it with the registers
// of that moment: `requestFrame` sends the request while no register write is under way and
// gives the gain and exposure the frame is taken with. Triggered, no request is sent (the
// pulse starts the frame), a frame is stamped with the registers in force when it arrived
// (`currentExposure`), and a read that the driver's time-out ends is made again: gaps
// between pulses may be of any length. Only a camera gone, a read that failed otherwise,
// or a transfer that brought part of a frame ends the run.
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
    // Notified under ringMutex for every published frame and at the end of the run, so a
    // consumer waits for frames instead of polling.
    std::condition_variable ringChanged;
    bool waitInterrupted = false;  // under ringMutex: waiting consumers return at once
    FrameCounter* counter = nullptr;
    DriverFailureNote* failures = nullptr;  // told why a run failed
    bool triggered = false;
    std::function<CameraExposure(const std::function<void()>& sendRequest)> requestFrame;
    std::function<CameraExposure()> currentExposure;
    uint32_t sampleWidth = 0;
    bool secondaryPair = false;
    std::string devicePath;
    PendingTransfer pending;
};

// Reads one frame of byteCount bytes into destination; result kDevOk, kDevOpenFailed or
// kDevTransferFailed. Sets `done` and then the completion event as its last actions.
void SingleTransferWorker(DriverPort& port, CaptureBlock& block);

// Requests and reads frames into the slots until the state flag is 1 or a transfer fails
// (triggered: fails otherwise than by waiting out the time-out). A read that fails after the
// stop request (a cancelled one) ends the run normally. Stores the outcome, sets the state
// flag (and the error flag for a transfer error), wakes the ring's waiters, then sets the
// completion event.
void StreamWorker(DriverPort& port, StreamBlock& block);

}  // namespace pixora
