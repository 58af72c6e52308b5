// The process-wide registry of open camera handles: a circular doubly linked ring whose
// head moves to each handle found, so repeated calls with one handle find it at once.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace pixora {

class CameraSession;

class PixoraHandleList {
public:
    PixoraHandleList() = default;
    ~PixoraHandleList();
    PixoraHandleList(const PixoraHandleList&) = delete;
    PixoraHandleList& operator=(const PixoraHandleList&) = delete;

    // Links a node for `handle` behind the tail; it becomes the new head.
    virtual void Insert(uint32_t handle, std::shared_ptr<CameraSession> session);

    // Walks from the head until the handle or the tail's handle value; a found node
    // becomes the head. Null when not found or when the node's session is cleared.
    std::shared_ptr<CameraSession> Lookup(uint32_t handle);

    // Finds the handle, clears its session and unlinks its node; the session returned is
    // the caller's to destroy. Null when the handle is unknown.
    std::shared_ptr<CameraSession> Remove(uint32_t handle);

    // Registers a new session under a fresh handle and returns it: the runtime-style
    // generator plus the tick count plus the count, stepped past 0 and past values already
    // in the ring. Choosing the value and linking it are one locked step, so two threads
    // registering at the same moment never receive the same handle.
    uint32_t InsertNew(uint32_t tickCount, std::shared_ptr<CameraSession> session);

    int32_t Count() const;
    // Handle of the head node, 0 when empty (for tests of the ring order).
    uint32_t HeadHandle() const;

private:
    struct HandleNode {
        uint32_t handle;
        std::shared_ptr<CameraSession> session;
        HandleNode* previous;
        HandleNode* next;
    };

    void InsertLocked(uint32_t handle, std::shared_ptr<CameraSession> session);
    HandleNode* FindLocked(uint32_t handle);
    bool ContainsLocked(uint32_t handle) const;
    int32_t UnlinkHeadLocked();

    mutable std::mutex mutex_;  // every lookup moves the head, even a read-only one
    HandleNode* head_ = nullptr;
    int32_t count_ = 0;
};

// The registry shared by all exports.
PixoraHandleList& HandleList();

// The runtime's pseudo-random generator: one state per thread, starting at 1.
uint32_t RuntimeRand();

}  // namespace pixora
