// The capture machinery of one session: the eight images, the worker thread and its two
// loops, the target frames are delivered to, the frame records and what is known of each
// frame, and the preview window. The session owns one once its device exists and forwards
// the capture exports to it; everything here runs with the session's call lock held, except
// the worker and WaitFrame.
//
// Threads: the worker reads the run flag, the state, the target and the settings while the
// application thread changes them (atomics, or the target's lock); the images, the preview
// window and the frame bookkeeping are touched by one side at a time under frameMutex_.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "PixoraSdk_530TZ.h"
#include "image/Rect.h"
#include "imaging/ProcessFrame.h"
#include "imaging/ProcessorInfo.h"
#include "platform/ManualResetEvent.h"
#include "session/CallMutex.h"
#include "session/CaptureTypes.h"
#include "session/ErrorStack.h"
#include "session/FrameQueue.h"
#include "session/FrameRateMeter.h"
#include "session/FrameRecordPool.h"
#include "session/SessionSettings.h"
#include "settings/SensorSize.h"

namespace pixora {

class DialogRefresh;
class ExposureControl;
class ImageBuffer;
class PixoraDevice;
class PreviewWindow;
struct FrameArrival;

using SessionImages = std::array<std::unique_ptr<ImageBuffer>, kImageCount>;

// What the machinery works with, all owned by the session and living longer than it.
struct CaptureParts {
    PixoraDevice& device;
    SessionSettings& settings;
    const ProcessorInfo& processor;
    ErrorStack& errors;
    ExposureControl& camera;     // gain and exposure for automatic exposure
    DialogRefresh& openDialogs;  // the dialogs the chain refreshes
};

class CaptureMachine {
public:
    // `images` are the eight images, empty until a preparation sizes them.
    CaptureMachine(const CaptureParts& parts, SessionImages images);
    ~CaptureMachine();
    CaptureMachine(const CaptureMachine&) = delete;
    CaptureMachine& operator=(const CaptureMachine&) = delete;

    // The capture paths, with the results and error codes of the exports of the same name.
    int32_t Preview();
    int32_t CallBackPreview(PIXORA_HWND window, void* buffer, int32_t size, int32_t rowOrder);
    int32_t StartPreview();
    int32_t StopPreview();
    int32_t Close();
    int32_t SnapShot(void* buffer, int32_t size, int32_t rowOrder);
    int32_t Capture();
    int32_t Trigger(PIXORA_HWND window, void* buffer, int32_t size, int32_t rowOrder);
    // Trigger mode without a window, a buffer or frame messages (PixoraEx_StartTrigger): the
    // frames are there for GetFrame and WaitFrame, as StartPreview is to Preview.
    int32_t StartTrigger();
    int32_t GetImage(void* buffer, int32_t size, int32_t rowOrder);
    // Copies the picture under the frame lock, then lets the caller's hold on the call lock
    // go before encoding the copy, so that the session's other calls need not wait for the
    // file to be written.
    int32_t SaveImage(const char* fileName, int32_t format, SessionCallLock& call);
    void SetPreviewWindow(PIXORA_HWND parent, const Rect& placement);

    // Frame metadata. GetFrame copies the newest processed frame like GetImage and gives its
    // meta, both of one frame. WaitFrame is called without the call lock: it waits until a
    // frame newer than `afterSequence` has been processed (1), the time-out passed or the
    // capture stopped (0), or the machinery was shut down (-1). A time-out of
    // kWaitWithoutLimit waits without limit; any other negative one is refused (0 at once).
    static constexpr int32_t kWaitWithoutLimit = -1;
    int32_t GetFrame(void* buffer, int32_t size, int32_t rowOrder, FrameMeta* meta);
    int32_t WaitFrame(uint64_t afterSequence, int32_t timeoutMs);
    FrameCounts Counts() const;

    // Frame-queue streams (FrameQueueStream.cpp). OpenStream and CloseStream have the results
    // and codes of the exports of the same name. TakeFrame runs without the call lock: it
    // gives the stream's oldest queued frame, now held, and the queue to lend it from
    // (Frame); waits up to timeoutMs (< 0: without limit) for one; or tells that there is no
    // stream (Ended, with *why Stopped) or that it ended (Ended, with the reason).
    int32_t OpenStream(const StreamRequest& request);
    int32_t CloseStream();
    FrameQueue::Take TakeFrame(int64_t timeoutMs, TakenFrame* frame,
                               std::shared_ptr<FrameQueue>* queue, StreamEnd* why);
    // The open stream's shape and counts; false when none is open.
    bool StreamStatus(StreamShape* shape, QueueCounts* counts, StreamEnd* state) const;
    // The colour pattern of the raw mosaic at the capture window's start (PIXORA_BAYER_*).
    int32_t BayerPattern() const;

    // Around a change of camera: stops whatever runs and gives the state it was in, and
    // starts the same capture again on the newly opened camera, window and target kept.
    CaptureState Suspend();
    void Restart(CaptureState state);
    // Around the camera dialog: stops a preview or a capture, pauses a trigger run (its
    // worker idles), and gives the state; Resume restarts it unless another call changed
    // the capture meanwhile.
    CaptureState Pause();
    void Resume(CaptureState paused);

    // The end of the session: everything stopped, the window closed, the images freed, and
    // WaitFrame callers told. Nothing but WaitFrame may be called afterwards.
    void Shutdown();

    CaptureState State() const { return state_.load(); }
    const Rect& Placement() const { return placement_; }
    // The preview window while one was ever opened (for reading back what it shows).
    PreviewWindow* PreviewSurface() { return preview_.get(); }
    ImageBuffer* Image(ImageRole role) { return images_[static_cast<int>(role)].get(); }
    // Frame-rate clock of the workers (milliseconds); tests substitute their own.
    void SetRateClock(uint32_t (*clock)()) { rateClock_.store(clock); }

private:
    // Images and preparation (CaptureMachine.cpp).
    int32_t PrepareStream();
    // The images as the processing chain takes them, and the raw and output image of a mode.
    FrameImages ChainImages();
    ImageBuffer* RawImage(int32_t mode);
    ImageBuffer* OutputImage(int32_t mode);
    // Preview and callback preview: the target is applied only when the preview starts.
    int32_t StartPreviewTo(const FrameTarget& target);
    // Trigger and StartTrigger: ends a trigger run already there, opens the preview window
    // when asked to, and enters trigger mode with the target.
    int32_t TriggerTo(const FrameTarget& target, bool withWindow);
    // Trigger mode from a prepared window on: state, camera and worker. Closes on failure.
    int32_t EnterTriggerMode(const FrameTarget& target);
    FrameTarget Target() const;
    void SetTarget(const FrameTarget& target);
    void RecordError(ErrorCode code) { errors_.Record(code); }

    // The worker (CaptureWorker.cpp).
    int32_t StartWorker();
    // Stops the worker, if there is one, and waits for it to end; a trigger worker's armed
    // read is cancelled so that this does not wait for the next trigger.
    void EndWorker();
    void WorkerMain();
    void PreviewLoop();
    void TriggerLoop();
    bool ArmTrigger();
    // Sleeps between worker passes; a stop request ends the pause early.
    void PauseWorker(int64_t milliseconds);
    // Converts the newest frame (stream) or the captured one, runs the chain and delivers
    // it; false when the frame could not be delivered.
    bool DeliverFrame(bool fromStream, int32_t frameRate);

    // Frames handed out (CaptureOutput.cpp).
    // Runs the chain on the raw image the device just filled, the frame `meta` describes;
    // frameMutex_ held.
    void ProcessCurrentFrame(int32_t mode, const FrameMeta& meta);
    // A frame's meta, its gap measured from the last frame handed out (frameMutex_).
    FrameMeta MetaOf(const FrameArrival& arrival) const;
    // A frame handed out: counted, and the next frame's gap measured from it (frameMutex_).
    void CountDelivered(const FrameMeta& meta);
    // Wakes WaitFrame callers: a stop or the end.
    void NotifyCaptureStopped();
    // The free-running stream failed: no frame comes until a capture starts again, so a
    // WaitFrame caller returns now, and so does one that starts waiting later.
    void NotifyStreamFailed();
    int32_t CopyToCaller(const ImageBuffer* image, const FrameTarget& target);
    void PostFrameError(ErrorCode code);

    // Frame-queue streams (FrameQueueStream.cpp).
    std::shared_ptr<FrameQueue> Queue() const;
    // Ends the open stream's queue for `why` and lets it go (the worker may still run);
    // returns it, for counting its drops once the worker has ended.
    std::shared_ptr<FrameQueue> DetachQueue(StreamEnd why);
    // The worker's loop: waits for each transfer's end and delivers the frame to the queue.
    void QueueLoop();
    void DeliverQueueFrame(FrameQueue& queue);
    // The stream failed: queued frames stay for the takers, then they learn it.
    void FailQueue(FrameQueue& queue, int32_t polled);
    // Runs the chain for a queue frame whose raw samples the device just wrote, with the
    // output in `pixels`; fills the white-balance part of *meta. frameMutex_ held.
    int32_t ConvertQueueFrame(int32_t mode, const StreamShape& shape, uint8_t* pixels,
                              FrameArrival* arrival, QueuedMeta* meta);

    // The preview window (PreviewLink.cpp).
    bool CreatePreviewWindow();
    bool HasPreviewWindow() const;
    void DestroyPreviewWindow();
    void DrawFrame(int32_t mode);

    PixoraDevice& device_;
    SessionSettings& settings_;
    const ProcessorInfo& processor_;
    ErrorStack& errors_;
    ExposureControl& camera_;
    DialogRefresh& openDialogs_;
    SessionImages images_;

    std::atomic<CaptureState> state_{CaptureState::Idle};
    std::atomic<int32_t> runFlag_{0};  // 0 stop, 1 run, 2 paused (the camera dialog)
    std::unique_ptr<std::thread> worker_;
    std::unique_ptr<ManualResetEvent> workerDone_;
    // Set with the stop request, so a worker's pause between passes ends at once.
    ManualResetEvent stopRequested_;
    std::atomic<int32_t> preparedMode_{-1};
    mutable std::mutex targetMutex_;
    FrameTarget target_;
    FrameRateMeter rateMeter_;
    std::atomic<uint32_t (*)()> rateClock_;

    mutable std::mutex frameMutex_;
    // Each delivered frame's record stays valid for the next frames, and after the session.
    FrameRecordLease frameRecords_;
    // A frame went through the chain since the images were last prepared (frameMutex_).
    bool frameCaptured_ = false;
    // The capture window the images were prepared for: where the raw image starts on the
    // sensor, which the chain reads the colour pattern by (frameMutex_).
    Rect preparedWindow_{};
    // The frame the output image holds, and the last one handed out (frameMutex_).
    FrameMeta shownMeta_;
    uint64_t lastDeliveredSequence_ = 0;
    // Raised by every stop, so that a WaitFrame caller returns (frameMutex_).
    uint64_t captureStops_ = 0;
    bool streamFailed_ = false;          // frameMutex_, until the next worker starts
    std::atomic<bool> shutDown_{false};  // read under frameMutex_ by WaitFrame
    std::condition_variable frameProcessed_;
    std::atomic<uint64_t> framesDelivered_{0};
    std::atomic<uint64_t> framesFailed_{0};

    // The open frame-queue stream, if any (queueMutex_); the drops of those closed before.
    mutable std::mutex queueMutex_;
    std::shared_ptr<FrameQueue> queue_;
    uint64_t closedQueueDrops_ = 0;
    // A frame-queue stream holds the capture: the other capture paths refuse to start, and
    // the worker runs the queue loop.
    std::atomic<bool> queueOpen_{false};
    // Read under frameMutex_ by WaitFrame, which returns at once while a stream runs.
    bool queueRunning_ = false;

    // The preview window and where a child one sits.
    std::unique_ptr<PreviewWindow> preview_;
    PIXORA_HWND previewParent_ = nullptr;
    Rect placement_{0, 0, kSensorWidth, kSensorHeight};
};

}  // namespace pixora
