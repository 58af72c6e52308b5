// The camera behind one element: a handle of the library opened on a device index, the
// capture on it (free-running or external trigger), and the frames taken from it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "PixoraExtensions.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::gst {

// A failure as the library reported it: its error code (0 when it recorded none) and a
// sentence for the person reading the pipeline's error.
struct CameraFailure {
    int32_t code = 0;
    std::string text;
};

enum class FrameWait {
    Ready,     // a frame newer than the one asked after has been processed
    Stopped,   // the capture stopped (Stop, or the camera failed) or the wait timed out
    Released,  // the handle is gone
};

class CameraSource {
public:
    CameraSource() = default;
    ~CameraSource();
    CameraSource(const CameraSource&) = delete;
    CameraSource& operator=(const CameraSource&) = delete;

    // Opens a handle on device `index`. False with the reason when the index holds no
    // camera or the handle cannot be set up.
    bool Open(int32_t index, CameraFailure* failure);
    // Stops any capture and releases the handle.
    void Close();
    PIXORA_HANDLE Handle() const { return handle_.load(); }
    int32_t Index() const { return index_; }

    // The capture window, 0 x 0 without a handle.
    int32_t Width() const;
    int32_t Height() const;

    // Starts capturing `bits` per pixel, free-running or in external trigger mode.
    bool Start(int32_t bits, bool trigger, CameraFailure* failure);
    // Stops the capture; a Wait on another thread returns at once. Any thread.
    void Stop();
    // 0 idle (stopped, or the capture ended by itself), 1 free-running, 3 trigger.
    int32_t CaptureState() const;
    // Whether the camera is still at its index (the library records 2 when it is not).
    bool Present() const;

    FrameWait Wait(uint64_t afterSequence, int32_t timeoutMs) const;
    // Copies the newest processed frame (rows top to bottom at the library's stride) and
    // gives its meta.
    bool Read(void* data, size_t size, PixoraFrameMeta* meta, CameraFailure* failure);
    PixoraFrameCounts Counts() const;

    // Takes the codes the library recorded since the last look; true when one of them says
    // that the stream ended (the camera failed or went away while free-running).
    bool StreamEnded();
    // The newest code the library recorded (the others are discarded) as a failure of
    // `what`: "camera 1: starting the capture failed: error 13 (stream failed: ...)".
    CameraFailure TakeFailure(const std::string& what);

private:
    // The newest code of the error stack, and of those StreamEnded took and nothing reported.
    int32_t TakeNewestCode();

    std::atomic<PIXORA_HANDLE> handle_{nullptr};
    int32_t index_ = 0;
    std::atomic<int32_t> takenCode_{0};
};

}  // namespace pixora::gst
