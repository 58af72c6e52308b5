#include "api/PixoraHandleList.h"

#include "session/CameraSession.h"

namespace pixora {

PixoraHandleList::~PixoraHandleList() {
    // Sessions still open at unload keep running; only the nodes go.
    while (UnlinkHeadLocked() != 0) {
    }
}

void PixoraHandleList::Insert(uint32_t handle, std::shared_ptr<CameraSession> session) {
    std::lock_guard lock(mutex_);
    InsertLocked(handle, std::move(session));
}

void PixoraHandleList::InsertLocked(uint32_t handle, std::shared_ptr<CameraSession> session) {
    auto* node = new HandleNode{handle, std::move(session), nullptr, nullptr};
    if (head_ == nullptr) {
        node->previous = node;
        node->next = node;
        head_ = node;
        count_ = 1;
        return;
    }
    HandleNode* tail = head_->previous;
    node->previous = tail;
    node->next = head_;
    tail->next = node;
    head_->previous = node;
    head_ = node;
    ++count_;
}

PixoraHandleList::HandleNode* PixoraHandleList::FindLocked(uint32_t handle) {
    if (head_ == nullptr)
        return nullptr;
    const uint32_t last = head_->previous->handle;
    HandleNode* node = head_;
    while (node->handle != handle) {
        if (node->handle == last)
            return nullptr;
        node = node->next;
        head_ = node;
    }
    return node;
}

bool PixoraHandleList::ContainsLocked(uint32_t handle) const {
    if (head_ == nullptr)
        return false;
    const HandleNode* node = head_;
    do {
        if (node->handle == handle)
            return true;
        node = node->next;
    } while (node != head_);
    return false;
}

std::shared_ptr<CameraSession> PixoraHandleList::Lookup(uint32_t handle) {
    std::lock_guard lock(mutex_);
    HandleNode* node = FindLocked(handle);
    return node ? node->session : nullptr;
}

std::shared_ptr<CameraSession> PixoraHandleList::Remove(uint32_t handle) {
    std::lock_guard lock(mutex_);
    HandleNode* node = FindLocked(handle);
    if (node == nullptr)
        return nullptr;
    std::shared_ptr<CameraSession> session = std::move(node->session);
    UnlinkHeadLocked();  // the node found is the head
    return session;
}

int32_t PixoraHandleList::UnlinkHeadLocked() {
    if (head_ == nullptr)
        return 0;
    HandleNode* old = head_;
    if (old->next == old) {
        head_ = nullptr;
        count_ = 0;
    } else {
        old->previous->next = old->next;
        old->next->previous = old->previous;
        head_ = old->next;
        --count_;
    }
    delete old;
    return 1;
}

uint32_t PixoraHandleList::InsertNew(uint32_t tickCount, std::shared_ptr<CameraSession> session) {
    std::lock_guard lock(mutex_);
    uint32_t handle = RuntimeRand() + tickCount + static_cast<uint32_t>(count_);
    // Two sessions must never share a value, or releasing one would end the other.
    while (handle == 0 || ContainsLocked(handle))
        ++handle;
    InsertLocked(handle, std::move(session));
    return handle;
}

int32_t PixoraHandleList::Count() const {
    std::lock_guard lock(mutex_);
    return count_;
}

uint32_t PixoraHandleList::HeadHandle() const {
    std::lock_guard lock(mutex_);
    return head_ ? head_->handle : 0;
}

PixoraHandleList& HandleList() {
    // Never destroyed: sessions an application did not release keep their threads and
    // windows to the end of the process, and nothing may tear them down under them.
    static PixoraHandleList* list = new PixoraHandleList;
    return *list;
}

uint32_t RuntimeRand() {
    thread_local uint32_t state = 1;
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

}  // namespace pixora
