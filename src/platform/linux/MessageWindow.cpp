// Queues of the library's own; the Windows build has real message-only windows instead
// (platform/win32/MessageOnlyWindows.cpp).
#include "platform/MessageWindow.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace pixora {

namespace {

struct MessageQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<PixoraMessage> messages;
    bool destroyed = false;
};

// Tokens live in a range that neither heap pointers nor X11 window ids use, so a stray
// pointer or window id handed to a message function can never name a live queue by chance.
constexpr uintptr_t kTokenBase = sizeof(void*) == 8 ? (uintptr_t{0x504D5347} << 32) : 0x7D000000u;

class WindowTable {
public:
    static WindowTable& Instance() {
        // Never destroyed: workers may still post while the process exits.
        static WindowTable* table = new WindowTable;
        return *table;
    }

    PIXORA_HWND Create() {
        auto queue = std::make_shared<MessageQueue>();
        std::lock_guard lock(mutex_);
        const uintptr_t token = kTokenBase + (++next_);
        windows_.emplace(token, std::move(queue));
        return reinterpret_cast<PIXORA_HWND>(token);
    }

    std::shared_ptr<MessageQueue> Find(PIXORA_HWND window) {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(reinterpret_cast<uintptr_t>(window));
        return it == windows_.end() ? nullptr : it->second;
    }

    std::shared_ptr<MessageQueue> Remove(PIXORA_HWND window) {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(reinterpret_cast<uintptr_t>(window));
        if (it == windows_.end())
            return nullptr;
        auto queue = std::move(it->second);
        windows_.erase(it);
        return queue;
    }

private:
    std::mutex mutex_;
    uintptr_t next_ = 0;
    std::unordered_map<uintptr_t, std::shared_ptr<MessageQueue>> windows_;
};

}  // namespace

PIXORA_HWND CreateMessageWindow() {
    return WindowTable::Instance().Create();
}

bool DestroyMessageWindow(PIXORA_HWND window) {
    auto queue = WindowTable::Instance().Remove(window);
    if (!queue)
        return false;
    {
        std::lock_guard lock(queue->mutex);
        queue->destroyed = true;
        queue->messages.clear();
    }
    queue->arrived.notify_all();
    return true;
}

bool IsMessageWindow(PIXORA_HWND window) {
    return WindowTable::Instance().Find(window) != nullptr;
}

int32_t GetWindowMessage(PIXORA_HWND window, PixoraMessage* out, int32_t timeoutMs) {
    if (out == nullptr)
        return -1;
    auto queue = WindowTable::Instance().Find(window);
    if (!queue)
        return -1;
    std::unique_lock lock(queue->mutex);
    auto ready = [&] { return queue->destroyed || !queue->messages.empty(); };
    if (timeoutMs < 0) {
        queue->arrived.wait(lock, ready);
    } else if (!queue->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return 0;
    }
    if (queue->destroyed)
        return -1;
    *out = queue->messages.front();
    queue->messages.pop_front();
    return 1;
}

int32_t PendingWindowMessages(PIXORA_HWND window) {
    auto queue = WindowTable::Instance().Find(window);
    if (!queue)
        return -1;
    std::lock_guard lock(queue->mutex);
    return static_cast<int32_t>(queue->messages.size());
}

bool PostAppMessage(PIXORA_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window == nullptr)
        return false;
    auto queue = WindowTable::Instance().Find(window);
    if (!queue)
        return false;
    {
        std::lock_guard lock(queue->mutex);
        if (queue->destroyed || queue->messages.size() >= kMessageQueueLimit)
            return false;
        queue->messages.push_back(PixoraMessage{window, message, wParam, lParam});
    }
    queue->arrived.notify_one();
    return true;
}

}  // namespace pixora
