// Saving an image to a file in one of the formats of image/SaveFormatTable.h. The format
// code alone picks the writer; the path's extension is never looked at. The source image is never
// modified.
#pragma once

#include <cstdint>
#include <string>

#include "image/ImageBuffer.h"
#include "image/SaveFormatTable.h"

namespace pixora {

// Every format writes a picture whose top row is memory row 0 of `image`, except the raw
// dump. Returns 1 when the whole file was written; 0 for a null or empty path, a null or
// empty image, an unknown format, or any failure while converting or writing. A file is
// replaced whole or not at all: after a failure an existing file is as it was and no
// temporary remains (platform/ReplacingFile.h). The reason for a failure goes to *why when
// given ("cannot create 'x.png': Permission denied"); nothing is printed.
int32_t SaveImageFile(const char* path, const ImageBuffer* image, uint32_t format,
                      std::string* why = nullptr);

}  // namespace pixora
