#include "simulator/CommandDecoder.h"

#include <cstddef>

#include "driver/WireProtocol.h"

namespace pixora {

namespace {

uint32_t LittleEndian32(const CommandBlockBytes& block, size_t offset) {
    return static_cast<uint32_t>(block[offset]) | (static_cast<uint32_t>(block[offset + 1]) << 8) |
           (static_cast<uint32_t>(block[offset + 2]) << 16) |
           (static_cast<uint32_t>(block[offset + 3]) << 24);
}

// The serial word carries the address in bits 0..9 and the value above it; the bit count
// says how many bits the camera shifts in, so it fixes the value width.
void DecodeRegisterWrite(const CommandBlockBytes& block, DecodedCommand& command) {
    command.bitCount = block[1];
    command.word = LittleEndian32(block, 2);
    command.address = command.word & 0x3FF;
    const uint32_t valueBits = wire::RegisterValueBits(command.address);
    command.accepted = valueBits != 0 && command.bitCount == valueBits + 10;
    if (command.bitCount > 10 && command.bitCount <= 32) {
        const uint32_t width = command.bitCount - 10;
        const uint32_t mask = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
        command.value = (command.word >> 10) & mask;
    }
}

}  // namespace

DecodedCommand DecodeCommand(const CommandBlockBytes& block) {
    DecodedCommand command;
    command.number = block[0];
    switch (block[0]) {
        case wire::kCmdRequestFrame:
            command.kind = CommandKind::RequestFrame;
            break;
        case wire::kCmdWriteRegister:
            command.kind = CommandKind::WriteRegister;
            DecodeRegisterWrite(block, command);
            break;
        case wire::kCmdInitDevice:
            command.kind = CommandKind::InitDevice;
            break;
        case wire::kCmdSetTransferSize:
            command.kind = CommandKind::SetTransferSize;
            command.argument = LittleEndian32(block, 1);
            break;
        case wire::kCmdSetSampleWidth:
            command.kind = CommandKind::SetSampleWidth;
            command.argument = block[1];
            break;
        case wire::kCmdSetClock:
            command.kind = CommandKind::SetClock;
            command.argument = block[1];
            break;
        case wire::kCmdQueryClock:
            command.kind = CommandKind::QueryClock;
            break;
        case wire::kCmdSetTrigger:
            command.kind = CommandKind::SetTrigger;
            command.argument = block[1];
            break;
        default:
            command.kind = CommandKind::Unknown;
            break;
    }
    return command;
}

const char* CommandKindName(CommandKind kind) {
    switch (kind) {
        case CommandKind::RequestFrame:
            return "RequestFrame";
        case CommandKind::WriteRegister:
            return "WriteRegister";
        case CommandKind::InitDevice:
            return "InitDevice";
        case CommandKind::SetTransferSize:
            return "SetTransferSize";
        case CommandKind::SetSampleWidth:
            return "SetSampleWidth";
        case CommandKind::SetClock:
            return "SetClock";
        case CommandKind::QueryClock:
            return "QueryClock";
        case CommandKind::SetTrigger:
            return "SetTrigger";
        case CommandKind::Unknown:
            break;
    }
    return "Unknown";
}

}  // namespace pixora
