// The PixoraEx_* extensions: error texts, failure reasons, the log handler, the filter ranges
// and what is known of each frame.
#include <algorithm>
#include <cstring>
#include <string>

#include "PixoraExtensions.h"
#include "api/SessionCall.h"
#include "platform/Log.h"
#include "session/ErrorText.h"
#include "settings/ControlTable.h"

using pixora::CameraSession;
using pixora::WithCapture;
using pixora::WithSession;

extern "C" {

PIXORA_API const char* PIXORA_CALL PixoraEx_ErrorText(int32_t code) {
    return pixora::ErrorCodeText(code);
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFailureDetail(PIXORA_HANDLE camera, char* text,
                                                         int32_t size) {
    if (text == nullptr || size < 1)
        return 0;
    text[0] = '\0';
    return pixora::ReadSession(camera, 0, [&](CameraSession& s) {
        const std::string detail = s.FailureDetail();
        if (detail.empty())
            return 0;
        const size_t length = std::min(detail.size(), static_cast<size_t>(size) - 1);
        std::memcpy(text, detail.data(), length);
        text[length] = '\0';
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_SetLogHandler(PixoraLogHandler handler, void* context) {
    return pixora::SetLogHandler(handler, context) ? 1 : 0;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFilterRange(int32_t filterIndex, int32_t* minimum,
                                                       int32_t* maximum) {
    const pixora::ControlRow* row = pixora::ControlByFilterIndex(filterIndex);
    const bool settable = row != nullptr && row->target != pixora::ControlTarget::Refused;
    const pixora::ValueSpan accepted =
        settable ? pixora::AcceptedValues(*row) : pixora::ValueSpan{0, 0};
    if (minimum != nullptr)
        *minimum = accepted.min;
    if (maximum != nullptr)
        *maximum = accepted.max;
    return settable ? 1 : 0;
}

namespace {

void ToPublic(const pixora::FrameMeta& meta, PixoraFrameMeta* out) {
    out->dropped = meta.dropped;
    out->sequence = meta.sequence;
    out->timestampUs = meta.timestampUs;
}

bool MetaFits(const PixoraFrameMeta* meta) {
    return meta != nullptr && meta->size >= static_cast<int32_t>(sizeof(PixoraFrameMeta));
}

}  // namespace

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFrameMeta(const PixoraFrameInfo* frame,
                                                     PixoraFrameMeta* meta) {
    if (!MetaFits(meta))
        return 0;
    pixora::FrameMeta found;
    if (!pixora::FrameRecordPool::Process().MetaOf(frame, &found))
        return 0;
    ToPublic(found, meta);
    return 1;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFrame(PIXORA_HANDLE camera, void* buffer, int32_t size,
                                                 int32_t rowOrder, PixoraFrameMeta* meta) {
    if (meta != nullptr && !MetaFits(meta))
        return WithSession(camera, 0, [](CameraSession& s) {
            s.RecordError(pixora::ErrorCode::BufferError);
            return 0;
        });
    return WithCapture(camera, 0, [&](pixora::CaptureMachine& c) {
        pixora::FrameMeta found;
        if (c.GetFrame(buffer, size, rowOrder, &found) == 0)
            return 0;
        if (meta != nullptr)
            ToPublic(found, meta);
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_WaitFrame(PIXORA_HANDLE camera, uint64_t afterSequence,
                                                  int32_t timeoutMs) {
    // Looked up, but not locked: the wait must not hold up the camera's other calls.
    const std::shared_ptr<CameraSession> session =
        pixora::HandleList().Lookup(pixora::HandleValue(camera));
    if (!session || session->Released() || session->Machine() == nullptr)
        return -1;
    // The machinery, once made, lives as long as the session this call holds.
    return session->Machine()->WaitFrame(afterSequence, timeoutMs);
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetFrameCounts(PIXORA_HANDLE camera,
                                                       PixoraFrameCounts* counts) {
    if (counts == nullptr || counts->size < static_cast<int32_t>(sizeof(PixoraFrameCounts)))
        return 0;
    return WithSession(camera, 0, [&](CameraSession& s) {
        const pixora::FrameCounts found =
            s.Machine() != nullptr ? s.Machine()->Counts() : pixora::FrameCounts{};
        counts->reserved = 0;
        counts->delivered = found.delivered;
        counts->dropped = found.dropped;
        counts->failed = found.failed;
        return 1;
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_StartTrigger(PIXORA_HANDLE camera) {
    return WithCapture(camera, 0, [](pixora::CaptureMachine& c) { return c.StartTrigger(); });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetCaptureState(PIXORA_HANDLE camera) {
    return pixora::ReadSession(camera, -1, [](CameraSession& s) {
        return static_cast<int32_t>(s.Machine() != nullptr ? s.Machine()->State()
                                                           : pixora::CaptureState::Idle);
    });
}

}  // extern "C"
