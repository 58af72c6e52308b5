// Which slot of the frame ring the stream worker fills, which complete frames wait in it, and
// which one the consumer holds. The writer never fills the consumer's slot, and the consumer
// only ever takes a complete slot, so it never sees a frame being written.
//
// Two orders. Newest (the preview's): the consumer takes the newest complete frame and the
// ones completed before it are skipped, so a slow consumer always gets the newest. Oldest
// first (the frame queue's): complete frames wait in the order they arrived and the
// consumer takes them one by one; only when every slot but the writer's is complete or held
// is a frame given up, the newest or the oldest as the ring was told.
//
// Not locked itself: the stream keeps it behind a mutex shared by writer and consumer.

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixora {

enum class RingOrder {
    Newest,       // hand out the newest complete frame, skip the others
    OldestFirst,  // hand out every complete frame in turn
};

class SlotRing {
public:
    // `slotCount` slots (at least 2); the writer starts at slot 0, nothing complete or held.
    // `dropOldest` chooses, for OldestFirst, which frame a full ring gives up.
    void Reset(int32_t slotCount, RingOrder order = RingOrder::Newest, bool dropOldest = false);

    int32_t SlotCount() const { return slotCount_; }
    RingOrder Order() const { return order_; }
    // The slot the writer fills now.
    int32_t WriteIndex() const { return write_; }
    // The slot the consumer holds, or -1.
    int32_t ReadIndex() const { return held_; }
    // The slot with the newest complete frame, or -1.
    int32_t NewestIndex() const;
    // A complete frame waits to be taken.
    bool HasFrame() const;

    // Writer: the write slot is complete. Moves on to a slot that is neither held nor
    // waiting to be taken. Newest: with two slots and the other one held, it fills the same
    // slot again, which then no longer counts as complete. OldestFirst: when no slot is free,
    // the newest or the oldest waiting frame is given up and its slot written next.
    // Returns the write slot.
    int32_t Publish();

    // Consumer: takes the newest (Newest) or the oldest (OldestFirst) complete frame not yet
    // taken and returns its slot (releasing any slot held before); -1 when there is none.
    int32_t Take();
    // Consumer: done with the held slot.
    void Release() { held_ = -1; }

    // Stopping: frames never taken are not going to be; they count as skipped.
    void Discard();
    // Complete frames since the reset that were given up before the consumer took them
    // (replaced by a newer one, overwritten, or discarded).
    uint64_t Skipped() const { return skipped_; }
    // The same, counted from zero again.
    uint64_t TakeSkipped() {
        const uint64_t skipped = skipped_;
        skipped_ = 0;
        return skipped;
    }

private:
    int32_t PublishNewest();
    int32_t PublishInOrder();
    bool Waiting(int32_t slot) const;
    int32_t& WaitingAt(int32_t position) {
        return waiting_[static_cast<std::size_t>((firstWaiting_ + position) % slotCount_)];
    }
    int32_t WaitingAt(int32_t position) const {
        return waiting_[static_cast<std::size_t>((firstWaiting_ + position) % slotCount_)];
    }

    RingOrder order_ = RingOrder::Newest;
    bool dropOldest_ = false;
    int32_t slotCount_ = 0;
    int32_t write_ = 0;
    int32_t held_ = -1;
    uint64_t skipped_ = 0;
    // Newest: the newest complete frame and whether it was taken yet.
    int32_t newest_ = -1;
    bool fresh_ = false;
    // OldestFirst: the complete frames not yet taken, oldest first, in a circle of
    // slotCount entries (allocated by Reset, never per frame).
    std::vector<int32_t> waiting_;
    int32_t firstWaiting_ = 0;
    int32_t waitingCount_ = 0;
};

}  // namespace pixora
