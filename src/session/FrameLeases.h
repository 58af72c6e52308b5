// The buffers of frame-queue streams that applications hold, by lease number. A frame is
// given back by its record alone (no camera handle), possibly after its stream ended or its
// camera was released: the lease keeps the stream's queue, and with it the buffer, alive
// until then. Lease numbers are never reused, so a record returned twice, or one that never
// came from the library, finds no lease and changes nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace pixora {

class FrameQueue;

class FrameLeases {
public:
    // The leases of the process; never destroyed.
    static FrameLeases& Process();

    // Lends buffer `index` of `queue` (held there already), whose pixels lie at `pixels`.
    // Returns the lease number, never 0.
    uint64_t Lend(std::shared_ptr<FrameQueue> queue, int32_t index, const void* pixels);
    // Ends the lease whose number and pixels these are, giving the buffer back to its
    // queue. False when there is no such lease (changes nothing then).
    bool GiveBack(uint64_t lease, const void* pixels);
    // Leases not yet given back.
    std::size_t Outstanding() const;

private:
    struct Lease {
        std::shared_ptr<FrameQueue> queue;
        int32_t index = -1;
        const void* pixels = nullptr;
    };
    mutable std::mutex mutex_;
    std::unordered_map<uint64_t, Lease> leases_;
    uint64_t next_ = 1;
};

}  // namespace pixora
