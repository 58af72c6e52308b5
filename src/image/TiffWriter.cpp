#include "image/TiffWriter.h"

#include "image/FileEncoders.h"
#include "image/FileSampleLayout.h"

namespace pixora {

int32_t WriteTiff(const char* path, const ImageBuffer* image, std::string* why) {
    FileSampleLayout samples;
    if (path == nullptr || path[0] == '\0' || image == nullptr || image->IsEmpty() ||
        !FileSampleLayoutFor(image->BitsPerPixel(), &samples)) {
        return 0;
    }
    return EncodeTiffFile(path, image, samples, why);
}

}  // namespace pixora
