// The kernel driver's own request surface: open a device path, synchronous control requests
// with a control code and input and output buffers, close. The Windows driver is reached
// this way, and the virtual camera answers the same requests, so that both see exactly the
// bytes the driver would. ControlDriverPort turns the seam's transfers into these requests.
#pragma once

#include <cstdint>

#include "driver/DriverPort.h"

namespace pixora {

using DriverHandle = void*;

class ControlDriver {
public:
    virtual ~ControlDriver() = default;

    // Opens the device at `path` (for example "\\.\Qvo530TZ-0"); null when there is none.
    virtual DriverHandle Open(const char* path) = 0;

    // One synchronous control request. Returns true when the driver accepted it and always
    // stores the number of bytes it returned into *bytesReturned (when not null). A refused
    // request says why in *why (when not null) where the driver tells: time-out, cancel,
    // device gone; otherwise Failed.
    virtual bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inSize,
                         void* out, uint32_t outSize, uint32_t* bytesReturned,
                         TransferStatus* why = nullptr) = 0;

    virtual void Close(DriverHandle handle) = 0;

    // Ends the requests pending on `handle` right now, from any thread: each fails as a
    // cancelled transfer. Requests that start later are not affected, and a handle with
    // nothing pending is left as it is. A driver that cannot cancel does nothing; its
    // transfer time-out then bounds the wait.
    virtual void CancelPending(DriverHandle handle) { (void)handle; }
};

}  // namespace pixora
