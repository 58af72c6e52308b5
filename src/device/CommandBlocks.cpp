#include "device/CommandBlocks.h"

namespace pixora {

namespace {

void PutLittleEndian(CommandBlock& block, std::size_t offset, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace

CommandBlock MakeCommand(uint8_t command) {
    CommandBlock block{};
    block[0] = command;
    return block;
}

CommandBlock MakeCommand(uint8_t command, uint8_t byte1) {
    CommandBlock block = MakeCommand(command);
    block[1] = byte1;
    return block;
}

CommandBlock MakeTransferSizeCommand(uint32_t samples) {
    CommandBlock block = MakeCommand(wire::kCmdSetTransferSize);
    PutLittleEndian(block, 1, samples);
    return block;
}

CommandBlock MakeRegisterWriteCommand(uint8_t bitCount, uint32_t serialWord) {
    CommandBlock block = MakeCommand(wire::kCmdWriteRegister, bitCount);
    PutLittleEndian(block, 2, serialWord);
    return block;
}

}  // namespace pixora
