#include "device/FrameCounter.h"

#include "platform/Clock.h"

namespace pixora {

FrameArrival FrameCounter::Received(bool whole) {
    FrameArrival stamp;
    stamp.timestampUs = MonotonicMicroseconds();
    stamp.sequence = received_.fetch_add(1, std::memory_order_relaxed) + 1;
    if (!whole)
        lost_.fetch_add(1, std::memory_order_relaxed);
    return stamp;
}

}  // namespace pixora
