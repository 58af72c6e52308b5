#include "device/RawFrameCopy.h"

#include <bit>
#include <cstring>

namespace pixora {

void CopyRow8(const uint8_t* source, uint8_t* dest, int32_t width) {
    std::memcpy(dest, source, static_cast<std::size_t>(width));
}

void UnpackRow10(const uint8_t* source, uint8_t* dest, int32_t width) {
    if constexpr (std::endian::native == std::endian::little) {
        // Read each sample as one little-endian word b0 | b1 << 8: the value is then
        // (word << 2) & 0x3FC | (word >> 8) & 3, which vectorises well.
        for (int32_t i = 0; i < width; ++i) {
            uint16_t word;
            std::memcpy(&word, source + 2 * i, sizeof word);
            const uint16_t value =
                static_cast<uint16_t>(((word << 2) & 0x3FC) | ((word >> 8) & 0x3));
            std::memcpy(dest + 2 * i, &value, sizeof value);
        }
    } else {
        for (int32_t i = 0; i < width; ++i) {
            const uint8_t b0 = source[2 * i];
            const uint8_t b1 = source[2 * i + 1];
            dest[2 * i] = static_cast<uint8_t>((b0 << 2) | (b1 & 0x3));
            dest[2 * i + 1] = static_cast<uint8_t>(b0 >> 6);
        }
    }
}

void RawCopy(const uint8_t* frame, const FrameGeometry& g, uint32_t sampleWidth, uint8_t* dest,
             std::size_t destStride) {
    const std::size_t bytesPerSample = RawBytesPerPixel(sampleWidth);
    const std::size_t lineBytes = static_cast<std::size_t>(g.pitch) * bytesPerSample;
    const uint8_t* s = frame + (static_cast<std::size_t>(g.activeLine) * g.pitch +
                                static_cast<std::size_t>(g.activeColumn)) *
                                   bytesPerSample;
    for (int32_t row = 0; row < g.activeHeight; ++row) {
        if (sampleWidth != 0) {
            UnpackRow10(s, dest, g.activeWidth);
        } else {
            CopyRow8(s, dest, g.activeWidth);
        }
        s += lineBytes;
        dest += destStride;
    }
}

}  // namespace pixora
