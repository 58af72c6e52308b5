// Millisecond clocks and sleeping, standing in for the system tick counters.
#pragma once

#include <cstdint>

namespace pixora {

// Milliseconds since an arbitrary start, wrapping at 2^32 (the system tick count).
uint32_t TickCount();
// Milliseconds for frame-rate measurement; same clock and wrap as TickCount.
uint32_t TimeGetTime();
void SleepMs(int64_t milliseconds);
// Microseconds of the system's monotonic clock (CLOCK_MONOTONIC on Linux, the performance
// counter on Windows): the time base of frame timestamps, which applications compare with
// their own reading of the same clock.
uint64_t MonotonicMicroseconds();

}  // namespace pixora
