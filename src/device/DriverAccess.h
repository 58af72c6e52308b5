// Thin access to the camera driver: open and close a device path, move one block over a
// pipe, send a command block, read a reply block, set the transfer time-out. Nothing here
// keeps state between calls.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/DriverProtocol.h"
#include "platform/DriverPort.h"

namespace pixora {

using CommandBlock = std::array<uint8_t, kBlockSize>;

// "\\.\<base>-<index>".
std::string FormatDevicePath(const char* baseName, int32_t index);

// Null when the path is missing or the driver has no such device.
DriverHandle DriverOpen(DriverPort& port, const char* path);
// Closes a non-null handle and nulls it; true when something was closed.
bool DriverClose(DriverPort& port, DriverHandle& handle);

// One control request on `pipe`: kPipeNoBuffer for a null buffer, kPipeNoHandle for a null
// handle, kPipeOk when the driver accepted it, else kPipeRequestFailed. The byte count the
// driver returned is always stored in *bytesMoved (0 when nothing was asked).
int32_t PipeTransfer(DriverPort& port, DriverHandle handle, uint32_t pipe, uint32_t size,
                     void* buffer, bool secondaryPair, bool secondCode, uint32_t* bytesMoved);

// A 64-byte command block on pipe 0: kDevOk, kDevOpenFailed (no handle) or
// kDevCommandFailed (request failed or moved other than 64 bytes).
int32_t SendCommand(DriverPort& port, DriverHandle handle, const CommandBlock& block);
// A 64-byte reply block from pipe 1, with the results of SendCommand.
int32_t ReadReply(DriverPort& port, DriverHandle handle, CommandBlock& block);
// The driver's transfer time-out; a null handle sends nothing.
void SetDriverTimeout(DriverPort& port, DriverHandle handle, uint32_t milliseconds);

// A handle that lives for one command or one worker run.
class ScopedDriverHandle {
public:
    ScopedDriverHandle(DriverPort& port, const char* path)
        : port_(port), handle_(DriverOpen(port, path)) {}
    ~ScopedDriverHandle() { DriverClose(port_, handle_); }
    ScopedDriverHandle(const ScopedDriverHandle&) = delete;
    ScopedDriverHandle& operator=(const ScopedDriverHandle&) = delete;

    DriverHandle Get() const { return handle_; }
    bool IsOpen() const { return handle_ != nullptr; }

private:
    DriverPort& port_;
    DriverHandle handle_;
};

}  // namespace pixora
