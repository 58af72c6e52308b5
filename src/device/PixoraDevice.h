// The device object of one camera session: which of the eight cameras it talks to, the
// parameter commands, register writes with a cache of every value written, analog gain and
// exposure, and frame acquisition (one frame on demand, or a stream into a slot ring).
//
// Threads: the application thread and the session's worker may call in at the same time.
// Commands are serialised on one lock (so a register's cached value is the one last sent);
// geometry, buffers and the capture and stream bookkeeping sit behind another; waits for
// workers happen outside both. Each object owns its own capture and stream threads.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PixoraSdk_530TZ.h"
#include "device/DriverAccess.h"
#include "device/DriverFailureNote.h"
#include "device/FrameCounter.h"
#include "device/FrameGeometry.h"
#include "device/RegisterMap.h"
#include "device/SlotRing.h"
#include "device/TransferWorkers.h"
#include "device/ZeroedBuffer.h"
#include "driver/DriverPort.h"
#include "image/Rect.h"

namespace pixora {

class ImageBuffer;

// The camera window last accepted by SetWindow.
using CameraWindow = Rect;

// The device's frames so far: every frame the camera sent is one of received, and of
// those, lost ones came short and skipped ones were whole but never handed out (a newer
// frame replaced them, or a stop left them).
struct FrameTally {
    uint64_t received = 0;
    uint64_t lost = 0;
    uint64_t skipped = 0;
};

// How a stream hands out its frames. The preview's default takes the newest frame and lets
// the camera run free; a frame queue takes every frame in turn (a full ring gives up the
// newest or the oldest waiting frame, counted as skipped), free-running or one frame per
// trigger pulse.
struct StreamMode {
    RingOrder order = RingOrder::Newest;
    bool dropOldest = false;
    bool triggered = false;
};

// Where a conversion writes: pixel memory of `capacity` bytes, rows `stride` bytes apart
// (0: packed, activeWidth x bytes per pixel). A nonzero `bytesPerPixel` must match the
// samples of the frame (1 for 8-bit, 2 for 10-bit).
struct RawDestination {
    void* pixels = nullptr;
    std::size_t capacity = 0;
    std::size_t stride = 0;
    std::size_t bytesPerPixel = 0;
};

class PixoraDevice {
public:
    static constexpr int32_t kGainMin = PIXORA_GAIN_MIN;
    static constexpr int32_t kGainMax = PIXORA_GAIN_MAX;
    static constexpr int32_t kExposureMin = PIXORA_EXPOSURE_MIN;
    static constexpr int32_t kExposureMax = PIXORA_EXPOSURE_MAX;
    static constexpr uint32_t kDefaultTransferTimeoutMs = 3000;

    // Probes the eight device paths, opens index 0 and writes gain 0, exposure 0 (sent as
    // 8) and gain mode 0; commands that fail (no camera) are ignored.
    explicit PixoraDevice(DriverPort& port);
    ~PixoraDevice();
    PixoraDevice(const PixoraDevice&) = delete;
    PixoraDevice& operator=(const PixoraDevice&) = delete;

    // --- Device selection ---------------------------------------------------------------
    void ProbeDevices();
    int32_t DeviceCount() const { return wire::kCameraSlots; }
    bool IsPresent(int32_t index) const;
    int32_t CurrentIndex() const { return currentIndex_.load(std::memory_order_relaxed); }
    std::string DevicePath() const;
    // kDevOk, kDevBadIndex, or kDevBusy while a capture or stream runs (nothing changed
    // then). Resets the defaults, selects the camera, 8-bit samples, sends the init
    // command, full window and geometry, free-running mode.
    int32_t Open(int32_t index);
    void ResetDefaults();
    // 0, or 1 when the window or sub-sample index is out of range (nothing stored).
    int32_t SetWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t subSample);
    CameraWindow Window() const;

    // --- Parameters ---------------------------------------------------------------------
    // 0: one byte per sample (8-bit); nonzero: two bytes (10-bit). Always true.
    bool SetSampleWidth(uint32_t flag);
    uint32_t SampleWidth() const { return sampleWidth_.load(std::memory_order_relaxed); }
    void SetTransferTimeout(uint32_t milliseconds);
    uint32_t TransferTimeout() const { return transferTimeoutMs_.load(std::memory_order_relaxed); }
    bool SetCaptureWaitLimited(uint32_t flag);
    // The initialise command: kDevOk, kDevOpenFailed or kDevCommandFailed.
    int32_t InitDevice();

    // --- Registers ----------------------------------------------------------------------
    // False, with nothing sent, for registers 192..255 and 1024 and above; false when the
    // command failed. The cache keeps the value as passed, only after success.
    bool WriteRegister(uint32_t reg, uint32_t value);
    // The cached value of an existing register (0 if never written); the camera is not read.
    bool ReadRegister(uint32_t reg, uint32_t& value) const;

    // Gain over registers 6 (bits 0..5) and 7 (bits 6..9).
    bool SetGain(int32_t gain);
    uint16_t GetGain() const { return gain_.load(std::memory_order_relaxed); }
    int32_t GainMin() const { return kGainMin; }
    int32_t GainMax() const { return kGainMax; }
    // Exposure clamped to 8..1068 over registers 158 (bits 0..5) and 159 (bits 6..11).
    bool SetExposure(int32_t exposure);
    uint16_t GetExposure() const { return exposure_.load(std::memory_order_relaxed); }
    int32_t ExposureMin() const { return kExposureMin; }
    int32_t ExposureMax() const { return kExposureMax; }
    // 0..4 into register 8.
    bool SetGainMode(int32_t mode);
    // The sensor's first column and row to read out: the column over registers 164
    // (bits 0..5) and 165 (bits 6..11), the row over 166 and 167. SetWindow sends them.
    bool SetWindowStart(int32_t x, int32_t y);
    // 1: external trigger; anything else: free-running. Registers 32 and 33 follow.
    bool SetTrigger(int32_t flag);
    bool QueryClock(int32_t& flag);
    // Sends the clock and re-opens the current camera; true when the command went through.
    bool SetClock(int32_t flag);

    // Stops any transfer and releases the frame buffer and slots; SetFrameGeometry (or
    // Open, SetWindow) allocates again.
    void FreeResources();

    // --- Frame acquisition --------------------------------------------------------------
    // kDevOk, kDevTooFewSlots, kDevBadHorizontal, kDevBadVertical, kDevNoMemory, or kDevBusy
    // while a capture or stream runs (nothing changed).
    int32_t SetFrameGeometry(int32_t pitch, int32_t column, int32_t width, int32_t totalLines,
                             int32_t line, int32_t height, int32_t slots);
    FrameGeometry Geometry() const;
    int32_t SlotCount() const;

    // One frame into the frame buffer, waiting for it: kDevOk, kDevOpenFailed,
    // kDevTransferFailed, kDevBusy; kDevNoMemory when the worker cannot start. When a
    // limited wait expires: kDevTransferFailed, and the worker finishes on its own.
    int32_t CaptureFrame();
    // kDevBusy while a capture runs, else the result of the last capture.
    int32_t FinishCapture();
    // kDevOk, kDevBusy, kDevNoBuffer (no slots), kDevNoMemory (worker cannot start).
    int32_t StartStream(const StreamMode& mode = StreamMode{});
    // kPollEndedWithError: the stream ended with a transfer error; kPollNotStreaming;
    // kPollNoNewFrame; kPollNewFrame: the newest complete frame became the read slot (until
    // ConvertLatest).
    static constexpr int32_t kPollNotStreaming = 0;
    static constexpr int32_t kPollEndedWithError = 1;
    static constexpr int32_t kPollNoNewFrame = 2;
    static constexpr int32_t kPollNewFrame = 3;
    int32_t PollFrame();
    // PollFrame once a transfer ended with a frame (kPollNewFrame), the stream ended
    // (kPollEndedWithError, kPollNotStreaming), InterruptStreamWait was called, or
    // timeoutMs passed (< 0: no limit; kPollNoNewFrame for the last two). Woken by the
    // stream worker itself: no polling in between.
    int32_t WaitStreamFrame(int64_t timeoutMs);
    // Ends every WaitStreamFrame, and makes later ones return at once, until the next
    // StartStream. From any thread.
    void InterruptStreamWait();
    // Releases the read slot PollFrame handed out without converting it; its number, time
    // and exposure go to *stamp. kDevOk, or kDevNoBuffer when no slot is held. The caller
    // accounts for the frame.
    int32_t ReleaseLatest(FrameArrival* stamp);
    // The read slot into `dest` and releases it; kDevOk, or kDevNoBuffer when the destination
    // is missing or too small or PollFrame handed out no frame. The frame's number and time
    // go to *stamp when given (also when the copy fails).
    int32_t ConvertLatest(const RawDestination& dest, FrameArrival* stamp = nullptr);
    int32_t ConvertLatest(ImageBuffer& image, FrameArrival* stamp = nullptr);
    // The last single capture into `dest`; kDevOk, kDevNoBuffer, or kDevBusy while a
    // capture still runs. The frame's number and time go to *stamp when given.
    int32_t ConvertFrame(const RawDestination& dest, FrameArrival* stamp = nullptr);
    int32_t ConvertFrame(ImageBuffer& image, FrameArrival* stamp = nullptr);
    FrameTally Frames() const;
    // Stops the stream and returns how the run ended: kDevOk, kDevOpenFailed or
    // kDevTransferFailed; kDevOk when none was started. The read in progress is cancelled,
    // so the stop does not wait for the camera's next frame (where the driver cannot
    // cancel, the transfer time-out bounds the wait).
    int32_t StopStream();
    // Cancels the single capture's read in progress, from any thread: the capture then
    // ends with kDevTransferFailed. A capture that starts afterwards is not affected.
    void CancelCapture();
    // A whole captured frame that nobody converted (a trigger run stopped before its frame
    // was delivered) is not going to be: it counts as skipped. Also done by the next capture.
    void DiscardCapture();
    bool IsStreaming() const;

    // Why the last driver operation on the current camera failed (an open, a command, a
    // frame transfer), with when; empty text before any failure.
    DriverFailure LastDriverFailure() const { return failures_.Last(); }
    // Why camera 0 was not found by the last probe; empty when it was.
    std::string AbsenceReason() const;

    uint32_t LastElapsedMs() const { return lastElapsedMs_.load(std::memory_order_relaxed); }
    // Frames the last collected stream run attempted.
    uint32_t LastFrameCount() const { return lastFrameCount_.load(std::memory_order_relaxed); }

private:
    // A connection to the current camera; a failure to open is noted.
    DriverConnectionPtr OpenNoted();
    // SendCommand, noting a failed transfer.
    int32_t SendNoted(DriverConnection* connection, const CommandBlock& block);
    // Opens the device path, sends one block, closes; commandMutex_ must be held.
    int32_t SendLocked(const CommandBlock& block);
    int32_t Send(const CommandBlock& block);
    bool WriteRegisterLocked(uint32_t reg, uint32_t value);

    // acquisitionMutex_ must be held for these.
    bool CaptureRunningLocked() const;
    bool StreamRunningLocked() const;
    void JoinFinishedCaptureLocked();
    void DiscardCaptureLocked();
    void ReleaseBuffersLocked();
    int32_t CopyFrameLocked(const uint8_t* frame, uint32_t sampleWidth,
                            const RawDestination& dest) const;
    static RawDestination DestinationOf(ImageBuffer& image);
    // Gain and exposure from the register cache; commandMutex_ must be held.
    CameraExposure ExposureLocked() const;
    // A free-running stream's frame request, sent between register writes: the frame it asks
    // for is taken with the gain and exposure returned.
    CameraExposure RequestFrame(const std::function<void()>& sendRequest);
    CameraExposure CurrentExposure();

    DriverPort& port_;

    std::atomic<uint32_t> sampleWidth_{0};
    std::atomic<uint32_t> lastElapsedMs_{0};
    std::atomic<uint32_t> lastFrameCount_{0};
    std::atomic<uint32_t> transferTimeoutMs_{kDefaultTransferTimeoutMs};
    std::atomic<uint32_t> captureWaitLimited_{0};
    std::array<std::atomic<uint32_t>, wire::kCameraSlots> present_{};
    std::atomic<int32_t> currentIndex_{0};
    std::atomic<uint16_t> gain_{0};
    std::atomic<uint16_t> exposure_{0};
    std::array<std::atomic<uint32_t>, kRegisterCount> registerCache_{};

    // Serialises commands; also guards read-modify-write sequences on the register cache.
    std::mutex commandMutex_;
    mutable std::mutex pathMutex_;
    std::string devicePath_;
    std::string absenceReason_;  // under pathMutex_
    DriverFailureNote failures_;

    // Geometry, window, buffers and the capture and stream bookkeeping.
    mutable std::mutex acquisitionMutex_;
    CameraWindow window_;
    FrameGeometry geometry_;
    int64_t allocatedSamples_ = 0;  // samples each buffer below holds; 0 when none
    ZeroedBuffer frameBuffer_;
    std::vector<ZeroedBuffer> slots_;
    int32_t slotCount_ = 0;
    CaptureBlock capture_;
    std::unique_ptr<std::thread> captureThread_;
    // The last captured frame converted or counted as skipped: each whole capture is one or
    // the other, once.
    uint64_t captureAccountedSequence_ = 0;
    StreamBlock stream_;
    std::unique_ptr<std::thread> streamThread_;
    FrameCounter frames_;
    bool streamSlotsValid_ = false;  // the ring of the last stream still refers to slots_
};

}  // namespace pixora
