// The system's PNG and TIFF encoders behind WritePng and WriteTiff: libpng and libtiff on
// Linux, the imaging component's encoders on Windows. They get arguments that WritePng and
// WriteTiff checked, with the file's sample layout, and answer as those do.
#pragma once

#include <cstdint>
#include <string>

#include "image/FileSampleLayout.h"
#include "image/ImageBuffer.h"

namespace pixora {

// Rows of `width` pixels at the ImageBuffer stride for the layout's depth.
int32_t EncodePngFile(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                      const FileSampleLayout& samples, std::string* why);
// `image` is not null, not empty and of the layout's depth.
int32_t EncodeTiffFile(const char* path, const ImageBuffer* image, const FileSampleLayout& samples,
                       std::string* why);

}  // namespace pixora
