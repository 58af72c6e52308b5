#include "session/FrameLeases.h"

#include <utility>

#include "session/FrameQueue.h"

namespace pixora {

FrameLeases& FrameLeases::Process() {
    // Leases may be given back while the process exits: never destroyed.
    static FrameLeases* const leases = new FrameLeases;
    return *leases;
}

uint64_t FrameLeases::Lend(std::shared_ptr<FrameQueue> queue, int32_t index, const void* pixels) {
    std::lock_guard lock(mutex_);
    const uint64_t lease = next_++;
    leases_.emplace(lease, Lease{std::move(queue), index, pixels});
    return lease;
}

bool FrameLeases::GiveBack(uint64_t lease, const void* pixels) {
    Lease ended;
    {
        std::lock_guard lock(mutex_);
        const auto found = leases_.find(lease);
        if (found == leases_.end() || found->second.pixels != pixels)
            return false;
        ended = std::move(found->second);
        leases_.erase(found);
    }
    // Outside the lock: the last hold on a stream's queue frees its memory.
    ended.queue->GiveBack(ended.index);
    return true;
}

std::size_t FrameLeases::Outstanding() const {
    std::lock_guard lock(mutex_);
    return leases_.size();
}

}  // namespace pixora
