#include "device/SlotRing.h"

namespace pixora {

void SlotRing::Reset(int32_t slotCount) {
    slotCount_ = slotCount;
    write_ = 0;
    newest_ = -1;
    held_ = -1;
    fresh_ = false;
    skipped_ = 0;
}

void SlotRing::Discard() {
    if (fresh_ && newest_ >= 0)
        ++skipped_;
    fresh_ = false;
}

int32_t SlotRing::Publish() {
    if (fresh_ && newest_ >= 0)
        ++skipped_;  // the newest frame was never taken, and a newer one replaces it
    newest_ = write_;
    fresh_ = true;
    for (int32_t step = 1; step < slotCount_; ++step) {
        const int32_t candidate = (write_ + step) % slotCount_;
        if (candidate != held_ && candidate != newest_) {
            write_ = candidate;
            return write_;
        }
    }
    // Two slots, the other one held: the complete frame here is overwritten next.
    newest_ = -1;
    fresh_ = false;
    ++skipped_;
    return write_;
}

int32_t SlotRing::Take() {
    if (!fresh_ || newest_ < 0) {
        return -1;
    }
    held_ = newest_;
    fresh_ = false;
    return held_;
}

}  // namespace pixora
