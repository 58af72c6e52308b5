// The message-window exports, over whichever message windows this system has (queues of
// the library's own on Linux, message-only windows on Windows).
#include "platform/MessageWindow.h"

extern "C" {

PIXORA_API PIXORA_HWND PIXORA_CALL PixoraMsg_CreateWindow(void) {
    return pixora::CreateMessageWindow();
}

PIXORA_API int32_t PIXORA_CALL PixoraMsg_DestroyWindow(PIXORA_HWND window) {
    return pixora::DestroyMessageWindow(window) ? 1 : 0;
}

PIXORA_API int32_t PIXORA_CALL PixoraMsg_Get(PIXORA_HWND window, PixoraMessage* out,
                                             int32_t timeoutMs) {
    return pixora::GetWindowMessage(window, out, timeoutMs);
}

PIXORA_API int32_t PIXORA_CALL PixoraMsg_Pending(PIXORA_HWND window) {
    return pixora::PendingWindowMessages(window);
}

PIXORA_API int32_t PIXORA_CALL PixoraMsg_Post(PIXORA_HWND window, uint32_t message,
                                              uintptr_t wParam, intptr_t lParam) {
    return pixora::PostAppMessage(window, message, wParam, lParam) ? 1 : 0;
}

}  // extern "C"
