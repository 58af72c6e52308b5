// The camera's register map: which register numbers exist, how wide their values are, and
// how a write is encoded as a serial word (register address in bits 0..9, value above).
#pragma once

#include <cstdint>
#include <optional>

#include "driver/WireProtocol.h"

namespace pixora {

inline constexpr uint32_t kRegisterCount = wire::kRegisterCount;

struct RegisterClass {
    uint32_t valueMask;  // the value bits the camera keeps
    uint8_t bitCount;    // significant bits of the serial word: value bits + 10
};

// Registers 0..191 (6-bit), 256..383 (16-bit) and 384..1023 (22-bit); nothing otherwise.
std::optional<RegisterClass> ClassifyRegister(uint32_t reg);

// ((value & mask) << 10) | (reg & 0x3FF).
uint32_t SerialWord(uint32_t reg, uint32_t value, const RegisterClass& cls);

}  // namespace pixora
