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
