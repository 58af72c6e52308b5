// Saving an image to a file in one of the seven formats. The format code alone picks the
// writer; the path's extension is never looked at. The source image is never modified.
#pragma once

#include <cstdint>
#include <string>

#include "image/ImageBuffer.h"

namespace pixora {

// Format codes (the values of the exported save function).
enum SaveFormat : uint32_t {
    kSaveBmp = 0,
    kSaveRaw = 1,      // pixel memory as it lies, rows with their padding, no header
    kSaveJpeg100 = 2,  // progressive JPEG, quality 100
    kSaveJpeg70 = 3,
    kSaveJpeg20 = 4,
    kSavePng = 5,
    kSaveTiff = 6,
};
// The number of format codes: 0 .. kSaveFormatCount - 1.
inline constexpr uint32_t kSaveFormatCount = kSaveTiff + 1;

// Every format writes a picture whose top row is memory row 0 of `image`, except the raw
// dump. Returns 1 when the whole file was written; 0 for a null or empty path, a null or
// empty image, an unknown format, or any failure while converting or writing. A file is
// replaced whole or not at all: after a failure an existing file is as it was and no
// temporary remains (platform/ReplacingFile.h). The reason for a failure goes to *why when
// given ("cannot create 'x.png': Permission denied"); nothing is printed.
int32_t SaveImageFile(const char* path, const ImageBuffer* image, uint32_t format,
                      std::string* why = nullptr);

}  // namespace pixora
