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
        std::memcpy(&event.info, reinterpret_cast<const void*>(message.wParam), sizeof event.info);
        return event;
    }
    return std::nullopt;
}

}  // namespace pixora::cli
