// Decoding of the 64-byte command blocks that the host sends on pipe 0.
#pragma once

#include <array>
#include <cstdint>

namespace pixora {

using CommandBlockBytes = std::array<uint8_t, 64>;

enum class CommandKind {
    RequestFrame,
    WriteRegister,
    InitDevice,
    SetTransferSize,
    SetSampleWidth,
    SetClock,
    QueryClock,
    SetTrigger,
    Unknown,
};

// One received command as the camera understood it.
struct DecodedCommand {
    uint8_t number = 0;
    CommandKind kind = CommandKind::Unknown;
    // WriteRegister: the serial word as sent and what the camera takes from it. accepted is
    // false when the register does not exist or the bit count does not fit its class; the
    // camera then ignores the write.
    uint32_t bitCount = 0;
    uint32_t word = 0;
    uint32_t address = 0;
    uint32_t value = 0;
    bool accepted = true;
    // SetTransferSize: samples (bytes 1..4); SetSampleWidth, SetClock, SetTrigger: byte 1.
    uint32_t argument = 0;
};

DecodedCommand DecodeCommand(const CommandBlockBytes& block);

const char* CommandKindName(CommandKind kind);

}  // namespace pixora
