#include "device/RegisterMap.h"

namespace pixora {

std::optional<RegisterClass> ClassifyRegister(uint32_t reg) {
    const uint32_t valueBits = wire::RegisterValueBits(reg);
    if (valueBits == 0) {
        return std::nullopt;
    }
    return RegisterClass{(1u << valueBits) - 1u, static_cast<uint8_t>(valueBits + 10)};
}

uint32_t SerialWord(uint32_t reg, uint32_t value, const RegisterClass& cls) {
    return ((value & cls.valueMask) << 10) | (reg & 0x3FF);
}

}  // namespace pixora
