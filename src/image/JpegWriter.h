// JPEG output through libjpeg, from 8-bit gray or 24-bit B, G, R images.
#pragma once

#include <cstdint>
#include <string>

#include "image/ImageBuffer.h"

namespace pixora {

// Writes `image` (8 or 24 bits per pixel) with the given quality (0..100, baseline
// quantisation tables), progressive when asked. Rows are fed from the last memory row up,
// so the caller passes rows already turned over. Returns 1 when the whole file was
// written; 0 for a bad argument, an unsupported depth or any library or file error, with
// the reason in *why when given. The library's messages go there, never to a stream.
int32_t WriteJpeg(const char* path, const ImageBuffer* image, int32_t quality, bool progressive,
                  std::string* why = nullptr);

}  // namespace pixora
