// The reason of the last failed driver operation of a device (an open, a command, a frame
// transfer), in the port's words where it has them, with the time it happened: the session
// offers it as the failure's detail. Written by the application's threads and the transfer
// workers alike, so it is locked.
#pragma once

#include <chrono>
#include <mutex>
#include <string>

#include "driver/DriverPort.h"

namespace pixora {

struct DriverFailure {
    std::chrono::steady_clock::time_point when{};
    std::string text;  // empty: no failure yet
};

class DriverFailureNote {
public:
    void Note(std::string text);
    // A failed transfer of `what` ("the command block", "the frame"): the port's detail, or
    // what its status says.
    void NoteTransfer(const char* what, const TransferResult& result, uint32_t expectedBytes);
    DriverFailure Last() const;

private:
    mutable std::mutex mutex_;
    DriverFailure last_;
};

}  // namespace pixora
