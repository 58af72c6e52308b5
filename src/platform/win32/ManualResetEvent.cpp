// The manual-reset event as a kernel event object.
#include "platform/ManualResetEvent.h"

#include <windows.h>

#include <system_error>

namespace pixora {

namespace {

HANDLE Handle(void* event) {
    return static_cast<HANDLE>(event);
}

}  // namespace

ManualResetEvent::ManualResetEvent(bool initiallySet)
    : event_(CreateEventA(nullptr, TRUE, initiallySet ? TRUE : FALSE, nullptr)) {
    // Like std::condition_variable, an event that cannot be made is an exception: there is
    // no object to hand back otherwise.
    if (event_ == nullptr) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "CreateEventA");
    }
}

ManualResetEvent::~ManualResetEvent() {
    CloseHandle(Handle(event_));
}

void ManualResetEvent::Set() {
    SetEvent(Handle(event_));
}

void ManualResetEvent::Reset() {
    ResetEvent(Handle(event_));
}

bool ManualResetEvent::IsSet() const {
    return WaitForSingleObject(Handle(event_), 0) == WAIT_OBJECT_0;
}

bool ManualResetEvent::Wait(int64_t timeoutMs) const {
    if (timeoutMs < 0) {
        return WaitForSingleObject(Handle(event_), INFINITE) == WAIT_OBJECT_0;
    }
    // INFINITE is 0xFFFFFFFF: longer finite waits go in pieces below it.
    constexpr int64_t kLongestPiece = 0x7FFFFFFF;
    do {
        const int64_t piece = timeoutMs < kLongestPiece ? timeoutMs : kLongestPiece;
        const DWORD result = WaitForSingleObject(Handle(event_), static_cast<DWORD>(piece));
        if (result == WAIT_OBJECT_0) {
            return true;
        }
        if (result != WAIT_TIMEOUT) {
            return false;
        }
        timeoutMs -= piece;
    } while (timeoutMs > 0);
    return false;
}

}  // namespace pixora
