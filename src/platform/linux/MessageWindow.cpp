// Message windows of the library's own: a window is a token naming its queue in the
// table; the Windows build has real message-only windows instead
// (platform/win32/MessageOnlyWindows.cpp).
#include "platform/MessageWindow.h"

#include <atomic>
#include <memory>

#include "platform/MessageWindowTable.h"

namespace pixora {

namespace {

// Tokens live in a range that neither heap pointers nor X11 window ids use, so a stray
// pointer or window id handed to a message function can never name a live queue by chance.
constexpr uintptr_t kTokenBase = sizeof(void*) == 8 ? (uintptr_t{0x504D5347} << 32) : 0x7D000000u;

}  // namespace

PIXORA_HWND CreateMessageWindow() {
    static std::atomic<uintptr_t> created{0};
    const auto window = reinterpret_cast<PIXORA_HWND>(kTokenBase + created.fetch_add(1) + 1);
    MessageWindowTable::Instance().Add(window);
    return window;
}

bool DestroyMessageWindow(PIXORA_HWND window) {
    return MessageWindowTable::Instance().Remove(window);
}

bool PostAppMessage(PIXORA_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window == nullptr)
        return false;
    std::shared_ptr<MessageQueue> queue = MessageWindowTable::Instance().Find(window);
    return queue && queue->Post(PixoraMessage{window, message, wParam, lParam});
}

}  // namespace pixora
