// The PixoraEx_* exports of the frame queue: open, take, return, close, status, pattern.
#include <cstring>
#include <memory>

#include "PixoraExtensions.h"
#include "api/SessionCall.h"
#include "session/FrameLeases.h"
#include "session/FrameQueue.h"

using pixora::CameraSession;
using pixora::CaptureMachine;
using pixora::FrameQueue;
using pixora::StreamEnd;
using pixora::WithCapture;
using pixora::WithSession;

namespace {

bool ZeroOrOne(int32_t flag) {
    return flag == 0 || flag == 1;
}

// The request the options ask for; false when they are out of range.
bool RequestOf(const PixoraStreamOptions* options, pixora::StreamRequest* request) {
    request->buffers = PIXORA_STREAM_DEFAULT_BUFFERS;
    if (options == nullptr)
        return true;
    if (options->size < static_cast<int32_t>(sizeof(PixoraStreamOptions)) || options->buffers < 0 ||
        options->buffers > PIXORA_STREAM_MAX_BUFFERS || !ZeroOrOne(options->triggered) ||
        !ZeroOrOne(options->raw) ||
        (options->dropPolicy != PIXORA_DROP_NEWEST && options->dropPolicy != PIXORA_DROP_OLDEST))
        return false;
    for (const int32_t reserved : options->reserved) {
        if (reserved != 0)
            return false;
    }
    if (options->buffers != 0)
        request->buffers = options->buffers;
    request->triggered = options->triggered == 1;
    request->raw = options->raw == 1;
    request->dropOldest = options->dropPolicy == PIXORA_DROP_OLDEST;
    return true;
}

int32_t TakeResultOf(StreamEnd end) {
    switch (end) {
        case StreamEnd::Failed:
            return PIXORA_TAKE_FAILED;
        case StreamEnd::Released:
            return PIXORA_TAKE_NO_CAMERA;
        case StreamEnd::Running:
        case StreamEnd::Stopped:
            break;
    }
    return PIXORA_TAKE_STOPPED;
}

void FillFrame(const FrameQueue& queue, const pixora::TakenFrame& taken, uint64_t lease,
               PixoraStreamFrame* frame) {
    const pixora::StreamShape& shape = queue.Shape();
    frame->bitsPerPixel = shape.bitsPerPixel;
    frame->width = shape.width;
    frame->height = shape.height;
    frame->stride = shape.stride;
    frame->reserved = 0;
    frame->pixels.padding = 0;
    frame->pixels.data = taken.pixels;
    frame->bytes = shape.Bytes();
    frame->lease = lease;
    PixoraStreamMeta& meta = frame->meta;
    meta.sequence = taken.meta.sequence;
    meta.timestampUs = taken.meta.timestampUs;
    meta.dropped = taken.dropped;
    meta.triggered = shape.triggered ? 1 : 0;
    meta.colorMode = shape.colorModeBits;
    meta.raw = shape.raw ? 1 : 0;
    meta.bayerPattern = shape.bayerPattern;
    meta.exposure = taken.meta.exposure;
    meta.analogGain = taken.meta.gain;
    meta.whiteBalanceRed = taken.meta.whiteBalance[0];
    meta.whiteBalanceGreen = taken.meta.whiteBalance[1];
    meta.whiteBalanceBlue = taken.meta.whiteBalance[2];
}

}  // namespace

extern "C" {

PIXORA_API int32_t PIXORA_CALL PixoraEx_OpenStream(PIXORA_HANDLE camera,
                                                   const PixoraStreamOptions* options) {
    return WithSession(camera, 0, [&](CameraSession& s) {
        CaptureMachine* capture = s.RequireCapture();
        if (capture == nullptr)
            return 0;
        pixora::StreamRequest request;
        if (!RequestOf(options, &request)) {
            s.RecordError(pixora::ErrorCode::BadArgument);
            return 0;
        }
        return capture->OpenStream(request);
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_TakeFrame(PIXORA_HANDLE camera, PixoraStreamFrame* frame,
                                                  int32_t timeoutMs) {
    // Looked up, but not locked: the wait must not hold up the camera's other calls.
    const std::shared_ptr<CameraSession> session =
        pixora::HandleList().Lookup(pixora::HandleValue(camera));
    if (!session || session->Released() || session->Machine() == nullptr)
        return PIXORA_TAKE_NO_CAMERA;
    if (frame == nullptr || frame->size < static_cast<int32_t>(sizeof(PixoraStreamFrame)) ||
        timeoutMs < -1)
        return PIXORA_TAKE_BAD_RECORD;
    pixora::TakenFrame taken;
    std::shared_ptr<FrameQueue> queue;
    StreamEnd why = StreamEnd::Stopped;
    // The machinery, once made, lives as long as the session this call holds.
    switch (session->Machine()->TakeFrame(timeoutMs, &taken, &queue, &why)) {
        case FrameQueue::Take::Frame:
            break;
        case FrameQueue::Take::TimedOut:
            return PIXORA_TAKE_TIMEOUT;
        case FrameQueue::Take::Ended:
            return session->Released() ? PIXORA_TAKE_NO_CAMERA : TakeResultOf(why);
    }
    const uint64_t lease = pixora::FrameLeases::Process().Lend(queue, taken.index, taken.pixels);
    FillFrame(*queue, taken, lease, frame);
    return PIXORA_TAKE_FRAME;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_ReturnFrame(const PixoraStreamFrame* frame) {
    if (frame == nullptr)
        return 0;
    // Only the two fields that name the buffer are read: a record cut short or forged
    // elsewhere finds no lease.
    uint64_t lease = 0;
    const void* pixels = nullptr;
    std::memcpy(&lease, &frame->lease, sizeof lease);
    std::memcpy(&pixels, &frame->pixels.data, sizeof pixels);
    return pixora::FrameLeases::Process().GiveBack(lease, pixels) ? 1 : 0;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_CloseStream(PIXORA_HANDLE camera) {
    return WithCapture(camera, -1, [](CaptureMachine& c) { return c.CloseStream(); });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetStreamStatus(PIXORA_HANDLE camera,
                                                        PixoraStreamStatus* status) {
    if (status == nullptr || status->size < static_cast<int32_t>(sizeof(PixoraStreamStatus)))
        return 0;
    return WithSession(camera, 0, [&](CameraSession& s) {
        const int32_t size = status->size;
        std::memset(status, 0, sizeof *status);
        status->size = size;
        pixora::StreamShape shape;
        pixora::QueueCounts counts;
        StreamEnd end = StreamEnd::Stopped;
        if (s.Machine() == nullptr || !s.Machine()->StreamStatus(&shape, &counts, &end))
            return 1;
        status->state = end == StreamEnd::Failed ? PIXORA_STREAM_FAILED : PIXORA_STREAM_RUNNING;
        status->buffers = shape.buffers;
        status->queued = counts.queued;
        status->held = counts.held;
        status->triggered = shape.triggered ? 1 : 0;
        status->raw = shape.raw ? 1 : 0;
        status->dropPolicy =
            shape.policy == pixora::DropPolicy::Oldest ? PIXORA_DROP_OLDEST : PIXORA_DROP_NEWEST;
        status->colorMode = shape.colorModeBits;
        status->bitsPerPixel = shape.bitsPerPixel;
        status->width = shape.width;
        status->height = shape.height;
        status->stride = shape.stride;
        status->bayerPattern = shape.bayerPattern;
        status->bytes = shape.Bytes();
        status->droppedByQueue = counts.dropped;
        status->framesPerSecondMilli = counts.framesPerSecondMilli;
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetBayerPattern(PIXORA_HANDLE camera) {
    return WithSession(camera, -1, [](CameraSession& s) {
        return s.Machine() != nullptr ? s.Machine()->BayerPattern() : -1;
    });
}

}  // extern "C"
