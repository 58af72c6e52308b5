// The device's count of the frames its camera sent, which numbers them: every transfer that
// brought a frame (whole, or cut short and so lost) takes the next number, whichever path
// read it (a stream or a single capture). A gap between two frames an application received
// is frames skipped for a newer one, lost in transfer, or not deliverable.
#pragma once

#include <atomic>
#include <cstdint>

namespace pixora {

// One received frame: the camera's frame number (1 for the first frame of the device), the
// monotonic time in microseconds at which its transfer ended, and the analog gain and
// exposure the camera took it with (-1 where the transfer does not tell: single captures).
struct FrameArrival {
    uint64_t sequence = 0;
    uint64_t timestampUs = 0;
    int32_t gain = -1;
    int32_t exposure = -1;
};

// The analog gain and exposure in the camera's registers.
struct CameraExposure {
    int32_t gain = -1;
    int32_t exposure = -1;
};

class FrameCounter {
public:
    // A transfer just ended with a frame; `whole` false when it came short (lost).
    FrameArrival Received(bool whole);
    // Whole frames that were never handed out, replaced by newer ones or left at a stop.
    void Skipped(uint64_t frames) { skipped_.fetch_add(frames, std::memory_order_relaxed); }

    uint64_t ReceivedCount() const { return received_.load(std::memory_order_relaxed); }
    uint64_t LostCount() const { return lost_.load(std::memory_order_relaxed); }
    uint64_t SkippedCount() const { return skipped_.load(std::memory_order_relaxed); }

private:
    std::atomic<uint64_t> received_{0};
    std::atomic<uint64_t> lost_{0};
    std::atomic<uint64_t> skipped_{0};
};

}  // namespace pixora
