// Thin access to the camera driver through the port: open and close a device path, move one
// block over a pipe, send a command block, read a reply block, set the transfer time-out.
// Nothing here keeps state between calls.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "driver/DriverPort.h"

namespace pixora {

using CommandBlock = std::array<uint8_t, wire::kBlockSize>;
using DriverConnectionPtr = std::unique_ptr<DriverConnection>;

// Null when the path is missing or the port has no such camera; the port's reason goes to
// *detail when given.
DriverConnectionPtr DriverOpen(DriverPort& port, const char* path, std::string* detail = nullptr);
// Closes an open connection and nulls it; true when something was closed.
bool DriverClose(DriverConnectionPtr& connection);

// One transfer on `pipe`: kPipeNoBuffer for a null buffer, kPipeNoHandle for no
// connection, kPipeOk when the port moved it, else kPipeRequestFailed. The byte count the
// port reports is always stored in *bytesMoved (0 when nothing was asked), the whole
// outcome in *outcome when given.
int32_t PipeTransfer(DriverConnection* connection, uint32_t pipe, uint32_t size, void* buffer,
                     bool secondaryPair, bool secondCode, uint32_t* bytesMoved,
                     TransferResult* outcome = nullptr);

// A 64-byte command block on pipe 0: kDevOk, kDevOpenFailed (no connection) or
// kDevCommandFailed (refused or moved other than 64 bytes).
int32_t SendCommand(DriverConnection* connection, const CommandBlock& block,
                    TransferResult* outcome = nullptr);
// A 64-byte reply block from pipe 1, with the results of SendCommand.
int32_t ReadReply(DriverConnection* connection, CommandBlock& block,
                  TransferResult* outcome = nullptr);
// The driver's transfer time-out; no connection sends nothing.
void SetDriverTimeout(DriverConnection* connection, uint32_t milliseconds);

}  // namespace pixora
