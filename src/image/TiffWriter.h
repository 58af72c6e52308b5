// TIFF output: uncompressed, top row first, in the layouts of FileSampleLayout.h, through
// the system's encoder (image/FileEncoders.h).
#pragma once

#include <cstdint>
#include <string>

#include "image/ImageBuffer.h"

namespace pixora {

// Writes `image` of any depth: 8/16-bit gray (16-bit samples scaled up by 4 bits), 8-bit
// RGB from 24 bits, 8-bit four-sample RGB from 32 bits (fourth sample 0), 16-bit RGB from
// 48 bits and four-sample from 64 bits (samples scaled up by 6 bits, fourth 0xFFFF). Rows
// are stored packed, without the stride's padding. Returns 1 when the whole file was
// written, else 0 with the reason in *why when given (the library's messages go there,
// never to a stream).
int32_t WriteTiff(const char* path, const ImageBuffer* image, std::string* why = nullptr);

}  // namespace pixora
