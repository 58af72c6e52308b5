#include "device/RegisterMap.h"

namespace pixora {

std::optional<RegisterClass> ClassifyRegister(uint32_t reg) {
    if (reg < 192) {
        return RegisterClass{0x3F, 16};
    }
    if (reg < 256) {
        return std::nullopt;
    }
    if (reg < 384) {
        return RegisterClass{0xFFFF, 26};
    }
    if (reg < kRegisterCount) {
        return RegisterClass{0x3FFFFF, 32};
    }
    return std::nullopt;
}

uint32_t SerialWord(uint32_t reg, uint32_t value, const RegisterClass& cls) {
    return ((value & cls.valueMask) << 10) | (reg & 0x3FF);
}

}  // namespace pixora
