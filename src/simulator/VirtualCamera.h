// One virtual 530TZ: its register file, the state its commands set, the frames it paces and
// renders, the faults it shows, and the log of what it received. Thread-safe: commands,
// frame reads, triggers and configuration may come from any thread at once.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "driver/DriverPort.h"
#include "driver/WireProtocol.h"
#include "simulator/FaultPlan.h"
#include "simulator/RequestLog.h"
#include "simulator/ScenePattern.h"

namespace pixora {

inline constexpr double kDefaultFps = 20.0;
inline constexpr uint32_t kDefaultTimeoutMs = 3000;
// Trigger pulses that arrive while no frame read waits are kept, up to this many.
inline constexpr uint32_t kMaxPendingTriggers = 16;

// A driver handle as the bus hands it out. A handle belongs to the camera's attachment it
// was opened on: once the camera is unplugged, reset or vanishes, the handle stays dead.
struct OpenHandle {
    uintptr_t value = 0;
    int camera = 0;
    uint64_t generation = 0;
    std::atomic<bool> closed{false};
    // Raised by each cancel: a frame read that sees it change ends as cancelled.
    std::atomic<uint64_t> cancels{0};
    // The gain and exposure a frame request fixed for the next frame read on this handle
    // (the camera's mutex guards them).
    mutable bool requested = false;
    mutable uint32_t requestedGain = 0;
    mutable uint32_t requestedExposure = 0;
};

// What a camera has done since it was configured.
struct CameraCounters {
    uint64_t opens = 0;
    uint64_t commands = 0;  // command blocks carried out
    uint64_t replies = 0;
    uint64_t framesSent = 0;    // whole frames delivered
    uint64_t framesShort = 0;   // frames cut short by the short-frame fault
    uint64_t framesFailed = 0;  // reads that timed out, were aborted or overflowed
    uint64_t triggers = 0;      // pulses received while attached
};

struct CameraStatus {
    bool present = false;   // configured at this index
    bool attached = false;  // present and neither absent nor vanished
    bool triggerMode = false;
    bool halfClock = false;
    uint32_t sampleWidth = 0;  // 0: 8-bit samples; 1: 10-bit samples in two bytes
    uint32_t transferSamples = 0;
    uint32_t timeoutMs = 0;  // the driver time-out in effect
    uint32_t gain = 0;       // registers 6 and 7
    uint32_t exposure = 0;   // registers 158 and 159
    uint32_t pendingTriggers = 0;
    uint32_t readsWaiting = 0;  // frame reads waiting for their frame right now
    double fps = 0;
    SceneKind scene = SceneKind::Bars;
    uint32_t faultMask = 0;  // bit (1 << FaultKind) per active fault
    CameraCounters counters;
};

class VirtualCamera {
public:
    // `sequence` numbers the requests of every camera of a bus in arrival order.
    VirtualCamera(int index, std::atomic<uint64_t>& sequence);
    VirtualCamera(const VirtualCamera&) = delete;
    VirtualCamera& operator=(const VirtualCamera&) = delete;

    int Index() const { return index_; }

    // Driver side. Open succeeds when the camera is attached and no open fault fires; it then
    // stores the attachment the handle belongs to.
    bool Open(uintptr_t handleValue, uint64_t& generation);
    // Called after the bus marked the handle closed: ends the reads that wait on it.
    void Closed(const OpenHandle& handle);
    // Ends the frame reads waiting on `handle` now, as the driver cancels pending requests.
    void Cancel(OpenHandle& handle);
    // One control request; a refused one says why in `why` (time-out, cancel, camera gone,
    // or Failed for a malformed request or an injected failure).
    bool Control(const OpenHandle& handle, uint32_t code, const void* in, uint32_t inSize,
                 void* out, uint32_t outSize, uint32_t& bytesReturned, TransferStatus& why);

    // Back to the built-in defaults: present only at index 0, 20 fps, bars, 3000 ms, no
    // faults, power-on registers, empty log, counters zero. Every open handle dies.
    void Reset();
    void SetPresent(bool present);
    bool SetFps(double fps);
    void SetScene(SceneKind scene);
    // The time-out a freshly attached camera uses, and the one in effect now.
    bool SetDefaultTimeout(uint32_t ms);
    // Upper bound of every wait for a frame; 0: none.
    void SetMaxWait(uint32_t ms);
    bool SetFault(FaultKind kind, int32_t argument);
    // One external trigger pulse. True when the camera is attached.
    bool Trigger();

    CameraStatus Status() const;
    // The camera's own register file; nothing for a register that does not exist.
    std::optional<uint32_t> ReadRegister(uint32_t address) const;
    const RequestLog& Log() const { return log_; }
    // Command blocks with this number (-1: any) carried out since the last reset or
    // ClearLog.
    uint64_t CommandCount(int number) const;
    // Forgets the log and the command counts.
    void ClearLog();

private:
    using Clock = std::chrono::steady_clock;

    bool AttachedLocked() const;
    bool UsableLocked(const OpenHandle& handle) const;
    // Applies a change of attachment: a camera that comes back starts from power-on.
    void ReconcileLocked(bool wasAttached);
    void PowerOnLocked();
    uint32_t EffectiveTimeoutLocked() const;
    Clock::duration FramePeriodLocked() const;

    // The start of every request handler: false, with the record finished, when the handle
    // no longer reaches the camera (NoDevice) or the request is not `wellFormed` (Rejected).
    bool AdmitLocked(const OpenHandle& handle, bool wellFormed, RequestRecord& record) const;
    void HandleTimeout(const OpenHandle& handle, const void* in, uint32_t inSize,
                       RequestRecord& record);
    void HandleCommand(const OpenHandle& handle, const void* out, uint32_t outSize,
                       RequestRecord& record);
    void ApplyCommandLocked(const DecodedCommand& command);
    void HandleReply(const OpenHandle& handle, void* out, uint32_t outSize, RequestRecord& record);
    void HandleFrame(const OpenHandle& handle, void* out, uint32_t outSize, RequestRecord& record);
    // The rendered sensor for the current scene and sample width, at the gain and exposure
    // given (the registers' when none are).
    std::shared_ptr<const ScenePattern> PatternFor(
        std::unique_lock<std::mutex>& lock,
        const std::optional<std::pair<uint32_t, uint32_t>>& gainAndExposure);
    // A value split over a pair of registers: six bits in `low`, the bits of `highMask` in
    // `high` above them.
    uint32_t RegisterPairLocked(uint32_t low, uint32_t high, uint32_t highMask) const;
    uint32_t GainLocked() const;
    uint32_t ExposureLocked() const;
    // Where the sensor's read-out starts, as the window start registers say.
    ReadoutStart ReadoutStartLocked() const;

    const int index_;
    std::atomic<uint64_t>& sequence_;
    RequestLog log_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // Configuration.
    bool present_ = false;
    double fps_ = kDefaultFps;
    SceneKind scene_ = SceneKind::Bars;
    uint32_t defaultTimeoutMs_ = kDefaultTimeoutMs;
    uint32_t maxWaitMs_ = 0;
    FaultPlan faults_;
    // Attachment: changes whenever the camera is unplugged or comes back.
    uint64_t generation_ = 1;
    // Device state as the host's commands left it.
    std::array<uint32_t, wire::kRegisterCount> registers_{};
    uint32_t sampleWidth_ = 0;
    uint32_t transferSamples_ = wire::kDefaultTransferSamples;
    bool halfClock_ = false;
    bool triggerMode_ = false;
    uint32_t pendingTriggers_ = 0;
    uint32_t timeoutMs_ = kDefaultTimeoutMs;
    Clock::time_point nextFrame_{};
    uint64_t frameSequence_ = 0;
    uint32_t readsWaiting_ = 0;
    std::shared_ptr<const SceneMosaic> mosaic_;
    std::shared_ptr<const ScenePattern> pattern_;
    CameraCounters counters_;
    std::array<uint64_t, 256> commandCounts_{};
};

}  // namespace pixora
