// Cuts the image window out of a transferred frame into raw image rows: one byte per pixel
// for 8-bit samples, one 16-bit value 0..1023 per pixel for 10-bit samples (transferred as
// byte 0 = bits 9..2, byte 1 = bits 1..0 in its two low bits).
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/FrameGeometry.h"

namespace pixora {

// One row of 8-bit samples, as transferred.
void CopyRow8(const uint8_t* source, uint8_t* dest, int32_t width);
// One row of 10-bit samples: two source bytes per sample, one little-endian 16-bit value
// per pixel; `dest` needs no particular alignment.
void UnpackRow10(const uint8_t* source, uint8_t* dest, int32_t width);
// The same without vector instructions; UnpackRow10 uses it where those are missing.
void UnpackRow10Portable(const uint8_t* source, uint8_t* dest, int32_t width);

// The whole window of `frame` (laid out as `g` says) into `dest`, rows `destStride` bytes
// apart (activeWidth x bytes per pixel for packed rows). sampleWidth 0: 8-bit; else 10-bit.
// The caller guarantees that the frame holds the window and that dest has room.
void RawCopy(const uint8_t* frame, const FrameGeometry& g, uint32_t sampleWidth, uint8_t* dest,
             std::size_t destStride);

// Bytes per destination pixel for a sample width: 1 or 2.
inline std::size_t RawBytesPerPixel(uint32_t sampleWidth) {
    return sampleWidth != 0 ? 2 : 1;
}

}  // namespace pixora
