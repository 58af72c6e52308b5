// Which slot of the frame ring the stream worker fills, which one holds the newest complete
// frame, and which one the consumer holds. The writer never fills the consumer's slot, and
// the consumer only ever takes a complete slot, so it never sees a frame being written.
//
// Not locked itself: the stream keeps it behind a mutex shared by writer and consumer.

#pragma once

#include <cstdint>

namespace pixora {

class SlotRing {
public:
    // `slotCount` slots (at least 2); the writer starts at slot 0, nothing complete or held.
    void Reset(int32_t slotCount);

    int32_t SlotCount() const { return slotCount_; }
    // The slot the writer fills now.
    int32_t WriteIndex() const { return write_; }
    // The slot the consumer holds, or -1.
    int32_t ReadIndex() const { return held_; }
    // The slot with the newest complete frame, or -1.
    int32_t NewestIndex() const { return newest_; }

    // Writer: the write slot is complete and becomes the newest. Moves on to the next slot
    // that is neither held nor the newest; with two slots and the other one held, it fills
    // the same slot again, which then no longer counts as complete. Returns the write slot.
    int32_t Publish();

    // Consumer: takes the newest complete frame if one arrived since the last take and
    // returns its slot (releasing any slot held before); -1 when there is nothing new.
    int32_t Take();
    // Consumer: done with the held slot.
    void Release() { held_ = -1; }

    // Stopping: a newest frame never taken is not going to be; it counts as skipped.
    void Discard();
    // Complete frames since the reset that were replaced by a newer one (or overwritten)
    // before the consumer took them, and those discarded.
    uint64_t Skipped() const { return skipped_; }
    // The same, counted from zero again.
    uint64_t TakeSkipped() {
        const uint64_t skipped = skipped_;
        skipped_ = 0;
        return skipped;
    }

private:
    int32_t slotCount_ = 0;
    int32_t write_ = 0;
    int32_t newest_ = -1;
    int32_t held_ = -1;
    bool fresh_ = false;  // the newest frame has not been taken yet
    uint64_t skipped_ = 0;
};

}  // namespace pixora
