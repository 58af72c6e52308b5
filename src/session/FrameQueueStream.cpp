// Frame-queue streams: opening one (preparation, buffers, the camera's stream), the worker's
// loop that the end of each transfer wakes, the frame processed straight into its queue
// buffer, taking frames, and the end of a stream.
#include <string>
#include <utility>

#include "PixoraExtensions.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "image/ImageBuffer.h"
#include "imaging/AutoIris.h"
#include "imaging/ProcessFrame.h"
#include "session/CaptureMachine.h"

namespace pixora {

namespace {

constexpr uint32_t kTriggerTimeoutMs = 3000;
constexpr int32_t kModeBits[6] = {8, 16, 24, 32, 48, 64};

bool TenBitMode(int32_t mode) {
    return mode == kColorMode16 || mode == kColorMode48 || mode == kColorMode64;
}

// The sensor's colour filter starts green, red on its first row and blue, green on the
// next; a window starting at an odd column or row moves the pattern along.
int32_t PatternAt(int32_t column, int32_t row) {
    static constexpr int32_t kPatterns[2][2] = {
        {PIXORA_BAYER_GRBG, PIXORA_BAYER_RGGB},  // even row: even, odd column
        {PIXORA_BAYER_BGGR, PIXORA_BAYER_GBRG},  // odd row
    };
    return kPatterns[row & 1][column & 1];
}

}  // namespace

int32_t CaptureMachine::BayerPattern() const {
    return PatternAt(settings_.format.startColumn, settings_.format.startRow);
}

std::shared_ptr<FrameQueue> CaptureMachine::Queue() const {
    std::lock_guard lock(queueMutex_);
    return queue_;
}

int32_t CaptureMachine::OpenStream(const StreamRequest& request) {
    // A stream that failed runs no more: it is closed and replaced.
    if (const std::shared_ptr<FrameQueue> open = Queue();
        open && open->Ended() == StreamEnd::Failed) {
        CloseStream();
    }
    if (queueOpen_.load() || state_.load() != CaptureState::Idle)
        return 0;
    if (PrepareStream() == 0)
        return 0;
    const int32_t mode = preparedMode_.load();
    const ImageBuffer* raw = RawImage(mode);
    StreamShape shape;
    shape.buffers = request.buffers;
    shape.width = raw->Width();
    shape.height = raw->Height();
    shape.raw = request.raw;
    shape.bitsPerPixel = request.raw ? (TenBitMode(mode) ? 16 : 8) : kModeBits[mode];
    shape.stride = static_cast<int32_t>(ImageBuffer::StrideFor(shape.width, shape.bitsPerPixel));
    shape.colorModeBits = kModeBits[mode];
    shape.triggered = request.triggered;
    shape.bayerPattern = request.raw ? BayerPattern() : PIXORA_BAYER_NONE;
    shape.policy = request.dropOldest ? DropPolicy::Oldest : DropPolicy::Newest;
    // Frames numbered from here on belong to the stream.
    std::shared_ptr<FrameQueue> queue = FrameQueue::Create(shape, device_.Frames().received);
    if (!queue) {
        RecordError(ErrorCode::BufferError);
        return 0;
    }
    if (request.triggered) {
        device_.SetTransferTimeout(kTriggerTimeoutMs);
        if (!device_.SetTrigger(1)) {
            RecordError(ErrorCode::DeviceIoFailed);
            return 0;
        }
    } else {
        device_.SetTrigger(0);
    }
    StreamMode streamMode;
    streamMode.order = RingOrder::OldestFirst;
    streamMode.dropOldest = request.dropOldest;
    streamMode.triggered = request.triggered;
    if (device_.StartStream(streamMode) != kDevOk) {
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    {
        std::lock_guard lock(queueMutex_);
        queue_ = std::move(queue);
    }
    queueOpen_.store(true);
    {
        std::lock_guard frames(frameMutex_);
        queueRunning_ = true;
    }
    frameProcessed_.notify_all();
    state_.store(request.triggered ? CaptureState::Trigger : CaptureState::Preview);
    if (StartWorker() == 0) {
        StopPreview();
        RecordError(ErrorCode::ThreadFailed);
        return 0;
    }
    return 1;
}

int32_t CaptureMachine::CloseStream() {
    if (!queueOpen_.load())
        return 1;
    return StopPreview();
}

std::shared_ptr<FrameQueue> CaptureMachine::DetachQueue(StreamEnd why) {
    std::shared_ptr<FrameQueue> queue;
    {
        std::lock_guard lock(queueMutex_);
        queue = std::move(queue_);
        queue_.reset();
    }
    if (queue)
        queue->End(why);
    return queue;
}

FrameQueue::Take CaptureMachine::TakeFrame(int64_t timeoutMs, TakenFrame* frame,
                                           std::shared_ptr<FrameQueue>* queue, StreamEnd* why) {
    *queue = Queue();
    if (!*queue) {
        *why = shutDown_.load() ? StreamEnd::Released : StreamEnd::Stopped;
        return FrameQueue::Take::Ended;
    }
    const FrameQueue::Take taken = (*queue)->TakeOldest(timeoutMs, frame, why);
    if (taken == FrameQueue::Take::Frame)
        framesDelivered_.fetch_add(1);
    return taken;
}

bool CaptureMachine::StreamStatus(StreamShape* shape, QueueCounts* counts, StreamEnd* state) const {
    const std::shared_ptr<FrameQueue> queue = Queue();
    if (!queue)
        return false;
    *shape = queue->Shape();
    *counts = queue->Counts();
    *state = queue->Ended();
    return true;
}

void CaptureMachine::QueueLoop() {
    // The worker's own hold: the queue outlives a detach while the worker still runs.
    const std::shared_ptr<FrameQueue> queue = Queue();
    if (!queue)
        return;
    while (runFlag_.load() != 0) {
        // Woken by the stream thread when a transfer ends, or by a stop.
        const int32_t polled = device_.WaitStreamFrame(-1);
        if (polled == PixoraDevice::kPollNewFrame) {
            // A frame taken from the ring is always accounted for, even on the way out.
            DeliverQueueFrame(*queue);
        } else if (polled == PixoraDevice::kPollEndedWithError ||
                   polled == PixoraDevice::kPollNotStreaming) {
            if (runFlag_.load() != 0)
                FailQueue(*queue, polled);
            break;
        }
    }
}

void CaptureMachine::FailQueue(FrameQueue& queue, int32_t polled) {
    runFlag_.store(0);
    // The driver's own words for it where it noted them during this stream (a camera gone,
    // a transfer refused).
    const DriverFailure noted = device_.LastDriverFailure();
    const std::string driver = noted.when >= queue.Opened() ? noted.text : std::string();
    std::string detail = polled == PixoraDevice::kPollEndedWithError
                             ? "the camera stopped sending frames"
                             : "the camera could not be opened for streaming";
    detail += driver.empty() ? std::string(": a frame transfer failed") : ": " + driver;
    errors_.SetDetail(std::move(detail));
    RecordError(ErrorCode::StreamFailed);
    queue.End(StreamEnd::Failed);
}

void CaptureMachine::DeliverQueueFrame(FrameQueue& queue) {
    const StreamShape& shape = queue.Shape();
    FrameArrival arrival;
    const int32_t index = queue.Claim();
    if (index < 0) {
        // No room: the frame is dropped (the queue counted it).
        device_.ReleaseLatest(&arrival);
        queue.Arrived(arrival.sequence, arrival.timestampUs);
        return;
    }
    uint8_t* pixels = queue.Pixels(index);
    QueuedMeta meta;
    int32_t converted = kDevNoBuffer;
    {
        std::lock_guard frames(frameMutex_);
        const int32_t mode = preparedMode_.load();
        if (mode >= 0 && mode < 6 && pixels != nullptr)
            converted = ConvertQueueFrame(mode, shape, pixels, &arrival, &meta);
    }
    if (converted != kDevOk) {
        // The ring's slot is let go whatever stopped the conversion.
        FrameArrival left;
        if (device_.ReleaseLatest(&left) == kDevOk && arrival.sequence == 0)
            arrival = left;
    }
    queue.Arrived(arrival.sequence, arrival.timestampUs);
    if (converted != kDevOk) {
        queue.Unclaim(index);
        framesFailed_.fetch_add(1);
        RecordError(ErrorCode::TransferFailed);
        return;
    }
    meta.sequence = arrival.sequence;
    meta.timestampUs = arrival.timestampUs;
    meta.gain = arrival.gain;
    meta.exposure = arrival.exposure;
    queue.Publish(index, meta);
}

int32_t CaptureMachine::ConvertQueueFrame(int32_t mode, const StreamShape& shape, uint8_t* pixels,
                                          FrameArrival* arrival, QueuedMeta* meta) {
    InterpolationBlock gains;
    gains.gainR = settings_.filter.Get(FilterField::BayerGainRed);
    gains.gainG = settings_.filter.Get(FilterField::BayerGainGreen);
    gains.gainB = settings_.filter.Get(FilterField::BayerGainBlue);
    // The queue buffer seen as the image the frame leaves the chain in.
    ImageBuffer output;
    if (output.View(pixels, shape.width, shape.height, static_cast<uint16_t>(shape.bitsPerPixel)) ==
        0)
        return kDevNoBuffer;
    int32_t converted = kDevOk;
    if (shape.raw) {
        // The mosaic as it came; automatic exposure still measures it, as a camera control.
        converted = device_.ConvertLatest(output, arrival);
        if (converted == kDevOk)
            RunAutoIris(settings_.analog, &output, &camera_, &openDialogs_);
    } else {
        FrameImages images = ChainImages();
        ImageBuffer* FrameImages::*const kOutputOf[6] = {
            &FrameImages::raw8,    &FrameImages::raw16,   &FrameImages::color24,
            &FrameImages::color32, &FrameImages::color48, &FrameImages::color64};
        images.*kOutputOf[mode] = &output;
        converted = device_.ConvertLatest(*RawImageOf(images, mode), arrival);
        if (converted == kDevOk) {
            FrameContext context{settings_.filter, settings_.analog, mode,          images,
                                 processor_,       &camera_,         &openDialogs_, &gains};
            // The window's start decides which colour its mosaic begins with.
            context.windowColumn = preparedWindow_.x;
            context.windowRow = preparedWindow_.y;
            ProcessFrame(context);
        }
    }
    meta->whiteBalance[0] = gains.gainR;
    meta->whiteBalance[1] = gains.gainG;
    meta->whiteBalance[2] = gains.gainB;
    return converted;
}

}  // namespace pixora
