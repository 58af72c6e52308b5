// The system tick counters: GetTickCount for time-outs, the multimedia timer for frame rates.
#include "platform/Clock.h"

#include <windows.h>

#include <mmsystem.h>

namespace pixora {

uint32_t TickCount() {
    return static_cast<uint32_t>(GetTickCount());
}

uint32_t TimeGetTime() {
    return static_cast<uint32_t>(timeGetTime());
}

uint64_t MonotonicMicroseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    const uint64_t perSecond = static_cast<uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000000u + ticks % perSecond * 1000000u / perSecond;
}

void SleepMs(int64_t milliseconds) {
    if (milliseconds <= 0) {
        Sleep(0);  // gives up the rest of the time slice, as yielding does
        return;
    }
    // Sleep takes a DWORD and treats 0xFFFFFFFF as forever: long sleeps go in pieces.
    constexpr int64_t kLongestPiece = 0x7FFFFFFF;
    while (milliseconds > 0) {
        const int64_t piece = milliseconds < kLongestPiece ? milliseconds : kLongestPiece;
        Sleep(static_cast<DWORD>(piece));
        milliseconds -= piece;
    }
}

}  // namespace pixora
