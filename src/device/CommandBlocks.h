// Builders of the 64-byte command blocks: command number in byte 0, parameters after it,
// every other byte zero.
#pragma once

#include <cstdint>

#include "device/DriverAccess.h"

namespace pixora {

CommandBlock MakeCommand(uint8_t command);
// A command whose only parameter is byte 1.
CommandBlock MakeCommand(uint8_t command, uint8_t byte1);
// Samples per frame transfer in bytes 1..4, least significant first.
CommandBlock MakeTransferSizeCommand(uint32_t samples);
// Bit count in byte 1, serial word in bytes 2..5, least significant first.
CommandBlock MakeRegisterWriteCommand(uint8_t bitCount, uint32_t serialWord);

}  // namespace pixora
