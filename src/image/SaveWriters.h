// The writers of the save formats, all of the table's one signature (image/SaveFormatTable.h):
// each gets the image its depth's conversion made and writes it as it is.
#pragma once

#include <cstdint>
#include <string>

#include "image/ImageBuffer.h"
#include "image/SaveFormatTable.h"

namespace pixora {

// A BMP file, rows bottom-up as `image` already holds them.
int32_t WriteBmpFile(const char* path, const ImageBuffer& image, const SaveFormatRow& format,
                     std::string* why);
// The pixel memory as it lies, rows with their padding, no header.
int32_t WriteRawFile(const char* path, const ImageBuffer& image, const SaveFormatRow& format,
                     std::string* why);
// A progressive JPEG of the format's quality from 8 or 24 bits, rows fed from the last
// memory row up.
int32_t WriteJpegFile(const char* path, const ImageBuffer& image, const SaveFormatRow& format,
                      std::string* why);
int32_t WritePngFile(const char* path, const ImageBuffer& image, const SaveFormatRow& format,
                     std::string* why);
int32_t WriteTiffFile(const char* path, const ImageBuffer& image, const SaveFormatRow& format,
                      std::string* why);

}  // namespace pixora
