#include "FrameWindow.h"

#include <cstring>

namespace pixora::cli {

std::optional<FrameEvent> FrameWindow::Next(int32_t timeoutMs) {
    PixoraMessage message{};
    while (PixoraMsg_Get(window_, &message, timeoutMs) == 1) {
        if (message.message != PIXORA_WM_FRAME)
            continue;
        FrameEvent event;
        if (message.wParam == 0) {
            event.errorCode = static_cast<int32_t>(message.lParam);
            return event;
        }
        event.delivered = true;
        // The record belongs to the library and is reused for later frames: copy it now.
        const auto* record = reinterpret_cast<const PixoraFrameInfo*>(message.wParam);
        std::memcpy(&event.info, record, sizeof event.info);
        event.meta.size = sizeof event.meta;
        PixoraEx_GetFrameMeta(record, &event.meta);
        return event;
    }
    return std::nullopt;
}

}  // namespace pixora::cli
