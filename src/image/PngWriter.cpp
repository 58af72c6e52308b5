#include "image/PngWriter.h"

#include "image/FileEncoders.h"
#include "image/FileSampleLayout.h"

namespace pixora {

int32_t WritePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                 uint16_t bitsPerPixel, std::string* why) {
    FileSampleLayout samples;
    if (path == nullptr || path[0] == '\0' || pixels == nullptr || width <= 0 || height <= 0 ||
        !FileSampleLayoutFor(bitsPerPixel, &samples)) {
        return 0;
    }
    return EncodePngFile(path, pixels, width, height, samples, why);
}

}  // namespace pixora
