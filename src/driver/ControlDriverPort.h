// The seam's transfers as the kernel driver's control requests: a pipe transfer is one
// request under its code with the pipe number (4 bytes, little-endian) as the whole input
// and the block as the output buffer; the time-out is the 44-byte request (1, then the
// milliseconds, then zeros). Every port to a driver of that kind, and the virtual camera,
// goes through here, so the bytes on that wire are formed in one place.
#pragma once

#include <array>
#include <cstdint>

#include "driver/ControlDriver.h"
#include "driver/DriverPort.h"

namespace pixora {

// The input buffer of a pipe transfer.
std::array<uint8_t, wire::kPipeRequestSize> PipeRequestInput(uint32_t pipe);
// The input buffer of the time-out request.
std::array<uint8_t, wire::kTimeoutRequestSize> TimeoutRequestInput(uint32_t milliseconds);

class ControlDriverPort final : public DriverPort {
public:
    explicit ControlDriverPort(ControlDriver& driver) : driver_(driver) {}

    OpenResult Open(const char* path) override;

    ControlDriver& Driver() { return driver_; }

private:
    ControlDriver& driver_;
};

}  // namespace pixora
