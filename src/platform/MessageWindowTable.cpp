#include "platform/MessageWindowTable.h"

#include <utility>

#include "platform/MessageWindow.h"

namespace pixora {

MessageWindowTable& MessageWindowTable::Instance() {
    static MessageWindowTable* table = new MessageWindowTable;
    return *table;
}

void MessageWindowTable::Add(PIXORA_HWND window) {
    auto queue = std::make_shared<MessageQueue>();
    std::lock_guard lock(mutex_);
    windows_[window] = std::move(queue);
}

std::shared_ptr<MessageQueue> MessageWindowTable::Find(PIXORA_HWND window) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second;
}

bool MessageWindowTable::Remove(PIXORA_HWND window) {
    std::shared_ptr<MessageQueue> queue;
    {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(window);
        if (it == windows_.end())
            return false;
        queue = std::move(it->second);
        windows_.erase(it);
    }
    queue->Close();
    return true;
}

bool IsMessageWindow(PIXORA_HWND window) {
    return MessageWindowTable::Instance().Find(window) != nullptr;
}

int32_t GetWindowMessage(PIXORA_HWND window, PixoraMessage* out, int32_t timeoutMs) {
    if (out == nullptr)
        return -1;
    std::shared_ptr<MessageQueue> queue = MessageWindowTable::Instance().Find(window);
    return queue ? queue->Get(out, timeoutMs) : -1;
}

int32_t PendingWindowMessages(PIXORA_HWND window) {
    std::shared_ptr<MessageQueue> queue = MessageWindowTable::Instance().Find(window);
    return queue ? queue->Pending() : -1;
}

}  // namespace pixora
