// The live message windows of the process and their queues, shared by every system's
// message windows: a system makes and ends the windows (CreateMessageWindow,
// DestroyMessageWindow) and posts to them; reading them (GetWindowMessage,
// PendingWindowMessages, IsMessageWindow) goes through this table alone.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include "PixoraPlatform.h"
#include "platform/MessageQueue.h"

namespace pixora {

class MessageWindowTable {
public:
    // The process's one table. Never destroyed: workers may still post while the process
    // exits.
    static MessageWindowTable& Instance();

    // A new, empty queue for `window`, replacing any the handle had.
    void Add(PIXORA_HWND window);
    // Null when `window` is not a live message window.
    std::shared_ptr<MessageQueue> Find(PIXORA_HWND window);
    // Takes the window out and closes its queue, waking its readers; false when it was not
    // a live message window.
    bool Remove(PIXORA_HWND window);

private:
    MessageWindowTable() = default;

    std::mutex mutex_;
    std::unordered_map<PIXORA_HWND, std::shared_ptr<MessageQueue>> windows_;
};

}  // namespace pixora
