#include "device/DriverAccess.h"

#include <cstdio>

#include "device/DeviceResult.h"

namespace pixora {

std::string FormatDevicePath(const char* baseName, int32_t index) {
    char path[128];
    std::snprintf(path, sizeof path, "\\\\.\\%s-%d", baseName != nullptr ? baseName : "",
                  static_cast<int>(index));
    return path;
}

DriverHandle DriverOpen(DriverPort& port, const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return nullptr;
    }
    return port.Open(path);
}

bool DriverClose(DriverPort& port, DriverHandle& handle) {
    if (handle == nullptr) {
        return false;
    }
    port.Close(handle);
    handle = nullptr;
    return true;
}

int32_t PipeTransfer(DriverPort& port, DriverHandle handle, uint32_t pipe, uint32_t size,
                     void* buffer, bool secondaryPair, bool secondCode, uint32_t* bytesMoved) {
    if (bytesMoved != nullptr) {
        *bytesMoved = 0;
    }
    if (buffer == nullptr) {
        return kPipeNoBuffer;
    }
    if (handle == nullptr) {
        return kPipeNoHandle;
    }
    uint32_t code = 0;
    if (secondaryPair) {
        code = secondCode ? kCodePipeSecondarySecond : kCodePipeSecondaryFirst;
    } else {
        code = secondCode ? kCodePipePrimarySecond : kCodePipePrimaryFirst;
    }
    // The pipe number is the whole input buffer, little-endian.
    const uint8_t pipeBytes[4] = {static_cast<uint8_t>(pipe), static_cast<uint8_t>(pipe >> 8),
                                  static_cast<uint8_t>(pipe >> 16),
                                  static_cast<uint8_t>(pipe >> 24)};
    uint32_t returned = 0;
    const bool accepted =
        port.Control(handle, code, pipeBytes, sizeof pipeBytes, buffer, size, &returned);
    if (bytesMoved != nullptr) {
        *bytesMoved = returned;
    }
    return accepted ? kPipeOk : kPipeRequestFailed;
}

namespace {

int32_t BlockResult(int32_t pipeResult, uint32_t moved) {
    return pipeResult == kPipeOk && moved == kBlockSize ? kDevOk : kDevCommandFailed;
}

}  // namespace

int32_t SendCommand(DriverPort& port, DriverHandle handle, const CommandBlock& block) {
    if (handle == nullptr) {
        return kDevOpenFailed;
    }
    CommandBlock wire = block;  // the driver reads it through an output buffer
    uint32_t moved = 0;
    const int32_t result =
        PipeTransfer(port, handle, kPipeCommand, kBlockSize, wire.data(), false, true, &moved);
    return BlockResult(result, moved);
}

int32_t ReadReply(DriverPort& port, DriverHandle handle, CommandBlock& block) {
    if (handle == nullptr) {
        return kDevOpenFailed;
    }
    uint32_t moved = 0;
    const int32_t result =
        PipeTransfer(port, handle, kPipeReply, kBlockSize, block.data(), false, false, &moved);
    return BlockResult(result, moved);
}

void SetDriverTimeout(DriverPort& port, DriverHandle handle, uint32_t milliseconds) {
    if (handle == nullptr) {
        return;
    }
    uint8_t request[kTimeoutRequestSize] = {};
    const uint32_t words[2] = {1, milliseconds};
    for (int w = 0; w < 2; ++w) {
        for (int b = 0; b < 4; ++b) {
            request[w * 4 + b] = static_cast<uint8_t>(words[w] >> (8 * b));
        }
    }
    uint32_t returned = 0;
    port.Control(handle, kCodeSetTimeout, request, sizeof request, nullptr, 0, &returned);
}

}  // namespace pixora
