// PNG output: 8/16-bit gray, 8/16-bit RGB, 8/16-bit RGB with alpha (the layouts of
// FileSampleLayout.h), through the system's encoder (image/FileEncoders.h).
#pragma once

#include <cstdint>
#include <string>

namespace pixora {

// Writes `height` rows of `width` pixels from `pixels`, rows at the ImageBuffer stride for
// that width and depth, memory row 0 on top. Depth 8 and 16 are gray, 24 and 48 RGB, 32 and
// 64 RGB with alpha; samples in blue-green-red order, 16-bit samples least significant
// byte first as they lie in memory. Returns 1 when the whole file was written, else 0
// with the reason in *why when given (the library's messages go there, never to a stream).
int32_t WritePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                 uint16_t bitsPerPixel, std::string* why = nullptr);

}  // namespace pixora
