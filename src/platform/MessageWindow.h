// Message windows: the stand-in for application windows that receive posted messages.
// A window handle is an opaque token; posting to a token that names no live message
// window is dropped without touching anything, as posting to a dead window is.
#pragma once

#include <cstdint>

#include "PixoraPlatform.h"

namespace pixora {

// Queue depth of one window; further posts fail until the application reads, so a
// reader that stopped cannot make the library grow without bound.
inline constexpr int32_t kMessageQueueLimit = 10000;

PIXORA_HWND CreateMessageWindow();
bool DestroyMessageWindow(PIXORA_HWND window);
bool IsMessageWindow(PIXORA_HWND window);
// 1 a message, 0 time-out, -1 not a live message window (or null out).
int32_t GetWindowMessage(PIXORA_HWND window, PixoraMessage* out, int32_t timeoutMs);
int32_t PendingWindowMessages(PIXORA_HWND window);

// The library's one way of posting to an application window. True when queued.
bool PostAppMessage(PIXORA_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace pixora
