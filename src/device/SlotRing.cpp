#include "device/SlotRing.h"

#include <algorithm>

namespace pixora {

void SlotRing::Reset(int32_t slotCount, RingOrder order, bool dropOldest) {
    order_ = order;
    dropOldest_ = dropOldest;
    slotCount_ = slotCount;
    write_ = 0;
    newest_ = -1;
    held_ = -1;
    fresh_ = false;
    skipped_ = 0;
    waiting_.assign(static_cast<std::size_t>(std::max(slotCount, 1)), -1);
    firstWaiting_ = 0;
    waitingCount_ = 0;
}

int32_t SlotRing::NewestIndex() const {
    if (order_ == RingOrder::OldestFirst)
        return waitingCount_ == 0 ? -1 : WaitingAt(waitingCount_ - 1);
    return newest_;
}

bool SlotRing::HasFrame() const {
    if (order_ == RingOrder::OldestFirst)
        return waitingCount_ > 0;
    return fresh_ && newest_ >= 0;
}

bool SlotRing::Waiting(int32_t slot) const {
    for (int32_t i = 0; i < waitingCount_; ++i) {
        if (WaitingAt(i) == slot)
            return true;
    }
    return false;
}

void SlotRing::Discard() {
    if (order_ == RingOrder::OldestFirst) {
        skipped_ += static_cast<uint64_t>(waitingCount_);
        waitingCount_ = 0;
        return;
    }
    if (fresh_ && newest_ >= 0)
        ++skipped_;
    fresh_ = false;
}

int32_t SlotRing::Publish() {
    return order_ == RingOrder::OldestFirst ? PublishInOrder() : PublishNewest();
}

int32_t SlotRing::PublishNewest() {
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

int32_t SlotRing::PublishInOrder() {
    WaitingAt(waitingCount_++) = write_;
    // The next slot in turn that nobody needs.
    for (int32_t step = 1; step <= slotCount_; ++step) {
        const int32_t candidate = (write_ + step) % slotCount_;
        if (candidate != held_ && !Waiting(candidate)) {
            write_ = candidate;
            return write_;
        }
    }
    // Full: one waiting frame is given up and its slot written next.
    if (dropOldest_) {
        write_ = WaitingAt(0);
        firstWaiting_ = (firstWaiting_ + 1) % slotCount_;
    } else {
        write_ = WaitingAt(waitingCount_ - 1);
    }
    --waitingCount_;
    ++skipped_;
    return write_;
}

int32_t SlotRing::Take() {
    if (order_ == RingOrder::OldestFirst) {
        if (waitingCount_ == 0)
            return -1;
        held_ = WaitingAt(0);
        firstWaiting_ = (firstWaiting_ + 1) % slotCount_;
        --waitingCount_;
        return held_;
    }
    if (!fresh_ || newest_ < 0) {
        return -1;
    }
    held_ = newest_;
    fresh_ = false;
    return held_;
}

}  // namespace pixora
