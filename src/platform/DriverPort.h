// The camera driver as the device layer sees it: open a device path, send synchronous
// control requests, close. On Linux the virtual camera serves it; tests may inject their own.
#pragma once

#include <cstdint>

namespace pixora {

using DriverHandle = void*;

class DriverPort {
public:
    virtual ~DriverPort() = default;

    // Opens the device at `path` (for example "\\.\Qvo530TZ-0"); null when there is none.
    virtual DriverHandle Open(const char* path) = 0;

    // One synchronous control request. Returns true when the driver accepted it and always
    // stores the number of bytes it returned into *bytesReturned (when not null).
    virtual bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize,
                         void* out, uint32_t outSize, uint32_t* bytesReturned) = 0;

    virtual void Close(DriverHandle handle) = 0;

    // Ends the requests pending on `handle` right now, from any thread: each fails as a
    // cancelled transfer. Requests that start later are not affected, and a handle with
    // nothing pending is left as it is. A driver that cannot cancel does nothing; its
    // transfer time-out then bounds the wait.
    virtual void CancelPending(DriverHandle handle) { (void)handle; }
};

// The driver the library uses by default: on Linux the process-wide virtual camera.
DriverPort& SystemDriverPort();

}  // namespace pixora
