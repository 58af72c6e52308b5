// The camera behind one element: a handle of the library opened on a device index, the
// capture on it (free-running or external trigger), and the frames taken from it.
#pragma once

#include <atomic>
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

// What one take from the camera's frame queue gave.
enum class Take {
    Frame,     // a frame, held until ReturnFrame
    TimedOut,  // none within the time asked for; the stream goes on
    Stopped,   // no stream: it was stopped (Stop, a pause, a change of colour mode)
    Failed,    // the camera failed or went away
};

// How the element streams: the colour mode, free-running or triggered, the processed
// picture or the raw mosaic, and the buffers of the queue.
struct StreamShape {
    int32_t bits = 24;
    bool trigger = false;
    bool raw = false;
    int32_t buffers = PIXORA_STREAM_DEFAULT_BUFFERS;
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

    // Opens the camera's frame queue in `shape`. The queue drops its oldest frame when the
    // pipeline holds every buffer: a live source hands on the newest.
    bool Start(const StreamShape& shape, CameraFailure* failure);
    // Ends the stream; a Take waiting on another thread returns at once. Any thread.
    void Stop();
    // The next frame of the queue, waiting up to `timeoutMs` (-1: without limit). A Frame
    // must be given back with PixoraEx_ReturnFrame.
    Take Next(PixoraStreamFrame* frame, int32_t timeoutMs) const;
    // The open stream's shape and measured rate; every field 0 without a stream.
    PixoraStreamStatus Status() const;
    // The colour pattern of the raw mosaic at the capture window as set now.
    int32_t BayerPattern() const;
    PixoraFrameCounts Counts() const;

    // The newest code the library recorded (the others are discarded) as a failure of
    // `what`: "camera 1: starting the capture failed: error 13 (stream failed: ...)".
    CameraFailure TakeFailure(const std::string& what);

private:
    // The newest code of the error stack; the older ones are discarded.
    int32_t TakeNewestCode();

    std::atomic<PIXORA_HANDLE> handle_{nullptr};
    int32_t index_ = 0;
};

}  // namespace pixora::gst
