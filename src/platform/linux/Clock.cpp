#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace pixora {

uint32_t TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t TimeGetTime() {
    return TickCount();
}

uint64_t MonotonicMicroseconds() {
    using namespace std::chrono;
    // steady_clock is CLOCK_MONOTONIC here.
    return static_cast<uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(int64_t milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    } else {
        std::this_thread::yield();
    }
}

}  // namespace pixora
